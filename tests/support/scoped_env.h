#pragma once
// Environment variables changed for one test and put back afterwards, so that code looking
// for the user's folders finds a temporary home instead of the real one.
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace korvel::test {

class ScopedEnv {
public:
  // No value unsets the variable.
  ScopedEnv(std::string name, const std::optional<std::string>& value) : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) old_ = old;
    Set(value);
  }
  ~ScopedEnv() { Set(old_); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
  void Set(const std::optional<std::string>& value) {
    if (value) {
      ::setenv(name_.c_str(), value->c_str(), 1);
    } else {
      ::unsetenv(name_.c_str());
    }
  }

  std::string name_;
  std::optional<std::string> old_;
};

// HOME, XDG_DATA_HOME and XDG_CONFIG_HOME at root's "home", "data" and "config" (none created).
class ScopedUserFolders {
public:
  explicit ScopedUserFolders(const std::filesystem::path& root)
      : home_("HOME", (root / "home").string()),
        data_("XDG_DATA_HOME", (root / "data").string()),
        config_("XDG_CONFIG_HOME", (root / "config").string()) {}

private:
  ScopedEnv home_;
  ScopedEnv data_;
  ScopedEnv config_;
};

}  // namespace korvel::test
