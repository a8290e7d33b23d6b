#pragma once
// How a clip's tile looks: its two text lines, its hint, and its colour by state.
#include <cstdint>
#include <string>

namespace korvel {

class TClipItem;

struct TClipTileTexts {
  std::string Text1;  // the file name without folder
  std::string Text2;  // "start - end (duration)"
  std::string Hint;   // Text1, the file's folder and Text2, one a line
};

TClipTileTexts ClipTileTexts(const TClipItem& item);

// Colours as 0xBBGGRR.
inline constexpr uint32_t kTileColourPlain = 0x303030;
inline constexpr uint32_t kTileColourDragged = 0x101010;

// Linked to the player adds 0x200000; selected while the list has the focus adds 0x181000.
uint32_t TileColour(const TClipItem& item, bool dragged);

}  // namespace korvel
