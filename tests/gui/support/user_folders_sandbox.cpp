#include "gui/support/user_folders_sandbox.h"

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <utility>

namespace korvel::test {

namespace {

void PointVariableAt(const char* name, const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
  if (::setenv(name, folder.c_str(), 1) != 0) throw std::runtime_error(std::string("cannot set ") + name);
}

}  // namespace

UserFoldersSandbox::UserFoldersSandbox() {
  std::string pattern = (std::filesystem::temp_directory_path() / "korvel-gui-test-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
  root_ = pattern;
  home_ = root_ / "home";
  PointVariableAt("HOME", home_);
  const std::pair<const char*, const char*> xdgFolders[] = {
      {"XDG_CONFIG_HOME", ".config"}, {"XDG_DATA_HOME", ".local/share"}, {"XDG_CACHE_HOME", ".cache"},
      {"XDG_STATE_HOME", ".local/state"}};
  for (const auto& [name, relative] : xdgFolders) PointVariableAt(name, home_ / relative);
  // Qt refuses a runtime folder that others may enter.
  const std::filesystem::path runtime = root_ / "runtime";
  PointVariableAt("XDG_RUNTIME_DIR", runtime);
  std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
}

UserFoldersSandbox::~UserFoldersSandbox() {
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

}  // namespace korvel::test
