#pragma once
// One stream of an opened AVI file: samples by number, key frames, time conversion.
#include <memory>

#include "avi/avi_read_handler.h"
#include "avi/avi_stream_node.h"

namespace korvel {

class AviReadHandlerAvi2;

class AviReadStream final : public IAVIReadStream {
public:
  AviReadStream(std::shared_ptr<AviReadHandlerAvi2> handler, AviStreamNode& node, int32_t streamNumber);

  bool IsKeyframeOnly() const override { return node_.keyFrameOnly; }
  bool GetVBRInfo(double& meanBitRate, double& deviation, double& maxDrift) const override;
  int64_t SamplePosition(int64_t sample) const override;
  void Info(AviStreamInfo& info) const override;
  const std::vector<uint8_t>& Format() const override { return node_.format; }
  HRESULT InfoAndFormat(AviStreamInfo& info, std::vector<uint8_t>& format) const override;

  int64_t TimeToSample(int64_t ms) const override;
  int64_t SampleToTime(int64_t sample) const override;
  int64_t End() const override { return Length(); }

  int64_t PrevKeyFrame(int64_t sample) const override;
  int64_t NextKeyFrame(int64_t sample) const override;
  int64_t NearestKeyFrame(int64_t sample) const override;
  bool IsKeyFrame(int64_t sample) const override;

  HRESULT Read(int64_t start, int64_t count, uint8_t* buffer, int64_t bufferLength, int64_t* bytesRead,
               int64_t* samplesRead) override;

  int32_t StreamNumber() const { return streamNumber_; }
  // Bytes per sample; 0 when every sample is one chunk (or one block of an irregular audio chunk).
  uint32_t SampleSize() const { return sampleSize_; }

private:
  int64_t Length() const { return static_cast<int64_t>(node_.totalSamples); }
  bool Inside(int64_t sample) const { return sample >= 0 && sample < Length(); }
  std::optional<uint32_t> EntryOf(int64_t sample) const;
  // The sample that starts an entry, or -1 for none.
  int64_t SampleOfEntry(std::optional<uint32_t> entry) const;
  HRESULT ReadFixed(int64_t start, int64_t count, uint8_t* buffer, int64_t bufferLength, int64_t& bytes,
                    int64_t& samples);
  HRESULT ReadVariable(int64_t start, uint8_t* buffer, int64_t bufferLength, int64_t& bytes, int64_t& samples);

  std::shared_ptr<AviReadHandlerAvi2> handler_;
  AviStreamNode& node_;
  int32_t streamNumber_;
  uint32_t sampleSize_;
};

}  // namespace korvel
