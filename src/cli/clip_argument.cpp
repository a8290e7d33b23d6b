#include "cli/clip_argument.h"

#include <charconv>
#include <vector>

namespace korvel::cli {
namespace {

std::optional<int64_t> Digits(std::string_view text, size_t maxDigits = 10) {
  if (text.empty() || text.size() > maxDigits || text.front() < '0' || text.front() > '9') return std::nullopt;
  int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<int32_t> ParseClipTime(std::string_view text) {
  if (text.find(':') == std::string_view::npos) {
    const auto ms = Digits(text);
    if (!ms || *ms > kToTheEnd) return std::nullopt;
    return static_cast<int32_t>(*ms);
  }
  int64_t fractionMs = 0;
  if (const size_t dot = text.find('.'); dot != std::string_view::npos) {
    std::string_view fraction = text.substr(dot + 1);
    const auto digits = Digits(fraction, 3);
    if (!digits) return std::nullopt;
    fractionMs = *digits;
    for (size_t i = fraction.size(); i < 3; ++i) fractionMs *= 10;
    text = text.substr(0, dot);
  }
  std::vector<int64_t> parts;
  while (true) {
    const size_t colon = text.find(':');
    const auto part = Digits(text.substr(0, colon), 6);
    if (!part) return std::nullopt;
    parts.push_back(*part);
    if (colon == std::string_view::npos) break;
    text = text.substr(colon + 1);
  }
  if (parts.size() > 3 || parts.back() >= 60 || (parts.size() == 3 && parts[1] >= 60)) return std::nullopt;
  int64_t seconds = 0;
  for (const int64_t part : parts) seconds = seconds * 60 + part;
  const int64_t ms = seconds * 1000 + fractionMs;
  if (ms > kToTheEnd) return std::nullopt;
  return static_cast<int32_t>(ms);
}

std::optional<ClipArgument> ParseClipArgument(std::string_view text) {
  if (text.empty()) return std::nullopt;
  const size_t at = text.rfind('@');
  if (at != std::string_view::npos && at > 0) {
    const std::string_view range = text.substr(at + 1);
    const size_t dash = range.find('-');
    if (dash != std::string_view::npos) {
      const auto start = ParseClipTime(range.substr(0, dash));
      const auto end = ParseClipTime(range.substr(dash + 1));
      if (start && end) {
        if (*start >= *end) return std::nullopt;
        return ClipArgument{std::filesystem::path(text.substr(0, at)), *start, *end};
      }
    }
  }
  return ClipArgument{std::filesystem::path(text)};
}

}  // namespace korvel::cli
