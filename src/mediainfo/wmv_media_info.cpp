#include "mediainfo/wmv_media_info.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "avi/signal_event.h"
#include "base/byte_view.h"
#include "base/number_text.h"
#include "mediainfo/audio_format_text.h"
#include "mediainfo/container_kind.h"
#include "mediainfo/wmv_codec_names.h"
#include "wmv/asf/asf_async_reader.h"
#include "wmv/asf/asf_file.h"
#include "wmv/asf/asf_guids.h"
#include "wmv/wmv_header_copy.h"

namespace korvel {
namespace {

using asf::WmMediaType;

constexpr uint32_t kMaxStreams = 127;
// Display limits of the name and the description, in characters.
constexpr size_t kCodecNameLimit = 99;
constexpr size_t kCodecDescLimit = 199;
constexpr char kUnknownCodec[] = "Unknown Codec";
// A WMA encoder in quality-based VBR writes 0x7FFFFF00 plus the quality as average bytes per second.
constexpr uint32_t kQualityMark = 0x7FFFFF00;
constexpr size_t kWaveAverageBytesOffset = 8;
constexpr double kTimeUnitsPerSecond = 10000000.0;  // 100 ns

// The join check compares descriptions, so their numbers read the same in every locale.
const NumberSeparators kDescriptionSeparators{};

// A 32-bit value (DWORD or BOOL) through a getter shaped like the runtime's; nothing when it
// cannot be read or is of another type or length.
template <typename Getter>
std::optional<uint32_t> Read32(Getter get) {
  asf::WMT_ATTR_DATATYPE type{};
  std::array<uint8_t, 4> value{};
  uint32_t length = value.size();
  if (Failed(get(&type, value.data(), &length)) || length != value.size()) return std::nullopt;
  if (type != asf::WMT_TYPE_DWORD && type != asf::WMT_TYPE_BOOL) return std::nullopt;
  return ByteView(value).U32LE(0);
}

std::optional<uint32_t> Property(const asf::AsfStreamConfig& config, std::string_view name) {
  return Read32([&](auto* type, uint8_t* value, uint32_t* size) {
    return config.GetPropertyByName(name, type, value, size);
  });
}

bool IsSeekable(const asf::AsfHeaderInfo& header) {
  const auto seekable = Read32([&](auto* type, uint8_t* value, uint32_t* length) {
    return header.GetAttributeByName(0, "Seekable", type, value, length);
  });
  return seekable.value_or(0) != 0;
}

bool HasWaveFormat(const WmMediaType& type) {
  return type.formattype == asf::WMFORMAT_WaveFormatEx && type.format.size() >= asf::kWaveFormatExSize;
}

// At most limit characters of a UTF-8 text.
std::string FirstCharacters(std::string text, size_t limit) {
  size_t characters = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool starts = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
    if (starts && characters++ == limit) {
      text.resize(i);
      break;
    }
  }
  return text;
}

// The table's name, else the library's, else "Unknown Codec"; an audio codec the library knows
// also gets its description.
void NameCodec(const WmMediaType& type, QdMediaStream& s) {
  s.CodecName = CodecNameFromSubtype(type.subtype);
  const CodecLibraryEntry library = LookupCodecName(type);
  if (s.CodecName.empty()) s.CodecName = library.index < 0 ? kUnknownCodec : library.name;
  if (s.StreamType == kStreamAudio && library.index >= 0) s.CodecDesc = library.description;
}

// Video and image streams: the picture size of a VIDEOINFOHEADER and, with frameRate, the
// frame rate its average time per frame gives.
void DescribePicture(const WmMediaType& type, bool frameRate, QdMediaStream& s) {
  if (type.formattype != asf::WMFORMAT_VideoInfo || type.format.size() < asf::kVideoInfoHeaderSize) return;
  const ByteView format(type.format);
  s.Width = *format.I32LE(asf::kVideoInfoBitmapOffset + 4);
  s.Height = *format.I32LE(asf::kVideoInfoBitmapOffset + 8);
  s.CodecDesc = std::to_string(s.Width) + " x " + std::to_string(s.Height);
  const auto timePerFrame = static_cast<int64_t>(*format.U64LE(asf::kVideoInfoTimePerFrameOffset));
  if (!frameRate || timePerFrame <= 0) return;
  const double framesPerSecond = kTimeUnitsPerSecond / static_cast<double>(timePerFrame);
  s.RateX1000 = RateX1000(framesPerSecond, 1);
  s.CodecDesc += ", " + FormatFixed(framesPerSecond, 3, kDescriptionSeparators) + " fps";
}

QdMediaStream StreamOf(const asf::AsfStreamConfig& config, int32_t index) {
  const WmMediaType& type = config.MediaType();
  const Guid major = config.GetStreamType();
  QdMediaStream s;
  s.Index = index;
  s.MediaTypeGuids = {major, type.subtype, type.formattype};
  s.BitRate = config.GetBitrate();
  s.VbrMode = GetVbrMode(config).mode;
  if (major == asf::WMMEDIATYPE_Audio) {
    s.StreamType = kStreamAudio;
    NameCodec(type, s);
    if (s.CodecDesc.empty() && HasWaveFormat(type))
      s.CodecDesc = AudioFormatText(type.format, false, kDescriptionSeparators);
  } else if (major == asf::WMMEDIATYPE_Video) {
    s.StreamType = kStreamVideo;
    NameCodec(type, s);
    DescribePicture(type, true, s);
  } else if (major == asf::WMMEDIATYPE_Image) {
    DescribePicture(type, false, s);
  }
  s.CodecName = FirstCharacters(std::move(s.CodecName), kCodecNameLimit);
  s.CodecDesc = FirstCharacters(std::move(s.CodecDesc), kCodecDescLimit);
  return s;
}

// The header information of a file as read on its own, before the reader opens it.
std::optional<asf::AsfHeaderInfo> ReadHeaderInfo(const std::filesystem::path& file) {
  std::shared_ptr<asf::AsfByteStream> stream;
  asf::AsfFile asf;
  if (Failed(asf::OpenFileByteStream(file, stream)) || Failed(asf::OpenAsfFile(stream, asf))) return std::nullopt;
  return asf::HeaderInfoOf(asf, asf::ProfileOf(asf));
}

// Opens a file for its description: the header information for "Seekable", and the profile
// through the asynchronous reader, whose reports this object waits for.
class TAsfInfoReader : public asf::IAsfStatusCallback {
public:
  // The streams go into info and IndexOK is set only when everything could be read.
  HRESULT Describe(const std::filesystem::path& file, QdMediaInfo& info) {
    const std::optional<asf::AsfHeaderInfo> header = ReadHeaderInfo(file);
    asf::AsfAsyncReader reader;
    if (const HRESULT hr = reader.Open(file, this); Failed(hr)) return hr;
    opened_.Wait();
    HRESULT hr = result_;
    if (Succeeded(hr)) hr = Load(reader, header ? &*header : nullptr, info);
    // Closed even after a failed open, so that the reader's last report comes while this
    // object still exists.
    if (Succeeded(reader.Close())) {
      closed_.Wait();
      if (Failed(result_)) hr = result_;
    }
    return hr;
  }

  void OnStatus(asf::WMT_STATUS status, HRESULT result) override {
    if (status != asf::WMT_OPENED && status != asf::WMT_CLOSED) return;
    result_ = result;
    (status == asf::WMT_OPENED ? opened_ : closed_).Signal();
  }

private:
  // Without a header of its own the reader's stands in.
  static HRESULT Load(asf::AsfAsyncReader& reader, const asf::AsfHeaderInfo* header, QdMediaInfo& info) {
    const asf::AsfProfile* profile = reader.Profile();
    if (!header) header = reader.HeaderInfo();
    if (!profile || !header) return E_FAIL;
    if (const HRESULT hr = LoadWmvStreams(info, *profile); Failed(hr)) return hr;
    info.IndexOK = IsSeekable(*header);
    uint64_t duration = 0;  // 100 ns
    if (Succeeded(GetAttrQword(*header, "Duration", 0, duration)))
      info.Duration = static_cast<int32_t>(std::min<uint64_t>(duration / 10000, std::numeric_limits<int32_t>::max()));
    return S_OK;
  }

  TSignalEvent opened_;
  TSignalEvent closed_;
  HRESULT result_ = S_OK;  // of the last report; the events order its write before the read
};

}  // namespace

WmvVbrMode GetVbrMode(const asf::AsfStreamConfig& streamConfig) {
  WmvVbrMode vbr;
  if (Property(streamConfig, "_VBRENABLED").value_or(0) != 0) {
    vbr.vbr = true;
    const auto peak = Property(streamConfig, "_RMAX");
    const auto buffer = Property(streamConfig, "_BMAX");
    vbr.peakRate = peak.value_or(vbr.peakRate);
    vbr.mode = peak.value_or(0) != 0 && buffer.value_or(0) != 0 ? kVbrPeakConstrained : kVbrUnconstrained;
    vbr.passes = 2;
    if (const auto quality = Property(streamConfig, "_VBRQUALITY")) {
      vbr.quality = *quality;
      vbr.mode = kVbrQuality;
      vbr.passes = 1;
    }
  }
  const WmMediaType& type = streamConfig.MediaType();
  if (HasWaveFormat(type)) {
    const uint32_t averageBytes = *ByteView(type.format).U32LE(kWaveAverageBytesOffset);
    if ((averageBytes & kQualityMark) == kQualityMark) {
      vbr.mode = kVbrQuality;
      vbr.passes = 1;
      vbr.quality = averageBytes & 0xFF;
    }
  }
  return vbr;
}

HRESULT LoadWmvStreams(QdMediaInfo& info, const asf::AsfProfile& profile) {
  info.FreeStreams();
  const uint32_t count = profile.GetStreamCount();
  if (count > kMaxStreams) return E_INVALIDARG;
  std::vector<QdMediaStream> streams;
  streams.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    asf::AsfStreamConfig config;
    if (const HRESULT hr = profile.GetStream(i, config); Failed(hr)) return hr;
    streams.push_back(StreamOf(config, static_cast<int32_t>(i)));
  }
  info.Streams = std::move(streams);
  info.ClearMatched();
  return S_OK;
}

bool DescribeWmvFile(const std::filesystem::path& fileName, QdMediaInfo& info) {
  info.Reset();
  info.FileName = fileName;
  info.Kind = kKindAsf;
  TAsfInfoReader reader;
  if (Succeeded(reader.Describe(fileName, info))) return true;
  info.FreeStreams();
  return false;
}

}  // namespace korvel
