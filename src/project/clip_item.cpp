#include "project/clip_item.h"

#include <system_error>

#include "base/numeric.h"
#include "project/clip_list.h"
#include "project/clip_list_view.h"

namespace korvel {

int32_t TClipItem::Duration() const {
  return TruncToInt32(static_cast<double>(endTime_) - startTime_);
}

void TClipItem::SetFileName(const std::filesystem::path& name) {
  if (name == fileName_) return;
  fileName_ = name;
  NotifyTexts();
}

void TClipItem::SetStartTime(int32_t ms) {
  if (ms == startTime_) return;
  startTime_ = ms;
  NotifyTexts();
}

void TClipItem::SetEndTime(int32_t ms) {
  if (ms == endTime_) return;
  endTime_ = ms;
  NotifyTexts();
}

void TClipItem::SetFocused(bool focused) { SetFlag(focused_, focused); }
void TClipItem::SetSelected(bool selected) { SetFlag(selected_, selected); }
void TClipItem::SetCurrent(bool current) { SetFlag(current_, current); }

bool TClipItem::CheckFileExists() {
  if (fileName_.empty()) return false;
  std::error_code error;
  SetFlag(fileExists_, std::filesystem::exists(fileName_, error));
  return fileExists_;
}

void TClipItem::Assign(const TClipItem& other) {
  SetFileName(other.fileName_);
  SetTotalTime(other.totalTime_);
  SetStartTime(other.startTime_);
  SetEndTime(other.endTime_);
  ClipImage.SetText(other.ClipImage.Text());
  RefreshPicture();
}

void TClipItem::RefreshPicture() {
  if (IClipListView* view = owner_ ? owner_->View() : nullptr) view->ItemPictureChanged(*this);
}

void TClipItem::SetFlag(bool& flag, bool value) {
  if (flag == value) return;
  flag = value;
  if (IClipListView* view = owner_ ? owner_->View() : nullptr) view->ItemFlagsChanged(*this);
}

void TClipItem::NotifyTexts() {
  if (IClipListView* view = owner_ ? owner_->View() : nullptr) view->ItemTextsChanged(*this);
}

}  // namespace korvel
