// Storing header information: what callers set (attributes of every type at file level and per
// stream, scripts, markers, codec descriptions) is read back from the written header.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "base/file_read.h"
#include "support/temp_dir.h"
#include "wmv/asf/asf_file.h"
#include "wmv/asf/asf_header_parse.h"
#include "wmv/asf/asf_header_serialize.h"
#include "wmv/asf/asf_header_store.h"
#include "wmv/asf/asf_text.h"

namespace korvel::asf {
namespace {

AsfFile OpenFixture() {
  std::shared_ptr<AsfByteStream> stream;
  EXPECT_EQ(OpenFileByteStream(test::Fixture("asf_wmv2.wmv"), stream), S_OK);
  AsfFile file;
  EXPECT_EQ(OpenAsfFile(stream, file), S_OK);
  return file;
}

// The header as written and read again, with the information a reader gets from it.
AsfHeaderInfo InfoAfterRoundTrip(const AsfHeader& header, AsfHeader& back) {
  EXPECT_EQ(ParseAsfHeader(ByteView(SerializeAsfHeader(header)), back), S_OK);
  return AsfHeaderInfo::FromHeader(back, AsfProfile::FromHeader(back), {});
}

// The attributes a caller can set, by name.
using AttributeFields = std::tuple<std::string, WMT_ATTR_DATATYPE, std::vector<uint8_t>, uint16_t>;
std::vector<AttributeFields> Stored(const AsfHeaderInfo& info, uint16_t stream) {
  std::vector<AttributeFields> out;
  for (const auto& a : info.Attributes(stream)) {
    if (stream != 0 || !AsfHeaderInfo::IsDerivedAttribute(a.name))
      out.emplace_back(a.name, a.type, a.value, a.language);
  }
  std::sort(out.begin(), out.end());
  return out;
}

TEST(AsfHeaderStore, UnchangedInformationGivesTheSameHeaderBytes) {
  const AsfFile file = OpenFixture();
  const auto bytes = ReadFileHead(test::Fixture("asf_wmv2.wmv"), file.firstPacketOffset - 50);
  ASSERT_TRUE(bytes.has_value());
  AsfHeader header = file.header;
  ASSERT_EQ(StoreHeaderInfo(HeaderInfoOf(file, ProfileOf(file)), header), S_OK);
  EXPECT_EQ(SerializeAsfHeader(header), *bytes);
}

struct AttributeCase {
  const char* name;
  WMT_ATTR_DATATYPE type;
  std::vector<uint8_t> value;
};

std::vector<AttributeCase> EveryType() {
  return {
      {"K/Dword", WMT_TYPE_DWORD, {0x78, 0x56, 0x34, 0x12}},
      {"K/String", WMT_TYPE_STRING, Utf8ToUtf16LeTerminated("Grüße 🎬")},
      {"K/Binary", WMT_TYPE_BINARY, {0, 1, 2, 0xFF}},
      {"K/Bool", WMT_TYPE_BOOL, {1, 0, 0, 0}},
      {"K/Qword", WMT_TYPE_QWORD, {1, 2, 3, 4, 5, 6, 7, 8}},
      {"K/Word", WMT_TYPE_WORD, {0xEF, 0xBE}},
      {"K/Guid", WMT_TYPE_GUID, std::vector<uint8_t>(16, 0xA5)},
      // Too long for the extended content description.
      {"K/Large", WMT_TYPE_BINARY, std::vector<uint8_t>(70000, 0x42)},
  };
}

TEST(AsfHeaderStore, EverythingSetComesBack) {
  const AsfFile file = OpenFixture();
  AsfHeaderInfo info = HeaderInfoOf(file, ProfileOf(file));
  for (const uint16_t stream : {0, 1, 2}) {
    for (const auto& c : EveryType()) {
      ASSERT_EQ(info.SetAttribute(stream, c.name, c.type, c.value.data(), c.value.size()), S_OK) << c.name;
    }
  }
  for (const char* name : {"Title", "Author", "Copyright", "Description", "Rating"}) {
    const auto text = Utf8ToUtf16LeTerminated(std::string(name) + " text");
    ASSERT_EQ(info.SetAttribute(0, name, WMT_TYPE_STRING, text.data(), text.size()), S_OK);
  }
  info.AddScript("URL", "http://example.org/", 12340000);
  info.AddScript("TEXT", "caption", 56780000);
  info.AddMarker("Chapter 1", 0);
  info.AddMarker("Kapitel 2", 98760000);
  info.AddCodecInfo({"Codec", "its description", WMT_CODECINFO_UNKNOWN, {1, 2, 3}});

  AsfHeader header = file.header;
  ASSERT_EQ(StoreHeaderInfo(info, header), S_OK);
  AsfHeader back;
  const AsfHeaderInfo read = InfoAfterRoundTrip(header, back);

  for (const uint16_t stream : {0, 1, 2}) {
    SCOPED_TRACE(stream);
    EXPECT_EQ(Stored(read, stream), Stored(info, stream));
  }
  ASSERT_EQ(read.GetScriptCount(), info.GetScriptCount());
  for (uint32_t i = 0; i < info.GetScriptCount(); ++i) {
    AsfScript want, got;
    ASSERT_EQ(info.GetScript(i, want), S_OK);
    ASSERT_EQ(read.GetScript(i, got), S_OK);
    EXPECT_EQ(std::tie(got.type, got.command, got.time), std::tie(want.type, want.command, want.time));
  }
  ASSERT_EQ(read.GetMarkerCount(), info.GetMarkerCount());
  for (uint32_t i = 0; i < info.GetMarkerCount(); ++i) {
    AsfMarkerEntry want, got;
    ASSERT_EQ(info.GetMarker(i, want), S_OK);
    ASSERT_EQ(read.GetMarker(i, got), S_OK);
    EXPECT_EQ(std::tie(got.name, got.time), std::tie(want.name, want.time));
    // The file holds times with the preroll.
    EXPECT_EQ(back.markers[i].time, want.time + file.header.file.preroll * 10000);
  }
  ASSERT_EQ(read.GetCodecInfoCount(), info.GetCodecInfoCount());
  for (uint32_t i = 0; i < info.GetCodecInfoCount(); ++i) {
    AsfCodecInfo want, got;
    ASSERT_EQ(info.GetCodecInfo(i, want), S_OK);
    ASSERT_EQ(read.GetCodecInfo(i, got), S_OK);
    EXPECT_EQ(std::tie(got.name, got.description, got.type, got.info),
              std::tie(want.name, want.description, want.type, want.info));
  }
  ASSERT_TRUE(back.contentDescription.has_value());
  EXPECT_EQ(back.contentDescription->rating, "Rating text");
}

TEST(AsfHeaderStore, DerivedAttributesAreNotStored) {
  const AsfFile file = OpenFixture();
  AsfHeader header = file.header;
  ASSERT_EQ(StoreHeaderInfo(HeaderInfoOf(file, ProfileOf(file)), header), S_OK);
  for (const auto& d : header.descriptors)
    EXPECT_FALSE(d.streamNumber == 0 && AsfHeaderInfo::IsDerivedAttribute(d.name)) << d.name;
}

// File-level values go to the extended content description, values of a stream to the metadata
// object, and what neither can hold (a file-level GUID, values over 64 KiB) to the library.
TEST(AsfHeaderStore, EachAttributeGoesWhereItFits) {
  const AsfFile file = OpenFixture();
  AsfHeaderInfo info = HeaderInfoOf(file, ProfileOf(file));
  for (const auto& c : EveryType()) {
    ASSERT_EQ(info.SetAttribute(0, c.name, c.type, c.value.data(), c.value.size()), S_OK);
    ASSERT_EQ(info.SetAttribute(2, c.name, c.type, c.value.data(), c.value.size()), S_OK);
  }
  AsfHeader header = file.header;
  ASSERT_EQ(StoreHeaderInfo(info, header), S_OK);
  for (const auto& d : header.descriptors) {
    if (d.name.rfind("K/", 0) != 0) continue;
    SCOPED_TRACE(d.name + " of stream " + std::to_string(d.streamNumber));
    const bool forLibrary = d.name == "K/Large" || (d.streamNumber == 0 && d.name == "K/Guid");
    const auto expected = forLibrary            ? AsfDescriptorSource::kMetadataLibrary
                          : d.streamNumber != 0 ? AsfDescriptorSource::kMetadata
                                                : AsfDescriptorSource::kExtendedContentDescription;
    EXPECT_EQ(d.source, expected);
  }
}

}  // namespace
}  // namespace korvel::asf
