#include "project/clip_tile_look.h"

#include "base/time_text.h"
#include "project/clip_item.h"

namespace korvel {

TClipTileTexts ClipTileTexts(const TClipItem& item) {
  TClipTileTexts texts;
  texts.Text1 = item.FileName().filename().string();
  texts.Text2 = TimeToText(item.StartTime()) + " - " + TimeToText(item.EndTime()) + " (" +
                DurationToText(item.Duration()) + ")";
  texts.Hint = texts.Text1 + "\n" + item.FileName().parent_path().string() + "\n" + texts.Text2;
  return texts;
}

uint32_t TileColour(const TClipItem& item, bool dragged) {
  if (dragged) return kTileColourDragged;
  uint32_t colour = kTileColourPlain;
  if (item.Current()) colour += 0x200000;
  if (item.Selected() && item.Focused()) colour += 0x181000;
  return colour;
}

}  // namespace korvel
