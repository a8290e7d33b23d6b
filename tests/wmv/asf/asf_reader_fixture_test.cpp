// The sample reader on the ffmpeg fixture, checked against ffprobe's packet list: every
// stream's samples, sizes, times and key frames, with and without the file's index; and on a
// GStreamer-muxed file whose video times start hours late.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "base/file_read.h"
#include "support/cli_run.h"
#include "wmv/asf/asf_errors.h"
#include "wmv/asf/asf_guids.h"
#include "wmv/asf/asf_sync_reader.h"

namespace korvel::asf {
namespace {

const std::filesystem::path kFixture = std::filesystem::path(KORVEL_FIXTURE_DIR) / "asf_wmv2.wmv";

struct Seen {
  uint64_t time;
  size_t size;
  bool key;
  friend bool operator==(const Seen&, const Seen&) = default;
};
using PerStream = std::map<uint16_t, std::vector<Seen>>;  // by stream number

std::ostream& operator<<(std::ostream& os, const Seen& s) {
  return os << "{" << s.time << ", " << s.size << (s.key ? ", K}" : "}");
}

// ffprobe's packets; its stream index i is our stream number i + 1 in this file.
PerStream RunFfprobe() {
  const auto run = korvel::test::RunCommand("ffprobe -v error -of csv=p=0 -show_entries packet=stream_index,pts,size,flags " +
                                            korvel::test::Quoted(kFixture));
  PerStream out;
  std::istringstream in(run.out);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string index, pts, size, flags;
    std::getline(fields, index, ',');
    std::getline(fields, pts, ',');
    std::getline(fields, size, ',');
    std::getline(fields, flags, ',');
    out[static_cast<uint16_t>(std::stoi(index) + 1)].push_back(
        {std::stoull(pts) * 10000, std::stoul(size), flags.find('K') != std::string::npos});
  }
  return out;
}

const PerStream& FfprobePackets() {
  static const PerStream packets = RunFfprobe();
  return packets;
}

std::vector<uint8_t> FixtureBytes() { return ReadWholeFile(kFixture, 16 << 20).value(); }

// The fixture without its index object (the objects after the data object).
std::vector<uint8_t> WithoutIndex() {
  std::vector<uint8_t> bytes = FixtureBytes();
  const ByteView view(bytes);
  const uint64_t header = *view.U64LE(16);
  bytes.resize(static_cast<size_t>(header + *view.U64LE(header + 16)));
  return bytes;
}

std::shared_ptr<AsfSyncReader> Open(std::vector<uint8_t> bytes) {
  auto reader = CreateSyncReader();
  EXPECT_EQ(reader->OpenStream(MakeMemoryByteStream(std::move(bytes))), S_OK);
  return reader;
}

// Every sample until the end; the codes of anything but samples and the end are collected.
std::vector<AsfSample> ReadAll(AsfSyncReader& reader, std::vector<HRESULT>* errors = nullptr) {
  std::vector<AsfSample> out;
  for (int guard = 0; guard < 100000; ++guard) {
    AsfSample s;
    const HRESULT hr = reader.GetNextSample(s);
    if (hr == NS_E_NO_MORE_SAMPLES) break;
    if (Failed(hr)) {
      if (errors) errors->push_back(hr);
      continue;
    }
    out.push_back(std::move(s));
  }
  return out;
}

PerStream ByStream(const std::vector<AsfSample>& samples, bool keyOfVideoOnly) {
  PerStream out;
  for (const auto& s : samples) {
    const bool key = (s.flags & WM_SF_CLEANPOINT) != 0;
    out[s.streamNumber].push_back({s.time, s.bytes.size(), keyOfVideoOnly && s.streamNumber != 1 ? true : key});
  }
  return out;
}

TEST(AsfReaderFixture, SamplesMatchFfprobe) {
  for (const bool indexed : {true, false}) {
    SCOPED_TRACE(indexed ? "with index" : "without index");
    auto reader = Open(indexed ? FixtureBytes() : WithoutIndex());
    std::vector<HRESULT> errors;
    const auto samples = ReadAll(*reader, &errors);
    EXPECT_TRUE(errors.empty());
    // ffprobe marks every audio packet as a key frame; the file marks none.
    EXPECT_EQ(ByStream(samples, true), FfprobePackets());
    for (size_t i = 1; i < samples.size(); ++i) ASSERT_LE(samples[i - 1].time, samples[i].time) << i;
  }
}

TEST(AsfReaderFixture, SeekableFollowsTheIndex) {
  for (const bool indexed : {true, false}) {
    auto reader = Open(indexed ? FixtureBytes() : WithoutIndex());
    uint8_t value[4] = {};
    uint32_t size = 4;
    ASSERT_EQ(reader->HeaderInfo()->GetAttributeByName(0, "Seekable", nullptr, value, &size), S_OK);
    EXPECT_EQ(value[0], indexed ? 1 : 0);
  }
}

// The latest video key frame at or before t, by ffprobe.
uint64_t KeyAtOrBefore(uint64_t t) {
  uint64_t key = 0;
  for (const auto& p : FfprobePackets().at(1)) {
    if (p.key && p.time <= t) key = p.time;
  }
  return key;
}

TEST(AsfReaderFixture, RangeStartsAtThePrecedingKeyFrame) {
  const auto probe = FfprobePackets();
  const uint64_t lastVideo = probe.at(1).back().time;
  for (const bool indexed : {true, false}) {
    for (const uint64_t start : {uint64_t{4000000}, uint64_t{5000000}, uint64_t{12345678}, lastVideo}) {
      SCOPED_TRACE(::testing::Message() << (indexed ? "indexed " : "scan ") << start);
      auto reader = Open(indexed ? FixtureBytes() : WithoutIndex());
      const uint64_t duration = 5000000;
      ASSERT_EQ(reader->SetRange(start, duration), S_OK);
      const auto samples = ReadAll(*reader);
      ASSERT_FALSE(samples.empty());
      const uint64_t clean = KeyAtOrBefore(start);
      EXPECT_EQ(samples.front().time, std::min(samples.front().time, clean));
      for (const auto& s : samples) {
        EXPECT_GE(s.time, clean);
        EXPECT_LE(s.time, start + duration);
      }
      const auto firstVideo = std::find_if(samples.begin(), samples.end(), [](const auto& s) { return s.streamNumber == 1; });
      ASSERT_NE(firstVideo, samples.end());
      EXPECT_EQ(firstVideo->time, clean);
      EXPECT_TRUE(firstVideo->flags & WM_SF_CLEANPOINT);
      // Every sample ffprobe lists inside [clean, start + duration] comes, none missing.
      size_t expected = 0;
      for (const auto& [stream, list] : probe) {
        for (const auto& p : list) expected += p.time >= clean && p.time <= start + duration;
      }
      EXPECT_EQ(samples.size(), expected);
    }
  }
}

TEST(AsfReaderFixture, RangePastTheEndFails) {
  for (const bool indexed : {true, false}) {
    auto reader = Open(indexed ? FixtureBytes() : WithoutIndex());
    EXPECT_EQ(reader->SetRange(600000000, 0), E_INVALIDARG);
    // The reader still reads after a refused range.
    ASSERT_EQ(reader->SetRange(0, 0), S_OK);
    EXPECT_FALSE(ReadAll(*reader).empty());
  }
}

TEST(AsfReaderFixture, DeselectedStreamsStayAway) {
  auto reader = Open(FixtureBytes());
  const uint16_t audio = 2;
  const WMT_STREAM_SELECTION off = WMT_OFF;
  ASSERT_EQ(reader->SetStreamsSelected(1, &audio, &off), S_OK);
  const auto samples = ReadAll(*reader);
  EXPECT_EQ(samples.size(), FfprobePackets().at(1).size());
  for (const auto& s : samples) EXPECT_EQ(s.streamNumber, 1);
  const uint16_t missing = 9;
  EXPECT_EQ(reader->SetStreamsSelected(1, &missing, &off), E_INVALIDARG);
  EXPECT_EQ(reader->SetReadStreamSamples(1, true), S_OK);
  EXPECT_EQ(reader->SetReadStreamSamples(1, false), E_INVALIDARG);
}

TEST(AsfReaderFixture, ClosedReaderRefusesWork) {
  auto reader = Open(FixtureBytes());
  ASSERT_EQ(reader->Close(), S_OK);
  AsfSample s;
  EXPECT_EQ(reader->GetNextSample(s), NS_E_INVALID_REQUEST);
  EXPECT_EQ(reader->SetRange(0, 0), NS_E_INVALID_REQUEST);
  EXPECT_EQ(reader->Profile(), nullptr);
}

// GStreamer's muxer left its encoder's time base in the video: its payload (and packet send)
// times start 1000 hours after the audio's, and all of its packets follow the audio's. The video
// is read from the file's start, merged in time order with the audio, and a range starts on its
// key frames (one every two seconds).
TEST(AsfReaderOtherMuxer, AStreamStartingHoursLateIsReadFromTheFilesStart) {
  const auto file = std::filesystem::path(KORVEL_FIXTURE_DIR) / "gst_wmv2_wmav2_smpte.wmv";
  const auto bytes = ReadWholeFile(file, 16 << 20).value();
  auto reader = Open(bytes);
  const auto samples = ReadAll(*reader);
  for (size_t i = 1; i < samples.size(); ++i) ASSERT_LE(samples[i - 1].time, samples[i].time) << i;
  const PerStream streams = ByStream(samples, false);
  const auto& video = streams.at(1);
  ASSERT_EQ(video.size(), 150u);
  EXPECT_EQ(video.front().time, 0u);
  EXPECT_TRUE(video.front().key);
  EXPECT_EQ(video.back().time, 149u * 400000);
  EXPECT_EQ(streams.at(2).front().time, 0u);

  reader = Open(bytes);
  ASSERT_EQ(reader->SetRange(25000000, 10000000), S_OK);
  const auto range = ReadAll(*reader);
  ASSERT_FALSE(range.empty());
  for (const auto& s : range) EXPECT_GE(s.time, 20000000u);
  const auto firstVideo = std::find_if(range.begin(), range.end(), [](const auto& s) { return s.streamNumber == 1; });
  ASSERT_NE(firstVideo, range.end());
  EXPECT_EQ(firstVideo->time, 20000000u);
  EXPECT_TRUE(firstVideo->flags & WM_SF_CLEANPOINT);
}

}  // namespace
}  // namespace korvel::asf
