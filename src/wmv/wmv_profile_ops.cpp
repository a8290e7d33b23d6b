#include "wmv/wmv_profile_ops.h"

#include <cstring>

#include "wmv/asf/asf_guids.h"
#include "wmv/asf/asf_media_type.h"

namespace korvel {
namespace {

constexpr uint32_t kLowBufferWindowMs = 1000;
constexpr uint32_t kVideoBufferWindowMs = 5000;
constexpr uint32_t kAudioBufferWindowMs = 1500;
constexpr uint32_t kLowBitrate = 1000;

bool HasVideoInfo(const asf::WmMediaType& type) {
  return type.formattype == asf::WMFORMAT_VideoInfo && type.format.size() >= asf::kVideoInfoHeaderSize;
}

void SetFormatBitrate(asf::AsfStreamConfig& config, uint32_t bitrate) {
  asf::WmMediaType type = config.MediaType();
  if (!HasVideoInfo(type)) return;
  std::memcpy(type.format.data() + asf::kVideoInfoBitRateOffset, &bitrate, 4);
  config.SetMediaType(std::move(type));
}

uint32_t FormatFrameDuration(const asf::WmMediaType& type) {
  if (!HasVideoInfo(type)) return 0;
  int64_t frame = 0;
  std::memcpy(&frame, type.format.data() + asf::kVideoInfoTimePerFrameOffset, 8);
  return frame > 0 ? static_cast<uint32_t>(static_cast<uint64_t>(frame) & UINT32_MAX) : 0;
}

bool FindVideo(const asf::AsfProfile& profile, uint16_t number, asf::AsfStreamConfig& config) {
  for (uint32_t i = 0; i < profile.GetStreamCount(); ++i) {
    if (Failed(profile.GetStream(i, config))) return false;
    if (config.GetStreamType() == asf::WMMEDIATYPE_Video && config.GetStreamNumber() == number) return true;
  }
  return false;
}

}  // namespace

void RaiseLowRates(asf::AsfProfile& profile) {
  for (uint32_t i = 0; i < profile.GetStreamCount(); ++i) {
    asf::AsfStreamConfig config;
    if (Failed(profile.GetStream(i, config))) return;
    const bool video = config.GetStreamType() == asf::WMMEDIATYPE_Video;
    const bool audio = config.GetStreamType() == asf::WMMEDIATYPE_Audio;
    if (!video && !audio) continue;
    if (config.GetBufferWindow() < kLowBufferWindowMs)
      config.SetBufferWindow(video ? kVideoBufferWindowMs : kAudioBufferWindowMs);
    if (config.GetBitrate() < kLowBitrate) {
      config.SetBitrate(video ? kUnknownVideoRate : kUnknownAudioRate);
      if (video) SetFormatBitrate(config, kUnknownVideoRate);
    }
    if (Failed(profile.ReconfigStream(config))) return;
  }
}

HRESULT GetVideoRate(const asf::AsfProfile& profile, uint16_t number, uint32_t& bitrate, uint32_t& frameDuration) {
  asf::AsfStreamConfig config;
  if (!FindVideo(profile, number, config)) return E_FAIL;
  bitrate = config.GetBitrate();
  frameDuration = FormatFrameDuration(config.MediaType());
  return bitrate == 0 ? E_FAIL : S_OK;
}

HRESULT SetVideoRate(asf::AsfProfile& profile, uint16_t number, uint32_t bitrate) {
  asf::AsfStreamConfig config;
  if (!FindVideo(profile, number, config)) return E_FAIL;
  config.SetBitrate(bitrate);
  SetFormatBitrate(config, bitrate);
  return profile.ReconfigStream(config);
}

void DoubleVideoRate(asf::AsfProfile& profile, uint16_t number) {
  uint32_t bitrate = 0;
  uint32_t frameDuration = 0;
  if (Succeeded(GetVideoRate(profile, number, bitrate, frameDuration)) && frameDuration == 0 &&
      bitrate < kUnknownVideoRate)
    SetVideoRate(profile, number, 2 * bitrate);
}

HRESULT SelectStreams(const asf::AsfProfile& profile, asf::AsfSyncReader& reader, bool on) {
  const asf::WMT_STREAM_SELECTION selection = on ? asf::WMT_ON : asf::WMT_OFF;
  for (uint32_t i = 0; i < profile.GetStreamCount(); ++i) {
    asf::AsfStreamConfig config;
    HRESULT result = profile.GetStream(i, config);
    if (Failed(result)) return result;
    const uint16_t number = config.GetStreamNumber();
    result = reader.SetStreamsSelected(1, &number, &selection);
    if (Failed(result)) return result;
    reader.SetReadStreamSamples(number, true);
  }
  return S_OK;
}

HRESULT KeepBestStreams(asf::AsfProfile& profile, bool removeOthers) {
  // A profile without audio and video loses nothing but, with removeOthers, its other streams.
  TWmvStreamChoice best;
  ChooseStreams(profile, best);
  for (uint32_t i = profile.GetStreamCount(); i-- > 0;) {
    asf::AsfStreamConfig config;
    HRESULT result = profile.GetStream(i, config);
    if (Failed(result)) return result;
    const uint16_t number = config.GetStreamNumber();
    const Guid type = config.GetStreamType();
    const bool remove = type == asf::WMMEDIATYPE_Audio   ? number != best.audio
                        : type == asf::WMMEDIATYPE_Video ? number != best.video
                                                          : removeOthers;
    if (!remove) continue;
    result = profile.RemoveStreamByNumber(number);
    if (Failed(result)) return result;
  }
  return S_OK;
}

void GetStreamTable(const asf::AsfProfile& profile, std::vector<Guid>& types, std::vector<uint16_t>& numbers) {
  types.clear();
  numbers.clear();
  for (uint32_t i = 0; i < profile.GetStreamCount(); ++i) {
    asf::AsfStreamConfig config;
    if (Failed(profile.GetStream(i, config))) continue;
    types.push_back(config.GetStreamType());
    numbers.push_back(config.GetStreamNumber());
  }
}

HRESULT SetInterlaceSettings(asf::AsfWriter& writer) {
  for (uint32_t input = 0; input < writer.GetInputCount(); ++input) {
    asf::AsfStreamConfig config;
    HRESULT result = writer.GetInputProps(input, config);
    if (Failed(result)) return result;
    for (uint16_t i = 0; i < config.GetDataUnitExtensionCount(); ++i) {
      asf::AsfDataUnitExtension extension;
      result = config.GetDataUnitExtension(i, extension);
      if (Failed(result)) return result;
      if (extension.system != asf::kPayloadExtensionContentType) continue;
      const uint8_t on[4] = {1, 0, 0, 0};
      result = writer.SetInputSetting(input, "InterlacedCoding", asf::WMT_TYPE_BOOL, on, 4);
      if (Succeeded(result)) result = writer.SetInputSetting(input, "DeinterlaceMode", asf::WMT_TYPE_DWORD, on, 4);
      if (Failed(result)) return result;
    }
  }
  return S_OK;
}

HRESULT ChooseStreams(const asf::AsfProfile& profile, TWmvStreamChoice& choice) {
  choice = {};
  uint32_t bestAudio = 0;
  uint32_t bestVideo = 0;
  bool audio = false;
  bool video = false;
  for (uint32_t i = 0; i < profile.GetStreamCount(); ++i) {
    asf::AsfStreamConfig config;
    const HRESULT result = profile.GetStream(i, config);
    if (Failed(result)) return result;
    const uint32_t bitrate = config.GetBitrate();
    if (config.GetStreamType() == asf::WMMEDIATYPE_Audio && (!audio || bitrate >= bestAudio)) {
      audio = true;
      bestAudio = bitrate;
      choice.audio = config.GetStreamNumber();
    } else if (config.GetStreamType() == asf::WMMEDIATYPE_Video && (!video || bitrate >= bestVideo)) {
      video = true;
      bestVideo = bitrate;
      choice.video = config.GetStreamNumber();
      choice.frameDuration = kDefaultFrameDuration;
      if (const uint32_t frame = FormatFrameDuration(config.MediaType())) choice.frameDuration = frame;
    }
  }
  return audio || video ? S_OK : E_FAIL;
}

}  // namespace korvel
