#pragma once
// A join run through the core as the desktop program runs it: a clip list handed to the
// lossless work, the worker's status lines kept, the main thread pumped until the end.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "base/hresult.h"
#include "produce/english_texts.h"
#include "produce/pumped_main_thread.h"
#include "produce/work_root.h"
#include "project/clip_list.h"
#include "support/temp_dir.h"

namespace korvel::test {

class LosslessJobTest : public EnglishTexts {
protected:
  void SetUp() override;

  // The whole file, lengthMs long, as one clip.
  void AddClip(const std::filesystem::path& file, int32_t lengthMs) { AddClip(file, 0, lengthMs, lengthMs); }
  void AddClip(const std::filesystem::path& file, int32_t startMs, int32_t endMs, int32_t totalMs);
  // Runs the join of the clips into out to its end; false when the job did not start.
  // onProgress, when set, sees each progress value on the main thread.
  bool RunJoin(uint8_t kind, uint8_t subKind, const std::function<void(TWorkRoot&, int32_t)>& onProgress = {});
  // Runs the join and presses Stop at the first progress value above perMille; false when the
  // job did not start or ended before that.
  bool RunJoinStoppedAbove(uint8_t kind, uint8_t subKind, int32_t perMille);
  // The run ended as a stopped run must: failed, with the stop line and without "Completed".
  void ExpectStoppedByUser() const;

  bool HasLine(const std::string& text) const;
  bool HasExactLine(const std::string& text) const;
  std::string AllLines() const;

  TempDir dir;
  std::filesystem::path out;
  TClipList clips;
  TPumpedMainThread mainThread;
  std::vector<std::string> lines;
  HRESULT result = S_OK;
};

}  // namespace korvel::test
