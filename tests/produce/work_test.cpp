#include "produce/work_root.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "english_texts.h"
#include "fake_engine.h"
#include "lang/lang.h"
#include "mediainfo/container_kind.h"
#include "produce/join_plan.h"
#include "produce/pumped_main_thread.h"
#include "project/clip_list.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

// What a job told its wizard, and whether every event arrived on the main thread.
struct JobLog {
  std::vector<std::string> lines;
  std::vector<int32_t> progress;
  std::vector<HRESULT> finished;
  bool offMainThread = false;
  std::thread::id mainThread = std::this_thread::get_id();

  void Listen(TWorkRoot& job) {
    job.OnStatus = [this](const std::string& line) {
      Check();
      lines.push_back(line);
    };
    job.OnProgress = [this](int32_t value) {
      Check();
      progress.push_back(value);
    };
    job.OnFinished = [this, &job](TWorkRoot& done) {
      Check();
      EXPECT_EQ(&done, &job);
      EXPECT_FALSE(done.Running());
      finished.push_back(done.Result());
    };
  }

  void Check() { offMainThread = offMainThread || std::this_thread::get_id() != mainThread; }
};

// A job over fake engines, with a clip list of files in a fresh folder.
class WorkTest : public test::EnglishTexts {
protected:
  void AddClip(const std::string& name, int32_t start, int32_t end, bool exists = true) {
    const std::array<uint8_t, 3> bytes{1, 2, 3};
    if (exists) test::WriteFileBytes(dir / name, bytes);
    auto clip = std::make_unique<TClipItem>();
    clip->SetFileName(dir / name);
    clip->SetTotalTime(end + 5000);
    clip->SetStartTime(start);
    clip->SetEndTime(end);
    clips.Add(std::move(clip));
  }

  std::unique_ptr<TWorkLossless> LosslessJob(uint8_t kind = kKindAvi, uint8_t subKind = 0) {
    auto job = std::make_unique<TWorkLossless>(mainThread, engines.Table);
    job->ClipList = &clips;
    job->Kind = kind;
    job->SubKind = subKind;
    job->DestName = dir / "out.avi";
    log.Listen(*job);
    return job;
  }

  // Pumps the hand-over until the job has finished, as the command line does.
  void RunToEnd(TWorkRoot& job) {
    ASSERT_TRUE(job.Run());
    test::PumpToEnd(mainThread, job, script);
    EXPECT_EQ(log.finished, std::vector<HRESULT>{job.Result()});
    EXPECT_FALSE(log.offMainThread);
  }

  std::string Word(const char* section, const char* key) { return LangStr(section, key); }
  std::string Refused(const std::string& name) {
    return "    " + Word("Base", "Failure") + " : The destination is one of the source files : " + name;
  }

  test::TempDir dir;
  TClipList clips;
  TPumpedMainThread mainThread;
  test::FakeScript script;
  test::FakeEngines engines{script};
  JobLog log;
};

// --- Choosing the engine ---------------------------------------------------------------------

struct KindCase {
  uint8_t kind, subKind;
  TEngine engine;
};

class WorkLosslessEngine : public testing::TestWithParam<KindCase> {};

TEST_P(WorkLosslessEngine, KindAndSubKindChooseTheEngineThatRuns) {
  const KindCase& c = GetParam();
  test::TempDir dir;
  TPumpedMainThread mainThread;
  test::FakeScript script;
  test::FakeEngines engines(script);
  TWorkLossless job(mainThread, engines.Table);
  job.Kind = c.kind;
  job.SubKind = c.subKind;
  job.DestName = dir / "out";

  EXPECT_EQ(TWorkLossless::EngineFor(c.kind, c.subKind), c.engine);
  const bool started = job.Run();
  EXPECT_EQ(started, c.engine != TEngine::None);
  if (started) test::PumpToEnd(mainThread, job, script);
  EXPECT_EQ(engines.Created, c.engine == TEngine::None ? std::vector<TEngine>{} : std::vector<TEngine>{c.engine});
}

INSTANTIATE_TEST_SUITE_P(WorkLossless, WorkLosslessEngine,
                         testing::Values(KindCase{kKindAvi, 0, TEngine::AviLossless},
                                         KindCase{kKindAvi, kSubKindMp4, TEngine::AviLossless},
                                         KindCase{kKindAsf, 0, TEngine::WmvLossless},
                                         KindCase{kKindMpegPs, 0, TEngine::FfmLossless},
                                         KindCase{kKindMpegTs, kSubKindBdav, TEngine::FfmLossless},
                                         KindCase{kKindMp4Family, kSubKindMp4, TEngine::Mp4Lossless},
                                         KindCase{kKindMp4Family, kSubKindMp4Unsupported, TEngine::FfmLossless},
                                         KindCase{kKindMp4Family, kSubKindMov, TEngine::FfmLossless},
                                         KindCase{kKindMp4Family, 0, TEngine::FfmLossless},
                                         KindCase{kKindNone, 0, TEngine::None},
                                         KindCase{6, 0, TEngine::None}));

struct ToolCase {
  int32_t tool;
  TEngine engine;
};

class WorkToolCommEngine : public testing::TestWithParam<ToolCase> {};

TEST_P(WorkToolCommEngine, ToolNumberChoosesTheEngineThatRuns) {
  const ToolCase& c = GetParam();
  test::TempDir dir;
  TPumpedMainThread mainThread;
  test::FakeScript script;
  test::FakeEngines engines(script);
  TWorkToolComm job(mainThread, engines.Table);
  job.Tool = c.tool;
  job.DestName = dir / "out";

  EXPECT_EQ(TWorkToolComm::EngineFor(c.tool), c.engine);
  const bool started = job.Run();
  EXPECT_EQ(started, c.engine != TEngine::None);
  if (started) test::PumpToEnd(mainThread, job, script);
  EXPECT_EQ(engines.Created, c.engine == TEngine::None ? std::vector<TEngine>{} : std::vector<TEngine>{c.engine});
}

INSTANTIATE_TEST_SUITE_P(WorkToolComm, WorkToolCommEngine,
                         testing::Values(ToolCase{TWorkToolComm::kToolAviReindex, TEngine::AviReindex},
                                         ToolCase{TWorkToolComm::kToolWmvReconstruct, TEngine::WmvReconstruct},
                                         ToolCase{TWorkToolComm::kToolFfmReconstruct, TEngine::FfmReconstruct},
                                         ToolCase{-1, TEngine::None}, ToolCase{3, TEngine::None}));

TEST(WorkRoot, AnEngineThatIsNotBuiltStartsNothing) {
  TPumpedMainThread mainThread;
  const TEngineTable noEngines;
  bool finished = false;
  for (const uint8_t kind : {kKindAvi, kKindAsf, kKindMpegPs, kKindMpegTs, kKindMp4Family}) {
    TWorkLossless job(mainThread, noEngines);
    job.Kind = kind;
    job.SubKind = kSubKindMp4;
    job.OnFinished = [&](TWorkRoot&) { finished = true; };
    EXPECT_FALSE(job.Run()) << int{kind};
    EXPECT_FALSE(job.Running());
    EXPECT_EQ(job.Result(), E_FAIL);
  }
  for (const int32_t tool : {0, 1, 2}) {
    TWorkToolComm job(mainThread, noEngines);
    job.Tool = tool;
    job.OnFinished = [&](TWorkRoot&) { finished = true; };
    EXPECT_FALSE(job.Run()) << tool;
  }
  EXPECT_FALSE(finished);
}

// --- The whole path --------------------------------------------------------------------------

TEST_F(WorkTest, RunsOnAWorkerAndReportsEverythingOnTheMainThread) {
  AddClip("a.avi", 0, 1000);
  AddClip("b.avi", 61000, 62000);
  auto job = LosslessJob();
  RunToEnd(*job);

  EXPECT_NE(script.SeenThread, std::this_thread::get_id());
  EXPECT_EQ(job->Result(), S_OK);
  EXPECT_TRUE(fs::exists(dir / "out.avi"));
  EXPECT_EQ(log.progress, (std::vector<int32_t>{0, 249, 499, 749, 999, 1000}));
  const std::string clip = Word("Korvel1", "Clip");
  const std::string indent(12, ' ');
  EXPECT_EQ(log.lines, (std::vector<std::string>{
                           Word("Base", "Initialization") + " ...",
                           LangJoin(Word("Base", "Completed"), Word("Base", "Initialization")),
                           "",
                           clip + " 1",
                           indent + "00:01 (0:00:00 - 0:00:01)  a.avi",
                           "",
                           clip + " 2",
                           indent + "00:01 (0:01:01 - 0:01:02)  b.avi",
                           "",
                           Word("Base", "Completed"),
                       }));
}

TEST_F(WorkTest, HandsEachClipToTheProducerInListOrder) {
  AddClip("b.avi", 100, 2000);
  AddClip("a.avi", 300, 4000);
  auto job = LosslessJob();
  RunToEnd(*job);

  ASSERT_EQ(script.SeenJobs.size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    const TClipItem& clip = *clips.Get(static_cast<int32_t>(i));
    const TClipJob& seen = script.SeenJobs[i];
    EXPECT_EQ(seen.FileName, clip.FileName());
    EXPECT_EQ(seen.Start, clip.StartTime());
    EXPECT_EQ(seen.ActualStart, clip.StartTime());
    EXPECT_EQ(seen.End, clip.EndTime());
    EXPECT_EQ(seen.Total, clip.TotalTime());
  }
}

// A plan's source lengths replace what the clip list believed; the kind picks the engine.
TEST_F(WorkTest, APlanGivesEachClipItsAnalysedLength) {
  AddClip("b.avi", 100, 2000);
  AddClip("a.avi", 300, 4000);
  TJoinPlan plan;
  plan.Verdict = TJoinPlan::kJoinable;
  plan.Reference.Kind = kKindMpegTs;
  plan.Totals = {7001, 9002};
  auto job = LosslessJob();
  job->Follow(plan);
  RunToEnd(*job);

  EXPECT_EQ(engines.Created, std::vector<TEngine>{TEngine::FfmLossless});
  ASSERT_EQ(script.SeenJobs.size(), 2u);
  EXPECT_EQ(script.SeenJobs[0].Total, 7001);
  EXPECT_EQ(script.SeenJobs[1].Total, 9002);
}

TEST_F(WorkTest, ReportsEveryMissingFileByNumberAndFails) {
  AddClip("a.avi", 0, 1000);
  AddClip("b.avi", 0, 1000, false);
  AddClip("c.avi", 0, 1000);
  AddClip("d.avi", 0, 1000, false);
  AddClip("e.avi", 0, 1000);
  auto job = LosslessJob();
  RunToEnd(*job);

  EXPECT_EQ(job->Result(), E_FAIL);
  EXPECT_FALSE(fs::exists(dir / "out.avi"));
  const std::string missing = "    " + Word("Base", "Failure") + ". " + Word("Korvel1", "FileNotExist") + " - ";
  EXPECT_EQ(log.lines, (std::vector<std::string>{
                           Word("Base", "Initialization") + " ...",
                           "    ",
                           missing + "2 : b.avi",
                           "    ",
                           missing + "4 : d.avi",
                           "",
                           Word("Base", "Failure"),
                       }));
}

// Every run refuses to write over one of its sources, before anything is written.
TEST_F(WorkTest, ToolRefusesADestinationThatIsItsSource) {
  const std::array<uint8_t, 5> original{9, 8, 7, 6, 5};
  test::WriteFileBytes(dir / "repair.avi", original);
  fs::create_hard_link(dir / "repair.avi", dir / "linked.avi");
  TWorkToolComm job(mainThread, engines.Table);
  job.Tool = TWorkToolComm::kToolAviReindex;
  job.SourceName = dir / "repair.avi";
  job.DestName = dir / "linked.avi";
  log.Listen(job);
  RunToEnd(job);

  EXPECT_EQ(job.Result(), E_FAIL);
  EXPECT_EQ(fs::file_size(dir / "repair.avi"), original.size());
  EXPECT_EQ(log.lines, (std::vector<std::string>{
                           Word("Base", "Initialization") + " ...",
                           "    ",
                           Refused("linked.avi"),
                           "",
                           Word("Base", "Failure"),
                       }));
}

TEST_F(WorkTest, JoinRefusesADestinationThatIsAClipSource) {
  AddClip("a.avi", 0, 1000);
  AddClip("b.avi", 0, 1000);
  auto job = LosslessJob();
  job->DestName = dir / "b.avi";
  RunToEnd(*job);

  EXPECT_EQ(job->Result(), E_FAIL);
  EXPECT_EQ(fs::file_size(dir / "b.avi"), 3u);
  EXPECT_EQ(log.lines.at(2), Refused("b.avi"));
}

// --- Stopping --------------------------------------------------------------------------------

class WorkStop : public WorkTest, public testing::WithParamInterface<bool> {};

// Stopped in the middle of the first clip: the stop line shows at once, the run fails, and
// the destination goes unless the producer had cleared OutputCreated.
TEST_P(WorkStop, ShowsTheStopLineAtOnceAndFails) {
  script.KeepOutput = GetParam();
  AddClip("a.avi", 0, 1000);
  AddClip("b.avi", 0, 1000);
  auto job = LosslessJob();
  size_t linesAtStop = 0;
  job->OnProgress = [&](int32_t value) {
    log.progress.push_back(value);
    if (value != 249) return;
    linesAtStop = log.lines.size();
    job->Stop();
    ASSERT_EQ(log.lines.size(), linesAtStop + 1);
    EXPECT_EQ(log.lines.back(), Word("Korvel1", "StopByUser"));
  };
  RunToEnd(*job);

  EXPECT_EQ(job->Result(), E_FAIL);
  EXPECT_TRUE(script.SawStop);
  EXPECT_EQ(log.progress, (std::vector<int32_t>{0, 249}));
  EXPECT_EQ(fs::exists(dir / "out.avi"), script.KeepOutput);
  // Nothing of the second clip: after the stop line only the end of the run.
  EXPECT_EQ(std::vector<std::string>(log.lines.begin() + static_cast<std::ptrdiff_t>(linesAtStop), log.lines.end()),
            (std::vector<std::string>{Word("Korvel1", "StopByUser"), "", Word("Base", "Failure")}));
}

INSTANTIATE_TEST_SUITE_P(WorkOutputCreated, WorkStop, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Cleared" : "Set"; });

// A stop pressed before the worker has created its producer still reaches the producer.
TEST_F(WorkTest, StopBeforeTheProducerExistsStillStopsIt) {
  AddClip("a.avi", 0, 1000);
  std::promise<void> stopped;
  std::shared_future<void> released = stopped.get_future().share();
  script.BeforeCreate = [released] { released.wait(); };
  auto job = LosslessJob();
  ASSERT_TRUE(job->Run());
  job->Stop();
  stopped.set_value();
  test::PumpToEnd(mainThread, *job, script);

  EXPECT_TRUE(script.SawStop);
  EXPECT_EQ(job->Result(), E_FAIL);
  EXPECT_FALSE(fs::exists(dir / "out.avi"));
}

// What a closing window waits for: a job has no worker before it runs and after its worker is
// gone, and has one in between, even while the worker has not yet made its producer.
TEST_F(WorkTest, TheWorkerEndsOnlyOnceItsThreadIsGone) {
  AddClip("a.avi", 0, 1000);
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  script.BeforeCreate = [released] { released.wait(); };
  auto job = LosslessJob();
  EXPECT_TRUE(job->WorkerEnded());
  ASSERT_TRUE(job->Run());
  EXPECT_FALSE(job->WorkerEnded());
  release.set_value();
  test::PumpToEnd(mainThread, *job, script);
  EXPECT_TRUE(job->WorkerEnded());
}

// The wizard may destroy the job in its OnFinished handler and go on using what the handler
// captured; the worker still ends cleanly.
TEST_F(WorkTest, TheFinishedHandlerMayDestroyTheJob) {
  AddClip("a.avi", 0, 1000);
  auto job = LosslessJob();
  HRESULT result = E_FAIL;
  bool finished = false;
  job->OnFinished = [&](TWorkRoot& done) {
    const HRESULT doneResult = done.Result();
    job.reset();
    result = doneResult;
    finished = true;
  };
  ASSERT_TRUE(job->Run());
  mainThread.PumpUntil([&] { return finished && script.ThreadGone->load(); }, {}, std::chrono::milliseconds(1));
  EXPECT_EQ(result, S_OK);
  EXPECT_EQ(job, nullptr);
}

// A job destroyed while its worker runs stops it and hears nothing more from it.
TEST_F(WorkTest, AJobDestroyedWhileRunningStopsItsWorker) {
  AddClip("a.avi", 0, 1000);
  auto job = LosslessJob();
  ASSERT_TRUE(job->Run());
  job.reset();
  mainThread.PumpUntil([&] { return script.ThreadGone->load(); }, {}, std::chrono::milliseconds(1));

  EXPECT_TRUE(script.SawStop);
  EXPECT_TRUE(log.lines.empty());
  EXPECT_TRUE(log.progress.empty());
  EXPECT_TRUE(log.finished.empty());
}

}  // namespace
}  // namespace korvel
