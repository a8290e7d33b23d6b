#include "wmv/asf/asf_profile.h"

#include <algorithm>
#include <limits>

#include "wmv/asf/asf_errors.h"
#include "wmv/asf/asf_guids.h"

namespace korvel::asf {
namespace {

uint32_t Clamp32(uint64_t v) { return static_cast<uint32_t>(std::min<uint64_t>(v, std::numeric_limits<uint32_t>::max())); }

// A stored attribute of the stream (or of the file with stream 0) read as a number.
std::optional<uint64_t> StoredNumber(const AsfHeader& header, uint16_t stream, std::string_view name) {
  for (const auto& d : header.descriptors) {
    if (d.streamNumber != stream || d.name != name) continue;
    if (const auto a = AttributeFromDescriptor(d)) return AttributeNumber(*a);
  }
  return std::nullopt;
}

uint32_t StreamBitrate(const AsfHeader& header, const AsfStreamProperties& s, const AsfExtendedStreamProperties* ext) {
  for (const auto& b : header.bitrates) {
    if (b.streamNumber == s.streamNumber && b.averageBitrate != 0) return b.averageBitrate;
  }
  if (ext && ext->dataBitrate != 0) return ext->dataBitrate;
  if (s.streamType == kAudioMedia) {
    const ByteView wave(s.typeData);
    return Clamp32(uint64_t{wave.U32LE(8).value_or(0)} * 8);
  }
  return 0;
}

// "_VBRENABLED" from the stream's (else the file's) IsVBR flag; peak rate and buffer from the
// alternate values of the extended stream properties, else the stream's "VBR Peak".
void AddVaultProperties(const AsfHeader& header, const AsfExtendedStreamProperties* ext, AsfStreamConfig& config) {
  const uint16_t number = config.GetStreamNumber();
  const auto vbr = StoredNumber(header, number, "IsVBR");
  const bool enabled = vbr ? *vbr != 0 : StoredNumber(header, 0, "IsVBR").value_or(0) != 0;
  config.SetProperty(MakeBoolAttribute("_VBRENABLED", enabled));
  if (ext && ext->alternateDataBitrate != 0) {
    config.SetProperty(MakeDwordAttribute("_RMAX", ext->alternateDataBitrate));
  } else if (const auto peak = StoredNumber(header, number, "VBR Peak")) {
    config.SetProperty(MakeDwordAttribute("_RMAX", Clamp32(*peak)));
  }
  if (ext && ext->alternateBufferSize != 0) config.SetProperty(MakeDwordAttribute("_BMAX", ext->alternateBufferSize));
}

AsfStreamConfig ConfigFromStream(const AsfHeader& header, const AsfStreamProperties& s) {
  const AsfExtendedStreamProperties* ext = header.ExtendedStream(s.streamNumber);
  AsfStreamConfig config;
  (void)config.SetStreamNumber(s.streamNumber);  // header parsing admits 1..127 only
  config.SetBitrate(StreamBitrate(header, s, ext));
  config.SetBufferWindow(ext ? ext->bufferSize : Clamp32(header.file.preroll));
  if (ext) {
    for (const auto& e : ext->payloadExtensions) config.AddDataUnitExtension({e.id, e.dataSize, e.info});
  }
  config.SetMediaType(MediaTypeFromStream(s, config.GetBitrate(), ext ? ext->averageTimePerFrame : 0));
  AddVaultProperties(header, ext, config);
  return config;
}

}  // namespace

AsfProfile AsfProfile::FromHeader(const AsfHeader& header) {
  AsfProfile profile;
  for (const auto& s : header.streams) profile.streams_.push_back(ConfigFromStream(header, s));
  return profile;
}

HRESULT AsfProfile::GetStream(uint32_t index, AsfStreamConfig& copy) const {
  if (index >= streams_.size()) return E_INVALIDARG;
  copy = streams_[index];
  return S_OK;
}

HRESULT AsfProfile::GetStreamByNumber(uint16_t number, AsfStreamConfig& copy) const {
  for (const auto& s : streams_) {
    if (s.GetStreamNumber() == number) {
      copy = s;
      return S_OK;
    }
  }
  return ASF_E_NOTFOUND;
}

HRESULT AsfProfile::ReconfigStream(const AsfStreamConfig& config) {
  for (auto& s : streams_) {
    if (s.GetStreamNumber() == config.GetStreamNumber()) {
      s = config;
      return S_OK;
    }
  }
  return ASF_E_NOTFOUND;
}

HRESULT AsfProfile::RemoveStreamByNumber(uint16_t number) {
  const auto it = std::find_if(streams_.begin(), streams_.end(), [&](const auto& s) { return s.GetStreamNumber() == number; });
  if (it == streams_.end()) return ASF_E_NOTFOUND;
  streams_.erase(it);
  return S_OK;
}

}  // namespace korvel::asf
