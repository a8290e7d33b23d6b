#pragma once
// The key frames of a source as the engine that produces it sees them, and where a clip that
// starts at a given mark really starts. Each engine lists its key frames with the same reader
// and the same search it uses when producing, so what is shown and what is cut agree.
#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

namespace korvel {

struct TKeyFrame {
  // Where a clip cut at this key frame starts, on the source's own timeline as the engine
  // counts it (0 is the start of the file), in microseconds.
  int64_t TimeUs = 0;
  // The earliest clip start (in whole milliseconds, as a clip holds it) that the engine moves
  // back to this key frame rather than to an earlier one.
  int64_t FirstMarkMs = 0;
};

struct TKeyFrameList {
  // Ascending by both fields.
  std::vector<TKeyFrame> KeyFrames;
  // The video's frame duration; 0 when unknown.
  int64_t FrameDurationUs = 0;
};

struct TRealStart {
  int64_t TimeUs = 0;
  // Whole frames between the key frame and the mark.
  int64_t FramesEarlier = 0;
};

// Where the output of a clip starting at markMs begins: the key frame the engine moves the
// start back to. None when no key frame lies at or before the mark.
std::optional<TRealStart> RealStart(const TKeyFrameList& list, int64_t markMs);

// Appends a key frame; one out of order (damaged timestamps) is left out, so that the list
// stays ascending.
void AddKeyFrame(TKeyFrameList& list, TKeyFrame keyFrame);

// The first whole millisecond at or after a time in microseconds: the earliest clip start an
// engine that compares times directly moves back to a key frame at that time.
int64_t FirstMarkAtOrAfter(int64_t timeUs);

// A listing ends early, with what it found so far dropped, once this is set.
using TStopFlag = std::atomic<bool>;

}  // namespace korvel
