#pragma once
// The texts of the difference table's cells as the dialog shows them.
#include "mediainfo/difference_rows.h"

namespace korvel {

// One row per entry of the shortest column. Every text is trimmed of blanks; a label that is
// not empty ends in " = " and a first value that is not empty in "  :  ", so that the three
// columns read "Stream Count = 2  :  3".
TDifferenceRows DifferenceCellTexts(const TDifferenceRows& rows);

}  // namespace korvel
