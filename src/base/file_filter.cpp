#include "base/file_filter.h"

#include <algorithm>

namespace korvel {
namespace {

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string Upper(std::string_view text) {
  std::string upper(text);
  std::transform(upper.begin(), upper.end(), upper.begin(), AsciiUpper);
  return upper;
}

std::string_view TrimBlanks(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

std::string UpperExtension(std::string_view name) {
  const size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string() : Upper(name.substr(dot));
}

TFileFilter TFileFilter::Parse(std::string_view filter) {
  TFileFilter parsed;
  const std::string upper = Upper(TrimBlanks(filter));
  if (upper.find('*') != std::string::npos) return parsed;
  parsed.all_ = false;
  size_t start = 0;
  while (start < upper.size()) {
    const size_t end = std::min(upper.find(';', start), upper.size());
    parsed.extensions_.push_back(upper.substr(start, end - start));
    start = end + 1;
  }
  // Without a single extension the filter holds nothing back.
  parsed.all_ = parsed.extensions_.empty();
  return parsed;
}

bool TFileFilter::PassesExtension(std::string_view upperExtension) const {
  return all_ || std::find(extensions_.begin(), extensions_.end(), upperExtension) != extensions_.end();
}

bool TFileFilter::Passes(std::string_view name, bool showHidden) const {
  if (!showHidden && !name.empty() && name.front() == '.') return false;
  return PassesExtension(UpperExtension(name));
}

}  // namespace korvel
