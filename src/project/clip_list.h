#pragma once
// The ordered list of clips a production joins: the content of a project.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "mediainfo/analyze_media_file.h"
#include "mediainfo/media_info.h"
#include "project/clip_item.h"

namespace korvel {

class IClipListView;

// Describes a file into info; true on success (info.Kind may still be 0: not usable).
using TMediaAnalyzer = std::function<bool(const std::filesystem::path&, QdMediaInfo&)>;

class TClipList {
public:
  TClipList() = default;
  TClipList(const TClipList&) = delete;
  TClipList& operator=(const TClipList&) = delete;

  // Raised when Changed takes a new value.
  std::function<void(TClipList&)> OnChangedFlag;
  // Raised after every change of content or order, even when Changed was already set.
  std::function<void(TClipList&)> OnListChanged;
  // Raised whenever the current clip is set or cleared (null).
  std::function<void(TClipList&, TClipItem*)> OnCurrentClip;

  // Describes the reference file; replaceable so that tests need no real media.
  TMediaAnalyzer Analyzer = AnalyzeMediaFile;

  // The panel that mirrors the list, or null to detach. Not owned; it must outlive the list
  // or detach first. Items already in the list are announced to it.
  void Attach(IClipListView* view);
  IClipListView* View() const { return view_; }

  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // Null outside 0 ... Count - 1.
  TClipItem* Get(int32_t index) const;
  // -1 when the item is not in this list.
  int32_t IndexOf(const TClipItem* item) const;
  // The first item whose file name equals name, or null. File names here compare absolute and
  // lexically normal, so that any spelling of a file's folder finds its clips.
  TClipItem* FindByFile(const std::filesystem::path& name) const;

  int32_t TotalDuration() const { return totalDuration_; }
  bool Changed() const { return changed_; }
  TClipItem* Anchor() const { return anchor_; }
  TClipItem* CurrentItem() const { return current_; }
  // Describes the first item whose file exists; reset when there is none.
  const QdMediaInfo& RefInfo() const { return refInfo_; }

  // Whether the panel's zoom follows the list length. Back on whenever the list empties.
  bool FitMode() const { return fitMode_; }
  void SetFitMode(bool on) { fitMode_ = on; }

  // The ruler scale the tiles are laid out at; values below 1 count as 1. A scale at which
  // the row would pass kMaxZoomedRowWidth is zoomed out until it fits.
  int32_t SecondsPerMajor() const { return secondsPerMajor_; }
  void SetSecondsPerMajor(int32_t seconds);

  // The clips' durations in list order.
  std::vector<int32_t> Durations() const;
  // Pixels the tile row needs at the current scale (RowWidth of clip_zoom.h).
  int32_t RowWidth() const;

  // One zoom step finer or coarser; both end fit mode. False when the step is refused.
  bool ZoomIn();
  bool ZoomOut();
  // Fit mode on, then AutoZoom.
  void ZoomFit(int32_t clientWidth, int32_t outerWidth);
  // In fit mode, the scale that fits the list into a view of these widths.
  void AutoZoom(int32_t clientWidth, int32_t outerWidth);

  // Appends the item and takes ownership. False (nothing taken) for a null item.
  bool Add(std::unique_ptr<TClipItem> item);
  // Inserts a copy of the item just before it; returns the copy, or null when the item is
  // not in this list.
  TClipItem* Duplicate(const TClipItem* item);
  void Delete(int32_t index);
  void DuplicateSelected();
  void DeleteSelected();
  void DeleteByFile(const std::filesystem::path& name);
  // Clips of oldName take newName, absolute and normal.
  void RenameFile(const std::filesystem::path& oldName, const std::filesystem::path& newName);
  void Clear();

  // Selects from the anchor to the item, both included, and deselects the rest. Without an
  // anchor the item becomes the anchor and the only selected item.
  void SelectRange(TClipItem* item);
  // With an item: it becomes the anchor and the only selected item. With null: the last
  // selected item in list order becomes the anchor, or none.
  void SetAnchor(TClipItem* item);
  int32_t SelectedCount() const;

  // Links the item to the player; null unlinks. An item of another list is ignored.
  void SetCurrent(TClipItem* item);
  // Edits the linked clip's times from the player's selection.
  void UpdateCurrentTimes(int32_t startMs, int32_t endMs);

  // Reorders by a drop position x in pixels of the tile row: the item goes before the first
  // item whose tile starts to the right of x, or to the end when there is none.
  void MoveTo(TClipItem* item, int32_t x);

  // Sums the durations and lays the tiles out again.
  void RecalcTotal();
  void SetChanged(bool changed);
  void RefreshRefInfo();
  // Checks every item's file afresh.
  void RefreshFilesExist();
  void SetFocusedAll(bool focused);

private:
  void Insert(std::unique_ptr<TClipItem> item, int32_t index);
  // Deletes every matching item, last first, so that the indices still to visit stay valid.
  void DeleteWhere(const std::function<bool(const TClipItem&)>& matches);

  std::vector<std::unique_ptr<TClipItem>> items_;
  IClipListView* view_ = nullptr;
  bool fitMode_ = true;
  int32_t secondsPerMajor_ = kDefaultSecondsPerMajor;
  int32_t totalDuration_ = 0;
  bool changed_ = false;
  TClipItem* anchor_ = nullptr;
  TClipItem* current_ = nullptr;
  QdMediaInfo refInfo_;
};

}  // namespace korvel
