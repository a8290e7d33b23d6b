#include "wmv/asf/asf_header_from_profile.h"

#include <algorithm>
#include <array>
#include <set>

#include "wmv/asf/asf_stream_from_media_type.h"

namespace korvel::asf {
namespace {

// A DWORD property of the stream's vault ("_RMAX", "_BMAX"), 0 when it has none.
uint32_t VaultDword(const AsfStreamConfig& config, std::string_view name) {
  WMT_ATTR_DATATYPE type{};
  std::array<uint8_t, 4> value{};
  uint32_t size = value.size();
  if (Failed(config.GetPropertyByName(name, &type, value.data(), &size)) || type != WMT_TYPE_DWORD || size != 4) return 0;
  return static_cast<uint32_t>(value[0] | value[1] << 8 | value[2] << 16 | uint32_t{value[3]} << 24);
}

bool VbrEnabled(const AsfStreamConfig& config) {
  WMT_ATTR_DATATYPE type{};
  std::array<uint8_t, 4> value{};
  uint32_t size = value.size();
  return Succeeded(config.GetPropertyByName("_VBRENABLED", &type, value.data(), &size)) &&
         value != std::array<uint8_t, 4>{};
}

AsfExtendedStreamProperties ExtendedProperties(const AsfStreamConfig& config, uint64_t averageTimePerFrame) {
  AsfExtendedStreamProperties ext;
  ext.streamNumber = config.GetStreamNumber();
  ext.dataBitrate = config.GetBitrate();
  ext.bufferSize = config.GetBufferWindow();
  ext.initialBufferFullness = config.GetBufferWindow();
  ext.alternateDataBitrate = VaultDword(config, "_RMAX");
  ext.alternateBufferSize = VaultDword(config, "_BMAX");
  ext.alternateInitialBufferFullness = ext.alternateBufferSize;
  ext.averageTimePerFrame = averageTimePerFrame;
  AsfDataUnitExtension e;
  for (uint16_t i = 0; Succeeded(config.GetDataUnitExtension(i, e)); ++i) {
    ext.payloadExtensions.push_back({e.system, e.size, e.info});
  }
  return ext;
}

}  // namespace

HRESULT HeaderFromProfile(const AsfProfile& profile, AsfHeader& header) {
  header = AsfHeader{};
  if (profile.GetStreamCount() == 0) return E_INVALIDARG;
  std::set<uint16_t> numbers;
  uint64_t totalBitrate = 0;
  uint32_t largestWindow = 0;
  AsfStreamConfig config;
  for (uint32_t i = 0; i < profile.GetStreamCount(); ++i) {
    if (Failed(profile.GetStream(i, config))) return E_INVALIDARG;
    const uint16_t number = config.GetStreamNumber();
    if (number == 0 || !numbers.insert(number).second) return E_INVALIDARG;
    auto stream = StreamFromMediaType(config.MediaType(), number);
    if (!stream) return E_INVALIDARG;
    header.streams.push_back(std::move(stream->stream));
    header.extendedStreams.push_back(ExtendedProperties(config, stream->averageTimePerFrame));
    header.bitrates.push_back({number, config.GetBitrate()});
    totalBitrate += config.GetBitrate();
    largestWindow = std::max(largestWindow, config.GetBufferWindow());
  }
  header.file.preroll = std::max(largestWindow, kMinimumPrerollMs);
  header.file.maxBitrate = static_cast<uint32_t>(std::min<uint64_t>(totalBitrate, UINT32_MAX));
  return S_OK;
}

void AddVbrAttributes(const AsfProfile& profile, AsfHeader& header) {
  AsfStreamConfig config;
  for (uint32_t i = 0; Succeeded(profile.GetStream(i, config)); ++i) {
    if (!VbrEnabled(config)) continue;
    AsfDescriptor d;
    d.source = AsfDescriptorSource::kMetadata;
    d.streamNumber = config.GetStreamNumber();
    d.name = "IsVBR";
    d.diskType = DiskTypeFromApiType(WMT_TYPE_BOOL, d.source).value_or(0);
    d.value = {1, 0};  // the metadata object's BOOL has 16 bits
    header.descriptors.push_back(std::move(d));
  }
}

}  // namespace korvel::asf
