// The terminal side of a run: status lines out, progress on the terminal, Ctrl+C as Stop.
#include "cli/production_run.h"

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <memory>
#include <sstream>

#include "cli/commands.h"
#include "lang/lang.h"
#include "mediainfo/container_kind.h"
#include "produce/english_texts.h"
#include "produce/fake_engine.h"
#include "project/clip_list.h"
#include "support/temp_dir.h"

namespace korvel::cli {
namespace {

class ProductionRunTest : public test::EnglishTexts {
protected:
  ProductionRunTest() : engines(script) {
    const std::array<uint8_t, 3> bytes{1, 2, 3};
    test::WriteFileBytes(dir / "a.avi", bytes);
    auto item = std::make_unique<TClipItem>();
    item->SetFileName(dir / "a.avi");
    item->SetTotalTime(5000);
    item->SetEndTime(4000);
    list.Analyzer = nullptr;
    list.Add(std::move(item));
  }

  int Run(TWorkLossless& job) {
    job.ClipList = &list;
    job.Kind = kKindAvi;
    job.DestName = dir / "out.avi";
    const int code = RunJobToEnd(job, mainThread, {status, progress, true});
    if (!engines.Created.empty()) test::PumpToEnd(mainThread, job, script);  // nothing of the run outlives the test
    return code;
  }

  test::TempDir dir;
  test::FakeScript script;
  test::FakeEngines engines;
  TClipList list;
  TPumpedMainThread mainThread;
  std::ostringstream status;
  std::ostringstream progress;
};

TEST_F(ProductionRunTest, PrintsTheStatusLinesAndTheProgressOfASuccessfulRun) {
  TWorkLossless job(mainThread, engines.Table);
  EXPECT_EQ(Run(job), kExitOk);
  EXPECT_NE(status.str().find(LangStr("Base", "Completed") + "\n"), std::string::npos) << status.str();
  EXPECT_NE(progress.str().find("100.0 %"), std::string::npos) << progress.str();
  EXPECT_EQ(progress.str().back(), '\n');  // the terminal's next line starts clean
}

TEST_F(ProductionRunTest, AJobWithoutEngineFails) {
  const TEngineTable none;
  TWorkLossless job(mainThread, none);
  EXPECT_EQ(Run(job), kExitFailed);
  EXPECT_NE(status.str().find(LangStr("Base", "Failure") + " : no engine"), std::string::npos) << status.str();
}

TEST_F(ProductionRunTest, CtrlCStopsTheRunAndFailsIt) {
  script.BeforeCreate = [] { std::raise(SIGINT); };
  TWorkLossless job(mainThread, engines.Table);
  EXPECT_EQ(Run(job), kExitFailed);
  EXPECT_NE(status.str().find(LangStr("Korvel1", "StopByUser")), std::string::npos) << status.str();
  EXPECT_EQ(std::signal(SIGINT, SIG_DFL), SIG_DFL);  // the handler is gone after the run
}

}  // namespace
}  // namespace korvel::cli
