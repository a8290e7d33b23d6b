#pragma once
// The rows of the media difference table for two files of the MP4 family.
#include "mediainfo/difference_rows.h"

namespace korvel {

// The common rows, then the properties of the track pair the comparison stopped at. When all
// of those agree, the decoder configuration blocks that differ are named instead, since their
// bytes mean nothing to a user.
void ListMp4Differences(const QdMISameChk& chk, TDifferenceRows& rows);

}  // namespace korvel
