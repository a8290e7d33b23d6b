// Header parsing: the ffmpeg fixture against ffprobe, every object kind in a built file, and
// headers whose sizes and counts do not fit.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iomanip>
#include <sstream>

#include "support/cli_run.h"
#include "wmv/asf/asf_errors.h"
#include "wmv/asf/asf_file.h"
#include "wmv/asf/asf_guids.h"
#include "wmv/asf/asf_test_file.h"
#include "wmv/asf/asf_text.h"

namespace korvel::asf {
namespace {

using asf_test::AsfTestFile;
using asf_test::Bytes;
using asf_test::AsfObject;

const std::filesystem::path kFixture = std::filesystem::path(KORVEL_FIXTURE_DIR) / "asf_wmv2.wmv";

HRESULT OpenBytes(const std::vector<uint8_t>& bytes, AsfFile& file) {
  return OpenAsfFile(MakeMemoryByteStream(bytes), file);
}

std::string Ffprobe(const std::string& entries) {
  return korvel::test::RunCommand("ffprobe -v error -of csv=p=0 -show_entries " + entries + " " + korvel::test::Quoted(kFixture)).out;
}

TEST(AsfHeader, FixtureStreamsMatchFfprobe) {
  std::shared_ptr<AsfByteStream> stream;
  ASSERT_EQ(OpenFileByteStream(kFixture, stream), S_OK);
  AsfFile file;
  ASSERT_EQ(OpenAsfFile(stream, file), S_OK);
  const AsfProfile profile = ProfileOf(file);
  ASSERT_EQ(profile.GetStreamCount(), 2u);

  // ffprobe: codec_type,codec_tag,width,height,sample_rate,channels,extradata_size per stream.
  std::istringstream probe(Ffprobe("stream=codec_type,codec_tag,width,height,sample_rate,channels,extradata_size"));
  std::string line;
  for (uint32_t i = 0; i < 2 && std::getline(probe, line); ++i) {
    AsfStreamConfig s;
    ASSERT_EQ(profile.GetStream(i, s), S_OK);
    const WmMediaType& t = s.MediaType();
    const ByteView format(t.format);
    SCOPED_TRACE(line);
    if (line.rfind("video", 0) == 0) {
      EXPECT_EQ(s.GetStreamType(), WMMEDIATYPE_Video);
      EXPECT_EQ(t.formattype, WMFORMAT_VideoInfo);
      ASSERT_GE(t.format.size(), kVideoInfoHeaderSize);
      const uint32_t fourcc = *format.U32LE(kVideoInfoBitmapOffset + 16);
      EXPECT_EQ(t.subtype, FourCCGuid(fourcc));
      std::ostringstream expect;
      expect << "video,0x" << std::hex << fourcc << std::dec << "," << *format.I32LE(52) << "," << *format.I32LE(56)
             << "," << t.format.size() - kVideoInfoHeaderSize;
      EXPECT_EQ(line, expect.str());
      EXPECT_EQ(*format.U32LE(kVideoInfoBitRateOffset), s.GetBitrate());
    } else {
      EXPECT_EQ(s.GetStreamType(), WMMEDIATYPE_Audio);
      EXPECT_EQ(t.formattype, WMFORMAT_WaveFormatEx);
      std::ostringstream expect;
      expect << "audio,0x" << std::hex << std::setw(4) << std::setfill('0') << *format.U16LE(0) << std::dec << ","
             << *format.U32LE(4) << "," << *format.U16LE(2) << "," << *format.U16LE(16);
      EXPECT_EQ(line, expect.str());
      EXPECT_EQ(t.format.size(), kWaveFormatExSize + *format.U16LE(16));
    }
  }
  EXPECT_EQ(file.packetSize, file.header.file.minPacketSize);
  EXPECT_EQ(file.packetCount, file.header.file.dataPacketsCount);
  EXPECT_TRUE(file.simpleIndex.has_value());
}

TEST(AsfHeader, FixtureAttributesAndCodecs) {
  std::shared_ptr<AsfByteStream> stream;
  ASSERT_EQ(OpenFileByteStream(kFixture, stream), S_OK);
  AsfFile file;
  ASSERT_EQ(OpenAsfFile(stream, file), S_OK);
  const AsfHeaderInfo info = HeaderInfoOf(file, ProfileOf(file));
  WMT_ATTR_DATATYPE type{};
  uint8_t value[8] = {};
  uint32_t size = sizeof value;
  ASSERT_EQ(info.GetAttributeByName(0, "Seekable", &type, value, &size), S_OK);
  EXPECT_EQ(type, WMT_TYPE_BOOL);
  EXPECT_EQ(value[0], 1);
  size = sizeof value;
  ASSERT_EQ(info.GetAttributeByName(0, "Duration", &type, value, &size), S_OK);
  EXPECT_EQ(type, WMT_TYPE_QWORD);
  const uint64_t duration = ByteView(value).U64LE(0).value();
  // ffprobe gives each stream the play duration less preroll, in seconds with 3 decimals.
  EXPECT_NEAR(static_cast<double>(duration) / 1e7, std::stod(Ffprobe("stream=duration")), 0.0005);
  size = 0;
  ASSERT_EQ(info.GetAttributeByName(0, "WM/EncodingSettings", &type, nullptr, &size), S_OK);
  std::vector<uint8_t> text(size);
  ASSERT_EQ(info.GetAttributeByName(0, "WM/EncodingSettings", &type, text.data(), &size), S_OK);
  EXPECT_EQ(type, WMT_TYPE_STRING);
  EXPECT_EQ(Utf16LeToUtf8(ByteView(text)) + "\n", Ffprobe("format_tags=encoder"));
  EXPECT_EQ(info.GetCodecInfoCount(), 2u);
  AsfCodecInfo codec;
  ASSERT_EQ(info.GetCodecInfo(0, codec), S_OK);
  EXPECT_EQ(codec.type, WMT_CODECINFO_VIDEO);
}

// A header extension child: extended stream properties for stream 1 with two payload
// extension systems, an average frame time of 400000 and alternate (peak) rate and buffer.
std::vector<uint8_t> ExtendedStreamProperties() {
  Bytes b;
  b.U64(0).U64(0).U32(500000).U32(3000).U32(0).U32(900000).U32(6000).U32(0).U32(0).U32(2);
  b.U16(1).U16(0).U64(400000).U16(1).U16(2);
  b.U16(0).U16(6).Text(u"cam", false);
  b.Id(kPayloadExtensionSampleDuration).U16(2).U32(0);
  b.Id(kPayloadExtensionContentType).U16(1).U32(3).U8(7).U8(8).U8(9);
  return AsfObject(kExtendedStreamPropertiesObject, b.Get());
}

std::vector<uint8_t> ContentDescription() {
  return AsfObject(kContentDescriptionObject,
                Bytes().U16(8).U16(4).U16(0).U16(0).U16(0).Text(u"Ttl").Text(u"A").Get());
}

// Extended content description with one descriptor of each on-disk type 0..5.
std::vector<uint8_t> ExtendedContent() {
  Bytes b;
  b.U16(6);
  b.U16(6).Text(u"St").U16(0).U16(6).Text(u"ab");
  b.U16(6).Text(u"By").U16(1).U16(3).U8(1).U8(2).U8(3);
  b.U16(6).Text(u"Bo").U16(2).U16(4).U32(7);
  b.U16(6).Text(u"Dw").U16(3).U16(4).U32(0x12345678);
  b.U16(6).Text(u"Qw").U16(4).U16(8).U64(0x1122334455667788);
  b.U16(6).Text(u"Wo").U16(5).U16(2).U16(0xBEEF);
  return AsfObject(kExtendedContentDescriptionObject, b.Get());
}

// Metadata: a 16-bit BOOL "IsVBR" for stream 1; library: a GUID for stream 2.
std::vector<uint8_t> Metadata() {
  return AsfObject(kMetadataObject, Bytes().U16(1).U16(0).U16(1).U16(12).U16(2).U32(2).Text(u"IsVBR").U16(1).Get());
}
std::vector<uint8_t> MetadataLibrary() {
  return AsfObject(kMetadataLibraryObject,
                Bytes().U16(1).U16(3).U16(2).U16(4).U16(6).U32(16).Text(u"G").Id(kAudioMedia).Get());
}

std::vector<uint8_t> Scripts() {
  Bytes b;
  b.Id(Guid{}).U16(2).U16(1).U16(4).Text(u"URL");
  b.U32(1500).U16(0).U16(2).Text(u"a").U32(2500).U16(0).U16(2).Text(u"b");
  return AsfObject(kScriptCommandObject, b.Get());
}

std::vector<uint8_t> Markers() {
  Bytes b;
  b.Id(Guid{}).U32(1).U16(0).U16(0);
  b.U64(0).U64(30000000).U16(0).U32(0).U32(0).U32(3).Text(u"M1");
  return AsfObject(kMarkerObject, b.Get());
}

std::vector<uint8_t> Codecs() {
  Bytes b;
  b.Id(Guid{}).U32(1).U16(2).U16(3).Text(u"WM").U16(2).Text(u"d").U16(2).U8(0x61).U8(0x01);
  return AsfObject(kCodecListObject, b.Get());
}

std::vector<uint8_t> Bitrates() {
  return AsfObject(kStreamBitratePropertiesObject, Bytes().U16(1).U16(2).U32(64000).Get());
}

AsfTestFile RichFile() {
  AsfTestFile f;
  f.Video(1, 0x33564D57, 320, -240).Audio(2, 0x0161, 16000);
  f.ExtensionObject(ExtendedStreamProperties()).ExtensionObject(Metadata()).ExtensionObject(MetadataLibrary());
  f.HeaderObject(ContentDescription()).HeaderObject(ExtendedContent()).HeaderObject(Scripts());
  f.HeaderObject(Markers()).HeaderObject(Codecs()).HeaderObject(Bitrates());
  return f;
}

TEST(AsfHeader, EveryObjectKindIsRead) {
  AsfFile file;
  ASSERT_EQ(OpenBytes(RichFile().Build(), file), S_OK);
  const AsfProfile profile = ProfileOf(file);
  const AsfHeaderInfo info = HeaderInfoOf(file, profile);

  AsfStreamConfig video;
  ASSERT_EQ(profile.GetStreamByNumber(1, video), S_OK);
  EXPECT_EQ(video.GetBitrate(), 500000u);
  EXPECT_EQ(video.GetBufferWindow(), 3000u);
  ASSERT_EQ(video.GetDataUnitExtensionCount(), 2);
  AsfDataUnitExtension ext;
  ASSERT_EQ(video.GetDataUnitExtension(1, ext), S_OK);
  EXPECT_EQ(ext.system, kPayloadExtensionContentType);
  EXPECT_EQ(ext.info, (std::vector<uint8_t>{7, 8, 9}));
  const ByteView vih(video.MediaType().format);
  EXPECT_EQ(vih.U64LE(kVideoInfoTimePerFrameOffset), 400000u);
  EXPECT_EQ(vih.U32LE(kVideoInfoBitRateOffset), 500000u);
  EXPECT_EQ(vih.I32LE(8), 320);   // source rectangle right
  EXPECT_EQ(vih.I32LE(12), 240);  // bottom: the height without its top-down sign
  EXPECT_EQ(vih.U32LE(88), 0xC0DEC0DEu);  // codec data after the bitmap header

  AsfStreamConfig audio;
  ASSERT_EQ(profile.GetStreamByNumber(2, audio), S_OK);
  EXPECT_EQ(audio.GetBitrate(), 64000u);  // the stream bitrate object wins over the format's rate

  // Vault: VBR from the stream's 16-bit BOOL, peak rate and buffer from the alternate values.
  WMT_ATTR_DATATYPE type{};
  uint8_t value[4] = {};
  uint32_t size = 4;
  ASSERT_EQ(video.GetPropertyByName("_VBRENABLED", &type, value, &size), S_OK);
  EXPECT_EQ(type, WMT_TYPE_BOOL);
  EXPECT_EQ(value[0], 1);
  ASSERT_EQ(video.GetPropertyByName("_RMAX", &type, value, &size), S_OK);
  EXPECT_EQ(ByteView(value).U32LE(0), 900000u);
  ASSERT_EQ(video.GetPropertyByName("_BMAX", &type, value, &size), S_OK);
  EXPECT_EQ(ByteView(value).U32LE(0), 6000u);
  EXPECT_EQ(video.GetPropertyByName("_VBRQUALITY", &type, value, &size), ASF_E_NOTFOUND);
  EXPECT_EQ(audio.GetPropertyByName("_RMAX", &type, value, &size), ASF_E_NOTFOUND);
  ASSERT_EQ(audio.GetPropertyByName("_VBRENABLED", &type, value, &size), S_OK);
  EXPECT_EQ(value[0], 0);

  struct Expected {
    uint16_t stream;
    const char* name;
    WMT_ATTR_DATATYPE type;
    std::vector<uint8_t> value;
  };
  const Expected expected[] = {
      {0, "Title", WMT_TYPE_STRING, {'T', 0, 't', 0, 'l', 0, 0, 0}},
      {0, "Author", WMT_TYPE_STRING, {'A', 0, 0, 0}},
      {0, "St", WMT_TYPE_STRING, {'a', 0, 'b', 0, 0, 0}},
      {0, "By", WMT_TYPE_BINARY, {1, 2, 3}},
      {0, "Bo", WMT_TYPE_BOOL, {1, 0, 0, 0}},
      {0, "Dw", WMT_TYPE_DWORD, {0x78, 0x56, 0x34, 0x12}},
      {0, "Qw", WMT_TYPE_QWORD, {0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11}},
      {0, "Wo", WMT_TYPE_WORD, {0xEF, 0xBE}},
      {0, "IsVBR", WMT_TYPE_BOOL, {1, 0, 0, 0}},
      {0, "HasVideo", WMT_TYPE_BOOL, {1, 0, 0, 0}},
      {0, "HasScript", WMT_TYPE_BOOL, {0, 0, 0, 0}},
      {0, "Seekable", WMT_TYPE_BOOL, {0, 0, 0, 0}},
      {0, "NumberOfFrames", WMT_TYPE_QWORD, {25 * 10, 0, 0, 0, 0, 0, 0, 0}},
      {1, "IsVBR", WMT_TYPE_BOOL, {1, 0, 0, 0}},
      {2, "G", WMT_TYPE_GUID, std::vector<uint8_t>(kAudioMedia.bytes.begin(), kAudioMedia.bytes.end())},
  };
  for (const auto& e : expected) {
    SCOPED_TRACE(e.name);
    uint32_t length = 0;
    ASSERT_EQ(info.GetAttributeByName(e.stream, e.name, &type, nullptr, &length), S_OK);
    std::vector<uint8_t> got(length);
    ASSERT_EQ(info.GetAttributeByName(e.stream, e.name, &type, got.data(), &length), S_OK);
    EXPECT_EQ(type, e.type);
    EXPECT_EQ(got, e.value);
  }

  AsfScript script;
  ASSERT_EQ(info.GetScriptCount(), 2u);
  ASSERT_EQ(info.GetScript(1, script), S_OK);
  EXPECT_EQ(script.type, "URL");
  EXPECT_EQ(script.command, "b");
  EXPECT_EQ(script.time, (2500u - asf_test::kTestPrerollMs) * 10000u);
  AsfMarkerEntry marker;
  ASSERT_EQ(info.GetMarkerCount(), 1u);
  ASSERT_EQ(info.GetMarker(0, marker), S_OK);
  EXPECT_EQ(marker.name, "M1");
  EXPECT_EQ(marker.time, 30000000u - asf_test::kTestPrerollMs * 10000u);
  AsfCodecInfo codec;
  ASSERT_EQ(info.GetCodecInfo(0, codec), S_OK);
  EXPECT_EQ(codec.name, "WM");
  EXPECT_EQ(codec.type, WMT_CODECINFO_AUDIO);
  EXPECT_EQ(codec.info, (std::vector<uint8_t>{0x61, 0x01}));
}

TEST(AsfHeader, AttributeBuffersFollowTheSizeRules) {
  AsfFile file;
  ASSERT_EQ(OpenBytes(RichFile().Build(), file), S_OK);
  AsfHeaderInfo info = HeaderInfoOf(file, ProfileOf(file));
  WMT_ATTR_DATATYPE type{};
  uint8_t small[3] = {0xAA, 0xAA, 0xAA};
  uint32_t size = sizeof small;
  EXPECT_EQ(info.GetAttributeByName(0, "Dw", &type, small, &size), ASF_E_BUFFERTOOSMALL);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(small[0], 0xAA);
  EXPECT_EQ(info.GetAttributeByName(0, "Nope", &type, nullptr, &size), ASF_E_NOTFOUND);

  uint16_t count = 0;
  ASSERT_EQ(info.GetAttributeCount(0, &count), S_OK);
  std::string name;
  ASSERT_EQ(info.GetAttributeByIndex(0, 0, &name, &type, nullptr, &size), S_OK);
  EXPECT_EQ(name, "Duration");
  EXPECT_EQ(info.GetAttributeByIndex(0, count, &name, &type, nullptr, &size), E_INVALIDARG);

  const uint8_t one[4] = {1, 0, 0, 0};
  EXPECT_EQ(info.SetAttribute(0, "Seekable", WMT_TYPE_BOOL, one, 4), E_INVALIDARG);
  EXPECT_EQ(info.SetAttribute(0, "Mine", WMT_TYPE_DWORD, one, 3), E_INVALIDARG);
  ASSERT_EQ(info.SetAttribute(3, "Mine", WMT_TYPE_DWORD, one, 4), S_OK);
  ASSERT_EQ(info.GetAttributeCount(3, &count), S_OK);
  EXPECT_EQ(count, 1);
}

TEST(AsfHeader, AddedMarkersScriptsAndCodecsReadBack) {
  AsfFile file;
  ASSERT_EQ(OpenBytes(RichFile().Build(), file), S_OK);
  AsfHeaderInfo info = HeaderInfoOf(file, ProfileOf(file));
  info.AddMarker("Chapter", 70000000);
  info.AddScript("TEXT", "hello", 80000000);
  info.AddCodecInfo({"Codec", "Desc", WMT_CODECINFO_VIDEO, {1, 2}});
  AsfMarkerEntry marker;
  ASSERT_EQ(info.GetMarker(info.GetMarkerCount() - 1, marker), S_OK);
  EXPECT_EQ(marker.name, "Chapter");
  EXPECT_EQ(marker.time, 70000000u);
  AsfScript script;
  ASSERT_EQ(info.GetScript(info.GetScriptCount() - 1, script), S_OK);
  EXPECT_EQ(script.command, "hello");
  EXPECT_EQ(script.time, 80000000u);
  AsfCodecInfo codec;
  ASSERT_EQ(info.GetCodecInfo(info.GetCodecInfoCount() - 1, codec), S_OK);
  EXPECT_EQ(codec.info, (std::vector<uint8_t>{1, 2}));
  EXPECT_EQ(info.GetMarker(info.GetMarkerCount(), marker), E_INVALIDARG);
  EXPECT_EQ(info.GetScript(info.GetScriptCount(), script), E_INVALIDARG);
  EXPECT_EQ(info.GetCodecInfo(info.GetCodecInfoCount(), codec), E_INVALIDARG);
}

TEST(AsfHeader, DiskTypeCodesMapBothWays) {
  const std::pair<uint16_t, WMT_ATTR_DATATYPE> table[] = {
      {0, WMT_TYPE_STRING}, {1, WMT_TYPE_BINARY}, {2, WMT_TYPE_BOOL}, {3, WMT_TYPE_DWORD},
      {4, WMT_TYPE_QWORD},  {5, WMT_TYPE_WORD},   {6, WMT_TYPE_GUID}};
  for (const auto& [disk, api] : table) {
    EXPECT_EQ(ApiTypeFromDiskType(disk), api);
    EXPECT_EQ(DiskTypeFromApiType(api, AsfDescriptorSource::kMetadataLibrary), disk);
  }
  EXPECT_FALSE(ApiTypeFromDiskType(7).has_value());
  EXPECT_FALSE(DiskTypeFromApiType(WMT_TYPE_GUID, AsfDescriptorSource::kExtendedContentDescription).has_value());
}

TEST(AsfHeader, MediaTypeBufferRoundTrips) {
  AsfFile file;
  ASSERT_EQ(OpenBytes(RichFile().Build(), file), S_OK);
  AsfStreamConfig video;
  ASSERT_EQ(ProfileOf(file).GetStreamByNumber(1, video), S_OK);
  uint32_t size = 0;
  ASSERT_EQ(video.GetMediaType(nullptr, &size), S_OK);
  std::vector<uint8_t> buffer(size);
  ASSERT_EQ(video.GetMediaType(buffer.data(), &size), S_OK);
  EXPECT_EQ(buffer.size(), kWmMediaTypeHeadSize + video.MediaType().format.size());
  EXPECT_EQ(WmMediaType::FromBuffer(ByteView(buffer)), video.MediaType());
  // Built twice from the same file, the bytes are the same.
  AsfStreamConfig again;
  ASSERT_EQ(ProfileOf(file).GetStreamByNumber(1, again), S_OK);
  EXPECT_EQ(again.MediaType().ToBuffer(), buffer);
  buffer.pop_back();
  EXPECT_FALSE(WmMediaType::FromBuffer(ByteView(buffer)).has_value());
}

TEST(AsfHeader, ProfileCopiesAreCommittedByNumber) {
  AsfFile file;
  ASSERT_EQ(OpenBytes(RichFile().Build(), file), S_OK);
  AsfProfile profile = ProfileOf(file);
  AsfStreamConfig audio;
  ASSERT_EQ(profile.GetStream(1, audio), S_OK);
  audio.SetBufferWindow(1500);
  AsfStreamConfig unchanged;
  ASSERT_EQ(profile.GetStreamByNumber(2, unchanged), S_OK);
  EXPECT_NE(unchanged.GetBufferWindow(), 1500u);
  ASSERT_EQ(profile.ReconfigStream(audio), S_OK);
  ASSERT_EQ(profile.GetStreamByNumber(2, unchanged), S_OK);
  EXPECT_EQ(unchanged.GetBufferWindow(), 1500u);
  ASSERT_EQ(profile.RemoveStreamByNumber(1), S_OK);
  EXPECT_EQ(profile.GetStreamCount(), 1u);
  EXPECT_EQ(profile.GetStreamByNumber(1, unchanged), ASF_E_NOTFOUND);
}

// Byte surgery on a good file; each case names what it breaks.
struct HeaderCase {
  const char* name;
  std::function<void(std::vector<uint8_t>&)> damage;
  HRESULT expected;
};

void Put64(std::vector<uint8_t>& b, size_t at, uint64_t v) {
  for (size_t i = 0; i < 8; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
size_t Find(const std::vector<uint8_t>& b, const Guid& g) {
  return static_cast<size_t>(std::search(b.begin(), b.end(), g.bytes.begin(), g.bytes.end()) - b.begin());
}

TEST(AsfHeader, DamagedHeadersAreRefused) {
  const std::vector<uint8_t> good = RichFile().Build();
  const HeaderCase cases[] = {
      {"not asf", [](auto& b) { b[0] ^= 0xFF; }, NS_E_INVALID_INPUT_FORMAT},
      {"empty", [](auto& b) { b.clear(); }, NS_E_INVALID_INPUT_FORMAT},
      {"cut inside the header", [](auto& b) { b.resize(200); }, NS_E_FILE_CORRUPTED},
      {"header size beyond the file", [](auto& b) { Put64(b, 16, b.size() + 1); }, NS_E_FILE_CORRUPTED},
      {"header size below its head", [](auto& b) { Put64(b, 16, 29); }, NS_E_FILE_CORRUPTED},
      {"header size of 2^64-1", [](auto& b) { Put64(b, 16, ~uint64_t{0}); }, NS_E_FILE_CORRUPTED},
      {"child runs past the header", [](auto& b) { Put64(b, Find(b, kStreamPropertiesObject) + 16, 1u << 20); }, NS_E_FILE_CORRUPTED},
      {"child smaller than its head", [](auto& b) { Put64(b, Find(b, kCodecListObject) + 16, 23); }, NS_E_FILE_CORRUPTED},
      {"file properties renamed away", [](auto& b) { b[Find(b, kFilePropertiesObject)] ^= 1; }, NS_E_FILE_CORRUPTED},
      {"stream number 0", [](auto& b) { b[Find(b, kStreamPropertiesObject) + 24 + 48] = 0; }, NS_E_FILE_CORRUPTED},
      {"type data longer than the object", [](auto& b) { b[Find(b, kStreamPropertiesObject) + 24 + 43] = 0x7F; }, NS_E_FILE_CORRUPTED},
      {"packet sizes differ", [](auto& b) { b[Find(b, kFilePropertiesObject) + 24 + 68] ^= 1; }, NS_E_FILE_CORRUPTED},
      {"packets of 4 GB",  // the reader would allocate a packet buffer this large
       [](auto& b) {
         const size_t sizes = Find(b, kFilePropertiesObject) + 24 + 68;
         for (size_t i = 0; i < 8; ++i) b[sizes + i] = i % 4 == 3 ? 0xF0 : 0xFF;
       },
       NS_E_FILE_CORRUPTED},
      {"no data object", [](auto& b) { b[Find(b, kDataObject) + 3] ^= 1; }, NS_E_FILE_CORRUPTED},
      {"extension data beyond its object", [](auto& b) { b[Find(b, kHeaderExtensionObject) + 24 + 18 + 2] = 0x7F; }, NS_E_FILE_CORRUPTED},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> bytes = good;
    c.damage(bytes);
    AsfFile file;
    EXPECT_EQ(OpenBytes(bytes, file), c.expected);
  }
}

TEST(AsfHeader, DescriptiveCountsBeyondTheDataKeepWhatIsThere) {
  // Ten descriptors announced, one present; a marker count of 2^32-1 with one marker.
  Bytes content;
  content.U16(10).U16(6).Text(u"Ok").U16(0).U16(4).Text(u"v");
  Bytes markers;
  markers.Id(Guid{}).U32(0xFFFFFFFF).U16(0).U16(0).U64(0).U64(20000000).U16(0).U32(0).U32(0).U32(2).Text(u"m");
  // A title longer than the object, then empty fields: the fields after the failed one must not
  // count as read (this crashed the parser once).
  const auto description = AsfObject(kContentDescriptionObject, Bytes().U16(200).U16(0).U16(0).U16(0).U16(0).Get());
  AsfTestFile f;
  f.Video(1, 0x32564D57, 16, 16);
  f.HeaderObject(AsfObject(kExtendedContentDescriptionObject, content.Get()));
  f.HeaderObject(AsfObject(kMarkerObject, markers.Get()));
  f.HeaderObject(description);
  AsfFile file;
  ASSERT_EQ(OpenBytes(f.Build(), file), S_OK);
  const AsfHeaderInfo info = HeaderInfoOf(file, ProfileOf(file));
  uint32_t size = 0;
  EXPECT_EQ(info.GetAttributeByName(0, "Ok", nullptr, nullptr, &size), S_OK);
  EXPECT_EQ(info.GetMarkerCount(), 1u);
  EXPECT_FALSE(file.header.contentDescription.has_value());
  EXPECT_EQ(info.GetAttributeByName(0, "Title", nullptr, nullptr, &size), ASF_E_NOTFOUND);
}

}  // namespace
}  // namespace korvel::asf
