// Damaged program and transport streams: the analyzer, the repair check and the remuxer end
// on each of them, without a crash or a hang. Run under the sanitizer build, this is the
// engine's corpus test: the code around FFmpeg is ours.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/file_read.h"
#include "ffmpeg/ffm_needs_reconstruct.h"
#include "ffmpeg/ffm_remuxer.h"
#include "mediainfo/ffm_media_info.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

using test::Fixture;

struct Damage {
  const char* name;
  const char* fixture;
  double keep;        // share of the file kept
  uint32_t stride;    // every stride-th byte is overwritten (0: none)
  bool intactPrefix;  // only cut short: what is left must still copy
};

std::vector<uint8_t> Damaged(const Damage& d) {
  std::vector<uint8_t> bytes = ReadWholeFile(Fixture(d.fixture), size_t{16} << 20).value_or(std::vector<uint8_t>{});
  bytes.resize(static_cast<size_t>(static_cast<double>(bytes.size()) * d.keep));
  // A fixed generator: every run damages the same bytes.
  uint32_t state = 0x2545F491u;
  if (d.stride != 0)
    for (size_t i = d.stride; i < bytes.size(); i += d.stride) {
      state = state * 1664525u + 1013904223u;
      bytes[i] = static_cast<uint8_t>(state >> 24);
    }
  return bytes;
}

class FfmDamagedInput : public testing::TestWithParam<Damage> {};

TEST_P(FfmDamagedInput, EveryPathEndsCleanly) {
  test::TempDir dir;
  const auto source = dir / (std::string("damaged_") + GetParam().fixture);
  test::WriteFileBytes(source, Damaged(GetParam()));

  QdMediaInfo info;
  if (DescribeFfmFile(source, info)) {
    EXPECT_NE(info.Kind, 0);
    EXPECT_EQ(static_cast<size_t>(info.StreamCount()), info.Streams.size());
  }
  NeedsReconstruct(source);

  // Written in the container it came in.
  const auto out = dir / ("out" + std::filesystem::path(GetParam().fixture).extension().string());
  for (const bool window : {false, true}) {
    SFFMpegFmtClass remuxer;
    TClipWindow clip;
    clip.RequestedStart = 700;
    clip.RequestedEnd = 1500;
    const bool copied = remuxer.RunClip(source, out, true, window ? &clip : nullptr);
    const bool finished = remuxer.Finish();
    if (GetParam().intactPrefix) {
      EXPECT_TRUE(copied) << "window " << window;
    }
    if (copied) {
      EXPECT_TRUE(finished);
    }
    std::filesystem::remove(out);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, FfmDamagedInput,
    testing::Values(Damage{"PsHalf", "ps_mpeg2_mp2.mpg", 0.5, 0, true}, Damage{"PsEvery97", "ps_mpeg2_mp2.mpg", 1.0, 97, false},
                    Damage{"PsEvery11", "ps_mpeg1_mp2.mpg", 1.0, 11, false}, Damage{"VobTail", "vob_mpeg2_ac3.vob", 0.07, 0, true},
                    Damage{"TsHalf", "ts_h264_aac.ts", 0.5, 0, true}, Damage{"TsEvery188", "ts_mpeg2_ac3.ts", 1.0, 188, false},
                    Damage{"TsEvery13", "ts_h264_aac.ts", 1.0, 13, false}, Damage{"TsFirstPackets", "ts_mpeg2_ac3.ts", 0.002, 0, false}),
    [](const testing::TestParamInfo<Damage>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvel
