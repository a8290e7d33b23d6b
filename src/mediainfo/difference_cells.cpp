#include "mediainfo/difference_cells.h"

#include <algorithm>
#include <string_view>

namespace korvel {
namespace {

std::string Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return std::string(text);
}

std::string WithSuffix(std::string_view text, std::string_view suffix) {
  std::string trimmed = Trimmed(text);
  if (!trimmed.empty()) trimmed += suffix;
  return trimmed;
}

}  // namespace

TDifferenceRows DifferenceCellTexts(const TDifferenceRows& rows) {
  TDifferenceRows cells;
  const size_t count = std::min({rows.Labels.size(), rows.Values1.size(), rows.Values2.size()});
  for (size_t i = 0; i < count; ++i)
    cells.Add(WithSuffix(rows.Labels[i], " = "), WithSuffix(rows.Values1[i], "  :  "), Trimmed(rows.Values2[i]));
  return cells;
}

}  // namespace korvel
