#include "project/clip_list.h"

#include <algorithm>
#include <numeric>

#include "base/numeric.h"
#include "base/path_normal.h"
#include "project/clip_list_view.h"
#include "project/clip_zoom.h"

namespace korvel {

void TClipList::Attach(IClipListView* view) {
  view_ = view;
  if (!view_) return;
  for (int32_t i = 0; i < Count(); ++i) view_->ItemInserted(*items_[i], i);
  view_->LayoutChanged();
}

TClipItem* TClipList::Get(int32_t index) const {
  return index >= 0 && index < Count() ? items_[index].get() : nullptr;
}

int32_t TClipList::IndexOf(const TClipItem* item) const {
  const auto found = std::find_if(items_.begin(), items_.end(), [item](const auto& each) { return each.get() == item; });
  return found == items_.end() ? -1 : static_cast<int32_t>(found - items_.begin());
}

TClipItem* TClipList::FindByFile(const std::filesystem::path& name) const {
  const std::filesystem::path wanted = NormalPath(name);
  const auto found = std::find_if(items_.begin(), items_.end(),
                                  [&wanted](const auto& each) { return NormalPath(each->FileName()) == wanted; });
  return found == items_.end() ? nullptr : found->get();
}

void TClipList::SetSecondsPerMajor(int32_t seconds) {
  seconds = std::max(seconds, 1);
  if (seconds == secondsPerMajor_) return;
  secondsPerMajor_ = seconds;
  RecalcTotal();
}

std::vector<int32_t> TClipList::Durations() const {
  std::vector<int32_t> durations;
  durations.reserve(items_.size());
  for (const auto& item : items_) durations.push_back(item->Duration());
  return durations;
}

int32_t TClipList::RowWidth() const { return korvel::RowWidth(secondsPerMajor_, Durations()); }

bool TClipList::ZoomIn() {
  fitMode_ = false;
  const std::optional<int32_t> step = ZoomInStep(secondsPerMajor_, Durations());
  if (step) SetSecondsPerMajor(*step);
  return step.has_value();
}

bool TClipList::ZoomOut() {
  fitMode_ = false;
  const std::optional<int32_t> step = ZoomOutStep(secondsPerMajor_);
  if (step) SetSecondsPerMajor(*step);
  return step.has_value();
}

void TClipList::ZoomFit(int32_t clientWidth, int32_t outerWidth) {
  fitMode_ = true;
  AutoZoom(clientWidth, outerWidth);
}

void TClipList::AutoZoom(int32_t clientWidth, int32_t outerWidth) {
  if (!fitMode_) return;
  SetSecondsPerMajor(FitStep(Durations(), FitTargetWidth(Count(), clientWidth, outerWidth)));
}

bool TClipList::Add(std::unique_ptr<TClipItem> item) {
  if (!item) return false;
  TClipItem& added = *item;
  Insert(std::move(item), Count());
  RecalcTotal();
  // In fit mode the zoom shrinks the row to the view, so the new tile is in sight anyway.
  if (view_ && !fitMode_) view_->ScrollToItem(added);
  RefreshRefInfo();
  SetChanged(true);
  return true;
}

TClipItem* TClipList::Duplicate(const TClipItem* item) {
  const int32_t index = IndexOf(item);
  if (index < 0) return nullptr;
  auto copy = std::make_unique<TClipItem>();
  copy->Assign(*item);
  TClipItem* result = copy.get();
  Insert(std::move(copy), index);
  RecalcTotal();
  RefreshRefInfo();
  SetChanged(true);
  return result;
}

void TClipList::Delete(int32_t index) {
  TClipItem* item = Get(index);
  if (!item) return;
  if (item == anchor_) {
    item->SetSelected(false);
    SetAnchor(nullptr);
  }
  if (item == current_) SetCurrent(nullptr);
  if (view_) view_->ItemRemoving(*item);
  items_.erase(items_.begin() + index);
  if (items_.empty()) fitMode_ = true;
  RecalcTotal();
  RefreshRefInfo();
  SetChanged(true);
}

void TClipList::DuplicateSelected() {
  // Last first: each copy lands before its original, below the indices still to visit.
  for (int32_t i = Count() - 1; i >= 0; --i)
    if (items_[i]->Selected()) Duplicate(items_[i].get());
}

void TClipList::DeleteSelected() {
  DeleteWhere([](const TClipItem& item) { return item.Selected(); });
}

void TClipList::DeleteByFile(const std::filesystem::path& name) {
  const std::filesystem::path doomed = NormalPath(name);
  DeleteWhere([&doomed](const TClipItem& item) { return NormalPath(item.FileName()) == doomed; });
}

void TClipList::DeleteWhere(const std::function<bool(const TClipItem&)>& matches) {
  for (int32_t i = Count() - 1; i >= 0; --i)
    if (matches(*items_[i])) Delete(i);
}

void TClipList::RenameFile(const std::filesystem::path& oldName, const std::filesystem::path& newName) {
  const std::filesystem::path from = NormalPath(oldName);
  const std::filesystem::path to = NormalPath(newName);
  if (from == to) return;
  bool renamed = false;
  for (const auto& item : items_) {
    if (NormalPath(item->FileName()) != from) continue;
    item->SetFileName(to);
    renamed = true;
  }
  if (NormalPath(refInfo_.FileName) == from) refInfo_.FileName = to;
  if (renamed) SetChanged(true);
}

void TClipList::Clear() {
  const bool hadItems = !items_.empty();
  while (!items_.empty()) {
    if (view_) view_->ItemRemoving(*items_.back());
    items_.pop_back();
  }
  SetAnchor(nullptr);
  SetCurrent(nullptr);
  fitMode_ = true;
  RecalcTotal();
  RefreshRefInfo();
  if (hadItems) SetChanged(true);
}

void TClipList::SelectRange(TClipItem* item) {
  const int32_t index = IndexOf(item);
  if (index < 0) return;
  if (!anchor_) {
    SetAnchor(item);
    return;
  }
  const auto [low, high] = std::minmax({IndexOf(anchor_), index});
  for (int32_t i = 0; i < Count(); ++i) items_[i]->SetSelected(i >= low && i <= high);
}

void TClipList::SetAnchor(TClipItem* item) {
  if (item) {
    if (IndexOf(item) < 0) return;
    // Selecting the anchor here keeps "the anchor is selected" true whatever the caller did.
    for (const auto& each : items_) each->SetSelected(each.get() == item);
    anchor_ = item;
    return;
  }
  const auto last = std::find_if(items_.rbegin(), items_.rend(), [](const auto& each) { return each->Selected(); });
  anchor_ = last == items_.rend() ? nullptr : last->get();
}

int32_t TClipList::SelectedCount() const {
  return static_cast<int32_t>(std::count_if(items_.begin(), items_.end(), [](const auto& each) { return each->Selected(); }));
}

void TClipList::SetCurrent(TClipItem* item) {
  if (item && IndexOf(item) < 0) return;
  current_ = item;
  for (const auto& each : items_) each->SetCurrent(each.get() == item);
  if (OnCurrentClip) OnCurrentClip(*this, item);
}

void TClipList::UpdateCurrentTimes(int32_t startMs, int32_t endMs) {
  if (!current_ || (current_->StartTime() == startMs && current_->EndTime() == endMs)) return;
  current_->SetStartTime(startMs);
  current_->SetEndTime(endMs);
  RecalcTotal();
  SetChanged(true);
}

void TClipList::MoveTo(TClipItem* item, int32_t x) {
  const int32_t from = IndexOf(item);
  if (Count() < 2 || from < 0) return;
  const auto target = std::find_if(items_.begin(), items_.end(), [x](const auto& each) { return each->Tile().Left > x; });
  const int32_t targetIndex = target == items_.end() ? -1 : static_cast<int32_t>(target - items_.begin());
  // Dropped just before itself or onto its own tile: it would land where it already stands.
  if (targetIndex == from || targetIndex == from + 1) return;
  TClipItem* targetItem = targetIndex < 0 ? nullptr : target->get();

  // Taken out first, the target is found again by identity: an index taken before the
  // removal is one too high when the item stood before its target.
  std::unique_ptr<TClipItem> moving = std::move(items_[from]);
  items_.erase(items_.begin() + from);
  const int32_t to = targetItem ? IndexOf(targetItem) : Count();
  items_.insert(items_.begin() + to, std::move(moving));
  if (view_) view_->ItemMoved(*item, to);

  RecalcTotal();
  RefreshRefInfo();
  SetChanged(true);
}

void TClipList::RecalcTotal() {
  const std::vector<int32_t> durations = Durations();
  secondsPerMajor_ = StepWithinWidthLimit(secondsPerMajor_, durations);
  const std::vector<TileSpan> tiles = LayoutTiles(secondsPerMajor_, durations);
  for (size_t i = 0; i < items_.size(); ++i) items_[i]->tile_ = tiles[i];
  totalDuration_ = TruncToInt32(static_cast<double>(std::accumulate(durations.begin(), durations.end(), int64_t{0})));
  if (view_) view_->LayoutChanged();
}

void TClipList::SetChanged(bool changed) {
  if (changed != changed_) {
    changed_ = changed;
    if (OnChangedFlag) OnChangedFlag(*this);
  }
  if (OnListChanged) OnListChanged(*this);
}

void TClipList::RefreshRefInfo() {
  // Every file is checked afresh, not only up to the first that exists: a file may have
  // appeared or vanished since the last look, and each tile shows whether its file is there.
  RefreshFilesExist();
  const auto first = std::find_if(items_.begin(), items_.end(), [](const auto& each) {
    return !each->FileName().empty() && each->FileExists();
  });
  if (first != items_.end()) {
    const TClipItem& item = **first;
    if (refInfo_.FileName == item.FileName()) return;
    if (Analyzer && Analyzer(item.FileName(), refInfo_) && refInfo_.Kind != 0) return;
  }
  refInfo_.Reset();
}

void TClipList::RefreshFilesExist() {
  for (const auto& item : items_) item->CheckFileExists();
}

void TClipList::SetFocusedAll(bool focused) {
  for (const auto& item : items_) item->SetFocused(focused);
}

void TClipList::Insert(std::unique_ptr<TClipItem> item, int32_t index) {
  // Flags first: the view hears of the item only once it stands in the list.
  item->SetCurrent(false);
  item->SetFocused(view_ && view_->HasKeyboardFocus());
  item->owner_ = this;
  TClipItem& inserted = *item;
  items_.insert(items_.begin() + index, std::move(item));
  if (view_) view_->ItemInserted(inserted, index);
}

}  // namespace korvel
