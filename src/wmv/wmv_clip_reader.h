#pragma once
// One pass over a stretch of a source, as both WMV producers read it. The key-frame pass finds
// where copying must begin (the clean point at or before the requested start); the copy pass
// hands every sample from there on, at its output time, to the writer, and collects the script
// commands of script streams instead of writing them. A stretch the reader cannot read is
// probed past in steps of 0.1 s, reported, and cut out, so the output goes on without a hole.
// A copy pass fails when a stream the output carries got no sample although the source has
// samples of it on both sides of the clip, or inside it.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/hresult.h"
#include "produce/producer_base.h"
#include "wmv/asf/asf_sample.h"
#include "wmv/asf/asf_sync_reader.h"
#include "wmv/asf/asf_writer.h"
#include "wmv/wmv_script_list.h"

namespace korvel {

// Source times in 100 ns.
struct TWmvClipWindow {
  uint64_t start = 0;     // moved by the key-frame pass and by stretches cut out
  uint64_t duration = 0;  // from start on
  uint64_t end = 0;       // the requested end
};

// Where samples of one source stream go.
struct TWmvRoute {
  uint16_t source = 0;
  uint16_t output = 0;
  bool script = false;  // collected as header script commands, never written as samples
};

// What a producer does differently around the shared pass.
class TWmvClipHost {
public:
  virtual ~TWmvClipHost() = default;
  // The key-frame pass moved the window's start to the cut start.
  virtual void CutStartFound() = 0;
  // The window's start moved on by cut and its duration shrank: a stretch was cut out.
  virtual void StretchCut(uint64_t cut) = 0;
  // Reading from the beginning of the file towards the window: a sample at time before it.
  virtual void SeekProgress(uint64_t time) = 0;
  // Reading inside the window: done is how far past its start (negative before it).
  virtual void ClipProgress(bool keyFramePass, int64_t done) = 0;
  // "Writing ..." was shown after reading from the beginning.
  virtual void WritingAnnounced() = 0;
  // A pass ended, before its failure line.
  virtual void PassEnded() = 0;
};

class TWmvClipReader {
public:
  TWmvClipReader(TProducerBase& producer, TWmvClipHost& host) : producer_(producer), host_(host) {}

  // Set for every clip before its passes.
  asf::AsfSyncReader* Reader = nullptr;
  asf::AsfWriter* Writer = nullptr;
  std::vector<TWmvRoute> Routes;
  uint16_t VideoStream = 0;
  uint32_t FrameDuration = 0;
  uint64_t OutputBase = 0;  // output time of the window's start
  TWmvClipWindow Window;
  bool CopyScripts = true;
  bool SkipBadData = true;
  CWmvScriptList* Scripts = nullptr;

  HRESULT ReadClip(bool searchKeyFrame);
  // After a copy pass: the output time at which the last video frame written ends (OutputBase
  // when none was written). A clip end inside a frame leaves that frame whole, so the next clip
  // must start no earlier.
  uint64_t VideoOutputEnd() const { return videoOutputEnd_; }

private:
  struct PassState;
  HRESULT SetReadingRange(PassState& pass);
  HRESULT ReadSample(asf::AsfSample& sample);
  // Probes past damaged data from resumeAt on; NS_E_NO_MORE_SAMPLES when nothing readable is left
  // in the window.
  HRESULT Skip(bool searchKeyFrame, HRESULT error, uint64_t resumeAt, asf::AsfSample& sample);
  HRESULT CopySample(const asf::AsfSample& sample, uint64_t outputTime);
  // The output number of the first carried stream that got no sample in this copy pass although
  // its source samples reach into the window.
  std::optional<uint16_t> StreamLeftEmpty();
  bool StreamReachesWindow(uint16_t source);
  void CutStretch(uint64_t cut);
  void SetCutStart(uint64_t keyTime);
  void ReportBadBlock(uint64_t from, uint64_t to);

  TProducerBase& producer_;
  TWmvClipHost& host_;
  bool separatorPending_ = false;
  std::vector<uint16_t> streamsWritten_;  // source numbers, in this copy pass
  uint64_t videoOutputEnd_ = 0;
};

// "Ignored BAD DATA BLOCK, h:mm:ss.cc  (h:mm:ss ~ h:mm:ss)": the length, then where the
// stretch lies in the source; from and to in 100 ns.
std::string BadBlockText(uint64_t from, uint64_t to);

}  // namespace korvel
