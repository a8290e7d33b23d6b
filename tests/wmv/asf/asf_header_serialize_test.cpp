// Writing headers: what the reader parses comes back unchanged when written and parsed again,
// and the header of a file that uses only objects we model is written byte for byte as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "base/file_read.h"
#include "support/temp_dir.h"
#include "wmv/asf/asf_errors.h"
#include "wmv/asf/asf_guids.h"
#include "wmv/asf/asf_header_parse.h"
#include "wmv/asf/asf_header_serialize.h"
#include "wmv/asf/asf_test_file.h"
#include "wmv/asf/asf_text.h"

namespace korvel::asf {
namespace {

AsfHeader Parsed(const std::vector<uint8_t>& headerObject) {
  AsfHeader header;
  EXPECT_EQ(ParseAsfHeader(ByteView(headerObject), header), S_OK);
  return header;
}

std::vector<uint8_t> HeaderObjectOf(const std::vector<uint8_t>& file) {
  const auto size = ByteView(file).U64LE(16);
  if (!size || *size > file.size()) return {};
  return {file.begin(), file.begin() + static_cast<ptrdiff_t>(*size)};
}

class FixtureHeader : public ::testing::TestWithParam<const char*> {};

TEST_P(FixtureHeader, IsWrittenByteForByte) {
  const auto file = ReadWholeFile(test::Fixture(GetParam()), 64 << 20);
  ASSERT_TRUE(file.has_value());
  const auto original = HeaderObjectOf(*file);
  ASSERT_FALSE(original.empty());
  const AsfHeader header = Parsed(original);
  const auto written = SerializeAsfHeader(header);
  EXPECT_EQ(Parsed(written), header);
  EXPECT_EQ(written, original);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, FixtureHeader, ::testing::Values("asf_wmv2.wmv", "asf_wmv2_noindex.wmv"));

AsfStreamProperties Stream(uint16_t number, const Guid& type, std::vector<uint8_t> typeData) {
  AsfStreamProperties s;
  s.streamType = type;
  s.errorCorrectionType = MakeGuid(0x20FB5700, 0x5B55, 0x11CF, {0xA8, 0xFD, 0x00, 0x80, 0x5F, 0x5C, 0x44, 0x2B});
  s.streamNumber = number;
  s.timeOffset = 1234;
  s.typeData = std::move(typeData);
  return s;
}

AsfDescriptor Descriptor(AsfDescriptorSource source, uint16_t stream, std::string name, uint16_t diskType,
                         std::vector<uint8_t> value, uint16_t language = 0) {
  return {source, stream, language, std::move(name), diskType, std::move(value)};
}

// A header using every field the reader keeps: an audio stream with spread error correction,
// an encrypted stream, a stream that only an extended stream properties object declares,
// payload extension systems, descriptors of all three objects, texts, codecs, scripts of two
// types, markers and bitrates.
AsfHeader RichHeader() {
  AsfHeader h;
  h.file = {MakeGuid(1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}), 123456, 0x01D0000000000000, 42, 50000000, 40000000, 3000,
            0x2, 3200, 3200, 640000};
  h.streams.push_back(Stream(1, kVideoMedia, {1, 2, 3, 4, 5}));
  AsfStreamProperties audio = Stream(2, kAudioMedia, {9, 8, 7});
  audio.errorCorrectionType = kAudioSpread;
  audio.errorCorrectionData = {1, 0x40, 0, 0x40, 0, 0};
  audio.encrypted = true;
  h.streams.push_back(audio);
  h.streams.push_back(Stream(3, kCommandMedia, {}));  // declared inside its extended properties

  AsfExtendedStreamProperties video;
  video = {1, 2, 500000, 3000, 100, 900000, 6000, 200, 7777, 0x2, 1, 0, 400000, {}, std::nullopt};
  video.payloadExtensions = {{kPayloadExtensionSampleDuration, 2, {}},
                             {kPayloadExtensionContentType, 0xFFFF, {7, 8, 9}}};
  h.extendedStreams.push_back(video);
  AsfExtendedStreamProperties hidden;
  hidden.streamNumber = 3;
  hidden.languageIndex = 1;
  hidden.embeddedStream = h.streams[2];
  h.extendedStreams.push_back(hidden);

  h.contentDescription = AsfContentDescription{"Title é", "", "(c)", "Some description", "PG"};
  const auto text = Utf8ToUtf16LeTerminated("Wert ü");
  h.descriptors = {
      Descriptor(AsfDescriptorSource::kMetadata, 1, "AspectRatioX", 3, {1, 0, 0, 0}),
      Descriptor(AsfDescriptorSource::kMetadata, 2, "IsVBR", 2, {1, 0}),
      Descriptor(AsfDescriptorSource::kMetadataLibrary, 0, "WM/Picture", 1, std::vector<uint8_t>(300, 0x5A), 1),
      Descriptor(AsfDescriptorSource::kMetadataLibrary, 2, "G", 6, std::vector<uint8_t>(16, 0x11), 2),
      Descriptor(AsfDescriptorSource::kExtendedContentDescription, 0, "WM/Text", 0, text),
      Descriptor(AsfDescriptorSource::kExtendedContentDescription, 0, "WM/Word", 5, {0xEF, 0xBE}),
      Descriptor(AsfDescriptorSource::kExtendedContentDescription, 0, "", 1, {}),
  };
  h.codecs = {{1, "WMV3", "", {0x57, 0x4D}}, {2, "Audio codec", "stereo", {}}, {0xFFFF, "", "", {1}}};
  h.scripts = {{"URL", "http://x", 15000000}, {"TEXT", "hello", 20000000}, {"URL", "http://y", 25000000}};
  h.markers = {{"Start", 30000000, 0, 0}, {"Mitte", 90000000, 12800, 8000}};
  h.bitrates = {{1, 500000}, {2, 64000}};
  return h;
}

TEST(AsfHeaderSerialize, EveryModelledFieldComesBack) {
  const AsfHeader header = RichHeader();
  EXPECT_EQ(Parsed(SerializeAsfHeader(header)), header);
}

// The parser returns descriptors grouped by their object in file order; any grouping must
// survive, whichever object comes first.
TEST(AsfHeaderSerialize, DescriptorOrderSurvives) {
  AsfHeader header = RichHeader();
  auto& d = header.descriptors;
  std::rotate(d.begin(), d.begin() + 4, d.end());  // extended content description first
  EXPECT_EQ(Parsed(SerializeAsfHeader(header)), header);
  // The metadata library before the metadata object.
  d = RichHeader().descriptors;
  std::stable_partition(d.begin(), d.end(),
                        [](const auto& x) { return x.source == AsfDescriptorSource::kMetadataLibrary; });
  ASSERT_EQ(d.front().source, AsfDescriptorSource::kMetadataLibrary);
  ASSERT_EQ(d[2].source, AsfDescriptorSource::kMetadata);
  EXPECT_EQ(Parsed(SerializeAsfHeader(header)), header);
}

// The test builder puts the streams before the header extension; the order of objects is free.
TEST(AsfHeaderSerialize, BuiltTestFileHeaderComesBack) {
  asf_test::AsfTestFile f;
  f.Video(1, 0x33564D57, 320, -240).Audio(2, 0x0161, 16000, {1, 0x40, 0, 0x40, 0, 0});
  const AsfHeader header = Parsed(HeaderObjectOf(f.Build()));
  EXPECT_EQ(Parsed(SerializeAsfHeader(header)), header);
}

// A padding object: a header child we do not model, as is the language list in the extension.
const Guid kPadding = MakeGuid(0x1806D474, 0xCADF, 0x4509, {0xA4, 0xBA, 0x9A, 0xAB, 0xCB, 0x96, 0xAA, 0xE8});

TEST(AsfHeaderSerialize, UnmodelledObjectsAreKept) {
  asf_test::AsfTestFile f;
  const auto language = asf_test::LanguageListObject();
  const auto padding = asf_test::AsfObject(kPadding, std::vector<uint8_t>(40, 0));
  f.Video(1, 0x33564D57, 320, 240).ExtensionObject(language).HeaderObject(padding);
  const auto original = HeaderObjectOf(f.Build());
  const AsfUnmodelledObjects kept = UnmodelledObjectsOf(ByteView(original));
  ASSERT_EQ(kept, (AsfUnmodelledObjects{{padding}, {language}}));

  const auto written = SerializeAsfHeader(Parsed(original), kept);
  EXPECT_EQ(Parsed(written), Parsed(original));
  EXPECT_EQ(UnmodelledObjectsOf(ByteView(written)), kept);
}

// Values longer than a 16-bit length field are cut to what it can announce rather than having
// their length wrap around and the object misread.
TEST(AsfHeaderSerialize, OverlongValueIsCutNotWrapped) {
  AsfHeader header = RichHeader();
  header.descriptors = {Descriptor(AsfDescriptorSource::kExtendedContentDescription, 0, "Big", 1,
                                   std::vector<uint8_t>(70000, 0x33)),
                        Descriptor(AsfDescriptorSource::kExtendedContentDescription, 0, "After", 3, {5, 0, 0, 0})};
  const AsfHeader back = Parsed(SerializeAsfHeader(header));
  ASSERT_EQ(back.descriptors.size(), 2u);
  EXPECT_EQ(back.descriptors[0].value, std::vector<uint8_t>(UINT16_MAX, 0x33));
  EXPECT_EQ(back.descriptors[1], header.descriptors[1]);
}

}  // namespace
}  // namespace korvel::asf
