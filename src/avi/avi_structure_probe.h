#pragma once
#include "base/byte_view.h"

namespace korvel {

// Whether the first bytes of a file hold the header list of an AVI file ("LIST" "hdrl" with an
// "avih" main header) where the RIFF chunk header would put it, even when the RIFF tag or the
// form type in front of it is damaged. Such a file can still be read and reindexed.
bool ProbeAviStructure(const ByteView& head);

}  // namespace korvel
