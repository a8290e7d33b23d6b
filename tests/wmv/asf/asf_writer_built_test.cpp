// The writer on streams built in the test: objects far larger than a packet, many small ones
// sharing packets, a stream with payload extension systems, and streams whose samples step
// back in time against each other. Everything must read back exactly as written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <sstream>

#include "base/byte_appender.h"
#include "support/cli_run.h"
#include "support/independent_readers.h"
#include "support/temp_dir.h"
#include "wmv/asf/asf_file.h"
#include "wmv/asf/asf_guids.h"
#include "wmv/asf/asf_packet.h"
#include "wmv/asf/asf_packet_writer.h"
#include "wmv/asf/asf_writer.h"
#include "wmv/asf/asf_writer_test_support.h"

namespace korvel::asf {
namespace {

// Writing and reading back: OpenAsf, ReadSamples, WriteAsf, ExpectSame...
using namespace asf_test;
using test::TempDir;

constexpr uint16_t kVideo = 1, kAudio = 2, kExtended = 3;
constexpr uint64_t kFrameTime = 400000;       // 40 ms
constexpr uint32_t kAudioBytesPerSecond = 3200;
constexpr size_t kAudioSampleBytes = 32;      // 10 ms each
// Declared video bit rates: the first gives the usual packet size, the second larger packets.
constexpr uint32_t kLowRate = 400000, kHighRate = 40000000;
constexpr Guid kSomeFixedSystem = MakeGuid(0x01020304, 0x0506, 0x0708, {1, 2, 3, 4, 5, 6, 7, 8});
constexpr Guid kSomeVariableSystem = MakeGuid(0x11121314, 0x1516, 0x1718, {1, 2, 3, 4, 5, 6, 7, 9});

AsfStreamProperties VideoStream(uint16_t number) {
  ByteAppender bitmap;
  bitmap.U32(40 + 4).U32(320).U32(240).U16(1).U16(24).U32(0x32564D57).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0xC0DEC0DE);
  ByteAppender type;
  type.U32(320).U32(240).U8(2).U16(bitmap.Size()).Raw(bitmap.Get());
  return {kVideoMedia, {}, 0, number, false, type.Take(), {}};
}

AsfStreamProperties AudioStream(uint16_t number) {
  ByteAppender wave;
  wave.U16(0x161).U16(1).U32(8000).U32(kAudioBytesPerSecond).U16(32).U16(16).U16(2).U16(0xABCD);
  return {kAudioMedia, {}, 0, number, false, wave.Take(), {}};
}

AsfExtendedStreamProperties Extended(uint16_t number, uint64_t frameTime, std::vector<AsfPayloadExtensionSystem> systems) {
  AsfExtendedStreamProperties ext;
  ext.streamNumber = number;
  ext.dataBitrate = 500000;
  ext.bufferSize = 2000;
  ext.averageTimePerFrame = frameTime;
  ext.payloadExtensions = std::move(systems);
  return ext;
}

// Video with a known frame time, audio whose durations follow from its byte rate, and a second
// video stream whose payloads carry three extension systems, the sample duration among them.
AsfProfile BuiltProfile(uint32_t videoBitrate = kLowRate) {
  AsfHeader header;
  header.streams = {VideoStream(kVideo), AudioStream(kAudio), VideoStream(kExtended)};
  header.extendedStreams = {
      Extended(kVideo, kFrameTime, {}),
      Extended(kExtended, 0,
               {{kSomeFixedSystem, 4, {9, 9}}, {kPayloadExtensionSampleDuration, 2, {}}, {kSomeVariableSystem, 0xFFFF, {}}}),
  };
  header.extendedStreams[0].alternateDataBitrate = 2 * videoBitrate;
  header.extendedStreams[0].alternateBufferSize = 4000;
  header.bitrates = {{kVideo, videoBitrate}, {kAudio, 25600}, {kExtended, 300000}};
  // A variable bit rate audio stream.
  header.descriptors.push_back({AsfDescriptorSource::kMetadata, kAudio, 0, "IsVBR", 2, {1, 0}});
  return AsfProfile::FromHeader(header);
}

std::vector<uint8_t> Pattern(size_t size, uint32_t seed) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>((i * 31 + seed * 17 + (i >> 8)) & 0xFF);
  return bytes;
}

AsfSample Sample(uint16_t stream, uint64_t time, uint64_t duration, bool key, std::vector<uint8_t> bytes) {
  AsfSample s;
  s.streamNumber = stream;
  s.time = time;
  s.duration = duration;
  s.flags = key ? WM_SF_CLEANPOINT : 0;
  s.bytes = std::move(bytes);
  return s;
}

// The extension data of kExtended: four fixed bytes, the duration in ms, then a variable part.
std::vector<uint8_t> ExtensionData(uint16_t durationMs, const std::vector<uint8_t>& variable) {
  return ByteAppender().U32(0xFEEDBEEF).U16(durationMs).U16(variable.size()).Raw(variable).Take();
}

struct Written {
  std::vector<AsfSample> order;     // as handed to the writer
  std::vector<AsfSample> expected;  // as the reader must give them back
};

// Ten seconds of the three streams, the video far above its declared bit rate, which must not
// cost a sample. Video key frames are 100 KB; audio samples are 32 bytes;
// audio is handed over 150 ms ahead of the video around it, so video steps back behind it.
// Times never coincide across streams, which fixes the order the reader merges them in.
Written BuiltSamples() {
  Written w;
  std::vector<std::pair<int64_t, AsfSample>> keyed;
  for (uint32_t i = 0; i < 250; ++i) {
    const bool key = i % 25 == 0;
    const size_t size = key ? 100000 : 500 + (i * 97) % 9000;
    keyed.emplace_back(static_cast<int64_t>(i * kFrameTime), Sample(kVideo, i * kFrameTime, kFrameTime, key, Pattern(size, i)));
  }
  for (uint32_t i = 0; i < 1000; ++i) {
    const uint64_t time = i * 100000 + 30000;
    const uint64_t duration = kAudioSampleBytes * 10000000 / kAudioBytesPerSecond;
    keyed.emplace_back(static_cast<int64_t>(time) - 1500000, Sample(kAudio, time, duration, false, Pattern(kAudioSampleBytes, i)));
  }
  for (uint32_t i = 0; i < 330; ++i) {
    const uint64_t time = i * 300000 + 50000;
    AsfSample s = Sample(kExtended, time, 300000, i % 30 == 0, Pattern(1000 + i * 13, i + 7));
    // Half the samples bring extension data that fits the systems, the others data that does not.
    s.extensions = i % 2 == 0 ? ExtensionData(30, Pattern(i % 5, i)) : std::vector<uint8_t>{1, 2, 3};
    keyed.emplace_back(static_cast<int64_t>(time), std::move(s));
  }
  std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (auto& [key, sample] : keyed) w.order.push_back(sample);
  w.expected = w.order;
  std::stable_sort(w.expected.begin(), w.expected.end(), [](const auto& a, const auto& b) { return a.time < b.time; });
  return w;
}

void ExpectExactReadBack(uint32_t videoBitrate) {
  TempDir dir;
  const auto out = dir / "built.wmv";
  const Written w = BuiltSamples();
  ASSERT_EQ(WriteAsf(out, BuiltProfile(videoBitrate), w.order), S_OK);
  auto reader = OpenAsf(out);
  ASSERT_TRUE(reader);
  const auto samples = ReadSamples(*reader);
  ExpectSameSamples(samples, w.expected);
  ExpectSameProfile(*reader->Profile(), BuiltProfile(videoBitrate));

  // Extension data that fit the systems is kept; other data is replaced by made-up instances
  // holding the duration.
  size_t checked = 0;
  for (size_t i = 0; i < samples.size() && i < w.expected.size(); ++i) {
    if (samples[i].streamNumber != kExtended) continue;
    const auto& given = w.expected[i].extensions;
    const auto expected = given.size() == 3 ? ByteAppender().U32(0).U16(30).U16(0).Take() : given;
    EXPECT_EQ(samples[i].extensions, expected) << "sample " << i;
    ++checked;
  }
  EXPECT_EQ(checked, 330u);

  std::shared_ptr<AsfByteStream> stream;
  ASSERT_EQ(OpenFileByteStream(out, stream), S_OK);
  AsfFile file;
  ASSERT_EQ(OpenAsfFile(stream, file), S_OK);
  EXPECT_EQ(file.packetSize, kPacketSize);
  // Key frames span many packets; small samples share them.
  uint64_t bytes = 0;
  for (const auto& s : w.order) bytes += s.bytes.size();
  EXPECT_LT(file.packetCount, w.order.size());
  EXPECT_GT(file.packetCount, bytes / file.packetSize);
  ASSERT_TRUE(file.simpleIndex.has_value());
  const auto* ext = file.header.ExtendedStream(kVideo);
  ASSERT_NE(ext, nullptr);
  EXPECT_EQ(ext->maximumObjectSize, 100000u);
  EXPECT_GE(file.header.file.preroll, 2000u);
  uint64_t end = 0;
  for (const auto& s : w.order) end = std::max(end, s.time + s.duration);
  EXPECT_EQ(file.header.file.playDuration, end + file.PrerollTime());
}

TEST(AsfWriterBuilt, EveryKindOfSampleReadsBackExactly) {
  for (const uint32_t rate : {kLowRate, kHighRate}) {
    SCOPED_TRACE(rate);
    ExpectExactReadBack(rate);
  }
}

TEST(AsfWriterBuilt, SeekingLandsOnTheKeyFrameBeforeTheStart) {
  TempDir dir;
  const auto out = dir / "built.wmv";
  const Written w = BuiltSamples();
  ASSERT_EQ(WriteAsf(out, BuiltProfile(), w.order), S_OK);
  for (const uint64_t start : {uint64_t{15000000}, uint64_t{55000000}, uint64_t{99000000}}) {
    SCOPED_TRACE(start);
    auto reader = OpenAsf(out);
    ASSERT_TRUE(reader);
    ASSERT_EQ(reader->SetRange(start, 0), S_OK);
    const auto samples = ReadSamples(*reader);
    const uint64_t clean = start / (25 * kFrameTime) * (25 * kFrameTime);
    ASSERT_FALSE(samples.empty());
    EXPECT_GE(samples.front().time, clean);
    const auto video = std::find_if(samples.begin(), samples.end(), [](const auto& s) { return s.streamNumber == kVideo; });
    ASSERT_NE(video, samples.end());
    EXPECT_EQ(video->time, clean);
    EXPECT_EQ(video->bytes.size(), 100000u);
    // Nothing from the clean point on is missing.
    const auto expected = std::count_if(w.expected.begin(), w.expected.end(), [&](const auto& s) { return s.time >= clean; });
    EXPECT_EQ(static_cast<ptrdiff_t>(samples.size()), expected);
  }
}

struct KeyFrameSpan {
  uint64_t time;  // 100 ns, preroll included
  uint64_t firstPacket, lastPacket;
};

// Where each key frame of the stream lies, found by parsing every packet of the file.
std::vector<KeyFrameSpan> KeyFramesInPackets(const AsfFile& file, uint8_t stream) {
  std::vector<KeyFrameSpan> spans;
  std::vector<uint8_t> buffer(file.packetSize);
  for (uint64_t n = 0; n < file.packetCount; ++n) {
    EXPECT_EQ(ReadExactAt(*file.stream, file.PacketOffset(n), buffer), ReadOutcome::kComplete);
    AsfPacket packet;
    EXPECT_EQ(ParsePacket(ByteView(buffer), packet), S_OK) << "packet " << n;
    for (const auto& p : packet.payloads) {
      if (p.streamNumber != stream || !p.keyFrame) continue;
      if (p.offsetIntoObject == 0) spans.push_back({uint64_t{p.presentationTimeMs} * 10000, n, n});
      if (!spans.empty()) spans.back().lastPacket = n;
    }
  }
  return spans;
}

TEST(AsfWriterBuilt, TheIndexPointsAtTheLatestKeyFrameOfEverySecond) {
  TempDir dir;
  const auto out = dir / "built.wmv";
  const Written w = BuiltSamples();
  ASSERT_EQ(WriteAsf(out, BuiltProfile(), w.order), S_OK);
  std::shared_ptr<AsfByteStream> stream;
  ASSERT_EQ(OpenFileByteStream(out, stream), S_OK);
  AsfFile file;
  ASSERT_EQ(OpenAsfFile(stream, file), S_OK);
  ASSERT_TRUE(file.simpleIndex.has_value());
  const AsfSimpleIndex& index = *file.simpleIndex;
  EXPECT_EQ(index.interval, 10000000u);
  const auto keys = KeyFramesInPackets(file, kVideo);
  ASSERT_EQ(keys.size(), 10u);
  // One entry per second up to the last sample's presentation time, preroll included.
  const uint64_t last = std::max_element(w.order.begin(), w.order.end(), [](const auto& a, const auto& b) {
                          return a.time < b.time;
                        })->time + file.PrerollTime();
  ASSERT_EQ(index.entries.size(), last / index.interval + 1);
  for (size_t i = 0; i < index.entries.size(); ++i) {
    SCOPED_TRACE(i);
    const KeyFrameSpan* latest = nullptr;
    for (const auto& k : keys) {
      if (k.time <= i * index.interval) latest = &k;
    }
    EXPECT_EQ(index.entries[i].packetNumber, latest ? latest->firstPacket : 0);
    EXPECT_EQ(index.entries[i].packetCount, latest ? latest->lastPacket - latest->firstPacket + 1 : 1);
  }
}

TEST(AsfWriterBuilt, IndependentReadersReadEveryPacket) {
  if (std::system("ffprobe -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "ffprobe missing";
  for (const uint32_t rate : {kLowRate, kHighRate}) {
    SCOPED_TRACE(rate);
    TempDir dir;
    const auto out = dir / "built.wmv";
    const Written w = BuiltSamples();
    ASSERT_EQ(WriteAsf(out, BuiltProfile(rate), w.order), S_OK);
    const auto run = test::RunCommand("ffprobe -v error -show_entries packet=stream_index,size -of csv=p=0 " + test::Quoted(out));
    std::map<int, std::vector<size_t>> probed;
    std::istringstream in(run.out);
    std::string line;
    while (std::getline(in, line)) {
      const auto comma = line.find(',');
      probed[std::stoi(line.substr(0, comma))].push_back(std::stoul(line.substr(comma + 1)));
    }
    std::map<int, std::vector<size_t>> written;
    for (const auto& s : w.order) written[s.streamNumber - 1].push_back(s.bytes.size());
    EXPECT_EQ(probed, written);
    for (const test::ReaderView& view : test::IndependentViews(out)) {
      SCOPED_TRACE(view.reader);
      EXPECT_TRUE(view.recognised) << view.detail;
      EXPECT_EQ(view.container, "asf");
      EXPECT_EQ(view.streams.size(), 3u);
    }
  }
}

}  // namespace
}  // namespace korvel::asf
