#pragma once
// The MPEG-4 Part 2 video object layer header, read only to get past it.
#include "base/bit_reader.h"

namespace korvel {

// Reads a video object layer header whose start code has been consumed, leaving the reader
// after its last field. Returns early, wherever it stops, on features the key-frame search has
// no use for (grey-scale shape, complexity estimation, scalable binary-shape layers).
void SkipVideoObjectLayer(BitReader& reader);

}  // namespace korvel
