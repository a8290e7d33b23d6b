#include "produce/lossless_job.h"

#include <algorithm>
#include <memory>

#include "lang/lang.h"

namespace korvel::test {

void LosslessJobTest::SetUp() {
  EnglishTexts::SetUp();
  clips.Analyzer = nullptr;
}

void LosslessJobTest::AddClip(const std::filesystem::path& file, int32_t startMs, int32_t endMs, int32_t totalMs) {
  auto clip = std::make_unique<TClipItem>();
  clip->SetFileName(file);
  clip->SetTotalTime(totalMs);
  clip->SetStartTime(startMs);
  clip->SetEndTime(endMs);
  clips.Add(std::move(clip));
}

bool LosslessJobTest::RunJoin(uint8_t kind, uint8_t subKind, const std::function<void(TWorkRoot&, int32_t)>& onProgress) {
  TWorkLossless job(mainThread);
  job.ClipList = &clips;
  job.Kind = kind;
  job.SubKind = subKind;
  job.DestName = out;
  job.OnStatus = [this](const std::string& line) { lines.push_back(line); };
  job.OnProgress = [&](int32_t value) {
    if (onProgress) onProgress(job, value);
  };
  bool done = false;
  job.OnFinished = [&](TWorkRoot&) { done = true; };
  if (!job.Run()) return false;
  mainThread.PumpUntil([&] { return done; });
  result = job.Result();
  return true;
}

bool LosslessJobTest::RunJoinStoppedAbove(uint8_t kind, uint8_t subKind, int32_t perMille) {
  bool stopped = false;
  const bool ran = RunJoin(kind, subKind, [&](TWorkRoot& job, int32_t value) {
    if (value > perMille && !stopped) {
      stopped = true;
      job.Stop();
    }
  });
  return ran && stopped;
}

void LosslessJobTest::ExpectStoppedByUser() const {
  EXPECT_LT(result, 0);
  EXPECT_TRUE(HasLine(LangStr("Korvel1", "StopByUser"))) << AllLines();
  EXPECT_TRUE(HasExactLine(LangStr("Base", "Failure"))) << AllLines();
  EXPECT_FALSE(HasExactLine(LangStr("Base", "Completed"))) << AllLines();
}

bool LosslessJobTest::HasLine(const std::string& text) const {
  return std::ranges::any_of(lines, [&](const std::string& line) { return line.find(text) != std::string::npos; });
}

bool LosslessJobTest::HasExactLine(const std::string& text) const { return std::ranges::find(lines, text) != lines.end(); }

std::string LosslessJobTest::AllLines() const {
  std::string all;
  for (const std::string& line : lines) all += line + "\n";
  return all;
}

}  // namespace korvel::test
