#pragma once
// A frame from the player as the packed device-independent bitmap a clip thumbnail is made from.
#include <QImage>
#include <cstdint>
#include <vector>

namespace korvel {

// A 40-byte header followed by 24-bit rows, top row first; empty for a null image.
std::vector<uint8_t> PackedDibFromImage(const QImage& image);

}  // namespace korvel
