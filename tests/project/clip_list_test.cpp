#include "project/clip_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "base/time_text.h"
#include "project/clip_list_view.h"
#include "project/clip_zoom.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

std::unique_ptr<TClipItem> MakeClip(const fs::path& name, int32_t startMs, int32_t endMs) {
  auto item = std::make_unique<TClipItem>();
  item->SetFileName(name);
  item->SetTotalTime(endMs + 1000);
  item->SetStartTime(startMs);
  item->SetEndTime(endMs);
  return item;
}

// The clips' file stems in list order, so an order reads as "abcd".
std::string Order(const TClipList& list) {
  std::string order;
  for (int32_t i = 0; i < list.Count(); ++i) order += list.Get(i)->FileName().stem().string();
  return order;
}

// A file with some content in dir.
fs::path MakeFile(const test::TempDir& dir, const std::string& name) {
  const fs::path file = dir / name;
  std::ofstream(file) << "media";
  return file;
}

// Logs what the list tells its panel.
class RecordingView : public IClipListView {
public:
  std::vector<std::string> Log;
  bool Focus = false;

  void ItemInserted(const TClipItem& item, int32_t index) override { Add("inserted", item, index); }
  void ItemRemoving(const TClipItem& item) override { Add("removing", item); }
  void ItemMoved(const TClipItem& item, int32_t newIndex) override { Add("moved", item, newIndex); }
  void ItemTextsChanged(const TClipItem& item) override { Add("texts", item); }
  void ItemFlagsChanged(const TClipItem& item) override { Add("flags", item); }
  void ItemPictureChanged(const TClipItem& item) override { Add("picture", item); }
  void LayoutChanged() override { Log.push_back("layout"); }
  void ScrollToItem(const TClipItem& item) override { Add("scroll", item); }
  bool HasKeyboardFocus() const override { return Focus; }

private:
  void Add(const std::string& what, const TClipItem& item, int32_t index = -1) {
    Log.push_back(what + " " + item.FileName().stem().string() + (index < 0 ? "" : "@" + std::to_string(index)));
  }
};

// A list whose events are counted and whose analyzer never touches a real file.
class ClipListTest : public testing::Test {
protected:
  ClipListTest() {
    list.OnChangedFlag = [this](TClipList& l) {
      EXPECT_EQ(&l, &list);
      ++changedFlagCalls;
    };
    list.OnListChanged = [this](TClipList&) { ++listChangedCalls; };
    list.OnCurrentClip = [this](TClipList&, TClipItem* item) { currentClips.push_back(item); };
    list.Analyzer = [](const fs::path&, QdMediaInfo&) { return false; };
  }

  // Clips a, b, c ... of one minute each: tiles start at 0, 101, 201, 301 ...
  void AddMinuteClips(const std::string& names) {
    for (const char name : names) list.Add(MakeClip(std::string("/video/") + name + ".mp4", 0, 60000));
  }

  void ResetCounts() {
    changedFlagCalls = 0;
    listChangedCalls = 0;
    currentClips.clear();
  }

  TClipList list;
  int changedFlagCalls = 0;
  int listChangedCalls = 0;
  std::vector<TClipItem*> currentClips;
};

// ---- TClipItem ----

TEST(ClipItem, PlayerSecondsBecomeMillisecondsAfterAddingFourTenths) {
  EXPECT_EQ(PlayerTimeToMs(1.2344), 1234);
  EXPECT_EQ(PlayerTimeToMs(1.2347), 1235);
}

TEST(ClipItem, CheckFileExistsKeepsTheFlagWhenThereIsNoName) {
  test::TempDir folder;
  TClipItem item;
  EXPECT_FALSE(item.CheckFileExists());

  item.SetFileName(MakeFile(folder, "clip.avi"));
  EXPECT_TRUE(item.CheckFileExists());
  item.SetFileName("");
  EXPECT_FALSE(item.CheckFileExists());
  EXPECT_TRUE(item.FileExists());

  item.SetFileName(folder / "gone.avi");
  EXPECT_FALSE(item.CheckFileExists());
  EXPECT_FALSE(item.FileExists());
}

TEST(ClipItem, AssignCopiesTheClipButNotItsStateInTheList) {
  TClipList list;
  list.Add(MakeClip("/video/a.mp4", 1000, 5000));
  TClipItem& source = *list.Get(0);
  source.ClipImage.SetText("0001ABCD");
  source.SetSelected(true);

  TClipItem copy;
  copy.Assign(source);
  EXPECT_EQ(copy.FileName(), "/video/a.mp4");
  EXPECT_EQ(copy.TotalTime(), 6000);
  EXPECT_EQ(copy.StartTime(), 1000);
  EXPECT_EQ(copy.EndTime(), 5000);
  EXPECT_EQ(copy.Duration(), 4000);
  EXPECT_EQ(copy.ClipImage.Text(), "0001ABCD");
  EXPECT_FALSE(copy.Selected());
  EXPECT_EQ(copy.Owner(), nullptr);
}

TEST(ClipItem, TellsTheViewOnlyAboutRealChanges) {
  RecordingView view;
  TClipList list;
  list.Attach(&view);
  list.Add(MakeClip("/video/a.mp4", 0, 1000));
  TClipItem& item = *list.Get(0);
  view.Log.clear();

  item.SetStartTime(0);
  item.SetEndTime(1000);
  item.SetFileName("/video/a.mp4");
  item.SetSelected(false);
  item.SetTotalTime(99999);
  EXPECT_TRUE(view.Log.empty());

  item.SetEndTime(3000);
  item.SetFileName("/video/b.mp4");
  item.SetSelected(true);
  item.SetSelected(true);
  item.SetFocused(true);
  EXPECT_EQ(view.Log, (std::vector<std::string>{"texts a", "texts b", "flags b", "flags b"}));
  EXPECT_EQ(item.Duration(), 3000);
}

// ---- adding, copying, deleting ----

TEST_F(ClipListTest, StartsEmptyUnchangedAndInFitMode) {
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Get(0), nullptr);
  EXPECT_EQ(list.Get(-1), nullptr);
  EXPECT_FALSE(list.Changed());
  EXPECT_TRUE(list.FitMode());
  EXPECT_EQ(list.SecondsPerMajor(), 60);
}

TEST_F(ClipListTest, AddAppendsSumsAndNotifies) {
  EXPECT_FALSE(list.Add(nullptr));
  EXPECT_EQ(listChangedCalls, 0);

  EXPECT_TRUE(list.Add(MakeClip("/video/a.mp4", 1000, 4000)));
  EXPECT_TRUE(list.Add(MakeClip("/video/b.mp4", 0, 2500)));
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(Order(list), "ab");
  EXPECT_EQ(list.TotalDuration(), 5500);
  EXPECT_EQ(list.Get(1)->Owner(), &list);
  EXPECT_EQ(list.IndexOf(list.Get(1)), 1);
  TClipItem stranger;
  EXPECT_EQ(list.IndexOf(&stranger), -1);
  EXPECT_TRUE(list.Changed());
  EXPECT_EQ(changedFlagCalls, 1);
  EXPECT_EQ(listChangedCalls, 2);
  EXPECT_TRUE(currentClips.empty());
}

TEST_F(ClipListTest, DuplicateOfTheLastItemLandsSecondToLast) {
  AddMinuteClips("ab");
  list.Add(MakeClip("/video/c.mp4", 2000, 9000));
  TClipItem* last = list.Get(2);
  last->SetSelected(true);
  ResetCounts();

  TClipItem* copy = list.Duplicate(last);
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Get(2), copy);
  EXPECT_EQ(list.Get(3), last);
  EXPECT_EQ(Order(list), "abcc");
  EXPECT_EQ(copy->StartTime(), 2000);
  EXPECT_EQ(copy->EndTime(), 9000);
  EXPECT_FALSE(copy->Selected());
  EXPECT_EQ(list.TotalDuration(), 120000 + 2 * 7000);
  EXPECT_EQ(listChangedCalls, 1);

  TClipItem stranger;
  EXPECT_EQ(list.Duplicate(&stranger), nullptr);
  EXPECT_EQ(list.Duplicate(nullptr), nullptr);
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(listChangedCalls, 1);
}

TEST_F(ClipListTest, DeleteUnlinksTheCurrentClipAndAnEmptiedListReturnsToFitMode) {
  AddMinuteClips("ab");
  list.SetCurrent(list.Get(1));
  list.SetFitMode(false);
  ResetCounts();

  list.Delete(5);
  EXPECT_EQ(listChangedCalls, 0);

  list.Delete(1);
  EXPECT_EQ(Order(list), "a");
  EXPECT_EQ(list.CurrentItem(), nullptr);
  EXPECT_EQ(currentClips, std::vector<TClipItem*>{nullptr});
  EXPECT_EQ(list.TotalDuration(), 60000);
  EXPECT_FALSE(list.FitMode());

  list.Delete(0);
  EXPECT_EQ(list.TotalDuration(), 0);
  EXPECT_TRUE(list.FitMode());
  EXPECT_EQ(listChangedCalls, 2);
}

TEST_F(ClipListTest, ClearEmptiesUnlinksAndReportsOnlyWhenThereWasContent) {
  AddMinuteClips("abc");
  list.SetCurrent(list.Get(1));
  list.Get(2)->SetSelected(true);
  list.SetAnchor(list.Get(2));
  list.SetFitMode(false);
  list.SetChanged(false);
  ResetCounts();

  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.TotalDuration(), 0);
  EXPECT_EQ(list.Anchor(), nullptr);
  EXPECT_EQ(list.CurrentItem(), nullptr);
  EXPECT_EQ(currentClips, std::vector<TClipItem*>{nullptr});
  EXPECT_TRUE(list.FitMode());
  EXPECT_TRUE(list.Changed());
  EXPECT_EQ(changedFlagCalls, 1);
  EXPECT_EQ(listChangedCalls, 1);

  list.SetChanged(false);
  ResetCounts();
  list.Clear();
  EXPECT_FALSE(list.Changed());
  EXPECT_EQ(listChangedCalls, 0);
}

TEST_F(ClipListTest, SetChangedRaisesTheFlagEventOnlyOnAChange) {
  list.SetChanged(true);
  list.SetChanged(true);
  EXPECT_EQ(changedFlagCalls, 1);
  EXPECT_EQ(listChangedCalls, 2);

  list.SetChanged(false);
  EXPECT_FALSE(list.Changed());
  EXPECT_EQ(changedFlagCalls, 2);
  EXPECT_EQ(listChangedCalls, 3);
}

TEST_F(ClipListTest, DuplicateSelectedPutsEachCopyBeforeItsOriginal) {
  AddMinuteClips("abc");
  list.Get(0)->SetSelected(true);
  list.Get(2)->SetSelected(true);

  list.DuplicateSelected();
  EXPECT_EQ(Order(list), "aabcc");
  EXPECT_EQ(list.SelectedCount(), 2);
  EXPECT_TRUE(list.Get(1)->Selected());
  EXPECT_TRUE(list.Get(4)->Selected());
  EXPECT_EQ(list.TotalDuration(), 5 * 60000);
}

TEST_F(ClipListTest, DeleteSelectedRemovesEverySelectedItem) {
  AddMinuteClips("abcd");
  list.Get(0)->SetSelected(true);
  list.Get(2)->SetSelected(true);
  list.SetAnchor(nullptr);
  ASSERT_EQ(list.Anchor(), list.Get(2));

  list.DeleteSelected();
  EXPECT_EQ(Order(list), "bd");
  EXPECT_EQ(list.SelectedCount(), 0);
  EXPECT_EQ(list.Anchor(), nullptr);
}

TEST_F(ClipListTest, FileNamesCompareExactly) {
  list.Add(MakeClip("/video/a.mp4", 0, 1000));
  list.Add(MakeClip("/video/A.mp4", 0, 1000));
  list.Add(MakeClip("/video/a.mp4", 5000, 6000));

  EXPECT_EQ(list.FindByFile("/video/A.mp4"), list.Get(1));
  EXPECT_EQ(list.FindByFile("/VIDEO/a.mp4"), nullptr);

  list.DeleteByFile("/video/a.mp4");
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Get(0)->FileName(), "/video/A.mp4");
}

TEST_F(ClipListTest, RenameFileRenamesEveryClipOfTheFileAndTheReferenceInfo) {
  test::TempDir folder;
  const fs::path oldName = MakeFile(folder, "take.mp4");
  const fs::path newName = folder / "renamed.mp4";
  list.Analyzer = [](const fs::path& name, QdMediaInfo& info) {
    info.FileName = name;
    info.Kind = 5;
    return true;
  };
  list.Add(MakeClip(oldName, 0, 1000));
  list.Add(MakeClip(folder / "Take.mp4", 0, 1000));
  list.Add(MakeClip(oldName, 2000, 3000));
  ASSERT_EQ(list.RefInfo().FileName, oldName);
  list.SetChanged(false);
  ResetCounts();

  list.RenameFile(oldName, oldName);
  list.RenameFile(folder / "other.mp4", newName);
  EXPECT_EQ(listChangedCalls, 0);

  list.RenameFile(oldName, newName);
  EXPECT_EQ(list.Get(0)->FileName(), newName);
  EXPECT_EQ(list.Get(1)->FileName(), folder / "Take.mp4");
  EXPECT_EQ(list.Get(2)->FileName(), newName);
  EXPECT_EQ(list.RefInfo().FileName, newName);
  EXPECT_TRUE(list.Changed());
  EXPECT_EQ(listChangedCalls, 1);
}

TEST_F(ClipListTest, AnySpellingOfAFilesFolderFindsRenamesAndDeletesItsClips) {
  list.Add(MakeClip("/video/trip/a.mp4", 0, 1000));
  list.Add(MakeClip("/video/./trip//b.mp4", 0, 1000));

  EXPECT_EQ(list.FindByFile("/video/other/../trip/./a.mp4"), list.Get(0));
  EXPECT_EQ(list.FindByFile("/video/trip/b.mp4"), list.Get(1));

  list.RenameFile("/video//trip/b.mp4", "/video/trip/../c.mp4");
  EXPECT_EQ(list.Get(1)->FileName(), "/video/c.mp4");

  list.DeleteByFile("/video/./trip/a.mp4");
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Get(0)->FileName(), "/video/c.mp4");
}

// ---- selection ----

TEST_F(ClipListTest, PlainClickSelectsOnlyTheClickedItem) {
  AddMinuteClips("abc");
  list.Get(0)->SetSelected(true);
  list.Get(2)->SetSelected(true);

  TClipItem* b = list.Get(1);
  b->SetSelected(true);
  list.SetAnchor(b);
  EXPECT_EQ(list.Anchor(), b);
  EXPECT_EQ(list.SelectedCount(), 1);
  EXPECT_TRUE(b->Selected());
}

TEST_F(ClipListTest, CtrlClickingTheAnchorOffMovesTheAnchorToTheLastSelected) {
  AddMinuteClips("abcd");
  TClipItem* c = list.Get(2);
  c->SetSelected(true);
  list.SetAnchor(c);
  list.Get(0)->SetSelected(true);
  list.Get(1)->SetSelected(true);

  c->SetSelected(false);
  list.SetAnchor(nullptr);
  EXPECT_EQ(list.Anchor(), list.Get(1));

  list.Get(0)->SetSelected(false);
  list.Get(1)->SetSelected(false);
  list.SetAnchor(nullptr);
  EXPECT_EQ(list.Anchor(), nullptr);
}

TEST_F(ClipListTest, SelectRangeWithoutAnchorSelectsOnlyTheItem) {
  AddMinuteClips("abcd");
  list.Get(0)->SetSelected(true);
  ASSERT_EQ(list.Anchor(), nullptr);

  list.SelectRange(list.Get(2));
  EXPECT_EQ(list.Anchor(), list.Get(2));
  EXPECT_EQ(list.SelectedCount(), 1);
  EXPECT_TRUE(list.Get(2)->Selected());
}

TEST_F(ClipListTest, SelectRangeSelectsFromTheAnchorInEitherDirection) {
  AddMinuteClips("abcde");
  TClipItem* d = list.Get(3);
  d->SetSelected(true);
  list.SetAnchor(d);

  list.SelectRange(list.Get(1));
  for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(list.Get(i)->Selected(), i >= 1 && i <= 3) << i;
  EXPECT_EQ(list.Anchor(), d);

  list.SelectRange(list.Get(4));
  for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(list.Get(i)->Selected(), i >= 3) << i;
  EXPECT_EQ(list.Anchor(), d);

  list.SelectRange(nullptr);
  EXPECT_EQ(list.SelectedCount(), 2);
}

TEST_F(ClipListTest, DeletingTheAnchorAmongThreeSelectedAnchorsTheLastRemaining) {
  AddMinuteClips("abcd");
  TClipItem* a = list.Get(0);
  a->SetSelected(true);
  list.SetAnchor(a);
  list.SelectRange(list.Get(2));
  ASSERT_EQ(list.SelectedCount(), 3);

  list.Delete(0);
  EXPECT_EQ(Order(list), "bcd");
  EXPECT_EQ(list.Anchor(), list.Get(1));
  EXPECT_EQ(list.SelectedCount(), 2);
}

TEST_F(ClipListTest, SetAnchorIgnoresAnItemOfAnotherList) {
  AddMinuteClips("ab");
  list.Get(0)->SetSelected(true);
  list.SetAnchor(list.Get(0));
  TClipItem stranger;
  list.SetAnchor(&stranger);
  EXPECT_EQ(list.Anchor(), list.Get(0));
}

// ---- the linked clip ----

TEST_F(ClipListTest, SetCurrentFlagsOnlyTheLinkedItem) {
  AddMinuteClips("abc");
  TClipItem* a = list.Get(0);
  TClipItem* c = list.Get(2);

  list.SetCurrent(a);
  list.SetCurrent(c);
  EXPECT_EQ(list.CurrentItem(), c);
  EXPECT_FALSE(a->Current());
  EXPECT_FALSE(list.Get(1)->Current());
  EXPECT_TRUE(c->Current());

  TClipItem stranger;
  list.SetCurrent(&stranger);
  EXPECT_EQ(list.CurrentItem(), c);

  list.SetCurrent(nullptr);
  EXPECT_FALSE(c->Current());
  EXPECT_EQ(currentClips, (std::vector<TClipItem*>{a, c, nullptr}));
}

TEST_F(ClipListTest, UpdateCurrentTimesEditsTheLinkedClip) {
  AddMinuteClips("ab");
  list.SetChanged(false);
  ResetCounts();

  list.UpdateCurrentTimes(0, 30000);
  EXPECT_EQ(listChangedCalls, 0);

  TClipItem* b = list.Get(1);
  list.SetCurrent(b);
  list.UpdateCurrentTimes(0, 60000);
  EXPECT_FALSE(list.Changed());

  list.UpdateCurrentTimes(10000, 40000);
  EXPECT_EQ(b->StartTime(), 10000);
  EXPECT_EQ(b->EndTime(), 40000);
  EXPECT_EQ(list.TotalDuration(), 90000);
  EXPECT_EQ(b->Tile().Width, 50);  // the row now ends at the pixel of 90 s
  EXPECT_TRUE(list.Changed());
  EXPECT_EQ(listChangedCalls, 1);
}

TEST_F(ClipListTest, SetFocusedAllReachesEveryItem) {
  AddMinuteClips("ab");
  list.SetFocusedAll(true);
  EXPECT_TRUE(list.Get(0)->Focused());
  EXPECT_TRUE(list.Get(1)->Focused());
  list.SetFocusedAll(false);
  EXPECT_FALSE(list.Get(1)->Focused());
}

// ---- tiles and moving ----

TEST_F(ClipListTest, TilesFollowTheRulerScale) {
  list.Add(MakeClip("/video/a.mp4", 0, 30000));
  list.Add(MakeClip("/video/b.mp4", 500, 600));
  EXPECT_EQ(list.Get(0)->Tile(), (TileSpan{0, 51}));
  EXPECT_EQ(list.Get(1)->Tile(), (TileSpan{51, 10}));

  list.SetSecondsPerMajor(30);
  EXPECT_EQ(list.Get(0)->Tile(), (TileSpan{0, 101}));
  EXPECT_EQ(list.Get(1)->Tile(), (TileSpan{101, 10}));
}

struct MoveCase {
  const char* name;
  int32_t from;
  int32_t x;
  const char* order;
  bool changed;
};

class ClipListMoveTo : public ClipListTest, public testing::WithParamInterface<MoveCase> {};

// Tiles of a, b, c, d start at 0, 101, 201, 301.
TEST_P(ClipListMoveTo, ReordersByDropPosition) {
  const MoveCase& c = GetParam();
  AddMinuteClips("abcd");
  list.SetChanged(false);
  ResetCounts();

  list.MoveTo(list.Get(c.from), c.x);
  EXPECT_EQ(Order(list), c.order);
  EXPECT_EQ(list.Changed(), c.changed);
  EXPECT_EQ(listChangedCalls, c.changed ? 1 : 0);
  for (int32_t i = 1; i < list.Count(); ++i)
    EXPECT_EQ(list.Get(i)->Tile().Left, list.Get(i - 1)->Tile().Left + list.Get(i - 1)->Tile().Width);
}

INSTANTIATE_TEST_SUITE_P(ClipList, ClipListMoveTo,
                         testing::Values(MoveCase{"TargetBeforeTheItem", 2, 50, "acbd", true},
                                         MoveCase{"TargetAfterTheItem", 0, 250, "bcad", true},
                                         MoveCase{"ToTheFrontFromTheEnd", 3, -5, "dabc", true},
                                         MoveCase{"BeyondTheEnd", 0, 1000, "bcda", true},
                                         MoveCase{"OntoItsOwnRightNeighbour", 1, 150, "abcd", false},
                                         MoveCase{"JustBeforeItself", 1, 100, "abcd", false},
                                         MoveCase{"LastBeyondTheEndKeepsOrderButChanges", 3, 1000, "abcd", true}),
                         [](const testing::TestParamInfo<MoveCase>& info) { return info.param.name; });

TEST_F(ClipListTest, MoveToNeedsTwoItemsAndAnItemOfTheList) {
  AddMinuteClips("a");
  list.SetChanged(false);
  list.MoveTo(list.Get(0), 1000);
  EXPECT_FALSE(list.Changed());

  AddMinuteClips("b");
  list.SetChanged(false);
  TClipItem stranger;
  list.MoveTo(&stranger, -5);
  list.MoveTo(nullptr, -5);
  EXPECT_EQ(Order(list), "ab");
  EXPECT_FALSE(list.Changed());
}

// ---- the view ----

TEST_F(ClipListTest, ViewMirrorsInsertionsMovesAndRemovals) {
  AddMinuteClips("a");
  RecordingView view;
  list.Attach(&view);
  EXPECT_EQ(view.Log, (std::vector<std::string>{"inserted a@0", "layout"}));

  view.Log.clear();
  AddMinuteClips("b");
  list.Duplicate(list.Get(1));
  list.MoveTo(list.Get(2), -5);
  list.Delete(1);
  EXPECT_EQ(view.Log, (std::vector<std::string>{"inserted b@1", "layout", "inserted b@1", "layout", "moved b@0",
                                                "layout", "removing a", "layout"}));
}

TEST_F(ClipListTest, NewItemsTakeTheViewsFocusAndAreScrolledToOutsideFitMode) {
  RecordingView view;
  view.Focus = true;
  list.Attach(&view);
  list.SetFitMode(false);
  view.Log.clear();

  AddMinuteClips("a");
  EXPECT_TRUE(list.Get(0)->Focused());
  EXPECT_EQ(view.Log, (std::vector<std::string>{"inserted a@0", "layout", "scroll a"}));

  view.Focus = false;
  list.Duplicate(list.Get(0));
  EXPECT_FALSE(list.Get(0)->Focused());
}

// ---- zoom ----

TEST_F(ClipListTest, ZoomStepsEndFitModeAndRelayTheTiles) {
  AddMinuteClips("ab");
  ASSERT_TRUE(list.FitMode());
  list.SetSecondsPerMajor(60);

  EXPECT_TRUE(list.ZoomIn());
  EXPECT_FALSE(list.FitMode());
  EXPECT_EQ(list.SecondsPerMajor(), 50);
  EXPECT_EQ(list.Get(1)->Tile().Left, 121);

  list.SetFitMode(true);
  EXPECT_TRUE(list.ZoomOut());
  EXPECT_FALSE(list.FitMode());
  EXPECT_EQ(list.SecondsPerMajor(), 60);
}

TEST_F(ClipListTest, ZoomAtEitherEndChangesNothingButFitMode) {
  AddMinuteClips("a");
  list.SetSecondsPerMajor(10800);
  EXPECT_FALSE(list.ZoomOut());
  EXPECT_FALSE(list.FitMode());
  EXPECT_EQ(list.SecondsPerMajor(), 10800);

  list.SetSecondsPerMajor(1);
  list.SetFitMode(true);
  EXPECT_FALSE(list.ZoomIn());
  EXPECT_FALSE(list.FitMode());
  EXPECT_EQ(list.SecondsPerMajor(), 1);
}

TEST_F(ClipListTest, ZoomFitChoosesTheStepForTheView) {
  AddMinuteClips("a");
  list.ZoomIn();
  list.ZoomFit(800, 804);
  EXPECT_TRUE(list.FitMode());
  EXPECT_EQ(list.SecondsPerMajor(), 20);
  EXPECT_EQ(list.RowWidth(), 301);

  // outside fit mode a resize keeps the scale
  list.ZoomOut();
  list.AutoZoom(400, 404);
  EXPECT_EQ(list.SecondsPerMajor(), 30);
}

TEST_F(ClipListTest, AScaleThatWouldMakeTheRowTooWideIsZoomedOut) {
  list.Add(MakeClip("/video/long.mp4", 0, 328000));
  list.SetSecondsPerMajor(1);
  EXPECT_EQ(list.SecondsPerMajor(), 2);
  EXPECT_LE(list.RowWidth(), kMaxZoomedRowWidth);
}

TEST_F(ClipListTest, ANewPictureIsToldToTheView) {
  RecordingView view;
  list.Attach(&view);
  AddMinuteClips("a");
  view.Log.clear();
  list.Get(0)->RefreshPicture();
  EXPECT_EQ(view.Log, std::vector<std::string>{"picture a"});
  list.Attach(nullptr);
}

// ---- the reference info ----

struct AnalysisOutcome {
  const char* name;
  bool succeeds;
  uint8_t kind;
  bool kept;
};

class ClipListRefInfo : public ClipListTest {
protected:
  ClipListRefInfo() {
    list.Analyzer = [this](const fs::path& name, QdMediaInfo& info) {
      analysed.push_back(name);
      info.Reset();
      info.FileName = name;
      info.Kind = outcome.kind;
      return outcome.succeeds;
    };
  }

  AnalysisOutcome outcome{"Usable", true, 1, true};
  std::vector<fs::path> analysed;
  test::TempDir folder;
};

TEST_F(ClipListRefInfo, DescribesTheFirstExistingFileOnce) {
  const fs::path one = MakeFile(folder, "one.avi");
  const fs::path two = MakeFile(folder, "two.avi");
  list.Add(MakeClip(folder / "missing.avi", 0, 1000));
  list.Add(MakeClip(two, 0, 1000));
  list.Add(MakeClip(one, 0, 1000));
  EXPECT_EQ(list.RefInfo().FileName, two);
  EXPECT_EQ(list.RefInfo().Kind, 1);
  EXPECT_EQ(analysed, std::vector<fs::path>{two});
  EXPECT_FALSE(list.Get(0)->FileExists());

  list.RefreshRefInfo();
  EXPECT_EQ(analysed.size(), 1u);
}

TEST_F(ClipListRefInfo, ChecksExistenceAfreshEachTime) {
  const fs::path one = MakeFile(folder, "one.avi");
  const fs::path two = MakeFile(folder, "two.avi");
  list.Add(MakeClip(one, 0, 1000));
  list.Add(MakeClip(two, 0, 1000));
  ASSERT_EQ(list.RefInfo().FileName, one);

  fs::remove(one);
  list.RefreshRefInfo();
  EXPECT_EQ(list.RefInfo().FileName, two);
  EXPECT_FALSE(list.Get(0)->FileExists());

  fs::remove(two);
  list.RefreshRefInfo();
  EXPECT_TRUE(list.RefInfo().FileName.empty());
  EXPECT_EQ(list.RefInfo().Kind, 0);
}

TEST_F(ClipListRefInfo, RefreshesTheFileStateOfEveryItem) {
  const fs::path one = MakeFile(folder, "one.avi");
  const fs::path two = MakeFile(folder, "two.avi");
  list.Add(MakeClip(one, 0, 1000));
  list.Add(MakeClip(two, 0, 1000));
  ASSERT_TRUE(list.Get(1)->FileExists());

  // the first file still describes the list; the second one's tile must learn it is gone
  fs::remove(two);
  list.RefreshRefInfo();
  EXPECT_EQ(list.RefInfo().FileName, one);
  EXPECT_FALSE(list.Get(1)->FileExists());

  std::ofstream(two) << "back";
  list.RefreshFilesExist();
  EXPECT_TRUE(list.Get(1)->FileExists());
}

TEST_F(ClipListRefInfo, ResetsWhenNoItemsFileExists) {
  list.Add(MakeClip(MakeFile(folder, "one.avi"), 0, 1000));
  ASSERT_EQ(list.RefInfo().Kind, 1);

  list.Add(MakeClip(folder / "missing.avi", 0, 1000));
  list.Delete(0);
  EXPECT_TRUE(list.RefInfo().FileName.empty());
  EXPECT_EQ(list.RefInfo().Kind, 0);
}

class ClipListRefInfoOutcome : public ClipListRefInfo, public testing::WithParamInterface<AnalysisOutcome> {};

TEST_P(ClipListRefInfoOutcome, KeepsOnlyAUsableAnalysis) {
  outcome = GetParam();
  const fs::path one = MakeFile(folder, "one.avi");
  list.Add(MakeClip(one, 0, 1000));
  EXPECT_EQ(list.RefInfo().FileName, outcome.kept ? one : fs::path());
  EXPECT_EQ(list.RefInfo().Kind, outcome.kept ? outcome.kind : 0);
}

INSTANTIATE_TEST_SUITE_P(ClipList, ClipListRefInfoOutcome,
                         testing::Values(AnalysisOutcome{"Usable", true, 3, true},
                                         AnalysisOutcome{"SucceedsWithKindZero", true, 0, false},
                                         AnalysisOutcome{"Fails", false, 3, false}),
                         [](const testing::TestParamInfo<AnalysisOutcome>& info) { return info.param.name; });

}  // namespace
}  // namespace korvel
