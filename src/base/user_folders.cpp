#include "base/user_folders.h"

#include <cstdlib>
#include <fstream>
#include <optional>
#include <pwd.h>
#include <string>
#include <string_view>
#include <system_error>
#include <unistd.h>

namespace korvel {
namespace {

namespace fs = std::filesystem;

// A base-directory variable counts only when it holds an absolute path; a relative one is
// invalid by the convention and must be ignored.
std::optional<fs::path> AbsoluteFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (!value || value[0] != '/') return std::nullopt;
  return fs::path(value);
}

void SkipBlanks(std::string_view& text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
}

// The folder one user-dirs.dirs line gives for key: `KEY="$HOME/sub"` or `KEY="/abs"`, with
// backslash escapes inside the quotes. Nothing when the line sets another key or has another form.
std::optional<fs::path> UserDirFromLine(std::string_view line, std::string_view key) {
  SkipBlanks(line);
  if (!line.starts_with(key)) return std::nullopt;
  line.remove_prefix(key.size());
  SkipBlanks(line);
  if (!line.starts_with('=')) return std::nullopt;
  line.remove_prefix(1);
  SkipBlanks(line);
  if (!line.starts_with('"')) return std::nullopt;
  line.remove_prefix(1);

  std::string folder;
  if (line.starts_with("$HOME/") || line.starts_with("$HOME\"")) {
    line.remove_prefix(5);
    folder = UserHomeFolder().string();
  } else if (!line.starts_with('/')) {
    return std::nullopt;
  }
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') {
      while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
      return fs::path(folder);
    }
    if (line[i] == '\\' && i + 1 < line.size()) ++i;
    folder += line[i];
  }
  return std::nullopt;  // no closing quote
}

std::optional<fs::path> DocumentsFromUserDirs() {
  const fs::path config = AbsoluteFromEnvironment("XDG_CONFIG_HOME").value_or(UserHomeFolder() / ".config");
  std::ifstream in(config / "user-dirs.dirs");
  std::optional<fs::path> documents;
  // Like the shell that sources this file, the last assignment wins.
  for (std::string line; std::getline(in, line);)
    if (auto folder = UserDirFromLine(line, "XDG_DOCUMENTS_DIR")) documents = std::move(folder);
  return documents;
}

}  // namespace

fs::path UserHomeFolder() {
  if (auto home = AbsoluteFromEnvironment("HOME")) return *home;
  if (const passwd* account = ::getpwuid(::getuid()); account && account->pw_dir && account->pw_dir[0] == '/')
    return fs::path(account->pw_dir);
  std::error_code ignored;
  return fs::temp_directory_path(ignored);
}

fs::path UserDataFolder() {
  return AbsoluteFromEnvironment("XDG_DATA_HOME").value_or(UserHomeFolder() / ".local" / "share");
}

fs::path UserDocumentsFolder() {
  if (auto documents = DocumentsFromUserDirs()) return *documents;
  const fs::path home = UserHomeFolder();
  std::error_code ignored;
  if (fs::is_directory(home / "Documents", ignored)) return home / "Documents";
  return home;
}

}  // namespace korvel
