#pragma once
#include <ostream>

#include "mediainfo/difference_rows.h"

namespace korvel::cli {

// One indented line per row, "label : first | second", each column aligned; the heading row,
// which has no label, only names the two files' columns.
void PrintDifferenceTable(const TDifferenceRows& rows, std::ostream& out);

}  // namespace korvel::cli
