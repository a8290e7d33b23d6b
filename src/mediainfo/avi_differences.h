#pragma once
// The rows of the media difference table for two AVI files.
#include "mediainfo/difference_rows.h"

namespace korvel {

// The common rows, then for the stream pair the comparison stopped at: the frame rate, a
// video stream's codec and frame size, and an audio stream's format when the two blocks differ.
// Numbers use the separators of the user's locale.
void AviDifferenceRows(const QdMISameChk& chk, TDifferenceRows& rows);

}  // namespace korvel
