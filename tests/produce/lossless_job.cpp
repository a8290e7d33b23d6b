#include "produce/lossless_job.h"

#include <algorithm>
#include <memory>

namespace korvel::test {

void LosslessJobTest::SetUp() {
  EnglishTexts::SetUp();
  clips.Analyzer = nullptr;
}

void LosslessJobTest::AddClip(const std::filesystem::path& file, int32_t lengthMs) {
  auto clip = std::make_unique<TClipItem>();
  clip->SetFileName(file);
  clip->SetTotalTime(lengthMs);
  clip->SetStartTime(0);
  clip->SetEndTime(lengthMs);
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
