#include "base/program_settings.h"

#include <algorithm>
#include <system_error>

namespace korvel {

namespace {

namespace fs = std::filesystem;

int32_t ReadWidth(ISettingsStore& store, std::string_view name, int32_t fallback, int32_t minimum) {
  return std::max(store.ReadInteger(name).value_or(fallback), minimum);
}

bool IsFolder(const fs::path& path) {
  std::error_code ignored;  // a folder that cannot be examined is as good as gone
  return !path.empty() && fs::is_directory(path, ignored);
}

}  // namespace

ProgramSettings ReadProgramSettings(ISettingsStore& store, const std::function<fs::path()>& defaultProjectFolder) {
  ProgramSettings settings;
  settings.NameColumnWidth = ReadWidth(store, setting_name::kNameColumnWidth, settings.NameColumnWidth, 50);
  settings.SizeColumnWidth = ReadWidth(store, setting_name::kSizeColumnWidth, settings.SizeColumnWidth, 30);
  settings.DateColumnWidth = ReadWidth(store, setting_name::kDateColumnWidth, settings.DateColumnWidth, 30);
  settings.LanguagePath = store.ReadString(setting_name::kLanguagePath).value_or("");
  settings.BrowserPanelWidth = ReadWidth(store, setting_name::kBrowserPanelWidth, settings.BrowserPanelWidth, 150);

  const int32_t colorIndex = store.ReadInteger(setting_name::kBrowserColorIndex).value_or(0);
  settings.BrowserColorIndex = colorIndex >= 0 && colorIndex <= kLastBrowserColorIndex ? colorIndex : 0;

  // A stored folder that has gone is not made again: it may have been on a disc or a share
  // that is no longer there, and the default serves better than an empty copy of its path.
  fs::path projectFolder = store.ReadString(setting_name::kLastProjectFolder).value_or("");
  if (!IsFolder(projectFolder)) {
    projectFolder = defaultProjectFolder();
    ForceFolders(projectFolder);
  }
  settings.LastProjectFolder = projectFolder;

  const fs::path currentDirectory = store.ReadString(setting_name::kCurrentDirectory).value_or("");
  if (IsFolder(currentDirectory)) settings.CurrentDirectory = currentDirectory;
  return settings;
}

void WriteProgramSettings(ISettingsStore& store, const ProgramSettings& settings) {
  store.WriteInteger(setting_name::kNameColumnWidth, settings.NameColumnWidth);
  store.WriteInteger(setting_name::kSizeColumnWidth, settings.SizeColumnWidth);
  store.WriteInteger(setting_name::kDateColumnWidth, settings.DateColumnWidth);
  store.WriteString(setting_name::kLanguagePath, settings.LanguagePath.string());
  store.WriteInteger(setting_name::kBrowserPanelWidth, settings.BrowserPanelWidth);
  store.WriteInteger(setting_name::kBrowserColorIndex, settings.BrowserColorIndex);
  store.WriteString(setting_name::kLastProjectFolder, settings.LastProjectFolder.string());
  store.WriteString(setting_name::kCurrentDirectory, settings.CurrentDirectory.string());
}

bool ForceFolders(const fs::path& folder) {
  if (folder.empty()) return false;
  std::error_code ignored;  // the answer is whether the folder is there afterwards
  fs::create_directories(folder, ignored);
  return IsFolder(folder);
}

}  // namespace korvel
