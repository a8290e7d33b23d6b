#pragma once
// The lossless WMV join: every clip is read with its own sample reader and its compressed
// samples go unchanged into one writer, only their times moved so that the clips follow one
// another without gaps. Each clip starts at the key frame before its selection; the streams of
// later clips are matched to the first clip's, whose numbers the output keeps; unreadable
// stretches are cut out; header attributes, script commands and markers come along.
#include <cstdint>
#include <memory>
#include <vector>

#include "base/guid.h"
#include "base/hresult.h"
#include "wmv/asf/asf_writer.h"
#include "wmv/wmv_clip_reader.h"
#include "wmv/wmv_producer_root.h"
#include "wmv/wmv_profile_ops.h"
#include "wmv/wmv_script_list.h"
#include "wmv/wmv_stream_table.h"

namespace korvel {

class TProducerWmvLossless final : public TProducerWmvRoot, private TWmvClipHost {
public:
  TProducerWmvLossless() : clipReader_(*this, *this) {}

  bool CopyScripts = true;
  bool CopyAttributes = true;
  bool CopyMarkers = true;

  HRESULT Run() override;

private:
  struct Clip {
    TWmvSource source;
    TWmvStreamChoice streams;
    uint64_t fileDuration = 0;  // 100 ns
    uint64_t length = 0;        // what the output holds of it, 100 ns
  };

  HRESULT Produce();
  HRESULT OpenInputs();
  HRESULT OpenClip(const TClipJob& job, Clip& clip);
  HRESULT MatchClip(size_t k, TWmStreamTable& first);
  HRESULT CreateOutput();
  void SetOutputVideoRate();
  HRESULT FindCutStarts();
  HRESULT CopyClips();
  HRESULT CompleteHeader();
  // Prepares the clip reader for clip k over [startMs, end of the job].
  void PrepareClip(size_t k, int32_t startMs);
  std::vector<TWmvHeaderSpan> HeaderSpans() const;

  void CutStartFound() override;
  void StretchCut(uint64_t cut) override;
  void SeekProgress(uint64_t) override {}
  void ClipProgress(bool keyFramePass, int64_t done) override;
  void WritingAnnounced() override {}
  void PassEnded() override {}

  std::vector<Clip> clips_;
  std::vector<Guid> streamTypes_;
  TWmStreamMap map_;
  std::shared_ptr<asf::AsfWriter> writer_;
  bool writingBegun_ = false;
  bool writingEnded_ = false;
  size_t currentClip_ = 0;
  uint64_t copyTotal_ = 0;
  CWmvScriptList streamScripts_;
  TWmvClipReader clipReader_;
};

}  // namespace korvel
