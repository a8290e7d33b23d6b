#pragma once
// INI text as the language files and project files use it: "[Section]" lines and "Key=Value"
// lines. Section and key names match without regard to ASCII case; the first match wins.
// Files are read whole and written whole.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

class IniFile {
public:
  // Parses UTF-8 text (CR LF or LF line ends).
  static IniFile Parse(std::string_view text);
  // Language and project files are small; anything larger is not one of them.
  static constexpr size_t kMaxFileBytes = 64 * 1024 * 1024;

  // Reads and parses a file in any encoding DecodeTextFile knows; nothing when it cannot be
  // read or is larger than kMaxFileBytes.
  static std::optional<IniFile> Load(const std::filesystem::path& file);

  // The value, trimmed, with one pair of enclosing quotes removed; nothing when absent.
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;
  std::string ReadString(std::string_view section, std::string_view key, std::string_view fallback) const;
  // The leading decimal number of the value (0 when it has none); fallback when the key is absent.
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t fallback) const;

  // Sets a value, adding the section and the key at the end when they are new.
  void Write(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int64_t value);

  // How many sections the text holds: a bound for loops over numbered sections whose count
  // comes from the file itself.
  size_t SectionCount() const { return sections_.size(); }

  // UTF-8 with a byte-order mark, CR LF line ends, an empty line after each section.
  std::string ToText() const;

private:
  struct Entry {
    std::string key;
    std::string value;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };

  const Section* FindSection(std::string_view name) const;

  std::vector<Section> sections_;
};

}  // namespace korvel
