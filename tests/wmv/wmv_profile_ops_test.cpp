// The profile changes the WMV producers make before writing: rates a writer cannot use are
// raised, and the best audio and video streams are chosen.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "wmv/asf/asf_guids.h"
#include "wmv/asf/asf_sync_reader.h"
#include "wmv/asf/asf_test_file.h"
#include "wmv/wmv_profile_ops.h"

namespace korvel {
namespace {

constexpr uint32_t kWmv3 = 0x33564D57;

struct StreamRate {
  uint16_t number;
  uint32_t bitrate;
};

// Audio streams 1 and 2 and video stream 3 with the given bit rates.
asf::AsfProfile BuiltProfile(const std::vector<StreamRate>& rates) {
  asf_test::AsfTestFile file;
  file.Audio(1, 0x0161, 8000).Audio(2, 0x0161, 8000).Video(3, kWmv3, 64, 48);
  asf_test::Bytes bitrates;
  bitrates.U16(rates.size());
  for (const StreamRate& rate : rates) bitrates.U16(rate.number).U32(rate.bitrate);
  file.HeaderObject(asf_test::AsfObject(asf::kStreamBitratePropertiesObject, bitrates.Get()));
  file.AddPacket(asf_test::Packet(0, {}));
  const auto reader = asf::CreateSyncReader();
  EXPECT_EQ(reader->OpenStream(asf::MakeMemoryByteStream(file.Build())), S_OK);
  return reader->Profile() ? *reader->Profile() : asf::AsfProfile{};
}

std::vector<uint16_t> Numbers(const asf::AsfProfile& profile) {
  std::vector<uint16_t> numbers;
  std::vector<Guid> types;
  GetStreamTable(profile, types, numbers);
  return numbers;
}

TEST(WmvKeepBestStreams, KeepsTheHighestRateAudioLaterOnTies) {
  struct Case {
    uint32_t audio1, audio2;
    std::vector<uint16_t> kept;
  };
  const Case cases[] = {{64000, 128000, {2, 3}}, {128000, 64000, {1, 3}}, {96000, 96000, {2, 3}}};
  for (const Case& c : cases) {
    asf::AsfProfile profile = BuiltProfile({{1, c.audio1}, {2, c.audio2}, {3, 500000}});
    ASSERT_EQ(profile.GetStreamCount(), 3u);
    ASSERT_EQ(KeepBestStreams(profile, false), S_OK);
    EXPECT_EQ(Numbers(profile), c.kept) << c.audio1 << " " << c.audio2;
  }
}

uint32_t FormatBitrate(const asf::AsfStreamConfig& config) {
  uint32_t value = 0;
  const auto& format = config.MediaType().format;
  if (format.size() >= asf::kVideoInfoHeaderSize) std::memcpy(&value, format.data() + asf::kVideoInfoBitRateOffset, 4);
  return value;
}

TEST(WmvRaiseLowRates, RaisesOnlyWhatIsBelowTheLimits) {
  struct Case {
    uint32_t window, bitrate;
    uint32_t videoWindow, videoBitrate, audioWindow, audioBitrate;
  };
  const Case cases[] = {
      {999, 999, 5000, 99999000, 1500, 9999000},
      {1000, 1000, 1000, 1000, 1000, 1000},
  };
  for (const Case& c : cases) {
    asf::AsfProfile profile = BuiltProfile({{1, c.bitrate}, {2, c.bitrate}, {3, c.bitrate}});
    for (uint16_t number = 1; number <= 3; ++number) {
      asf::AsfStreamConfig config;
      ASSERT_EQ(profile.GetStreamByNumber(number, config), S_OK);
      config.SetBufferWindow(c.window);
      ASSERT_EQ(profile.ReconfigStream(config), S_OK);
    }
    RaiseLowRates(profile);
    asf::AsfStreamConfig audio, video;
    ASSERT_EQ(profile.GetStreamByNumber(1, audio), S_OK);
    ASSERT_EQ(profile.GetStreamByNumber(3, video), S_OK);
    EXPECT_EQ(video.GetBufferWindow(), c.videoWindow);
    EXPECT_EQ(video.GetBitrate(), c.videoBitrate);
    EXPECT_EQ(FormatBitrate(video), c.videoBitrate);
    EXPECT_EQ(audio.GetBufferWindow(), c.audioWindow);
    EXPECT_EQ(audio.GetBitrate(), c.audioBitrate);
  }
}

TEST(WmvChooseStreams, FailsWithoutAudioAndVideo) {
  asf::AsfProfile profile = BuiltProfile({{1, 64000}, {2, 64000}, {3, 64000}});
  for (const uint16_t number : {1, 2, 3}) ASSERT_EQ(profile.RemoveStreamByNumber(number), S_OK);
  TWmvStreamChoice choice;
  EXPECT_EQ(ChooseStreams(profile, choice), E_FAIL);
}

}  // namespace
}  // namespace korvel
