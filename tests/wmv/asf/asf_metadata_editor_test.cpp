// The header editor on copies of the fixtures: a flushed file carries the additions and still
// holds the same samples for our reader and for ffprobe; a failed flush or a close without
// flush leaves the original as it was, with no temporary file behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <tuple>

#include "base/file_read.h"
#include "support/cli_run.h"
#include "support/file_size_limit.h"
#include "support/independent_readers.h"
#include "support/temp_dir.h"
#include "wmv/asf/asf_errors.h"
#include "wmv/asf/asf_guids.h"
#include "wmv/asf/asf_header_serialize.h"
#include "wmv/asf/asf_metadata_editor.h"
#include "wmv/asf/asf_sync_reader.h"
#include "wmv/asf/asf_test_file.h"
#include "wmv/asf/asf_text.h"

namespace korvel::asf {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> Contents(const fs::path& file) {
  return ReadWholeFile(file, 64 << 20).value_or(std::vector<uint8_t>{});
}

std::vector<std::string> Entries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

fs::path CopyOfFixture(const test::TempDir& dir, const std::string& name) {
  fs::copy_file(test::Fixture(name), dir / name);
  return dir / name;
}

using SampleFields = std::tuple<uint16_t, uint64_t, uint64_t, uint32_t, std::vector<uint8_t>, std::vector<uint8_t>>;

std::vector<SampleFields> AllSamples(const fs::path& file) {
  std::shared_ptr<AsfByteStream> stream;
  EXPECT_EQ(OpenFileByteStream(file, stream), S_OK);
  AsfSyncReader reader;
  EXPECT_EQ(reader.OpenStream(stream), S_OK);
  std::vector<SampleFields> out;
  AsfSample s;
  HRESULT hr;
  while ((hr = reader.GetNextSample(s)) == S_OK) {
    out.emplace_back(s.streamNumber, s.time, s.duration, s.flags, s.bytes, s.extensions);
  }
  EXPECT_EQ(hr, NS_E_NO_MORE_SAMPLES);
  return out;
}

AsfFile Opened(const fs::path& path) {
  std::shared_ptr<AsfByteStream> stream;
  EXPECT_EQ(OpenFileByteStream(path, stream), S_OK);
  AsfFile file;
  EXPECT_EQ(OpenAsfFile(stream, file), S_OK);
  return file;
}

std::string Ffprobe(const std::string& entries, const fs::path& file) {
  return test::RunCommand("ffprobe -v error -of csv=p=0 -show_entries " + entries + " " + test::Quoted(file)).out;
}

std::string StringAttribute(const AsfHeaderInfo& info, uint16_t stream, const std::string& name) {
  uint32_t size = 0;
  if (info.GetAttributeByName(stream, name, nullptr, nullptr, &size) != S_OK) return "(missing)";
  std::vector<uint8_t> value(size);
  EXPECT_EQ(info.GetAttributeByName(stream, name, nullptr, value.data(), &size), S_OK);
  return Utf16LeToUtf8(ByteView(value));
}

HRESULT SetString(AsfHeaderInfo& info, uint16_t stream, const std::string& name, const std::string& text) {
  const auto value = Utf8ToUtf16LeTerminated(text);
  return info.SetAttribute(stream, name, WMT_TYPE_STRING, value.data(), value.size());
}

class EditedFixture : public ::testing::TestWithParam<const char*> {};

TEST_P(EditedFixture, KeepsSamplesAndShowsAdditions) {
  test::TempDir dir;
  const fs::path path = CopyOfFixture(dir, GetParam());
  const auto samplesBefore = AllSamples(path);
  const auto packetsBefore = Ffprobe("packet=stream_index,pts,dts,size,flags", path);
  const AsfFile before = Opened(path);

  const auto editor = CreateEditor();
  ASSERT_EQ(editor->Open(path), S_OK);
  AsfHeaderInfo* info = editor->HeaderInfo();
  ASSERT_NE(info, nullptr);
  ASSERT_EQ(SetString(*info, 0, "Title", "Edited title"), S_OK);
  ASSERT_EQ(SetString(*info, 0, "WM/Genre", "Documentary"), S_OK);
  ASSERT_EQ(SetString(*info, 1, "WM/StreamLabel", "main video"), S_OK);
  ASSERT_EQ(editor->AddScript({"URL", "http://example.org/", 5000000}), S_OK);
  ASSERT_EQ(editor->AddMarker({"Middle", 10000000}), S_OK);
  ASSERT_EQ(editor->Flush(), S_OK);
  ASSERT_EQ(editor->Close(), S_OK);
  EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{GetParam()});

  EXPECT_EQ(AllSamples(path), samplesBefore);
  const AsfFile after = Opened(path);
  EXPECT_EQ(after.header.file.fileSize, after.fileSize);
  EXPECT_EQ(after.packetCount, before.packetCount);
  EXPECT_EQ(after.simpleIndex.has_value(), before.simpleIndex.has_value());
  if (before.simpleIndex) {
    EXPECT_EQ(after.simpleIndex->entries.size(), before.simpleIndex->entries.size());
  }
  const AsfHeaderInfo read = HeaderInfoOf(after, ProfileOf(after));
  EXPECT_EQ(StringAttribute(read, 0, "Title"), "Edited title");
  EXPECT_EQ(StringAttribute(read, 0, "WM/Genre"), "Documentary");
  EXPECT_EQ(StringAttribute(read, 1, "WM/StreamLabel"), "main video");
  EXPECT_EQ(StringAttribute(read, 0, "WM/EncodingSettings"),
            StringAttribute(HeaderInfoOf(before, ProfileOf(before)), 0, "WM/EncodingSettings"));
  AsfScript script;
  ASSERT_EQ(read.GetScriptCount(), 1u);
  ASSERT_EQ(read.GetScript(0, script), S_OK);
  EXPECT_EQ(std::tie(script.type, script.command, script.time), std::make_tuple("URL", "http://example.org/", 5000000));
  AsfMarkerEntry marker;
  ASSERT_EQ(read.GetMarkerCount(), 1u);
  ASSERT_EQ(read.GetMarker(0, marker), S_OK);
  EXPECT_EQ(std::tie(marker.name, marker.time), std::make_tuple("Middle", 10000000));

  // Independent readers see the same streams, ffprobe the same packets and the new title.
  const auto originalViews = test::IndependentViews(test::Fixture(GetParam()));
  const auto editedViews = test::IndependentViews(path);
  ASSERT_EQ(editedViews.size(), originalViews.size());
  for (size_t i = 0; i < editedViews.size(); ++i) {
    SCOPED_TRACE(editedViews[i].reader);
    EXPECT_TRUE(editedViews[i].recognised) << editedViews[i].detail;
    EXPECT_EQ(editedViews[i].container, "asf");
    EXPECT_EQ(editedViews[i].streams, originalViews[i].streams);
  }
  EXPECT_EQ(Ffprobe("packet=stream_index,pts,dts,size,flags", path), packetsBefore);
  EXPECT_EQ(Ffprobe("format_tags=title", path), "Edited title\n");
}

INSTANTIATE_TEST_SUITE_P(Fixtures, EditedFixture, ::testing::Values("asf_wmv2.wmv", "asf_wmv2_noindex.wmv"));

// A header with objects we do not model: they come through a flush unchanged, and so do the
// packets and the index.
TEST(AsfMetadataEditor, FlushKeepsUnmodelledObjects) {
  const auto language = asf_test::LanguageListObject();
  asf_test::AsfTestFile f;
  f.Video(1, 0x33564D57, 64, 48).ExtensionObject(language);
  for (uint32_t i = 0; i < 4; ++i) {
    asf_test::TestPayload p;
    p.stream = 1;
    p.key = i % 2 == 0;
    p.objectNumber = static_cast<uint8_t>(i);
    p.timeMs = asf_test::kTestPrerollMs + 40 * i;
    p.data = std::vector<uint8_t>(30 + i, static_cast<uint8_t>(i));
    f.AddPacket(asf_test::Packet(40 * i, {p}));
  }
  f.Index(80, {0, 2});
  test::TempDir dir;
  const fs::path path = dir / "built.wmv";
  test::WriteFileBytes(path, f.Build());
  const auto samplesBefore = AllSamples(path);
  ASSERT_EQ(samplesBefore.size(), 4u);

  AsfMetadataEditor editor;
  ASSERT_EQ(editor.Open(path), S_OK);
  ASSERT_EQ(editor.AddMarker({"M", 400000}), S_OK);
  ASSERT_EQ(editor.Flush(), S_OK);
  ASSERT_EQ(editor.Close(), S_OK);

  EXPECT_EQ(AllSamples(path), samplesBefore);
  const AsfFile after = Opened(path);
  ASSERT_TRUE(after.simpleIndex.has_value());
  EXPECT_EQ(after.simpleIndex->entries.size(), 2u);
  const auto header = ReadFileHead(path, after.firstPacketOffset - 50).value_or(std::vector<uint8_t>{});
  EXPECT_EQ(UnmodelledObjectsOf(ByteView(header)).extension, std::vector<std::vector<uint8_t>>{language});
  EXPECT_EQ(after.header.markers.size(), 1u);
}

// Rewriting the header of a protected file would drop what its decryption depends on.
TEST(AsfMetadataEditor, ProtectedFileIsNotRewritten) {
  asf_test::AsfTestFile f;
  f.Video(1, 0x33564D57, 64, 48)
      .HeaderObject(asf_test::AsfObject(kContentEncryptionObject, std::vector<uint8_t>(16, 0)));
  test::TempDir dir;
  const fs::path path = dir / "protected.wmv";
  test::WriteFileBytes(path, f.Build());
  const auto original = Contents(path);
  AsfMetadataEditor editor;
  ASSERT_EQ(editor.Open(path), S_OK);
  ASSERT_EQ(editor.AddMarker({"M", 0}), S_OK);
  EXPECT_EQ(editor.Flush(), NS_E_INVALID_REQUEST);
  EXPECT_EQ(Contents(path), original);
  EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"protected.wmv"});
}

TEST(AsfMetadataEditor, OpenReportsWhatItCannotUse) {
  test::TempDir dir;
  const std::string text = "not a media file at all, but long enough to hold an object head";
  test::WriteFileBytes(dir / "text.wmv", std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  const std::pair<const char*, HRESULT> cases[] = {{"missing.wmv", E_FAIL}, {"text.wmv", NS_E_INVALID_INPUT_FORMAT}};
  for (const auto& [name, expected] : cases) {
    AsfMetadataEditor editor;
    EXPECT_EQ(editor.Open(dir / name), expected) << name;
    EXPECT_EQ(editor.HeaderInfo(), nullptr) << name;
    EXPECT_EQ(editor.Flush(), NS_E_INVALID_REQUEST) << name;
  }
}

// The fixture uses only objects we model, so a flush without changes writes it again as it was.
TEST(AsfMetadataEditor, FlushWithoutChangesRewritesTheSameBytes) {
  test::TempDir dir;
  const fs::path path = CopyOfFixture(dir, "asf_wmv2.wmv");
  AsfMetadataEditor editor;
  ASSERT_EQ(editor.Open(path), S_OK);
  ASSERT_EQ(editor.Flush(), S_OK);
  ASSERT_EQ(editor.Close(), S_OK);
  EXPECT_EQ(Contents(path), Contents(test::Fixture("asf_wmv2.wmv")));
}

TEST(AsfMetadataEditor, CloseWithoutFlushChangesNothing) {
  test::TempDir dir;
  const fs::path path = CopyOfFixture(dir, "asf_wmv2.wmv");
  const auto original = Contents(path);
  {
    AsfMetadataEditor editor;
    ASSERT_EQ(editor.Open(path), S_OK);
    ASSERT_EQ(SetString(*editor.HeaderInfo(), 0, "Title", "discarded"), S_OK);
    ASSERT_EQ(editor.AddMarker({"discarded", 0}), S_OK);
    ASSERT_EQ(editor.Close(), S_OK);
    EXPECT_EQ(editor.HeaderInfo(), nullptr);
    EXPECT_EQ(editor.AddScript({"URL", "x", 0}), NS_E_INVALID_REQUEST);
    EXPECT_EQ(editor.Flush(), NS_E_INVALID_REQUEST);
    // Destroyed while open: discarded as well.
    AsfMetadataEditor other;
    ASSERT_EQ(other.Open(path), S_OK);
    ASSERT_EQ(other.AddMarker({"discarded", 0}), S_OK);
  }
  EXPECT_EQ(Contents(path), original);
  EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"asf_wmv2.wmv"});
}

// Ways the new file cannot be written, each run in a child process: a disk that fills up while
// it is written, and a folder the (unprivileged) user may not write into.
struct FlushFault {
  const char* name;
  fs::perms folderMode;
  std::function<std::optional<bool>(const fs::path& original, const std::function<bool()>& flush)> run;
};

std::ostream& operator<<(std::ostream& out, const FlushFault& fault) { return out << fault.name; }

const FlushFault kFlushFaults[] = {
    {"DiskFull", fs::perms(0700),
     [](const fs::path& original, const std::function<bool()>& flush) {
       return test::RunWithFileSizeLimit(fs::file_size(original) / 2, flush);
     }},
    {"ReadOnlyFolder", fs::perms(0555),
     [](const fs::path&, const std::function<bool()>& flush) { return test::RunAsUnprivilegedUser(flush); }},
};

class FailedFlush : public ::testing::TestWithParam<FlushFault> {};

TEST_P(FailedFlush, LeavesTheOriginalAndNoTemporaryFile) {
  test::TempDir dir;
  const fs::path path = CopyOfFixture(dir, "asf_wmv2.wmv");
  const auto original = Contents(path);
  fs::permissions(dir.path(), GetParam().folderMode);
  const std::optional<bool> flushFailed = GetParam().run(path, [&] {
    AsfMetadataEditor editor;
    return editor.Open(path) == S_OK && editor.AddMarker({"M", 0}) == S_OK && Failed(editor.Flush());
  });
  fs::permissions(dir.path(), fs::perms(0700));
  EXPECT_EQ(flushFailed, std::optional<bool>(true));
  EXPECT_EQ(Contents(path), original);
  EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"asf_wmv2.wmv"});
}

INSTANTIATE_TEST_SUITE_P(Faults, FailedFlush, ::testing::ValuesIn(kFlushFaults),
                         [](const ::testing::TestParamInfo<FlushFault>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvel::asf
