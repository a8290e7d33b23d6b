// The writer on the ffmpeg fixture: every sample copied through our reader into a new file,
// which our reader and independent readers then read; and the writer's refusals.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>

#include "base/file_read.h"
#include "support/cli_run.h"
#include "support/file_size_limit.h"
#include "support/independent_readers.h"
#include "support/temp_dir.h"
#include "wmv/asf/asf_errors.h"
#include "wmv/asf/asf_file.h"
#include "wmv/asf/asf_writer.h"
#include "wmv/asf/asf_writer_test_support.h"

namespace korvel::asf {
namespace {

// Writing and reading back: OpenAsf, ReadSamples, WriteAsf, ExpectSame...
using namespace asf_test;
using test::Fixture;
using test::Quoted;
using test::RunCommand;
using test::TempDir;

struct Source {
  std::shared_ptr<AsfSyncReader> reader;
  std::vector<AsfSample> samples;
};

Source ReadFixture() {
  Source s;
  s.reader = OpenAsf(Fixture("asf_wmv2.wmv"));
  if (s.reader) s.samples = ReadSamples(*s.reader);
  return s;
}

// A writer for a copy of the source's streams into out, not yet writing.
std::shared_ptr<AsfWriter> WriterFor(const Source& source, const std::filesystem::path& out) {
  auto writer = CreateWriter();
  EXPECT_EQ(writer->SetProfile(*source.reader->Profile()), S_OK);
  EXPECT_EQ(writer->SetOutputFilename(out), S_OK);
  return writer;
}

void WriteSamples(AsfWriter& writer, const std::vector<AsfSample>& samples) {
  for (const auto& s : samples) ASSERT_EQ(writer.WriteStreamSample(s.streamNumber, s.time, s.duration, s.flags, s.bytes), S_OK);
}

// The fixture read by our reader, and out.wmv in a fresh folder for what a test writes.
class AsfWriterOnTheFixture : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(source.reader);
    ASSERT_FALSE(source.samples.empty());
  }
  // A copy of the fixture made by our writer from what our reader gives, attributes included.
  void Copy() const {
    EXPECT_EQ(WriteAsf(out, *source.reader->Profile(), source.samples, source.reader->HeaderInfo()), S_OK);
  }

  TempDir dir;
  const Source source = ReadFixture();
  const std::filesystem::path out = dir / "out.wmv";
};

AsfFile OpenedFile(const std::filesystem::path& path) {
  std::shared_ptr<AsfByteStream> stream;
  EXPECT_EQ(OpenFileByteStream(path, stream), S_OK);
  AsfFile file;
  EXPECT_EQ(OpenAsfFile(stream, file), S_OK);
  return file;
}

uint64_t QwordAttribute(AsfHeaderInfo& info, std::string_view name) {
  uint64_t value = 0;
  uint32_t size = sizeof(value);
  EXPECT_EQ(info.GetAttributeByName(0, name, nullptr, reinterpret_cast<uint8_t*>(&value), &size), S_OK) << name;
  return value;
}

bool HaveFfprobe() { return std::system("ffprobe -version >/dev/null 2>&1") == 0; }

// ffprobe's packet count per stream index.
std::map<int, size_t> ProbedPacketCounts(const std::filesystem::path& file, const std::string& options = "") {
  const auto run = RunCommand("ffprobe -v error " + options + " -show_entries packet=stream_index -of csv=p=0 " + Quoted(file));
  std::map<int, size_t> counts;
  std::istringstream in(run.out);
  std::string line;
  while (std::getline(in, line)) ++counts[std::stoi(line)];
  return counts;
}

double ProbedDuration(const std::filesystem::path& file) {
  const auto run = RunCommand("ffprobe -v error -show_entries format=duration -of csv=p=0 " + Quoted(file));
  return std::stod(run.out);
}

// The first video packet ffprobe reads after seeking to start (s): its time and key flag.
std::string FirstVideoPacketFrom(const std::filesystem::path& file, double start) {
  std::ostringstream interval;
  interval << start << "%+1";
  const auto run = RunCommand("ffprobe -v error -select_streams v:0 -read_intervals " + interval.str() +
                              " -show_entries packet=pts_time,flags -of csv=p=0 " + Quoted(file));
  return run.out.substr(0, run.out.find('\n'));
}

std::map<uint16_t, size_t> CountByStream(const std::vector<AsfSample>& samples) {
  std::map<uint16_t, size_t> counts;
  for (const auto& s : samples) ++counts[s.streamNumber];
  return counts;
}

TEST_F(AsfWriterOnTheFixture, CopyOfTheFixtureReadsBackSampleForSample) {
  Copy();
  auto copy = OpenAsf(out);
  ASSERT_TRUE(copy);
  ExpectSameSamples(ReadSamples(*copy), source.samples);

  // The same streams with byte-identical media types, so the copy can be joined with its source.
  ExpectSameProfile(*copy->Profile(), *source.reader->Profile());

  // Stored attributes come over; derived ones describe the copy.
  AsfHeaderInfo& sourceInfo = *source.reader->HeaderInfo();
  AsfHeaderInfo& copyInfo = *copy->HeaderInfo();
  size_t stored = 0;
  for (const auto& a : sourceInfo.Attributes(0)) {
    if (AsfHeaderInfo::IsDerivedAttribute(a.name)) continue;
    ++stored;
    const auto& copied = copyInfo.Attributes(0);
    const auto it = std::find_if(copied.begin(), copied.end(), [&](const auto& c) { return c.name == a.name; });
    ASSERT_NE(it, copied.end()) << a.name;
    EXPECT_EQ(it->type, a.type) << a.name;
    EXPECT_EQ(it->value, a.value) << a.name;
  }
  EXPECT_GT(stored, 0u);
  EXPECT_EQ(QwordAttribute(copyInfo, "FileSize"), std::filesystem::file_size(out));
  const uint64_t last = source.samples.back().time;
  EXPECT_GE(QwordAttribute(copyInfo, "Duration"), last);
}

TEST_F(AsfWriterOnTheFixture, CopyOfTheFixtureIsIndexedAndSeeksToAKeyFrame) {
  Copy();
  const AsfFile file = OpenedFile(out);
  ASSERT_TRUE(file.simpleIndex.has_value());
  EXPECT_EQ(file.header.file.flags & 0x3, 0x2u);  // seekable, not a broadcast
  EXPECT_EQ(file.header.file.fileSize, std::filesystem::file_size(out));
  // Every packet the file properties count is there, and the index objects follow the last one.
  EXPECT_EQ(file.header.file.dataPacketsCount, file.packetCount);
  EXPECT_LT(file.PacketOffset(file.packetCount), file.fileSize);

  uint64_t videoEnd = 0;
  for (const auto& s : source.samples) {
    if (s.streamNumber == 1) videoEnd = s.time;
  }
  for (const uint64_t start : {videoEnd - 3000000, videoEnd - 1000000, videoEnd}) {
    SCOPED_TRACE(start);
    uint64_t clean = 0;
    for (const auto& s : source.samples) {
      if (s.streamNumber == 1 && (s.flags & WM_SF_CLEANPOINT) && s.time <= start) clean = s.time;
    }
    auto reader = OpenAsf(out);
    ASSERT_TRUE(reader);
    ASSERT_EQ(reader->SetRange(start, 0), S_OK);
    const auto samples = ReadSamples(*reader);
    const auto video = std::find_if(samples.begin(), samples.end(), [](const auto& s) { return s.streamNumber == 1; });
    ASSERT_NE(video, samples.end());
    EXPECT_EQ(video->time, clean);
    EXPECT_TRUE(video->flags & WM_SF_CLEANPOINT);
  }
}

TEST_F(AsfWriterOnTheFixture, CopyOfTheFixturePassesIndependentReaders) {
  if (!HaveFfprobe()) GTEST_SKIP() << "ffprobe missing";
  const auto original = Fixture("asf_wmv2.wmv");
  Copy();

  const auto counts = CountByStream(source.samples);
  const auto probed = ProbedPacketCounts(out);
  ASSERT_EQ(probed.size(), counts.size());
  for (const auto& [number, count] : counts) EXPECT_EQ(probed.at(number - 1), count) << "stream " << number;

  uint64_t frame = 0, previous = 0;
  for (const auto& s : source.samples) {
    if (s.streamNumber != 1) continue;
    if (previous != 0 && frame == 0) frame = s.time - previous;
    previous = s.time;
  }
  EXPECT_NEAR(ProbedDuration(out), ProbedDuration(original), frame / 1e7);

  const auto decode = RunCommand("ffmpeg -nostdin -v error -i " + Quoted(out) + " -f null - 2>&1");
  EXPECT_EQ(decode.exitCode, 0);
  EXPECT_EQ(decode.out, "");

  const auto originalViews = test::IndependentViews(original);
  const auto copyViews = test::IndependentViews(out);
  ASSERT_EQ(copyViews.size(), originalViews.size());
  for (size_t i = 0; i < copyViews.size(); ++i) {
    SCOPED_TRACE(copyViews[i].reader);
    EXPECT_TRUE(copyViews[i].recognised) << copyViews[i].detail;
    EXPECT_EQ(copyViews[i].container, "asf");
    EXPECT_EQ(copyViews[i].streams, originalViews[i].streams);
  }

  // ffprobe seeks through the index: near the end it starts at a key frame there, the same one
  // as in the original.
  for (const double start : {1.2, 1.9}) {
    SCOPED_TRACE(start);
    const std::string first = FirstVideoPacketFrom(out, start);
    EXPECT_EQ(first, FirstVideoPacketFrom(original, start));
    EXPECT_NE(first.find(",K"), std::string::npos) << first;
    EXPECT_GT(std::stod(first), start - 1.5);
  }
}

AsfProfile FixtureProfile() {
  auto reader = OpenAsf(Fixture("asf_wmv2.wmv"));
  return reader ? *reader->Profile() : AsfProfile{};
}

TEST(AsfWriter, OutputInAMissingFolderFailsAtBeginWriting) {
  TempDir dir;
  auto writer = CreateWriter();
  ASSERT_EQ(writer->SetProfile(FixtureProfile()), S_OK);
  const auto out = dir / "missing" / "out.wmv";
  ASSERT_EQ(writer->SetOutputFilename(out), S_OK);
  EXPECT_TRUE(Failed(writer->BeginWriting()));
  EXPECT_FALSE(std::filesystem::exists(out));
  const std::vector<uint8_t> bytes(10, 1);
  EXPECT_EQ(writer->WriteStreamSample(1, 0, 0, WM_SF_CLEANPOINT, bytes), NS_E_INVALID_REQUEST);
  EXPECT_EQ(writer->EndWriting(), NS_E_INVALID_REQUEST);
  // The writer is still being set up: with a usable name it begins.
  ASSERT_NE(writer->HeaderInfo(), nullptr);
  ASSERT_EQ(writer->SetOutputFilename(dir / "out.wmv"), S_OK);
  ASSERT_EQ(writer->BeginWriting(), S_OK);
  EXPECT_EQ(writer->WriteStreamSample(1, 0, 0, WM_SF_CLEANPOINT, bytes), S_OK);
  EXPECT_EQ(writer->EndWriting(), S_OK);
  auto reader = OpenAsf(dir / "out.wmv");
  ASSERT_TRUE(reader);
  EXPECT_EQ(ReadSamples(*reader).size(), 1u);
}

TEST(AsfWriter, RefusesWhatDoesNotFitItsState) {
  TempDir dir;
  auto writer = CreateWriter();
  EXPECT_EQ(writer->BeginWriting(), NS_E_INVALID_REQUEST);  // no profile
  ASSERT_EQ(writer->SetProfile(FixtureProfile()), S_OK);
  EXPECT_EQ(writer->GetInputCount(), 2u);
  AsfStreamConfig config;
  EXPECT_EQ(writer->GetInputProps(1, config), S_OK);
  EXPECT_EQ(config.GetStreamNumber(), 2);
  EXPECT_EQ(writer->GetInputProps(2, config), E_INVALIDARG);
  EXPECT_EQ(writer->SetInputCompressed(2), E_INVALIDARG);
  const uint32_t off = 0;
  EXPECT_EQ(writer->SetInputSetting(0, "InterlacedCoding", WMT_TYPE_BOOL, reinterpret_cast<const uint8_t*>(&off), 4), S_OK);
  EXPECT_EQ(writer->BeginWriting(), E_INVALIDARG);  // no output name

  const uint64_t duration = 5;
  ASSERT_NE(writer->HeaderInfo(), nullptr);
  EXPECT_EQ(writer->HeaderInfo()->SetAttribute(0, "Duration", WMT_TYPE_QWORD, reinterpret_cast<const uint8_t*>(&duration), 8),
            E_INVALIDARG);
  ASSERT_EQ(writer->SetOutputFilename(dir / "out.wmv"), S_OK);
  ASSERT_EQ(writer->BeginWriting(), S_OK);
  EXPECT_EQ(writer->HeaderInfo(), nullptr);
  EXPECT_EQ(writer->SetProfile(FixtureProfile()), NS_E_INVALID_REQUEST);
  EXPECT_EQ(writer->BeginWriting(), NS_E_INVALID_REQUEST);
  const std::vector<uint8_t> bytes(100, 7);
  EXPECT_EQ(writer->WriteStreamSample(3, 0, 0, 0, bytes), E_INVALIDARG);
  EXPECT_EQ(writer->WriteStreamSample(1, 0, 0, WM_SF_CLEANPOINT, bytes), S_OK);
  ASSERT_EQ(writer->EndWriting(), S_OK);
  EXPECT_EQ(writer->WriteStreamSample(1, 10, 0, 0, bytes), NS_E_INVALID_REQUEST);
}

TEST(AsfWriter, WritingNothingGivesAnEmptyFileReadersAccept) {
  TempDir dir;
  const auto out = dir / "empty.wmv";
  ASSERT_EQ(WriteAsf(out, FixtureProfile(), {}), S_OK);
  auto reader = OpenAsf(out);
  ASSERT_TRUE(reader);
  EXPECT_TRUE(ReadSamples(*reader).empty());
  EXPECT_EQ(reader->Profile()->GetStreamCount(), 2u);
  const AsfFile file = OpenedFile(out);
  EXPECT_EQ(file.packetCount, 0u);
  EXPECT_FALSE(file.simpleIndex.has_value());
  EXPECT_EQ(file.header.file.fileSize, std::filesystem::file_size(out));
  if (HaveFfprobe()) EXPECT_TRUE(test::FfprobeView(out).recognised);
}

TEST_F(AsfWriterOnTheFixture, ReleasingAWriterStillWritingCompletesTheFile) {
  {
    auto writer = WriterFor(source, out);
    ASSERT_EQ(writer->BeginWriting(), S_OK);
    WriteSamples(*writer, source.samples);
  }
  auto reader = OpenAsf(out);
  ASSERT_TRUE(reader);
  ExpectSameSamples(ReadSamples(*reader), source.samples);
  const AsfFile file = OpenedFile(out);
  EXPECT_TRUE(file.simpleIndex.has_value());
  EXPECT_EQ(file.header.file.fileSize, std::filesystem::file_size(out));
}

TEST_F(AsfWriterOnTheFixture, SecondEndWritingFailsAndLeavesTheFileAlone) {
  auto writer = WriterFor(source, out);
  ASSERT_EQ(writer->BeginWriting(), S_OK);
  WriteSamples(*writer, source.samples);
  ASSERT_EQ(writer->EndWriting(), S_OK);
  const auto finished = ReadWholeFile(out, 64 << 20);
  ASSERT_TRUE(finished);
  EXPECT_EQ(writer->EndWriting(), NS_E_INVALID_REQUEST);
  EXPECT_EQ(ReadWholeFile(out, 64 << 20), finished);
}

TEST_F(AsfWriterOnTheFixture, ScriptsAndMarkersLandInTheFileWheneverTheyAreAdded) {
  auto writer = WriterFor(source, out);
  ASSERT_EQ(writer->AddScript({"URL", "before", 1000000}), S_OK);
  ASSERT_EQ(writer->BeginWriting(), S_OK);
  ASSERT_EQ(writer->AddMarker({"while", 2000000}), S_OK);
  WriteSamples(*writer, source.samples);
  ASSERT_EQ(writer->EndWriting(), S_OK);
  const auto size = std::filesystem::file_size(out);
  ASSERT_EQ(writer->AddScript({"TEXT", "after", 3000000}), S_OK);
  // It went into the header's spare room, not into a rewritten file.
  EXPECT_EQ(std::filesystem::file_size(out), size);

  auto reader = OpenAsf(out);
  ASSERT_TRUE(reader);
  AsfHeaderInfo& info = *reader->HeaderInfo();
  ASSERT_EQ(info.GetScriptCount(), 2u);
  AsfScript script;
  ASSERT_EQ(info.GetScript(0, script), S_OK);
  EXPECT_EQ(script.command, "before");
  EXPECT_EQ(script.time, 1000000u);
  ASSERT_EQ(info.GetScript(1, script), S_OK);
  EXPECT_EQ(script.type, "TEXT");
  EXPECT_EQ(script.command, "after");
  EXPECT_EQ(script.time, 3000000u);
  ASSERT_EQ(info.GetMarkerCount(), 1u);
  AsfMarkerEntry marker;
  ASSERT_EQ(info.GetMarker(0, marker), S_OK);
  EXPECT_EQ(marker.name, "while");
  EXPECT_EQ(marker.time, 2000000u);
  // The samples are untouched by the header's rewrite.
  ExpectSameSamples(ReadSamples(*reader), source.samples);
}

TEST_F(AsfWriterOnTheFixture, MarkersBeyondTheHeaderRoomStillLandInTheFile) {
  auto writer = WriterFor(source, out);
  ASSERT_EQ(writer->BeginWriting(), S_OK);
  // Far more text than the room the header keeps for what comes while writing.
  constexpr uint32_t kMarkers = 100;
  for (uint32_t i = 0; i < kMarkers; ++i) {
    ASSERT_EQ(writer->AddMarker({"chapter " + std::to_string(i) + std::string(40, 'x'), i * 10000ull}), S_OK);
  }
  WriteSamples(*writer, source.samples);
  ASSERT_EQ(writer->EndWriting(), S_OK);

  auto reader = OpenAsf(out);
  ASSERT_TRUE(reader);
  ASSERT_EQ(reader->HeaderInfo()->GetMarkerCount(), kMarkers);
  AsfMarkerEntry last;
  ASSERT_EQ(reader->HeaderInfo()->GetMarker(kMarkers - 1, last), S_OK);
  EXPECT_EQ(last.time, (kMarkers - 1) * 10000ull);
  ExpectSameSamples(ReadSamples(*reader), source.samples);
}

TEST_F(AsfWriterOnTheFixture, EveryScriptAddedToTheFinishedFileLandsInIt) {
  auto writer = WriterFor(source, out);
  ASSERT_EQ(writer->BeginWriting(), S_OK);
  WriteSamples(*writer, source.samples);
  ASSERT_EQ(writer->EndWriting(), S_OK);
  // One by one, as a join carries them over: first into the header's room, then beyond it.
  constexpr uint32_t kScripts = 150;
  for (uint32_t i = 0; i < kScripts; ++i) {
    ASSERT_EQ(writer->AddScript({"URL", "http://example.com/" + std::to_string(i), i * 10000ull}), S_OK) << i;
  }
  auto reader = OpenAsf(out);
  ASSERT_TRUE(reader);
  ASSERT_EQ(reader->HeaderInfo()->GetScriptCount(), kScripts);
  for (uint32_t i = 0; i < kScripts; ++i) {
    AsfScript script;
    ASSERT_EQ(reader->HeaderInfo()->GetScript(i, script), S_OK);
    EXPECT_EQ(script.command, "http://example.com/" + std::to_string(i));
    EXPECT_EQ(script.time, i * 10000ull);
  }
  ExpectSameSamples(ReadSamples(*reader), source.samples);
}

TEST_F(AsfWriterOnTheFixture, AFailedWriteFailsTheWriting) {
  Copy();
  const uint64_t size = std::filesystem::file_size(out);
  // While writing packets, and at the very end, when only the index is left to write.
  for (const uint64_t limit : {uint64_t{20000}, size - 1}) {
    SCOPED_TRACE(limit);
    const auto limited = dir / ("limited" + std::to_string(limit) + ".wmv");
    const auto failed = test::RunWithFileSizeLimit(limit, [&] {
      return Failed(WriteAsf(limited, *source.reader->Profile(), source.samples, source.reader->HeaderInfo()));
    });
    ASSERT_TRUE(failed.has_value());
    EXPECT_TRUE(*failed);
  }
}

}  // namespace
}  // namespace korvel::asf
