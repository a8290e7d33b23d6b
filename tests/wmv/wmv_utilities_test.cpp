// The WMV producers' building blocks that decide by numbers: the bad-block line, which failed
// outputs are removed, when two streams count as the same format, the script text of a script
// sample, which header entries a stretch carries along, and the rate corrections of a profile.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "wmv/asf/asf_guids.h"
#include "wmv/asf/asf_header_target.h"
#include "wmv/asf/asf_media_type.h"
#include "wmv/asf/asf_text.h"
#include "wmv/wmv_clip_reader.h"
#include "wmv/wmv_header_copy.h"
#include "wmv/wmv_reconstruct_producer.h"
#include "wmv/wmv_remove_small_output.h"
#include "wmv/wmv_script_list.h"
#include "wmv/wmv_stream_table.h"

namespace korvel {
namespace {

constexpr uint64_t kSecond = 10000000;

TEST(WmvBadBlockText, ShowsLengthAndWhereInTheSource) {
  struct Case {
    uint64_t from, to;
    const char* text;
  };
  const Case cases[] = {
      {61 * kSecond, 65 * kSecond + kSecond / 2, "Ignored BAD DATA BLOCK, 0:00:04.50  (0:01:01 ~ 0:01:05)"},
      {0, 3601 * kSecond + kSecond / 100 * 7, "Ignored BAD DATA BLOCK, 1:00:01.07  (0:00:00 ~ 1:00:01)"},
      {10 * kSecond, 10 * kSecond, "Ignored BAD DATA BLOCK, 0:00:00.00  (0:00:10 ~ 0:00:10)"},
      // Thirty hours: hours are a plain number, nothing wraps.
      {0, 30 * 3600 * kSecond, "Ignored BAD DATA BLOCK, 30:00:00.00  (0:00:00 ~ 30:00:00)"},
  };
  for (const Case& c : cases) EXPECT_EQ(BadBlockText(c.from, c.to), c.text);
}

TEST(WmvRemoveSmallOutput, RemovesOnlySmallAsfFiles) {
  struct Case {
    const char* name;
    size_t size;
    bool removed;
  };
  const Case cases[] = {
      {"a.WMV", 20479, true}, {"b.wmv", 20479, true}, {"c.Wmv", 0, true},   {"d.asf", 100, true},
      {"e.wma", 100, true},   {"f.wm", 100, true},    {"g.wmv", 20480, false}, {"h.avi", 10, false},
      {"i.wmv.bak", 10, false}, {"wmv", 10, false},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    const auto file = dir / c.name;
    std::ofstream(file, std::ios::binary) << std::string(c.size, 'x');
    EXPECT_EQ(RemoveSmallOutput(file), c.removed) << c.name;
    EXPECT_EQ(std::filesystem::exists(file), !c.removed) << c.name;
  }
  EXPECT_FALSE(RemoveSmallOutput(dir / "missing.wmv"));
}

asf::WmMediaType VideoType(int64_t frameDuration, uint32_t bitrate) {
  asf::WmMediaType type;
  type.majortype = asf::WMMEDIATYPE_Video;
  type.subtype = asf::FourCCGuid(0x32564D57);
  type.bTemporalCompression = true;
  type.formattype = asf::WMFORMAT_VideoInfo;
  type.format.assign(asf::kVideoInfoHeaderSize, 0);
  std::memcpy(type.format.data() + asf::kVideoInfoBitRateOffset, &bitrate, 4);
  std::memcpy(type.format.data() + asf::kVideoInfoTimePerFrameOffset, &frameDuration, 8);
  type.format[asf::kVideoInfoBitmapOffset + 4] = 160;
  return type;
}

asf::WmMediaType AudioType(uint32_t avgBytesPerSecond) {
  asf::WmMediaType type;
  type.majortype = asf::WMMEDIATYPE_Audio;
  type.subtype = asf::FourCCGuid(0x0161);
  type.bFixedSizeSamples = true;
  type.formattype = asf::WMFORMAT_WaveFormatEx;
  type.format.assign(asf::kWaveFormatExSize, 0);
  type.format[0] = 0x61;
  type.format[1] = 0x01;
  std::memcpy(type.format.data() + 8, &avgBytesPerSecond, 4);
  return type;
}

TEST(WmvSameMediaType, ToleratesRoundingAndDeclaredRatesOnly) {
  struct Case {
    const char* name;
    asf::WmMediaType a, b;
    bool vbr;
    bool same;
  };
  asf::WmMediaType otherSize = VideoType(400000, 0);
  otherSize.format[asf::kVideoInfoBitmapOffset + 4] = 176;
  asf::WmMediaType shortBlock = VideoType(400000, 0);
  shortBlock.format.resize(20);
  Case cases[] = {
      {"frame durations 3 apart", VideoType(400000, 1000), VideoType(400003, 1000), false, true},
      {"frame durations 4 apart", VideoType(400000, 1000), VideoType(400004, 1000), false, false},
      {"one frame duration unknown", VideoType(0, 1000), VideoType(333667, 1000), false, true},
      {"video bit rates differ", VideoType(400000, 300000), VideoType(400000, 900000), false, true},
      {"picture sizes differ", VideoType(400000, 0), otherSize, false, false},
      {"VBR audio, other average rate", AudioType(16000), AudioType(20000), true, true},
      {"CBR audio, other average rate", AudioType(16000), AudioType(20000), false, false},
      {"audio and video", AudioType(16000), VideoType(400000, 0), false, false},
      {"a block too short for its fields", shortBlock, shortBlock, false, true},
  };
  for (Case& c : cases) EXPECT_EQ(SameMediaType(c.a, c.b, c.vbr), c.same) << c.name;
}

std::vector<uint8_t> Utf16(const std::u16string& text) {
  std::vector<uint8_t> bytes;
  for (const char16_t unit : text) {
    bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<uint8_t>(unit >> 8));
  }
  return bytes;
}

TEST(WmvScriptFromSample, SplitsTypeAndCommand) {
  struct Case {
    std::u16string text;
    const char* type;
    const char* command;
  };
  const Case cases[] = {
      {std::u16string(u"URL\0http://x/\0", 14), "URL", "http://x/"},
      // The last unit is a NUL whatever the sample holds.
      {std::u16string(u"TEXT\0hello", 10), "TEXT", "hell"},
      {std::u16string(u"TEXT\0", 5), "TEXT", " "},
      {u"", "", " "},
  };
  for (const Case& c : cases) {
    const std::vector<uint8_t> bytes = Utf16(c.text);
    const CWmvScript script = ScriptFromSample(bytes.data(), bytes.size(), 42);
    EXPECT_EQ(script.type, c.type);
    EXPECT_EQ(script.command, c.command);
    EXPECT_EQ(script.time, 42u);
  }
  // An odd byte count leaves the odd byte out.
  const std::vector<uint8_t> odd = {'A', 0, 0, 0, 'B'};
  EXPECT_EQ(ScriptFromSample(odd.data(), odd.size(), 0).type, "A");
}

class RecordingTarget : public asf::AsfHeaderTarget {
public:
  asf::AsfHeaderInfo* HeaderInfo() override { return nullptr; }
  HRESULT AddScript(const asf::AsfScript& script) override {
    scripts.push_back(script);
    return S_OK;
  }
  HRESULT AddMarker(const asf::AsfMarkerEntry& marker) override {
    if (refuseMarkers) return E_FAIL;
    markers.push_back(marker);
    return S_OK;
  }
  std::vector<asf::AsfScript> scripts;
  std::vector<asf::AsfMarkerEntry> markers;
  bool refuseMarkers = false;
};

TEST(WmvCopyHeaderScripts, CarriesTheStretchesEntriesToTheirOutputTimes) {
  asf::AsfHeaderInfo source;
  const uint64_t start = 20 * kSecond;
  const uint64_t end = 30 * kSecond;
  source.AddScript("URL", "before", start - 1);
  source.AddScript("URL", "at start + 5 s", start + 5 * kSecond);
  source.AddScript("URL", "at the end", end);
  source.AddScript("URL", "just after", end + 1);
  RecordingTarget target;
  ASSERT_EQ(CopyHeaderScripts(target, source, 60 * kSecond, start, end), S_OK);
  ASSERT_EQ(target.scripts.size(), 2u);
  EXPECT_EQ(target.scripts[0].command, "at start + 5 s");
  EXPECT_EQ(target.scripts[0].time, 65 * kSecond);
  EXPECT_EQ(target.scripts[1].time, 60 * kSecond + (end - start));

  RecordingTarget open;
  ASSERT_EQ(CopyHeaderScripts(open, source, 0, start, 0), S_OK);
  EXPECT_EQ(open.scripts.size(), 3u);  // with end 0 everything from start on
}

TEST(WmvCopyMarkers, StopsAtTheFirstRefusal) {
  asf::AsfHeaderInfo source;
  source.AddMarker("one", kSecond);
  RecordingTarget target;
  target.refuseMarkers = true;
  EXPECT_EQ(CopyMarkers(target, source, 0, 0, 0), E_FAIL);
}

std::vector<uint8_t> Text(const char* utf8) { return asf::Utf8ToUtf16LeTerminated(utf8); }

TEST(WmvCopyAttributes, SkipsEncodingAttributesAndRefusedValues) {
  asf::AsfHeaderInfo source;
  const auto title = Text("Title text");
  const auto peak = Text("9");
  const uint8_t dword[4] = {7, 0, 0, 0};
  ASSERT_EQ(source.SetAttribute(0, "WM/AlbumTitle", asf::WMT_TYPE_STRING, title.data(), title.size()), S_OK);
  ASSERT_EQ(source.SetAttribute(0, "VBR Peak", asf::WMT_TYPE_STRING, peak.data(), peak.size()), S_OK);
  ASSERT_EQ(source.SetAttribute(2, "WM/StreamTag", asf::WMT_TYPE_DWORD, dword, 4), S_OK);
  ASSERT_EQ(source.SetAttribute(3, "WM/NotOutput", asf::WMT_TYPE_DWORD, dword, 4), S_OK);
  asf::AsfHeaderInfo output;
  const std::vector<uint16_t> streams = {1, 2};
  ASSERT_EQ(CopyAttributes(streams, output, source), S_OK);
  std::string text;
  EXPECT_EQ(GetAttrText(output, "WM/AlbumTitle", 0, text), S_OK);
  EXPECT_EQ(text, "Title text");
  EXPECT_FALSE(Succeeded(GetAttrText(output, "VBR Peak", 0, text)));
  uint32_t value = 0;
  EXPECT_EQ(GetAttrDword(output, "WM/StreamTag", 2, value), S_OK);
  EXPECT_EQ(value, 7u);
  EXPECT_FALSE(Succeeded(GetAttrDword(output, "WM/NotOutput", 3, value)));
}

TEST(WmvAttributeReads, CheckTypeAndSizeBeforeTakingANumber) {
  asf::AsfHeaderInfo header;
  const auto text = Text("12345678");
  const uint8_t dword[4] = {1, 0, 0, 0};
  ASSERT_EQ(header.SetAttribute(0, "A", asf::WMT_TYPE_STRING, text.data(), text.size()), S_OK);
  ASSERT_EQ(header.SetAttribute(0, "B", asf::WMT_TYPE_DWORD, dword, 4), S_OK);
  uint64_t qword = 0;
  uint32_t value = 0;
  EXPECT_EQ(GetAttrQword(header, "A", 0, qword), E_INVALIDARG);
  EXPECT_EQ(GetAttrQword(header, "B", 0, qword), E_INVALIDARG);
  EXPECT_EQ(GetAttrDword(header, "A", 0, value), E_INVALIDARG);
  EXPECT_EQ(GetAttrDword(header, "B", 0, value), S_OK);
  EXPECT_FALSE(Succeeded(GetAttrDword(header, "C", 0, value)));
}

TEST(WmvTagAttributes, CarryTheSourcesAndAddTheRunsOwn) {
  asf::AsfHeaderInfo source;
  const auto text = Text("  marked  ");
  const uint8_t flags[8] = {0x01, 0, 0, 0, 0, 0, 0, 0};
  ASSERT_EQ(source.SetAttribute(0, kTagTextAttribute, asf::WMT_TYPE_STRING, text.data(), text.size()), S_OK);
  ASSERT_EQ(source.SetAttribute(0, kTagFlagsAttribute, asf::WMT_TYPE_QWORD, flags, 8), S_OK);
  asf::AsfHeaderInfo output;
  WriteTagAttributes(&output, &source, "", 0x10);
  std::string tag;
  uint64_t value = 0;
  EXPECT_EQ(GetAttrText(output, kTagTextAttribute, 0, tag), S_OK);
  EXPECT_EQ(tag, "marked");
  EXPECT_EQ(GetAttrQword(output, kTagFlagsAttribute, 0, value), S_OK);
  EXPECT_EQ(value, 0x11u);

  asf::AsfHeaderInfo plain;
  asf::AsfHeaderInfo untouched;
  WriteTagAttributes(&untouched, &plain, "", 0);
  EXPECT_TRUE(untouched.Attributes(0).empty());
}

TEST(WmvReconstructOutputName, AlwaysEndsInWmv) {
  EXPECT_EQ(ReconstructOutputName("/a/b/movie.avi"), std::filesystem::path("/a/b/movie.wmv"));
  EXPECT_EQ(ReconstructOutputName("/a/b/movie.wmv"), std::filesystem::path("/a/b/movie.wmv"));
  EXPECT_EQ(ReconstructOutputName("/a.b/movie"), std::filesystem::path("/a.b/movie.wmv"));
}

}  // namespace
}  // namespace korvel
