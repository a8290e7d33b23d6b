// The bit-level parts of sample descriptions: descriptor sizes, audio object types, dac3.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "mp4/iso/header_boxes.h"
#include "mp4/iso/sample_entry.h"

namespace korvel::iso {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(IsoSampleEntryTest, AudioObjectTypeFollowsTheEscape) {
  struct Case {
    Bytes config;
    uint8_t type;
  };
  const Case cases[] = {
      {{0x12, 0x10}, 2},   // AAC LC
      {{0x2B, 0x88}, 5},   // SBR
      {{0xF8, 0x20}, 33},  // 31 escapes to 32 + 6 bits: 000001
      {{0xFF, 0xE0}, 95},  // the largest escaped type
      {{0xF8}, 0},         // the escape without its 6 bits
      {{}, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(AudioObjectType(ByteView(c.config)), c.type);
}

TEST(IsoSampleEntryTest, ChannelsFromTheDecoderConfiguration) {
  struct Case {
    Bytes config;
    uint8_t channels;
  };
  const Case cases[] = {
      {{0x12, 0x10}, 2},                    // LC, 44.1 kHz, stereo
      {{0x11, 0x88}, 1},                    // LC, 48 kHz, mono
      {{0x11, 0xB8}, 8},                    // configuration 7 is 7.1
      {{0x12, 0x00}, 0},                    // left to a program config element
      {{0xF8, 0x20, 0x30}, 1},              // escaped object type 33, index 0, mono
      {{0x17, 0x80, 0x00, 0x00, 0x18}, 3},  // explicit 24-bit frequency after index 15
      {{0x12}, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(AudioSpecificConfigChannels(ByteView(c.config)), c.channels);
  Ac3SpecificBox ac3;
  ac3.acmod = 7;
  ac3.lfeon = 1;
  EXPECT_EQ(Ac3Channels(ac3), 6);
  ac3.acmod = 0;  // dual mono
  ac3.lfeon = 0;
  EXPECT_EQ(Ac3Channels(ac3), 2);
}

TEST(IsoSampleEntryTest, DescriptorSizesUseSevenBitsPerByte) {
  // The same ES descriptor with its sizes in one byte and in four bytes.
  const Bytes dsi{0x11, 0x90};
  const auto build = [&](bool longSizes) {
    const auto size = [&](uint8_t n) { return longSizes ? Bytes{0x80, 0x80, 0x80, n} : Bytes{n}; };
    Bytes decoderConfig{0x40, 0x15, 0, 0, 0, 0, 0, 0xFA, 0, 0, 0x01, 0xF4, 0};
    decoderConfig.push_back(0x05);
    for (uint8_t b : size(2)) decoderConfig.push_back(b);
    decoderConfig.insert(decoderConfig.end(), dsi.begin(), dsi.end());
    Bytes es{0, 1, 0};
    es.push_back(0x04);
    for (uint8_t b : size(static_cast<uint8_t>(decoderConfig.size()))) es.push_back(b);
    es.insert(es.end(), decoderConfig.begin(), decoderConfig.end());
    Bytes all{0x03};
    for (uint8_t b : size(static_cast<uint8_t>(es.size()))) all.push_back(b);
    all.insert(all.end(), es.begin(), es.end());
    return all;
  };
  for (const bool longSizes : {false, true}) {
    const Bytes bytes = build(longSizes);
    std::string error;
    const auto info = ParseEsDescriptor(ByteView(bytes), &error);
    ASSERT_TRUE(info) << error;
    EXPECT_EQ(info->objectType, 0x40);
    EXPECT_EQ(info->avgBitrate, 0x01F400u);
    EXPECT_EQ(info->decoderSpecificInfo, dsi);
  }
  // A size that never ends, and one longer than the bytes.
  std::string error;
  EXPECT_FALSE(ParseEsDescriptor(ByteView(Bytes{0x03, 0x80, 0x80, 0x80, 0x80, 0x01}), &error));
  EXPECT_FALSE(ParseEsDescriptor(ByteView(Bytes{0x03, 0x10, 0x00}), &error));
}

TEST(IsoSampleEntryTest, Dac3BitFields) {
  // fscod 01, bsid 01000, bsmod 011, acmod 111, lfeon 1, bit rate code 01110, reserved 00000
  const Bytes payload{0b01010000, 0b11111101, 0b11000000};
  const auto ac3 = ParseDac3(ByteView(payload));
  ASSERT_TRUE(ac3);
  EXPECT_EQ(ac3->fscod, 1);
  EXPECT_EQ(ac3->bsid, 8);
  EXPECT_EQ(ac3->bsmod, 3);
  EXPECT_EQ(ac3->acmod, 7);
  EXPECT_EQ(ac3->lfeon, 1);
  EXPECT_EQ(ac3->bitRateCode, 14);
  EXPECT_FALSE(ParseDac3(ByteView(Bytes{0x50, 0xFD})));
}

TEST(IsoSampleEntryTest, PackedLanguage) {
  EXPECT_EQ(DecodeLanguage(0x55C4), "und");
  EXPECT_EQ(DecodeLanguage(0x15C7), "eng");
  EXPECT_EQ(DecodeLanguage(0x1A41), "fra");
  EXPECT_EQ(DecodeLanguage(0), "und");      // QuickTime's Macintosh code for English
  EXPECT_EQ(DecodeLanguage(0x7FFF), "und");  // letters out of range
}

}  // namespace
}  // namespace korvel::iso
