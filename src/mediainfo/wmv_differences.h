#pragma once
// The rows of the media difference table for two ASF files.
#include "mediainfo/difference_rows.h"

namespace korvel {

// The common rows, then for the stream pair the comparison stopped at: the codec names of a
// video or audio pair and the two stream descriptions.
void ListWmvDifferences(const QdMISameChk& chk, TDifferenceRows& rows);

}  // namespace korvel
