#include "produce/join_plan.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "mediainfo/container_kind.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

// Clips over small files in a fresh folder, described by a table instead of real analyzers.
class JoinPlanTest : public testing::Test {
protected:
  struct Description {
    uint8_t kind = kKindAvi;
    int32_t width = 160;  // differs between files that cannot join
    int32_t duration = 0;
    bool describable = true;
  };

  void AddClip(const std::string& name, bool exists = true) {
    if (exists) test::WriteFileBytes(dir / name, std::array<uint8_t, 3>{1, 2, 3});
    auto clip = std::make_unique<TClipItem>();
    clip->SetFileName(dir / name);
    clip->SetTotalTime(123456);
    clip->SetStartTime(0);
    clip->SetEndTime(1000);
    clips.Add(std::move(clip));
  }

  TJoinPlan Plan() {
    return PlanJoin(clips, [this](const fs::path& file, QdMediaInfo& info) {
      ++analysed[file.filename().string()];
      const Description& d = files[file.filename().string()];
      info.Reset();
      info.FileName = file;
      if (!d.describable) return false;
      info.Kind = d.kind;
      info.Duration = d.duration;
      info.AllocStreams(1);
      info.Streams[0].StreamType = kStreamVideo;
      info.Streams[0].FourCC = MakeFourCC('X', 'V', 'I', 'D');
      info.Streams[0].FourCCClass = info.Streams[0].FourCC;
      info.Streams[0].Rate = 25;
      info.Streams[0].Scale = 1;
      info.Streams[0].RateX1000 = 25000;
      info.Streams[0].Width = d.width;
      info.Streams[0].Height = 120;
      return true;
    });
  }

  test::TempDir dir;
  TClipList clips;
  std::map<std::string, Description> files;
  std::map<std::string, int> analysed;

  void SetUp() override { clips.Analyzer = nullptr; }
};

TEST_F(JoinPlanTest, EveryClipGetsItsFileLengthAndEachFileIsDescribedOnce) {
  files["a.avi"].duration = 4000;
  files["b.avi"].duration = 6500;
  AddClip("a.avi");
  AddClip("b.avi");
  AddClip("a.avi");
  const TJoinPlan plan = Plan();
  ASSERT_TRUE(plan.Joinable()) << plan.Problem;
  EXPECT_EQ(plan.ReferenceIndex, 0);
  EXPECT_EQ(plan.Reference.Kind, kKindAvi);
  EXPECT_EQ(plan.Totals, (std::vector<int32_t>{4000, 6500, 4000}));
  EXPECT_EQ(analysed["a.avi"], 1);
}

// The FFmpeg engine measures its files itself; a length from another reader would move its cut.
TEST_F(JoinPlanTest, FilesTheFfmpegEngineJoinsGetNoLength) {
  files["a.ts"] = {kKindMpegTs, 160, 4000, true};
  files["b.ts"] = {kKindMpegTs, 160, 6500, true};
  AddClip("a.ts");
  AddClip("b.ts");
  const TJoinPlan plan = Plan();
  ASSERT_TRUE(plan.Joinable()) << plan.Problem;
  EXPECT_EQ(plan.Totals, (std::vector<int32_t>{0, 0}));
}

// Missing files are the run's to report, by number; the first existing clip leads.
TEST_F(JoinPlanTest, MissingFilesAreLeftToTheRun) {
  files["b.avi"].duration = 6500;
  AddClip("gone.avi", false);
  AddClip("b.avi");
  const TJoinPlan plan = Plan();
  ASSERT_TRUE(plan.Joinable()) << plan.Problem;
  EXPECT_EQ(plan.ReferenceIndex, 1);
  EXPECT_EQ(plan.Totals, (std::vector<int32_t>{0, 6500}));
  EXPECT_EQ(analysed.count("gone.avi"), 0u);
}

TEST_F(JoinPlanTest, WhatStopsAJoinIsNamed) {
  struct Case {
    const char* what;
    std::function<void(std::map<std::string, Description>&)> make;
    TJoinPlan::TVerdict verdict;
    const char* named;  // in the problem
  };
  const Case cases[] = {
      {"other picture size", [](auto& f) { f["b.avi"].width = 320; }, TJoinPlan::kMismatch, "b.avi cannot join"},
      {"other container", [](auto& f) { f["b.avi"].kind = kKindAsf; }, TJoinPlan::kMismatch, "the containers differ"},
      {"undescribable", [](auto& f) { f["b.avi"].describable = false; }, TJoinPlan::kUndescribed, "cannot describe"},
  };
  AddClip("a.avi");
  AddClip("b.avi");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    files.clear();
    c.make(files);
    const TJoinPlan plan = Plan();
    EXPECT_EQ(plan.Verdict, c.verdict);
    EXPECT_NE(plan.Problem.find(c.named), std::string::npos) << plan.Problem;
  }
}

TEST_F(JoinPlanTest, NoExistingFileIsNoSource) {
  AddClip("gone.avi", false);
  const TJoinPlan plan = Plan();
  EXPECT_EQ(plan.Verdict, TJoinPlan::kNoSource);
  EXPECT_EQ(plan.ReferenceIndex, -1);
  EXPECT_FALSE(plan.Problem.empty());
}

}  // namespace
}  // namespace korvel
