#include "base/ini_file.h"

#include <algorithm>

#include "base/file_read.h"
#include "base/numeric.h"
#include "base/text_decode.h"

namespace korvel {
namespace {

std::string_view Trim(std::string_view text) {
  const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool SameName(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

}  // namespace

IniFile IniFile::Parse(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // as ToText writes it
  IniFile ini;
  Section* current = nullptr;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = Trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const size_t close = line.find(']');
      const std::string_view name = Trim(line.substr(1, close == std::string_view::npos ? line.size() - 1 : close - 1));
      ini.sections_.push_back({std::string(name), {}});
      current = &ini.sections_.back();
      continue;
    }
    const size_t equals = line.find('=');
    if (!current || equals == std::string_view::npos) continue;  // text outside a section
    current->entries.push_back({std::string(Trim(line.substr(0, equals))), std::string(Trim(line.substr(equals + 1)))});
  }
  return ini;
}

std::optional<IniFile> IniFile::Load(const std::filesystem::path& file) {
  const auto bytes = ReadWholeFile(file, kMaxFileBytes);
  if (!bytes) return std::nullopt;
  return Parse(DecodeTextFile(*bytes));
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
  const auto found = std::find_if(sections_.begin(), sections_.end(), [&](const Section& s) { return SameName(s.name, name); });
  return found == sections_.end() ? nullptr : &*found;
}

std::optional<std::string> IniFile::Find(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  if (!s) return std::nullopt;
  const auto found = std::find_if(s->entries.begin(), s->entries.end(), [&](const Entry& e) { return SameName(e.key, key); });
  if (found == s->entries.end()) return std::nullopt;
  return std::string(Unquote(found->value));
}

std::string IniFile::ReadString(std::string_view section, std::string_view key, std::string_view fallback) const {
  auto value = Find(section, key);
  return value ? std::move(*value) : std::string(fallback);
}

int32_t IniFile::ReadInteger(std::string_view section, std::string_view key, int32_t fallback) const {
  const auto value = Find(section, key);
  if (!value) return fallback;
  size_t i = 0;
  const bool negative = i < value->size() && ((*value)[i] == '-' || (*value)[i] == '+') && (*value)[i++] == '-';
  double number = 0;  // wide enough to clamp instead of overflowing
  while (i < value->size() && (*value)[i] >= '0' && (*value)[i] <= '9' && number < 1e12)
    number = number * 10 + ((*value)[i++] - '0');
  return TruncToInt32(negative ? -number : number);
}

void IniFile::Write(std::string_view section, std::string_view key, std::string_view value) {
  auto s = std::find_if(sections_.begin(), sections_.end(), [&](const Section& each) { return SameName(each.name, section); });
  if (s == sections_.end()) s = sections_.insert(sections_.end(), Section{std::string(section), {}});
  auto e = std::find_if(s->entries.begin(), s->entries.end(), [&](const Entry& each) { return SameName(each.key, key); });
  if (e == s->entries.end()) {
    s->entries.push_back({std::string(key), std::string(value)});
  } else {
    e->value = value;
  }
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int64_t value) {
  Write(section, key, std::to_string(value));
}

std::string IniFile::ToText() const {
  std::string text = "\xEF\xBB\xBF";
  for (const Section& s : sections_) {
    text += "[" + s.name + "]\r\n";
    for (const Entry& e : s.entries) text += e.key + "=" + e.value + "\r\n";
    text += "\r\n";
  }
  return text;
}

}  // namespace korvel
