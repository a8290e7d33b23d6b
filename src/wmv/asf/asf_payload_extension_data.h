#pragma once
// The payload extension data a written payload carries for the extension systems its stream
// declares. A sample read from another file brings its own; it is kept when it fits the
// declared systems, so that whatever the source stated (content type, pixel aspect ...) stays
// with the sample. Otherwise the data is made up: every payload must carry an instance of every
// declared system, and readers take the sample duration from it.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "wmv/asf/asf_header.h"

namespace korvel::asf {

// given when it is exactly one instance of each system in order (fixed sizes as declared,
// variable ones behind their 16-bit length) and no longer than a payload can carry; else
// zeros for fixed systems and empty variable ones. Either way the sample-duration system holds
// duration (100 ns) in ms, so the stored duration is the one the sample is written with.
std::vector<uint8_t> PayloadExtensionData(const std::vector<AsfPayloadExtensionSystem>& systems,
                                          std::span<const uint8_t> given, uint64_t duration);

// The size of made-up data; nothing when it does not fit a payload's replicated data, so that
// the stream cannot be written with these systems.
std::optional<size_t> MadeUpExtensionSize(const std::vector<AsfPayloadExtensionSystem>& systems);

}  // namespace korvel::asf
