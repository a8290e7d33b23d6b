#pragma once
// What the clip list tells the panel that shows it as a row of tiles. The model owns the
// items, their order and their tile geometry; the panel only mirrors them. A list works with
// no view attached, so the engine, the CLI and the tests never need a display.
#include <cstdint>

namespace korvel {

class TClipItem;

class IClipListView {
public:
  virtual ~IClipListView() = default;

  // The item now stands at index; its tile should be created.
  virtual void ItemInserted(const TClipItem& item, int32_t index) = 0;
  // The item is about to be destroyed; it is still valid during the call.
  virtual void ItemRemoving(const TClipItem& item) = 0;
  // The item now stands at newIndex, the others keeping their relative order.
  virtual void ItemMoved(const TClipItem& item, int32_t newIndex) = 0;
  // File name or times changed: the tile's texts and hint need refreshing.
  virtual void ItemTextsChanged(const TClipItem& item) = 0;
  // Focused, selected, current or file-exists changed: colour or picture need refreshing.
  virtual void ItemFlagsChanged(const TClipItem& item) = 0;
  // The thumbnail changed (grabbed again, or copied from another clip).
  virtual void ItemPictureChanged(const TClipItem& item) = 0;
  // Tile lefts and widths or the total duration changed.
  virtual void LayoutChanged() = 0;
  // A newly added tile should be brought into sight when it lies beyond the visible part.
  virtual void ScrollToItem(const TClipItem& item) = 0;
  // New items take their focused flag from this, as the panel's other tiles have it.
  virtual bool HasKeyboardFocus() const = 0;
};

}  // namespace korvel
