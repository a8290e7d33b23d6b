#include "produce/producer_base.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "english_texts.h"
#include "fake_engine.h"
#include "lang/lang.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

// A fake producer run directly on the test's thread, its lines and values recorded.
struct DirectRun {
  test::FakeScript script;
  test::FakeProducer producer{script};
  std::vector<std::string> lines;
  std::vector<int32_t> progress;

  DirectRun() {
    producer.OnStatus = [this](const std::string& line) { lines.push_back(line); };
    producer.OnProgress = [this](int32_t value) { progress.push_back(value); };
  }
};

// --- Indentation ---------------------------------------------------------------------------

enum class Call { Out, Indented3, Status, Ansi };

struct IndentCase {
  int32_t level;
  Call call;
  const char* text;
  std::string expected;
};

class ProducerBaseIndent : public testing::TestWithParam<IndentCase> {};

TEST_P(ProducerBaseIndent, PrefixesFourSpacesPerLevel) {
  const IndentCase& c = GetParam();
  DirectRun run;
  run.producer.IndentLevel = c.level;
  switch (c.call) {
    case Call::Out: run.producer.StatusOut(c.text); break;
    case Call::Indented3: run.producer.StatusIndented(c.text, 3); break;
    case Call::Status: run.producer.Status(c.text); break;
    case Call::Ansi: run.producer.StatusAnsi(c.text); break;
  }
  EXPECT_EQ(run.lines, std::vector<std::string>{c.expected});
  EXPECT_EQ(run.producer.IndentLevel, c.level) << "an indented line leaves the level as it was";
}

INSTANTIATE_TEST_SUITE_P(ProducerBase, ProducerBaseIndent,
                         testing::Values(IndentCase{3, Call::Out, "x", std::string(12, ' ') + "x"},
                                         IndentCase{0, Call::Indented3, "x", std::string(12, ' ') + "x"},
                                         IndentCase{1, Call::Indented3, "x", std::string(16, ' ') + "x"},
                                         IndentCase{-2, Call::Out, "x", "x"},
                                         IndentCase{-3, Call::Indented3, "x", "x"},
                                         IndentCase{2, Call::Status, "x", "        x"},
                                         IndentCase{1, Call::Ansi, "", "    "}));

TEST(ProducerBase, WithoutListenersNothingIsCalledAndTheLevelStays) {
  test::FakeScript script;
  test::FakeProducer producer(script);
  producer.IndentLevel = 2;
  producer.StatusIndented("x", 3);
  producer.Progress(5);
  EXPECT_EQ(producer.IndentLevel, 2);
}

// --- Progress --------------------------------------------------------------------------------

struct ClipSpan {
  int32_t start, end;
};

struct ProgressCase {
  const char* name;
  std::vector<ClipSpan> clips;
  std::vector<int32_t> steps;
  std::vector<int32_t> expected;
};

class ProducerBaseProgress : public testing::TestWithParam<ProgressCase> {};

TEST_P(ProducerBaseProgress, ReportsOnlyRisingValuesFromZeroToOneThousand) {
  const ProgressCase& c = GetParam();
  test::TempDir dir;
  const std::array<uint8_t, 1> byte{0};
  std::vector<TClipJob> jobs;
  for (const ClipSpan& span : c.clips) {
    const fs::path file = dir / ("clip" + std::to_string(jobs.size()) + ".avi");
    test::WriteFileBytes(file, byte);
    jobs.push_back({file, span.start, span.start, span.end, span.end});
  }
  DirectRun run;
  run.script.ClipSteps = c.steps;
  run.producer.ClipJobs = jobs;
  run.producer.DestName = dir / "out.avi";

  EXPECT_EQ(run.producer.Run(), S_OK);
  EXPECT_EQ(run.progress, c.expected);
}

// Two clips of a second each make a total of 2001 ms. The long clips run 2,000,000,000 ms each:
// position x 1000 needs 64 bits, and must give the same values.
INSTANTIATE_TEST_SUITE_P(
    ProducerBase, ProducerBaseProgress,
    testing::Values(ProgressCase{"TwoClips", {{0, 1000}, {0, 1000}}, {0, 500, 1000}, {0, 249, 499, 749, 999, 1000}},
                    ProgressCase{"LongClips",
                                 {{0, 2000000000}, {0, 2000000000}},
                                 {0, 500, 1000},
                                 {0, 249, 499, 749, 999, 1000}},
                    ProgressCase{"ZeroLengthClips", {{5000, 5000}, {7000, 7000}}, {0, 500, 1000}, {0, 1000}},
                    ProgressCase{"ClipEndingBeforeItsStart", {{9000, 1000}}, {0, 500, 1000}, {0, 1000}},
                    ProgressCase{"FallingValuesAreDropped", {{0, 1000}}, {600, 300, 900}, {0, 599, 899, 1000}},
                    ProgressCase{"OvershootIsClamped", {{0, 1000}}, {-500, 2000, 1500}, {0, 1000}},
                    ProgressCase{"NoClips", {}, {0, 500, 1000}, {0, 1000}}),
    [](const testing::TestParamInfo<ProgressCase>& info) { return std::string(info.param.name); });

// --- The end of a run ------------------------------------------------------------------------

enum class Dest { File, Missing, FolderWithContent };

struct FinishCase {
  const char* name;
  HRESULT result;
  bool outputCreated;
  bool stop;
  Dest dest;
  HRESULT expectedResult;
  bool destRemains;
  bool deleteFails;
};

class ProducerBaseFinish : public test::EnglishTexts, public testing::WithParamInterface<FinishCase> {};

TEST_P(ProducerBaseFinish, FailureDeletesTheDestinationOnlyWhileOutputCreatedIsSet) {
  const FinishCase& c = GetParam();
  test::TempDir dir;
  const fs::path dest = dir / "out.avi";
  const std::array<uint8_t, 1> byte{0};
  if (c.dest == Dest::File) test::WriteFileBytes(dest, byte);
  if (c.dest == Dest::FolderWithContent) {
    fs::create_directory(dest);
    test::WriteFileBytes(dest / "inside", byte);
  }
  DirectRun run;
  run.producer.DestName = dest;
  run.producer.OutputCreated = c.outputCreated;
  if (c.stop) run.producer.RequestStop();

  EXPECT_EQ(run.producer.FinishRun(c.result), c.expectedResult);
  EXPECT_EQ(fs::exists(dest), c.destRemains);

  const std::string headline = LangStr("Base", Failed(c.expectedResult) ? "Failure" : "Completed");
  std::vector<std::string> expected{"", headline};
  if (c.deleteFails) expected.insert(expected.begin(), LangStr("Base", "Failure") + " : Could not delete output file.");
  EXPECT_EQ(run.lines, expected);
}

INSTANTIATE_TEST_SUITE_P(
    ProducerBase, ProducerBaseFinish,
    testing::Values(FinishCase{"SuccessKeeps", S_OK, true, false, Dest::File, S_OK, true, false},
                    FinishCase{"FailureDeletes", E_FAIL, true, false, Dest::File, E_FAIL, false, false},
                    FinishCase{"FailureAfterClearKeeps", E_FAIL, false, false, Dest::File, E_FAIL, true, false},
                    FinishCase{"OtherFailureCodeStays", E_INVALIDARG, true, false, Dest::File, E_INVALIDARG, false,
                               false},
                    FinishCase{"StopTurnsSuccessIntoFailure", S_OK, true, true, Dest::File, E_FAIL, false, false},
                    FinishCase{"StopAfterClearKeeps", S_OK, false, true, Dest::File, E_FAIL, true, false},
                    FinishCase{"MissingDestinationIsNoError", E_FAIL, true, false, Dest::Missing, E_FAIL, false, false},
                    FinishCase{"UndeletableDestinationIsReported", E_FAIL, true, false, Dest::FolderWithContent, E_FAIL,
                               true, true}),
    [](const testing::TestParamInfo<FinishCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvel
