#include "wmv/wmv_clip_reader.h"

#include <algorithm>
#include <cstdio>
#include <exception>

#include "lang/lang.h"
#include "wmv/asf/asf_errors.h"

namespace korvel {
namespace {

constexpr uint64_t kMs = 10000;
constexpr uint64_t kSecond = 10000000;
// When the range cannot be set at the start, a second try a tenth of a second later.
constexpr uint64_t kRetryOffset = 1000000;
// Damaged data is probed past in steps of this.
constexpr uint64_t kProbeStep = 1000000;
// A stretch this long is reported in pieces while probing goes on.
constexpr uint64_t kLongBadBlock = 600 * kSecond;
// Probing gives up when less than this is left of the window.
constexpr int64_t kShortestRest = static_cast<int64_t>(kSecond);
// A stretch at the clip end is worth a line only when it is longer than this.
constexpr uint64_t kReportedTail = kSecond;

std::string TwoDigits(uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "%02llu", static_cast<unsigned long long>(value));
  return text;
}

std::string ClockText(uint64_t seconds) {
  return std::to_string(seconds / 3600) + ":" + TwoDigits(seconds / 60 % 60) + ":" + TwoDigits(seconds % 60);
}

std::string ReadFailureLine(HRESULT result) {
  switch (static_cast<uint32_t>(result)) {
    case 0xC00D002Fu: return "Error. Invalid or corrupt data was encountered.";
    case 0xC00D080Du: return "Error. The given data unit is corrupted.";
    case 0xC00D0BBFu: return "Error. This media file is corrupted or invalid.";
    default: return {};
  }
}

}  // namespace

std::string BadBlockText(uint64_t from, uint64_t to) {
  const uint64_t lengthMs = to > from ? (to - from) / kMs : 0;
  return "Ignored BAD DATA BLOCK, " + ClockText(lengthMs / 1000) + "." + TwoDigits(lengthMs % 1000 / 10) + "  (" +
         ClockText(from / kSecond) + " ~ " + ClockText(to / kSecond) + ")";
}

struct TWmvClipReader::PassState {
  bool searchKeyFrame = false;
  bool fromBeginning = false;
  bool announceWriting = false;
};

HRESULT TWmvClipReader::SetReadingRange(PassState& pass) {
  HRESULT result = Reader->SetRange(Window.start, Window.duration);
  if (Failed(result) && Window.duration > kRetryOffset)
    result = Reader->SetRange(Window.start + kRetryOffset, Window.duration - kRetryOffset);
  if (Succeeded(result)) return result;
  // Without an index or a clean point to start from, the whole file is read up to the window.
  if (Window.start == 0) Window.start = 1;
  pass.fromBeginning = pass.announceWriting = true;
  result = Reader->SetRange(0, 0);
  if (Succeeded(result))
    producer_.StatusIndented(pass.searchKeyFrame ? "Searching key-frame ..." : "Searching first-frame ...", 1);
  return result;
}

HRESULT TWmvClipReader::ReadSample(asf::AsfSample& sample) {
  sample = {};
  return Reader->GetNextSample(sample);
}

HRESULT TWmvClipReader::ReadClip(bool searchKeyFrame) {
  if (!Reader || (!searchKeyFrame && !Writer)) return E_FAIL;
  PassState pass;
  pass.searchKeyFrame = searchKeyFrame;
  if (!searchKeyFrame) separatorPending_ = true;
  videoOutputEnd_ = OutputBase;
  streamsWritten_.clear();
  HRESULT result = SetReadingRange(pass);
  if (Failed(result)) {
    host_.PassEnded();
    producer_.Status(LangStr("Base", "Failure") + " : Could not set reading options.");
    return result;
  }
  uint64_t time = Window.start;
  bool sampleRead = false;
  std::optional<uint64_t> keyTime;
  uint64_t videoEnd = 0;
  uint64_t otherEnd = Window.start;
  std::optional<uint64_t> lastVideoTime;
  uint64_t videoStep = 0;
  asf::AsfSample sample;
  for (;;) {
    if (producer_.StopRequested()) {
      result = E_FAIL;
      break;
    }
    try {
      result = ReadSample(sample);
    } catch (const std::exception&) {
      producer_.StatusAnsi("- Error : Source Codec may not support this function.");
      result = E_FAIL;
      break;
    }
    if (Failed(result)) {
      const uint64_t last = videoEnd != 0 ? videoEnd : otherEnd;
      result = Skip(searchKeyFrame, result, last > kMs ? last - kMs : 0, sample);
      if (result == asf::NS_E_NO_MORE_SAMPLES) {
        if (!sampleRead) {
          producer_.StatusAnsi("Error. This media file is corrupted.");
        } else {
          result = S_OK;
          // The window starts after the last sample: the clip gets the last key frame and what
          // follows it.
          if (searchKeyFrame && pass.fromBeginning && keyTime) SetCutStart(*keyTime);
        }
        break;
      }
      if (Failed(result)) {
        const std::string line = ReadFailureLine(result);
        if (!line.empty()) producer_.StatusAnsi(line);
        break;
      }
    }
    time = sample.time;
    sampleRead = true;
    if (sample.streamNumber == VideoStream) {
      // A frame without a duration of its own lasts as long as the shortest step between two
      // frames read; the format's frame duration may be no more than a guess.
      if (lastVideoTime && time > *lastVideoTime)
        videoStep = videoStep == 0 ? time - *lastVideoTime : std::min(videoStep, time - *lastVideoTime);
      lastVideoTime = time;
      videoEnd = time + std::max<uint64_t>(sample.duration, videoStep != 0 ? videoStep : FrameDuration);
    } else {
      otherEnd = time + sample.duration;
    }

    if (searchKeyFrame) {
      if (!pass.fromBeginning) {
        SetCutStart(std::min(Window.start, time));
        break;
      }
      if (time > Window.start) {
        SetCutStart(keyTime.value_or(Window.start));
        break;
      }
      if (sample.streamNumber == VideoStream && (sample.flags & asf::WM_SF_CLEANPOINT) != 0) keyTime = time;
      host_.SeekProgress(time);
      continue;
    }

    if (time < Window.start) {
      if (pass.fromBeginning) host_.SeekProgress(time);
      continue;
    }
    if (pass.announceWriting) {
      pass.announceWriting = false;
      producer_.StatusIndented("Writing ...", 1);
      host_.WritingAnnounced();
    }
    const uint64_t intoClip = time - Window.start;
    if (intoClip > Window.duration) {
      // Read from the beginning, nothing ends the reading but the window's end.
      if (pass.fromBeginning) break;
      continue;
    }
    const uint64_t outputTime = OutputBase + intoClip;
    host_.ClipProgress(false, static_cast<int64_t>(intoClip));
    result = CopySample(sample, outputTime);
    if (Succeeded(result) && sample.streamNumber == VideoStream)
      videoOutputEnd_ = std::max(videoOutputEnd_, outputTime + (videoEnd - time));
    if (result == asf::NS_E_NO_MORE_SAMPLES) {
      result = S_OK;
      break;
    }
    if (Failed(result)) break;
  }
  if (!searchKeyFrame && Succeeded(result) && !producer_.StopRequested()) {
    if (const auto empty = StreamLeftEmpty()) {
      host_.PassEnded();
      producer_.Status(LangStr("Base", "Failure") + " : No sample of stream " + std::to_string(*empty) +
                       " could be copied for this clip.");
      return E_FAIL;
    }
  }
  host_.PassEnded();
  if (Failed(result)) producer_.Status(LangStr("Base", "Failure") + " : Could not read samples.");
  return result;
}

HRESULT TWmvClipReader::CopySample(const asf::AsfSample& sample, uint64_t outputTime) {
  const auto route = std::ranges::find(Routes, sample.streamNumber, &TWmvRoute::source);
  // A stream the output does not carry.
  if (route == Routes.end() || route->output == 0) return S_OK;
  if (route->script) {
    if (CopyScripts && Scripts) Scripts->Append(ScriptFromSample(sample.bytes.data(), sample.bytes.size(), outputTime));
    return S_OK;
  }
  const HRESULT result = Writer->WriteStreamSample(route->output, outputTime, sample.duration, sample.flags,
                                                  sample.bytes, sample.extensions);
  if (Succeeded(result) && std::ranges::find(streamsWritten_, route->source) == streamsWritten_.end())
    streamsWritten_.push_back(route->source);
  return result;
}

std::optional<uint16_t> TWmvClipReader::StreamLeftEmpty() {
  for (const TWmvRoute& route : Routes) {
    if (route.output == 0 || route.script || std::ranges::find(streamsWritten_, route.source) != streamsWritten_.end())
      continue;
    if (StreamReachesWindow(route.source)) return route.output;
  }
  return std::nullopt;
}

// Read from the file's start: a stream that ended before the window, or starts after it, has
// nothing to give this clip; one with samples on both sides of the window, or inside it, does.
// Only a stream the copy pass left empty is looked for, so the whole file is read rarely.
bool TWmvClipReader::StreamReachesWindow(uint16_t source) {
  if (Failed(Reader->SetRange(0, 0))) return false;
  bool before = false;
  asf::AsfSample sample;
  for (;;) {
    if (producer_.StopRequested()) return false;
    const HRESULT result = ReadSample(sample);
    if (Failed(result)) {
      if (asf::IsDamagedDataResult(result)) continue;
      return false;
    }
    if (sample.streamNumber != source) continue;
    if (sample.time >= Window.start) return before || sample.time <= Window.end;
    before = true;
  }
}

void TWmvClipReader::SetCutStart(uint64_t keyTime) {
  Window.start = keyTime;
  Window.duration = Window.end > keyTime ? Window.end - keyTime : 0;
  host_.CutStartFound();
}

void TWmvClipReader::CutStretch(uint64_t cut) {
  Window.start += cut;
  Window.duration = cut < Window.duration ? Window.duration - cut : 0;
  host_.StretchCut(cut);
}

void TWmvClipReader::ReportBadBlock(uint64_t from, uint64_t to) { producer_.StatusOut(BadBlockText(from, to)); }

HRESULT TWmvClipReader::Skip(bool searchKeyFrame, HRESULT error, uint64_t resumeAt, asf::AsfSample& sample) {
  if (!SkipBadData || !asf::IsDamagedDataResult(error)) return error;
  if (separatorPending_) {
    producer_.StatusAnsi("");
    separatorPending_ = false;
  }
  const uint64_t lastGood = resumeAt;
  uint64_t from = resumeAt;
  uint64_t probe = resumeAt;
  const auto signedTime = [](uint64_t t) { return static_cast<int64_t>(std::min<uint64_t>(t, INT64_MAX)); };
  for (;;) {
    int64_t remaining = 0;
    if (Window.start > from) {
      // Damaged before the window: probing starts over from each probe.
      from = probe;
      probe += kProbeStep;
      remaining = signedTime(Window.duration) + (signedTime(Window.start) - signedTime(probe)) -
                  static_cast<int64_t>(kMs);
    } else {
      if (probe - from >= kLongBadBlock) {
        ReportBadBlock(from, probe);
        from = probe;
      }
      probe += kProbeStep;
      const int64_t done = signedTime(probe) - signedTime(Window.start);
      remaining = signedTime(Window.duration) - done - static_cast<int64_t>(kMs);
      if (done >= signedTime(Window.duration) || remaining < kShortestRest) {
        if (!searchKeyFrame) {
          // Nothing readable is left in the clip: it ends with the last good sample, and
          // never after its own end, so the next clip follows without overlapping it.
          const uint64_t clipEnd = Window.start + Window.duration;
          if (clipEnd > from && clipEnd - from > kReportedTail) ReportBadBlock(from, clipEnd);
          const uint64_t keep = std::min(std::max(Window.start, lastGood), clipEnd);
          CutStretch(clipEnd - keep);
        }
        return asf::NS_E_NO_MORE_SAMPLES;
      }
    }
    host_.ClipProgress(searchKeyFrame, signedTime(probe) - signedTime(Window.start));
    HRESULT result = Reader->SetRange(probe, remaining > 0 ? static_cast<uint64_t>(remaining) : 0);
    if (Failed(result)) {
      if (producer_.StopRequested()) return result;
      continue;
    }
    result = ReadSample(sample);
    if (result == asf::NS_E_NO_MORE_SAMPLES) return asf::NS_E_FILE_CORRUPTED;
    if (Failed(result)) {
      if (producer_.StopRequested()) return result;
      continue;
    }
    if (sample.time <= lastGood) continue;
    if (searchKeyFrame) return S_OK;
    if (Window.start <= from) ReportBadBlock(from, sample.time);
    const uint64_t keep = std::max(Window.start, lastGood);
    if (sample.time > keep) CutStretch(sample.time - keep);
    return S_OK;
  }
}

}  // namespace korvel
