#include "wmv/wmv_reconstruct_producer.h"

#include <algorithm>
#include <array>
#include <vector>

#include "lang/lang.h"
#include "produce/check_clip_files.h"
#include "wmv/asf/asf_guids.h"
#include "wmv/wmv_header_copy.h"
#include "wmv/wmv_remove_small_output.h"

namespace korvel {
namespace {

constexpr uint64_t kMs = 10000;

}  // namespace

std::filesystem::path ReconstructOutputName(const std::filesystem::path& destination) {
  std::filesystem::path name = destination;
  return name.replace_extension(".wmv");
}

HRESULT TProducerWmvReconstruct::Run() {
  HRESULT result = Open();
  if (Succeeded(result)) result = Produce();
  if ((Failed(result) || StopRequested()) && writingBegun_) RemoveSmallOutput(outputName_);
  return FinishRun(result);
}

HRESULT TProducerWmvReconstruct::Open() {
  ResetProgress();
  if (SourceName.empty() || DestName.empty()) {
    StatusFailure(" : None Input or Output file.");
    return E_INVALIDARG;
  }
  if (Options.EndMs != 0 && Options.StartMs >= Options.EndMs) {
    StatusFailure(" : Invalid time.");
    return E_INVALIDARG;
  }
  clipReader_.Window = {};
  outputName_ = ReconstructOutputName(DestName);
  HRESULT result = OpenSource();
  if (Failed(result)) StatusFailure(" : Could not open source file.");
  if (Succeeded(result) && StopRequested()) result = E_FAIL;
  return result;
}

HRESULT TProducerWmvReconstruct::OpenSource() {
  streamScripts_.Clear();
  if (SourceName.string().find("://") != std::string::npos) {
    StatusAnsi("Error source file - web streams are not supported.");
    return E_INVALIDARG;
  }
  // Refused before anything is written: the output would destroy what is to be repaired.
  const std::array<TClipJob, 1> source{TClipJob{SourceName, 0, 0, 0, 0}};
  if (!CheckClipFiles(*this, source) || !CheckDestination(*this, outputName_, SourceName, {})) return E_FAIL;
  HRESULT result = OpenWmvSource(SourceName, source_);
  if (Failed(result)) return result;
  uint64_t fileDuration = 0;
  result = GetAttrQword(source_.Header(), "Duration", 0, fileDuration);
  if (Succeeded(result) && fileDuration == 0) result = E_INVALIDARG;
  if (Failed(result)) return result;

  TWmvClipWindow& window = clipReader_.Window;
  window.start = static_cast<uint64_t>(std::max(Options.StartMs, 0)) * kMs;
  window.end = Options.EndMs == 0 ? fileDuration : std::min(static_cast<uint64_t>(Options.EndMs) * kMs, fileDuration);
  if (Options.EndMs != 0 && window.start >= window.end) window.start = 0;
  window.duration = window.end > window.start ? window.end - window.start : 0;

  SelectStreams(source_.profile, *source_.reader, false);
  if (!Options.KeepAllStreams) {
    result = KeepBestStreams(source_.profile, false);
    if (Failed(result)) {
      StatusFailure(" : Could not update profile.");
      return result;
    }
  }
  SelectStreams(source_.profile, *source_.reader, true);
  if (Failed(ChooseStreams(source_.profile, streams_))) {
    StatusFailure(" : Could not get stream information.");
    return E_FAIL;
  }
  return S_OK;
}

HRESULT TProducerWmvReconstruct::CreateOutput() {
  std::vector<Guid> types;
  std::vector<uint16_t> numbers;
  GetStreamTable(source_.profile, types, numbers);
  if (numbers.empty()) {
    StatusFailure(" : Could not get profile information.");
    return E_FAIL;
  }
  writer_ = asf::CreateWriter();
  if (!writer_) return E_OUTOFMEMORY;
  RaiseLowRates(source_.profile);
  DoubleVideoRate(source_.profile, streams_.video);
  HRESULT result = writer_->SetProfile(source_.profile);
  if (Succeeded(result)) {
    SetInterlaceSettings(*writer_);
    result = writer_->SetOutputFilename(outputName_);
  }
  if (Failed(result)) return result;
  CopyCodecInfo(*writer_, source_.Header());
  asf::AsfHeaderInfo* output = writer_->HeaderInfo();
  if (Options.CopyAttributes) {
    result = output ? korvel::CopyAttributes(numbers, *output, source_.Header()) : E_FAIL;
    if (Failed(result)) {
      StatusFailure(" : Could not copy attributes.");
      return result;
    }
  } else {
    CopyNoticeAttribute(output, &source_.Header());
  }
  WriteTagAttributes(output, &source_.Header(), TagText, TagFlags);
  result = writer_->BeginWriting();
  if (Failed(result)) return result;
  writingBegun_ = true;

  clipReader_.Reader = source_.reader.get();
  clipReader_.Writer = writer_.get();
  clipReader_.VideoStream = streams_.video;
  clipReader_.FrameDuration = streams_.frameDuration;
  clipReader_.OutputBase = 0;
  clipReader_.CopyScripts = Options.CopyScripts;
  clipReader_.SkipBadData = Options.SkipBadData;
  clipReader_.Scripts = &streamScripts_;
  clipReader_.Routes.clear();
  for (size_t i = 0; i < numbers.size(); ++i)
    clipReader_.Routes.push_back({numbers[i], numbers[i], types[i] == asf::WMMEDIATYPE_Script});
  return S_OK;
}

HRESULT TProducerWmvReconstruct::ReadPass(bool searchKeyFrame) {
  ResetProgress();
  return clipReader_.ReadClip(searchKeyFrame);
}

HRESULT TProducerWmvReconstruct::Produce() {
  ++IndentLevel;
  HRESULT result = CreateOutput();
  if (Failed(result)) {
    StatusFailure(" : Could not create output file.");
    result = E_FAIL;
  }
  --IndentLevel;
  if (Succeeded(result)) {
    StatusAnsi("Writing ...");
    ++IndentLevel;
    result = ReadPass(true);
    if (Succeeded(result)) result = ReadPass(false);
    if (Failed(result)) StatusFailure(" : Could not write samples.");
    --IndentLevel;
  }
  return Finish(result);
}

HRESULT TProducerWmvReconstruct::Finish(HRESULT result) {
  if (!writer_ || !writingBegun_) return result;
  const HRESULT ended = writer_->EndWriting();
  if (Failed(ended)) {
    // The file lacks its sizes and index: no repaired file.
    if (Succeeded(result)) StatusFailure(" : Could not finish output file.");
    return Failed(result) ? result : ended;
  }
  if (StopRequested()) return result;
  // The copy is complete; a header entry that cannot be added is reported but fails nothing.
  const TWmvClipWindow& window = clipReader_.Window;
  const std::array<TWmvHeaderSpan, 1> spans{
      TWmvHeaderSpan{&source_.Header(), 0, window.start, window.start + window.duration}};
  HRESULT extras = S_OK;
  if (Options.CopyScripts) {
    extras = StoreHeaderScripts(outputName_, spans);
    if (Succeeded(extras)) extras = StoreStreamScripts(outputName_, streamScripts_);
  }
  if (Succeeded(extras)) StoreMarkers(outputName_, spans);
  return result;
}

void TProducerWmvReconstruct::SeekProgress(uint64_t time) {
  const auto startMs = static_cast<int64_t>(clipReader_.Window.start / kMs);
  RaiseProgress(static_cast<int64_t>(time / kMs) * 1000 / std::max<int64_t>(startMs, 1));
}

void TProducerWmvReconstruct::ClipProgress(bool, int64_t done) {
  RaiseProgress(done / static_cast<int64_t>(kMs) * 1000 /
                std::max<int64_t>(static_cast<int64_t>(clipReader_.Window.duration / kMs), 1));
}

}  // namespace korvel
