#pragma once
// One clip: a stretch of one source file, in milliseconds of that file.
#include <cstdint>
#include <filesystem>

#include "project/clip_image.h"
#include "project/tile_scale.h"

namespace korvel {

class TClipList;

class TClipItem {
public:
  TClipItem() = default;
  TClipItem(const TClipItem&) = delete;
  TClipItem& operator=(const TClipItem&) = delete;

  const std::filesystem::path& FileName() const { return fileName_; }
  int32_t TotalTime() const { return totalTime_; }
  int32_t StartTime() const { return startTime_; }
  int32_t EndTime() const { return endTime_; }
  // EndTime - StartTime, clamped to the 32-bit range.
  int32_t Duration() const;

  bool Focused() const { return focused_; }
  bool Selected() const { return selected_; }
  bool Current() const { return current_; }
  // The result of the latest CheckFileExists that had a name to check.
  bool FileExists() const { return fileExists_; }

  TClipList* Owner() const { return owner_; }
  // Where the list placed this item's tile in the tile row.
  TileSpan Tile() const { return tile_; }

  TClipImage ClipImage;

  void SetFileName(const std::filesystem::path& name);
  void SetTotalTime(int32_t ms) { totalTime_ = ms; }
  void SetStartTime(int32_t ms);
  void SetEndTime(int32_t ms);
  void SetFocused(bool focused);
  void SetSelected(bool selected);
  void SetCurrent(bool current);

  // The thumbnail changed: the tile shows it again.
  void RefreshPicture();

  // An empty name is false and leaves the stored flag alone.
  bool CheckFileExists();

  // Takes the clip (name, times, thumbnail) but none of the other's state in its list.
  void Assign(const TClipItem& other);

private:
  friend class TClipList;

  void SetFlag(bool& flag, bool value);
  void NotifyTexts();

  TClipList* owner_ = nullptr;
  std::filesystem::path fileName_;
  int32_t totalTime_ = 0;
  int32_t startTime_ = 0;
  int32_t endTime_ = 0;
  bool focused_ = false;
  bool selected_ = false;
  bool current_ = false;
  bool fileExists_ = false;
  TileSpan tile_;
};

}  // namespace korvel
