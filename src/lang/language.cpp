#include "lang/language.h"

#include <memory>
#include <optional>
#include <system_error>
#include <utility>

#include "base/ini_file.h"
#include "lang/current_language.h"
#include "lang/default_language.h"
#include "lang/language_folder.h"
#include "lang/locale_language.h"

namespace korvel {
namespace {

bool IsFile(const std::filesystem::path& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_regular_file(path, error);
}

std::optional<IniFile> LoadFile(const std::filesystem::path& path) {
  return IsFile(path) ? IniFile::Load(path) : std::nullopt;
}

// The folder itself, spelt without a trailing separator and without "." or "..", so that a
// stored path compares equal however the folder was written.
std::filesystem::path NormalFolder(const std::filesystem::path& folder) {
  return (folder / "").lexically_normal().parent_path();
}

}  // namespace

TLanguage::TLanguage(std::filesystem::path folder) : folder_(std::move(folder)) {}

TLanguage::~TLanguage() { CloseLanguage(); }

void TLanguage::RestoreStoredPath(const std::filesystem::path& stored) {
  const bool inFolder = stored.has_filename() && NormalFolder(stored.parent_path()) == NormalFolder(folder_);
  currentPath_ = inFolder ? stored : std::filesystem::path();
}

void TLanguage::SetCurrentPath(std::filesystem::path file) { currentPath_ = std::move(file); }

bool TLanguage::LoadLanguage() { return LoadLanguage(UserDefaultLanguageId()); }

bool TLanguage::LoadLanguage(uint16_t userLanguageId) {
  if (!IsFile(currentPath_)) currentPath_ = folder_ / ChooseDefaultLanguageFile(ListLanguageFiles(folder_), userLanguageId);

  std::optional<IniFile> current = LoadFile(currentPath_);
  if (!current) {
    CloseLanguage();  // never leave the previous language behind a failed load
    return false;
  }
  // Replaced in one step, so a reader on another thread sees the old language or the new one.
  SetCurrentLanguage(std::make_shared<const LanguageTexts>(std::move(*current), LoadFile(folder_ / kFallbackLanguageFile)));
  return true;
}

bool TLanguage::SelectLanguage(std::string_view fileName) {
  currentPath_ = folder_ / fileName;
  return LoadLanguage();
}

void TLanguage::CloseLanguage() { SetCurrentLanguage(nullptr); }

std::vector<LanguageMenuEntry> TLanguage::MenuEntries() const { return LanguageMenuEntries(folder_, currentPath_); }

}  // namespace korvel
