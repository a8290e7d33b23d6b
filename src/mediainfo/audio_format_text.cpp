#include "mediainfo/audio_format_text.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>

#include "base/byte_view.h"

namespace korvel {
namespace {

// The fields of the block up to the end of a WAVEFORMATEXTENSIBLE; a shorter block is copied
// into zeros of this size, so no field is read from beyond what the file gave.
constexpr size_t kWaveFormatBasicSize = 16;
constexpr size_t kWaveFormatExtensibleSize = 40;
constexpr size_t kSubFormatOffset = 24;

struct WaveFormat {
  uint16_t formatTag = 0;
  uint16_t channels = 0;
  uint32_t samplesPerSec = 0;
  uint16_t bitsPerSample = 0;
  std::optional<std::array<uint8_t, 16>> subFormat;
};

WaveFormat ParseWaveFormat(std::span<const uint8_t> block) {
  std::array<uint8_t, kWaveFormatExtensibleSize> full{};
  std::copy_n(block.begin(), std::min(block.size(), full.size()), full.begin());
  const ByteView bytes(full);
  WaveFormat format;
  format.formatTag = *bytes.U16LE(0);
  format.channels = *bytes.U16LE(2);
  format.samplesPerSec = *bytes.U32LE(4);
  format.bitsPerSample = *bytes.U16LE(14);
  if (block.size() >= kWaveFormatExtensibleSize) {
    format.subFormat.emplace();
    std::copy_n(full.begin() + kSubFormatOffset, format.subFormat->size(), format.subFormat->begin());
  }
  return format;
}

struct TagName {
  uint16_t tag;
  const char* name;
};

constexpr TagName kTagNames[] = {
    {0x0000, "RESERVED INVALID TAG"}, {0x0001, "PCM"}, {0x0002, "Microsoft ADPCM"},
    {0x0003, "MV's UNREGISTERED ADPCM"}, {0x0005, "IBM CVSD"}, {0x0006, "A-Law"}, {0x0007, "u-Law"},
    {0x0010, "OKI ADPCM"}, {0x0011, "IMA/DVI ADPCM"}, {0x0012, "Media Space ADPCM"}, {0x0013, "Sierra ADPCM"},
    {0x0014, "CCITT G.723 ADPCM"}, {0x0015, "DIGI STD"}, {0x0016, "DIGI FIX"}, {0x0020, "Yamaha ADPCM"},
    {0x0021, "Sonarc"}, {0x0022, "DSP Group TrueSpeech"}, {0x0023, "Echo SC1"}, {0x0024, "Audiofile AF36"},
    {0x0025, "APTX"}, {0x0026, "Audiofile AF10"}, {0x0030, "Dolby AC2"}, {0x0031, "GSM 6.10"},
    {0x0040, "CCITT G.721 ADPCM"}, {0x0041, "G728 CELP"}, {0x0042, "Microsoft G.723.1"}, {0x0050, "MPEG"},
    {0x0055, "MP3"}, {0x00FF, "AAC"}, {0x0200, "Creative Labs ADPCM"}, {0x2000, "AC3"}, {0x2001, "DTS"},
    {0xFFFF, "RESERVED DEVELOPMENT ONLY TAG"},
};

struct SubtypeName {
  uint32_t first;
  const char* name;
};

constexpr SubtypeName kSubtypeNames[] = {
    {0x00000001, "PCM"},       {0x00000002, "ADPCM"},     {0x00000003, "IEEE FLOAT"}, {0x00000006, "ALAW"},
    {0x00000007, "MULAW"},     {0x00000009, "DRM"},       {0x00000050, "MPEG"},       {0x00000092, "AC3 SPDIF"},
    {0x00000240, "RAW SPORT"}, {0x00000241, "SPDIF 241"}, {0x7364696D, "MIDI"},
};

// Bytes 4..15 of a media subtype {xxxxxxxx-0000-0010-8000-00AA00389B71} as stored.
constexpr std::array<uint8_t, 12> kSubtypeBaseTail{0x00, 0x00, 0x10, 0x00, 0x80, 0x00,
                                                   0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::string HexTag(uint16_t tag) {
  std::array<char, 8> text{};
  std::snprintf(text.data(), text.size(), "0x%04X", unsigned{tag});
  return text.data();
}

std::optional<std::string> SubtypeNameOf(const std::array<uint8_t, 16>& guid) {
  if (!std::equal(kSubtypeBaseTail.begin(), kSubtypeBaseTail.end(), guid.begin() + 4)) return std::nullopt;
  const uint32_t first = *ByteView(guid).U32LE(0);
  for (const SubtypeName& row : kSubtypeNames)
    if (row.first == first) return row.name;
  return std::nullopt;
}

std::string NameOf(const WaveFormat& format) {
  if (format.formatTag == kWaveFormatExtensible) {
    if (format.subFormat)
      if (auto name = SubtypeNameOf(*format.subFormat)) return *name;
    return HexTag(format.formatTag);
  }
  for (const TagName& row : kTagNames)
    if (row.tag == format.formatTag) return row.name;
  return HexTag(format.formatTag);
}

std::string DetailsOf(const WaveFormat& format, const NumberSeparators& separators) {
  std::string channels;
  switch (format.channels) {
    case 1: channels = "Mono"; break;
    case 2: channels = "Stereo"; break;
    default: channels = std::to_string(format.channels) + " Channels";
  }
  return FormatGrouped(format.samplesPerSec, separators) + " Hz, " + std::to_string(format.bitsPerSample) +
         " bits, " + channels;
}

}  // namespace

std::string AudioFormatText(std::span<const uint8_t> format, bool withName, const NumberSeparators& separators) {
  if (format.size() < kWaveFormatBasicSize) return "-";
  const WaveFormat parsed = ParseWaveFormat(format);
  const std::string name = withName ? NameOf(parsed) : "";
  return (name.empty() ? "" : name + ", ") + DetailsOf(parsed, separators);
}

}  // namespace korvel
