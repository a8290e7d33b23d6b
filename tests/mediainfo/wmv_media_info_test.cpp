// The ASF analyzer on the fixtures and on files built in memory: stream types, sizes, frame
// rates, codec names and descriptions, VBR modes, the "Seekable" attribute as IndexOK, refused
// files, and the rows of the difference table for two ASF files.
#include "mediainfo/wmv_media_info.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "base/byte_view.h"
#include "base/file_read.h"
#include "base/fourcc.h"
#include "lang/lang.h"
#include "mediainfo/analyze_media_file.h"
#include "mediainfo/container_kind.h"
#include "mediainfo/difference_rows.h"
#include "mediainfo/same_format.h"
#include "mediainfo/wmv_differences.h"
#include "produce/english_texts.h"
#include "support/cli_run.h"
#include "support/temp_dir.h"
#include "wmv/asf/asf_guids.h"
#include "wmv/asf/asf_test_file.h"

namespace korvel {
namespace {

using asf_test::AsfTestFile;
using asf_test::Bytes;
using test::Fixture;

constexpr FOURCC kWmv3 = MakeFourCC('W', 'M', 'V', '3');
constexpr FOURCC kWmv2 = MakeFourCC('W', 'M', 'V', '2');
constexpr uint64_t kNtscFrameTime = 333667;  // 100 ns: 29.97 frames per second

// Extended stream properties that give a stream its average time per frame (100 ns).
std::vector<uint8_t> FrameTime(uint16_t stream, uint64_t averageTimePerFrame) {
  Bytes b;
  b.U64(0).U64(0);
  for (int field = 0; field < 8; ++field) b.U32(0);  // rates, buffers, object size, flags
  b.U16(stream).U16(0).U64(averageTimePerFrame).U16(0).U16(0);
  return asf_test::AsfObject(asf::kExtendedStreamPropertiesObject, b.Get());
}

AsfTestFile NtscVideo(FOURCC codec) {
  AsfTestFile f;
  f.Video(1, codec, 640, 480).ExtensionObject(FrameTime(1, kNtscFrameTime));
  return f;
}

std::filesystem::path Write(const test::TempDir& dir, const std::string& name, const AsfTestFile& f) {
  const auto file = dir / name;
  test::WriteFileBytes(file, f.Build());
  return file;
}

std::string FfprobeVideoSize(const std::filesystem::path& file) {
  return test::RunCommand("ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=p=0 " +
                          test::Quoted(file))
      .out;
}

TEST(WmvMediaInfo, FixturesAreDescribedWithIndexOKFromSeekable) {
  struct Case {
    const char* file;
    bool indexOK;
  };
  for (const Case& c : {Case{"asf_wmv2.wmv", true}, Case{"asf_wmv2_noindex.wmv", false}}) {
    SCOPED_TRACE(c.file);
    QdMediaInfo info;
    ASSERT_TRUE(AnalyzeMediaFile(Fixture(c.file), info));
    EXPECT_EQ(info.Kind, kKindAsf);
    EXPECT_EQ(info.FileName, Fixture(c.file));
    EXPECT_EQ(info.IndexOK, c.indexOK);
    ASSERT_EQ(info.StreamCount(), 2);
    EXPECT_EQ(info.ComparableCount(), 2);
    const QdMediaStream& video = info.Streams[0];
    EXPECT_EQ(video.Index, 0);
    EXPECT_EQ(video.StreamType, kStreamVideo);
    EXPECT_EQ(video.CodecName, "Windows Media Video V8");
    EXPECT_EQ(std::to_string(video.Width) + "," + std::to_string(video.Height) + "\n", FfprobeVideoSize(Fixture(c.file)));
    // The muxer states no frame time, so the rate is unknown and the description has the size only.
    EXPECT_EQ(video.CodecDesc, std::to_string(video.Width) + " x " + std::to_string(video.Height));
    EXPECT_EQ(video.RateX1000, 0);
    EXPECT_EQ(video.MediaTypeGuids[0], asf::WMMEDIATYPE_Video);
    EXPECT_EQ(video.MediaTypeGuids[1], asf::FourCCGuid(kWmv2));
    EXPECT_EQ(video.MediaTypeGuids[2], asf::WMFORMAT_VideoInfo);
    const QdMediaStream& audio = info.Streams[1];
    EXPECT_EQ(audio.Index, 1);
    EXPECT_EQ(audio.StreamType, kStreamAudio);
    // wmav2 is format tag 0x0161, which the table names whatever else would know it.
    EXPECT_EQ(audio.CodecName, "Windows Media Audio V9");
    EXPECT_EQ(audio.CodecDesc, "44,100 Hz, 16 bits, Mono");
    EXPECT_EQ(audio.BitRate, 128000u);
    EXPECT_EQ(audio.VbrMode, kVbrConstant);
  }
}

TEST(WmvMediaInfo, BuiltStreamsGetSizeRateNameAndVbrMode) {
  AsfTestFile f = NtscVideo(kWmv3);
  f.Video(2, MakeFourCC('Z', 'Q', 'X', '9'), 320, 240);
  f.Audio(3, 0x0161, 0x7FFFFF5A);
  test::TempDir dir;
  QdMediaInfo info;
  ASSERT_TRUE(DescribeWmvFile(Write(dir, "built.wmv", f), info));
  EXPECT_EQ(info.Kind, kKindAsf);
  EXPECT_FALSE(info.IndexOK);  // no index object: not seekable
  ASSERT_EQ(info.StreamCount(), 3);
  const QdMediaStream& wmv3 = info.Streams[0];
  EXPECT_EQ(wmv3.StreamType, kStreamVideo);
  EXPECT_EQ(wmv3.CodecName, "Windows Media Video V9");
  EXPECT_EQ(wmv3.Width, 640);
  EXPECT_EQ(wmv3.Height, 480);
  EXPECT_EQ(wmv3.RateX1000, 29970);
  EXPECT_EQ(wmv3.CodecDesc, "640 x 480, 29.970 fps");
  const QdMediaStream& unknown = info.Streams[1];
  EXPECT_EQ(unknown.StreamType, kStreamVideo);
  EXPECT_EQ(unknown.CodecName, "Unknown Codec");
  EXPECT_EQ(unknown.CodecDesc, "320 x 240");
  EXPECT_EQ(unknown.RateX1000, 0);
  const QdMediaStream& audio = info.Streams[2];
  EXPECT_EQ(audio.Index, 2);
  EXPECT_EQ(audio.StreamType, kStreamAudio);
  EXPECT_EQ(audio.CodecName, "Windows Media Audio V9");
  EXPECT_EQ(audio.CodecDesc, "44,100 Hz, 16 bits, Stereo");
  EXPECT_EQ(audio.VbrMode, kVbrQuality);
}

TEST(WmvMediaInfo, IndexedBuiltFileIsSeekable) {
  AsfTestFile f = NtscVideo(kWmv3);
  asf_test::TestPayload frame;
  frame.key = true;
  frame.timeMs = asf_test::kTestPrerollMs;
  frame.data.assign(16, 7);
  f.AddPacket(asf_test::Packet(0, {frame}));
  f.Index(1000, {0});
  test::TempDir dir;
  QdMediaInfo info;
  ASSERT_TRUE(DescribeWmvFile(Write(dir, "indexed.wmv", f), info));
  EXPECT_TRUE(info.IndexOK);
}

TEST(WmvMediaInfo, DamagedAndForeignFilesAreRefusedWithoutStreams) {
  test::TempDir dir;
  const std::vector<uint8_t> whole = ReadWholeFile(Fixture("asf_wmv2.wmv"), 64 << 20).value();
  const auto headerSize = static_cast<size_t>(*ByteView(whole).U64LE(16));
  const auto write = [&](const std::string& name, std::vector<uint8_t> bytes) {
    test::WriteFileBytes(dir / name, bytes);
    return dir / name;
  };
  std::vector<uint8_t> hugeHeader = whole;
  for (size_t i = 16; i < 24; ++i) hugeHeader[i] = 0xFF;
  const std::vector<std::filesystem::path> files = {
      write("header_cut.wmv", std::vector<uint8_t>(whole.begin(), whole.begin() + headerSize / 2)),
      write("no_data_object.wmv", std::vector<uint8_t>(whole.begin(), whole.begin() + headerSize)),
      write("huge_header.wmv", hugeHeader),
      write("guid_only.wmv", std::vector<uint8_t>(whole.begin(), whole.begin() + 16)),
      Fixture("avi_wmv2.avi"),
      Fixture("tiny_15_bytes.bin"),
      dir / "missing.wmv",
      dir.path(),
  };
  for (const auto& file : files) {
    SCOPED_TRACE(file.string());
    QdMediaInfo info;
    info.AllocStreams(2);  // stale streams must not survive
    EXPECT_FALSE(DescribeWmvFile(file, info));
    EXPECT_EQ(info.Kind, kKindAsf);
    EXPECT_TRUE(info.Streams.empty());
  }
}

TEST(WmvMediaInfo, ProfilesOfMoreThan127StreamsAreRefused) {
  asf::AsfHeader header;
  for (uint16_t number = 1; number <= 128; ++number) {
    asf::AsfStreamProperties stream;
    stream.streamType = asf::kCommandMedia;
    stream.streamNumber = number;
    header.streams.push_back(stream);
  }
  QdMediaInfo info;
  info.AllocStreams(1);
  EXPECT_EQ(LoadWmvStreams(info, asf::AsfProfile::FromHeader(header)), E_INVALIDARG);
  EXPECT_TRUE(info.Streams.empty());
  header.streams.pop_back();
  ASSERT_EQ(LoadWmvStreams(info, asf::AsfProfile::FromHeader(header)), S_OK);
  ASSERT_EQ(info.StreamCount(), 127);
  EXPECT_EQ(info.Streams[126].Index, 126);
}

TEST(WmvMediaInfo, ImageScriptAndPlainPcmStreams) {
  const auto stream = [](const Guid& type, uint16_t number, std::vector<uint8_t> typeData) {
    asf::AsfStreamProperties s;
    s.streamType = type;
    s.streamNumber = number;
    s.typeData = std::move(typeData);
    return s;
  };
  asf::AsfHeader header;
  header.streams = {
      stream(asf::kJfifMedia, 1, Bytes().U32(320).U32(200).U32(0).Get()),
      stream(asf::kCommandMedia, 2, {}),
      // A WAVEFORMATEX without extra bytes is 18 bytes long, and complete.
      stream(asf::kAudioMedia, 3, Bytes().U16(0x0001).U16(1).U32(8000).U32(16000).U16(2).U16(16).U16(0).Get()),
  };
  QdMediaInfo info;
  ASSERT_EQ(LoadWmvStreams(info, asf::AsfProfile::FromHeader(header)), S_OK);
  ASSERT_EQ(info.StreamCount(), 3);
  const QdMediaStream& image = info.Streams[0];
  EXPECT_EQ(image.StreamType, kStreamOther);
  EXPECT_EQ(image.Width, 320);
  EXPECT_EQ(image.Height, 200);
  EXPECT_EQ(image.CodecDesc, "320 x 200");
  EXPECT_TRUE(image.CodecName.empty());
  const QdMediaStream& script = info.Streams[1];
  EXPECT_EQ(script.StreamType, kStreamOther);
  EXPECT_EQ(script.MediaTypeGuids[0], asf::WMMEDIATYPE_Script);
  EXPECT_TRUE(script.CodecName.empty());
  EXPECT_TRUE(script.CodecDesc.empty());
  const QdMediaStream& pcm = info.Streams[2];
  EXPECT_EQ(pcm.CodecName, "Uncompress, PCM");
  EXPECT_EQ(pcm.CodecDesc, "8,000 Hz, 16 bits, Mono");
}

TEST(WmvMediaInfo, LongFileNamesAreUsedWhole) {
  test::TempDir dir;
  std::filesystem::path folder = dir.path();
  while (folder.string().size() < 300) folder /= std::string(60, 'd');
  std::filesystem::create_directories(folder);
  const auto file = folder / "clip.wmv";
  std::filesystem::copy_file(Fixture("asf_wmv2.wmv"), file);
  ASSERT_GT(file.string().size(), 300u);
  QdMediaInfo info;
  ASSERT_TRUE(DescribeWmvFile(file, info));
  EXPECT_EQ(info.StreamCount(), 2);
}

// Audio stream properties and the average bytes per second of its WAVEFORMATEX.
struct VbrCase {
  const char* name;
  std::vector<asf::AsfAttribute> properties;
  uint32_t averageBytes;
  std::tuple<bool, uint32_t, uint32_t, uint32_t, uint32_t> expected;  // vbr, mode, quality, peak, passes
};

class WmvVbrModes : public testing::TestWithParam<VbrCase> {};

TEST_P(WmvVbrModes, FollowPropertiesAndTheQualityMark) {
  const VbrCase& c = GetParam();
  asf::WmMediaType type;
  type.majortype = asf::WMMEDIATYPE_Audio;
  type.subtype = asf::FourCCGuid(0x0161);
  type.formattype = asf::WMFORMAT_WaveFormatEx;
  type.format = Bytes().U16(0x0161).U16(2).U32(44100).U32(c.averageBytes).U16(4).U16(16).U16(0).Get();
  asf::AsfStreamConfig config;
  config.SetMediaType(type);
  for (const auto& property : c.properties) config.SetProperty(property);
  const WmvVbrMode got = GetVbrMode(config);
  EXPECT_EQ(std::tuple(got.vbr, got.mode, got.quality, got.peakRate, got.passes), c.expected);
}

const asf::AsfAttribute kEnabled = asf::MakeBoolAttribute("_VBRENABLED", true);
const asf::AsfAttribute kPeak = asf::MakeDwordAttribute("_RMAX", 400000);
const asf::AsfAttribute kBuffer = asf::MakeDwordAttribute("_BMAX", 3000);
const asf::AsfAttribute kQuality = asf::MakeDwordAttribute("_VBRQUALITY", 75);

INSTANTIATE_TEST_SUITE_P(
    Properties, WmvVbrModes,
    testing::Values(
        VbrCase{"Constant", {}, 16000, {false, kVbrConstant, 0, 0, 1}},
        VbrCase{"Unconstrained", {kEnabled}, 16000, {true, kVbrUnconstrained, 0, 0, 2}},
        VbrCase{"PeakWithoutBuffer", {kEnabled, kPeak}, 16000, {true, kVbrUnconstrained, 0, 400000, 2}},
        VbrCase{"PeakConstrained", {kEnabled, kPeak, kBuffer}, 16000, {true, kVbrPeakConstrained, 0, 400000, 2}},
        VbrCase{"QualityProperty", {kEnabled, kPeak, kBuffer, kQuality}, 16000, {true, kVbrQuality, 75, 400000, 1}},
        VbrCase{"Disabled", {asf::MakeBoolAttribute("_VBRENABLED", false), kPeak, kBuffer, kQuality}, 16000,
                {false, kVbrConstant, 0, 0, 1}},
        VbrCase{"QualityMark", {}, 0x7FFFFF5A, {false, kVbrQuality, 90, 0, 1}},
        VbrCase{"QualityMarkWins", {kEnabled, kPeak, kBuffer}, 0x7FFFFF5A, {true, kVbrQuality, 90, 400000, 1}},
        VbrCase{"NotQuiteTheMark", {}, 0x7FFFFE5A, {false, kVbrConstant, 0, 0, 1}},
        // A peak of the wrong size is not read: no peak, so no peak constraint.
        VbrCase{"PeakOfWrongType", {kEnabled, asf::MakeQwordAttribute("_RMAX", 400000), kBuffer}, 16000,
                {true, kVbrUnconstrained, 0, 0, 2}}),
    [](const testing::TestParamInfo<VbrCase>& info) { return std::string(info.param.name); });

TEST(WmvMediaInfo, CliInfoShowsTheAsfDescription) {
  const test::CliRun run =
      test::RunCli("info " + test::Quoted(Fixture("asf_wmv2.wmv")) + " " + test::Quoted(Fixture("asf_wmv2_noindex.wmv")));
  EXPECT_EQ(run.exitCode, 0) << run.out;
  size_t at = 0;
  for (const char* text : {"Kind: ASF (WMV) (2/0)", "IndexOK: 1", "CodecName        Windows Media Video V8",
                           "CodecDesc        160 x 120", "CodecName        Windows Media Audio V9",
                           "CodecDesc        44,100 Hz, 16 bits, Mono", "asf_wmv2_noindex.wmv", "IndexOK: 0"}) {
    at = run.out.find(text, at);
    ASSERT_NE(at, std::string::npos) << text << "\n" << run.out;
  }
}

// WMV3 without a frame time.
AsfTestFile SmallVideo() {
  AsfTestFile f;
  f.Video(1, kWmv3, 320, 240);
  return f;
}

AsfTestFile OneAudio(uint16_t tag) {
  AsfTestFile f;
  f.Audio(1, tag, 16000);
  return f;
}

struct DifferenceCase {
  const char* name;
  AsfTestFile first, second;
  const char* typeWord;  // the language file's word for the stream type
  std::string codec1, codec2, description1, description2;
};

class WmvDifferenceRows : public test::EnglishTexts, public testing::WithParamInterface<DifferenceCase> {};

TEST_P(WmvDifferenceRows, NameTheCodecsAndDescriptionsOfThePair) {
  const DifferenceCase& c = GetParam();
  test::TempDir dir;
  QdMediaInfo a;
  QdMediaInfo b;
  ASSERT_TRUE(AnalyzeMediaFile(Write(dir, "a.wmv", c.first), a));
  ASSERT_TRUE(AnalyzeMediaFile(Write(dir, "b.wmv", c.second), b));
  QdMISameChk chk;
  ASSERT_FALSE(IsSameFormat(&a, &b, &chk));
  TDifferenceRows rows;
  ListWmvDifferences(chk, rows);
  const std::string stream = LangStr("Base", "Stream");
  const std::string word = LangStr("Base", c.typeWord);
  EXPECT_EQ(rows.Labels, (std::vector<std::string>{stream + " Count", stream + " " + LangStr("Base", "Type"),
                                                   word + " " + LangStr("Base", "Codec"),
                                                   stream + " " + LangStr("Base", "Description")}));
  EXPECT_EQ(rows.Values1, (std::vector<std::string>{"1", word, c.codec1, c.description1}));
  EXPECT_EQ(rows.Values2, (std::vector<std::string>{"1", word, c.codec2, c.description2}));
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, WmvDifferenceRows,
    testing::Values(DifferenceCase{"VideoCodec", NtscVideo(kWmv3), NtscVideo(kWmv2), "Video", "Windows Media Video V9",
                                   "Windows Media Video V8", "640 x 480, 29.970 fps", "640 x 480, 29.970 fps"},
                    DifferenceCase{"VideoSize", NtscVideo(kWmv3), SmallVideo(), "Video", "Windows Media Video V9",
                                   "Windows Media Video V9", "640 x 480, 29.970 fps", "320 x 240"},
                    DifferenceCase{"AudioCodec", OneAudio(0x0161), OneAudio(0x0162), "Audio", "Windows Media Audio V9",
                                   "Windows Media Audio V9 Professional", "44,100 Hz, 16 bits, Stereo",
                                   "44,100 Hz, 16 bits, Stereo"}),
    [](const testing::TestParamInfo<DifferenceCase>& info) { return std::string(info.param.name); });

TEST(WmvMediaInfo, CliCheckPrintsTheAsfRows) {
  test::TempDir dir;
  const auto first = Write(dir, "wmv3.wmv", NtscVideo(kWmv3));
  const auto second = Write(dir, "wmv2.wmv", NtscVideo(kWmv2));
  const std::string english = test::Quoted(std::string(KORVEL_LANGUAGE_SOURCE_DIR) + "/g0409_eng.ini");
  const test::CliRun run = test::RunCli("check --lang " + english + " " + test::Quoted(first) + " " + test::Quoted(second));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out,
            "not compatible: stream 0 of the first file does not match stream 0 of the second\n"
            "                       First file             | Second file\n"
            "  File name          : wmv3.wmv               | wmv2.wmv\n"
            "  Media Format       : ASF (WMV)              | ASF (WMV)\n"
            "  Stream Count       : 1                      | 1\n"
            "  Stream Type        : Video                  | Video\n"
            "  Video Codec        : Windows Media Video V9 | Windows Media Video V8\n"
            "  Stream Description : 640 x 480, 29.970 fps  | 640 x 480, 29.970 fps\n");
}

}  // namespace
}  // namespace korvel
