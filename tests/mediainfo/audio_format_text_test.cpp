#include "mediainfo/audio_format_text.h"

#include <gtest/gtest.h>

#include <vector>

namespace korvel {
namespace {

void PutLe(std::vector<uint8_t>& bytes, size_t offset, uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

// An 18-byte WAVEFORMATEX.
std::vector<uint8_t> WaveFormat(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
  std::vector<uint8_t> bytes(18);
  PutLe(bytes, 0, tag, 2);
  PutLe(bytes, 2, channels, 2);
  PutLe(bytes, 4, rate, 4);
  PutLe(bytes, 14, bits, 2);
  return bytes;
}

// A 40-byte WAVEFORMATEXTENSIBLE whose SubFormat is {first-0000-0010-8000-00AA00389B71}, or
// another GUID's tail when foreignTail.
std::vector<uint8_t> Extensible(uint32_t first, bool foreignTail = false) {
  std::vector<uint8_t> bytes = WaveFormat(kWaveFormatExtensible, 6, 48000, 24);
  bytes.resize(40);
  PutLe(bytes, 16, 22, 2);  // cbSize
  PutLe(bytes, 24, first, 4);
  const uint8_t tail[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
  std::copy(std::begin(tail), std::end(tail), bytes.begin() + 28);
  if (foreignTail) bytes[39] ^= 0xFF;
  return bytes;
}

std::vector<uint8_t> Shortened(std::vector<uint8_t> bytes, size_t size) {
  bytes.resize(size);
  return bytes;
}

struct TextCase {
  const char* name;
  std::vector<uint8_t> format;
  const char* text;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

class AudioFormatTextTest : public testing::TestWithParam<TextCase> {};

TEST_P(AudioFormatTextTest, NamesTheFormatAndItsDetails) {
  EXPECT_EQ(AudioFormatText(GetParam().format, true, NumberSeparators{}), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, AudioFormatTextTest,
    testing::Values(
        TextCase{"PCM", WaveFormat(0x0001, 2, 44100, 16), "PCM, 44,100 Hz, 16 bits, Stereo"},
        TextCase{"MP3 by the table", WaveFormat(0x0055, 1, 22050, 0), "MP3, 22,050 Hz, 0 bits, Mono"},
        TextCase{"AC-3 with six channels", WaveFormat(0x2000, 6, 48000, 0), "AC3, 48,000 Hz, 0 bits, 6 Channels"},
        TextCase{"development tag", WaveFormat(0xFFFF, 2, 8000, 8), "RESERVED DEVELOPMENT ONLY TAG, 8,000 Hz, 8 bits, Stereo"},
        TextCase{"unknown tag by number", WaveFormat(0x1234, 2, 44100, 16), "0x1234, 44,100 Hz, 16 bits, Stereo"},
        TextCase{"no channels", WaveFormat(0x00FF, 0, 1, 16), "AAC, 1 Hz, 16 bits, 0 Channels"},
        TextCase{"basic fields only (16 bytes)", Shortened(WaveFormat(0x0001, 1, 8000, 8), 16),
                 "PCM, 8,000 Hz, 8 bits, Mono"},
        TextCase{"extensible PCM", Extensible(1), "PCM, 48,000 Hz, 24 bits, 6 Channels"},
        TextCase{"extensible float", Extensible(3), "IEEE FLOAT, 48,000 Hz, 24 bits, 6 Channels"},
        TextCase{"extensible MIDI", Extensible(0x7364696D), "MIDI, 48,000 Hz, 24 bits, 6 Channels"},
        TextCase{"extensible subtype not in the list", Extensible(0x1234), "0xFFFE, 48,000 Hz, 24 bits, 6 Channels"},
        TextCase{"extensible GUID of another family", Extensible(1, true), "0xFFFE, 48,000 Hz, 24 bits, 6 Channels"},
        TextCase{"extensible too short for its SubFormat", Shortened(Extensible(1), 39),
                 "0xFFFE, 48,000 Hz, 24 bits, 6 Channels"},
        TextCase{"too short for the basic fields", Shortened(WaveFormat(0x0001, 2, 44100, 16), 15), "-"},
        TextCase{"empty", {}, "-"}));

TEST(AudioFormatTextTest, WithoutTheNameOnlyTheDetailsRemain) {
  EXPECT_EQ(AudioFormatText(WaveFormat(0x0001, 2, 44100, 16), false, NumberSeparators{}), "44,100 Hz, 16 bits, Stereo");
}

TEST(AudioFormatTextTest, TheRateIsGroupedWithTheLocalesSeparator) {
  EXPECT_EQ(AudioFormatText(WaveFormat(0x0001, 2, 192000, 24), true, NumberSeparators{",", "."}),
            "PCM, 192.000 Hz, 24 bits, Stereo");
}

}  // namespace
}  // namespace korvel
