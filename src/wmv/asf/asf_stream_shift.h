#pragma once
// Streams whose payload times start far past the file's end. Some muxers leave an encoder's own
// time base in one stream, so that its payloads (and the packets that carry them) start hours
// after the other streams'; players that trust the file's duration play that stream from the
// file's start. Such a stream is moved back by the difference, so that seeking, clip ranges and
// the order of samples treat it like the others.
#include <cstdint>
#include <map>

#include "wmv/asf/asf_file.h"

namespace korvel::asf {

// The ms to take off each stream's presentation times, for every stream seen at the start of
// the data: 0 for a stream whose first payload lies within the play duration plus the preroll;
// for a stream beyond that, the distance from the earliest first time among the others (or from
// the preroll when every stream is beyond it). Empty when the file has no play duration.
std::map<uint8_t, uint32_t> LateStreamShifts(const AsfFile& file);

}  // namespace korvel::asf
