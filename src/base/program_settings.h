#pragma once
// What the program remembers between runs, and how a stored value is read back: each value has
// its own opaque name, default and lower bound, and a value that cannot be read or makes no
// sense any more falls back on its own without stopping the start. The store itself is the
// desktop program's (a per-user key-value file); this side holds the rules, so that they are
// the same wherever the values are kept.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace korvel {

// The names of the stored values, in the order they are written.
namespace setting_name {
inline constexpr std::string_view kNameColumnWidth = "548913297981021049432169579132";
inline constexpr std::string_view kSizeColumnWidth = "349809716513197034973196106543";
inline constexpr std::string_view kDateColumnWidth = "642319756102197894613493180479";
inline constexpr std::string_view kLanguagePath = "786910348943184351031898764315";
inline constexpr std::string_view kBrowserPanelWidth = "678913219790561345324897905498";
inline constexpr std::string_view kBrowserColorIndex = "236549547416913557039287053406";
inline constexpr std::string_view kLastProjectFolder = "807075747577261888153505418894";
inline constexpr std::string_view kCurrentDirectory = "548722135498456021687915464221";
}  // namespace setting_name

// The browser's background colours are numbered 0 to this.
inline constexpr int32_t kLastBrowserColorIndex = 4;

struct ProgramSettings {
  // The file list's columns.
  int32_t NameColumnWidth = 150;
  int32_t SizeColumnWidth = 80;
  int32_t DateColumnWidth = 80;
  // The language file chosen last, as stored; the language decides whether it may be used.
  std::filesystem::path LanguagePath;
  int32_t BrowserPanelWidth = 350;
  int32_t BrowserColorIndex = 0;
  // Where project files were opened or saved last; an existing folder.
  std::filesystem::path LastProjectFolder;
  // The folder the browser showed last; empty, or a folder that existed when it was read. The
  // process's own working folder is never changed.
  std::filesystem::path CurrentDirectory;
};

// A per-user key-value store. A read gives nothing when the value is missing or is not of the
// type asked for; a write may fail silently, as the previous value then simply stays.
class ISettingsStore {
public:
  virtual ~ISettingsStore() = default;
  virtual std::optional<int32_t> ReadInteger(std::string_view name) = 0;
  virtual std::optional<std::string> ReadString(std::string_view name) = 0;
  virtual void WriteInteger(std::string_view name, int32_t value) = 0;
  virtual void WriteString(std::string_view name, const std::string& value) = 0;
};

// Reads every value on its own. Widths are raised to their minimums (name 50, size and date 30,
// browser panel 150); a colour index outside 0..4 becomes 0; a last project folder that is
// empty or no longer a folder becomes defaultProjectFolder(), which is asked for only then and
// created with its parents when missing; a current directory that is not a folder is dropped.
ProgramSettings ReadProgramSettings(ISettingsStore& store,
                                    const std::function<std::filesystem::path()>& defaultProjectFolder);

// Writes every value, in the order of the names above.
void WriteProgramSettings(ISettingsStore& store, const ProgramSettings& settings);

// Creates folder and every missing parent; true when folder exists as a folder afterwards.
bool ForceFolders(const std::filesystem::path& folder);

}  // namespace korvel
