#pragma once
// The rows of the media difference table for two files described by the FFmpeg analyzer.
#include "mediainfo/difference_rows.h"

namespace korvel {

// The common rows, then the properties of the stream pair the comparison stopped at.
void ListFfmDifferences(const QdMISameChk& chk, TDifferenceRows& rows);

}  // namespace korvel
