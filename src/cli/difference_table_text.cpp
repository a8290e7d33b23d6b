#include "cli/difference_table_text.h"

#include <algorithm>
#include <string_view>

namespace korvel::cli {
namespace {

// Characters rather than bytes, so that non-ASCII words and file names keep the columns straight.
size_t Width(std::string_view text) {
  return std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
}

size_t ColumnWidth(const std::vector<std::string>& column) {
  size_t width = 0;
  for (const std::string& text : column) width = std::max(width, Width(text));
  return width;
}

void Padded(std::ostream& out, const std::string& text, size_t width) {
  out << text << std::string(width - Width(text), ' ');
}

}  // namespace

void PrintDifferenceTable(const TDifferenceRows& rows, std::ostream& out) {
  const size_t labelWidth = ColumnWidth(rows.Labels);
  const size_t valueWidth = ColumnWidth(rows.Values1);
  for (size_t i = 0; i < rows.Labels.size(); ++i) {
    out << "  ";
    Padded(out, rows.Labels[i], labelWidth);
    out << (rows.Labels[i].empty() ? "   " : " : ");
    Padded(out, rows.Values1[i], valueWidth);
    out << " | " << rows.Values2[i] << "\n";
  }
}

}  // namespace korvel::cli
