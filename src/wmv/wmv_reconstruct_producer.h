#pragma once
// The WMV repair tool: one ASF file is rewritten into a new ".wmv" file by copying its
// compressed samples, so that the result has a fresh header and an index to seek with.
// Unreadable stretches are cut out; of the audio and of the video streams only the best one
// remains unless all are kept; attributes, script commands and markers come along.
#include <cstdint>
#include <filesystem>
#include <memory>

#include "base/hresult.h"
#include "wmv/asf/asf_writer.h"
#include "wmv/wmv_clip_reader.h"
#include "wmv/wmv_producer_root.h"
#include "wmv/wmv_profile_ops.h"
#include "wmv/wmv_script_list.h"

namespace korvel {

// The destination with its extension replaced by ".wmv".
std::filesystem::path ReconstructOutputName(const std::filesystem::path& destination);

struct TWmvReconstructOptions {
  // The stretch to copy in milliseconds of the source; end 0: to the end of the file.
  int32_t StartMs = 0;
  int32_t EndMs = 0;
  bool CopyScripts = true;
  bool CopyAttributes = true;
  // Off: of the audio and of the video streams only the one of the highest bit rate remains.
  bool KeepAllStreams = true;
  bool SkipBadData = true;
};

class TProducerWmvReconstruct final : public TProducerWmvRoot, private TWmvClipHost {
public:
  TProducerWmvReconstruct() : clipReader_(*this, *this) {}

  TWmvReconstructOptions Options;

  HRESULT Run() override;

private:
  HRESULT Open();
  HRESULT OpenSource();
  HRESULT Produce();
  HRESULT CreateOutput();
  HRESULT ReadPass(bool searchKeyFrame);
  HRESULT Finish(HRESULT result);

  void CutStartFound() override {}
  void StretchCut(uint64_t) override {}
  void SeekProgress(uint64_t time) override;
  void ClipProgress(bool keyFramePass, int64_t done) override;
  void WritingAnnounced() override { ResetProgress(); }
  void PassEnded() override { Progress(1000); }

  std::filesystem::path outputName_;
  TWmvSource source_;
  TWmvStreamChoice streams_;
  std::shared_ptr<asf::AsfWriter> writer_;
  bool writingBegun_ = false;
  CWmvScriptList streamScripts_;
  TWmvClipReader clipReader_;
};

}  // namespace korvel
