// The sample reader on small files built here: every payload form, and a table of damage that
// must come out as one of the three damaged-data codes, with reading going on after it; the whole
// samples read before damage come out before its code.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>

#include "wmv/asf/asf_errors.h"
#include "wmv/asf/asf_guids.h"
#include "wmv/asf/asf_sync_reader.h"
#include "wmv/asf/asf_test_file.h"
#include "wmv/asf/asf_writer_test_support.h"

namespace korvel::asf {
namespace {

using asf_test::AsfTestFile;
using asf_test::Bytes;
using asf_test::kTestPrerollMs;
using asf_test::AsfObject;
using asf_test::Packet;
using asf_test::SubPayloads;
using asf_test::TestPayload;

constexpr uint32_t kWmv3 = 0x33564D57;
constexpr uint64_t kMs = 10000;

std::vector<uint8_t> Filled(size_t n, uint8_t first) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(first + i);
  return v;
}

TestPayload Whole(uint8_t stream, uint8_t object, uint32_t timeMs, std::vector<uint8_t> data, bool key = false) {
  TestPayload p;
  p.stream = stream;
  p.objectNumber = object;
  p.timeMs = timeMs + kTestPrerollMs;
  p.data = std::move(data);
  p.key = key;
  return p;
}

TestPayload Fragment(uint8_t stream, uint8_t object, uint32_t timeMs, uint32_t size, uint32_t offset,
                     std::vector<uint8_t> data, bool key = false) {
  TestPayload p = Whole(stream, object, timeMs, std::move(data), key);
  p.objectSize = size;
  p.offset = offset;
  return p;
}

struct Outcome {
  std::vector<AsfSample> samples;
  std::vector<HRESULT> errors;
  size_t beforeFirstError = 0;  // samples delivered before the first error
};

Outcome ReadAll(const std::vector<uint8_t>& bytes) {
  Outcome out;
  auto reader = CreateSyncReader();
  const HRESULT opened = reader->OpenStream(MakeMemoryByteStream(bytes));
  EXPECT_EQ(opened, S_OK);
  if (Failed(opened)) return out;
  for (int guard = 0; guard < 1000; ++guard) {
    AsfSample s;
    const HRESULT hr = reader->GetNextSample(s);
    if (hr == NS_E_NO_MORE_SAMPLES) return out;
    if (Failed(hr)) {
      if (out.errors.empty()) out.beforeFirstError = out.samples.size();
      out.errors.push_back(hr);
    } else {
      out.samples.push_back(std::move(s));
    }
  }
  ADD_FAILURE() << "the reader never ended";
  return out;
}

AsfTestFile TwoStreams() {
  AsfTestFile f;
  f.Video(1, kWmv3, 64, 48).Audio(2, 0x0161, 8000);
  return f;
}

TEST(AsfReaderBuilt, FragmentsAndMultiplePayloadsComeOutWhole) {
  const auto video = Filled(300, 0);
  AsfTestFile f = TwoStreams();
  f.AddPacket(Packet(0, {Fragment(1, 7, 40, 300, 0, {video.begin(), video.begin() + 150}, true),
                         Whole(2, 1, 0, Filled(20, 100))}));
  f.AddPacket(Packet(10, {Fragment(1, 7, 40, 300, 150, {video.begin() + 150, video.end()}, true)}));
  f.AddPacket(Packet(20, {Whole(2, 2, 30, Filled(20, 120)), Whole(1, 8, 80, Filled(5, 9))}));
  const Outcome got = ReadAll(f.Build());
  EXPECT_TRUE(got.errors.empty());
  ASSERT_EQ(got.samples.size(), 4u);
  EXPECT_EQ(got.samples[0].streamNumber, 2);
  EXPECT_EQ(got.samples[0].time, 0u);
  EXPECT_EQ(got.samples[1].streamNumber, 2);
  EXPECT_EQ(got.samples[1].time, 30 * kMs);
  EXPECT_EQ(got.samples[2].bytes, video);
  EXPECT_EQ(got.samples[2].time, 40 * kMs);
  EXPECT_EQ(got.samples[2].flags, WM_SF_CLEANPOINT);
  EXPECT_EQ(got.samples[3].flags, 0u);
  // Audio without a duration extension lasts its bytes at the format's rate: 20 / 8000 s.
  EXPECT_EQ(got.samples[0].duration, 20 * 10000000u / 8000);
}

TEST(AsfReaderBuilt, CompressedPayloadsSplitIntoObjects) {
  TestPayload p;
  p.stream = 2;
  p.compressed = true;
  p.timeMs = 100 + kTestPrerollMs;
  p.timeDelta = 20;
  p.data = SubPayloads({Filled(3, 1), Filled(4, 2), Filled(5, 3)});
  AsfTestFile f = TwoStreams();
  f.AddPacket(Packet(0, {p}));
  const Outcome got = ReadAll(f.Build());
  EXPECT_TRUE(got.errors.empty());
  ASSERT_EQ(got.samples.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(got.samples[i].time, (100 + 20 * i) * kMs);
    EXPECT_EQ(got.samples[i].bytes, Filled(3 + i, static_cast<uint8_t>(1 + i)));
  }
}

// The packet with a packet length that stops where its payloads end and a padding length that
// counts the bytes after it, so that the two add up to the packet's size (GStreamer's muxer
// writes its packets so).
std::vector<uint8_t> WithPacketLength(std::vector<uint8_t> packet) {
  // Packet() writes two bytes of error correction, the length type flags, the property flags,
  // then the padding length as a WORD.
  constexpr size_t kFlagsAt = 3, kPaddingAt = 5;
  const size_t length = packet.size() - (packet[kPaddingAt] | packet[kPaddingAt + 1] << 8) + 2;
  packet[kFlagsAt] |= 0x40;  // packet length as a WORD, before the padding length
  packet.insert(packet.begin() + kPaddingAt, {static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8)});
  packet.resize(packet.size() - 2);
  const size_t padding = packet.size() - length;
  packet[kPaddingAt + 2] = static_cast<uint8_t>(padding);
  packet[kPaddingAt + 3] = static_cast<uint8_t>(padding >> 8);
  return packet;
}

TEST(AsfReaderBuilt, PaddingAfterAShortPacketLengthIsNotTakenOffTwice) {
  AsfTestFile f = TwoStreams();
  f.AddPacket(WithPacketLength(Packet(0, {Whole(1, 1, 0, Filled(40, 0), true), Whole(2, 1, 0, Filled(20, 50))})));
  f.AddPacket(WithPacketLength(Packet(10, {Whole(1, 2, 40, Filled(30, 7))})));
  const Outcome got = ReadAll(f.Build());
  EXPECT_TRUE(got.errors.empty());
  ASSERT_EQ(got.samples.size(), 3u);
  EXPECT_EQ(got.samples[0].bytes, Filled(40, 0));
  EXPECT_EQ(got.samples[1].bytes, Filled(20, 50));
  EXPECT_EQ(got.samples[2].bytes, Filled(30, 7));
}

TEST(AsfReaderBuilt, DurationComesFromThePayloadExtension) {
  Bytes ext;
  ext.U64(0).U64(0).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0).U16(1).U16(0).U64(400000).U16(0).U16(2);
  ext.Id(kPayloadExtensionContentType).U16(1).U32(0);
  ext.Id(kPayloadExtensionSampleDuration).U16(2).U32(0);
  AsfTestFile f = TwoStreams();
  f.ExtensionObject(AsfObject(kExtendedStreamPropertiesObject, ext.Get()));
  TestPayload withDuration = Whole(1, 1, 0, Filled(10, 0), true);
  withDuration.extensions = {0x5A, 33, 0};  // content type 0x5A, then 33 ms
  TestPayload without = Whole(1, 2, 40, Filled(10, 0));
  without.extensions = {0x00, 0xFF, 0xFF};
  f.AddPacket(Packet(0, {withDuration}));
  f.AddPacket(Packet(30, {without}));
  const Outcome got = ReadAll(f.Build());
  ASSERT_EQ(got.samples.size(), 2u);
  EXPECT_EQ(got.samples[0].duration, 33 * kMs);
  EXPECT_EQ(got.samples[0].extensions, withDuration.extensions);
  EXPECT_EQ(got.samples[1].duration, 65535 * kMs);
}

TEST(AsfReaderBuilt, AudioSpreadingIsUndone) {
  // Span 2, virtual packets of 4 bytes, chunks of 2: stored chunk order 0 2 1 3.
  AsfTestFile f;
  f.Video(1, kWmv3, 64, 48).Audio(2, 0x0161, 8000, Bytes().U8(2).U16(4).U16(2).U16(0).Get());
  f.AddPacket(Packet(0, {Whole(2, 1, 0, {0, 1, 4, 5, 2, 3, 6, 7})}));
  const Outcome got = ReadAll(f.Build());
  ASSERT_EQ(got.samples.size(), 1u);
  EXPECT_EQ(got.samples[0].bytes, (std::vector<uint8_t>{0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST(AsfReaderBuilt, SamplesComeInTimeOrderWhateverThePacketOrder) {
  AsfTestFile f = TwoStreams();
  // Audio sent after the video yet presented before it comes first.
  f.AddPacket(Packet(0, {Whole(1, 1, 500, Filled(4, 0), true)}));
  f.AddPacket(Packet(100, {Whole(2, 1, 300, Filled(4, 0))}));
  f.AddPacket(Packet(1500, {Whole(2, 2, 700, Filled(4, 0))}));
  // Sent after its presentation time (preroll included): the video has gone out by then.
  f.AddPacket(Packet(1600, {Whole(2, 3, 400, Filled(4, 0))}));
  const Outcome got = ReadAll(f.Build());
  ASSERT_EQ(got.samples.size(), 4u);
  EXPECT_EQ(got.samples[0].time, 300 * kMs);
  EXPECT_EQ(got.samples[1].time, 500 * kMs);
  EXPECT_EQ(got.samples[2].time, 500 * kMs);  // held at the last time, never going back
  EXPECT_EQ(got.samples[3].time, 700 * kMs);
}

std::vector<uint8_t> GoodPacket(uint32_t timeMs, uint8_t object) {
  return Packet(timeMs, {Whole(1, object, timeMs, Filled(8, object), true)});
}

struct DamageCase {
  const char* name;
  std::function<void(AsfTestFile&, std::vector<uint8_t>& bytes, size_t firstPacket)> make;
  std::vector<HRESULT> errors;
  size_t samples;
  size_t beforeError;  // of them, the ones read before the damage: they come before its code
};

void Put(std::vector<uint8_t>& b, size_t at, std::initializer_list<uint8_t> v) {
  for (const uint8_t x : v) b.at(at++) = x;
}

TEST(AsfReaderBuilt, DamageIsReportedAndSkipped) {
  constexpr size_t P = asf_test::kTestPacketSize;
  // Each case builds on a file of good packets at 0, 40, 80 ms (objects 1, 2, 3), and a damaged
  // one that it adds or makes; the reader reports it and delivers the good ones.
  const DamageCase cases[] = {
      {"payload longer than the packet",
       [](auto&, auto& b, size_t first) { Put(b, first + P + 5, {0xFF, 0xFF}); },  // padding > packet
       {NS_E_INVALID_DATA}, 2, 1},
      {"replicated data of 3 bytes",
       [](auto&, auto& b, size_t first) { Put(b, first + P + 17, {3}); },
       {NS_E_INVALID_DATA}, 2, 1},
      {"packet cut off by the end of the file",
       [](auto&, auto& b, size_t) { b.resize(b.size() - P / 2); },
       {NS_E_FILE_CORRUPTED}, 2, 2},
      {"data object declares more packets than the file holds",
       [](auto&, auto& b, size_t first) {
         b.resize(b.size() - P);
         (void)first;
       },
       {NS_E_FILE_CORRUPTED}, 2, 2},
      {"media object larger than any allowed",
       [](auto&, auto& b, size_t first) { Put(b, first + P + 18, {0xFF, 0xFF, 0xFF, 0x7F}); },
       {NS_E_INVALID_DATA}, 2, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    AsfTestFile f = TwoStreams();
    f.AddPacket(GoodPacket(0, 1)).AddPacket(GoodPacket(40, 2)).AddPacket(GoodPacket(80, 3));
    std::vector<uint8_t> bytes = f.Build();
    c.make(f, bytes, f.FirstPacketOffset());
    const Outcome got = ReadAll(bytes);
    EXPECT_EQ(got.errors, c.errors);
    EXPECT_EQ(got.samples.size(), c.samples);
    EXPECT_EQ(got.beforeFirstError, c.beforeError);
    for (const HRESULT hr : got.errors) EXPECT_TRUE(IsDamagedDataResult(hr));
  }
}

// A packet in the middle of a file is damaged while up to a preroll of samples from earlier
// packets still waits for later ones. Video objects come in two fragments, one packet each, 20 ms
// apart; each second fragment shares its packet with an audio object. The damaged packet held the
// second half of one video object and one audio object; the packet after it brings, besides the
// next video object, an audio object that belongs before samples already handed out.
TEST(AsfReaderBuilt, WholeSamplesReadBeforeTheDamageComeBeforeItsCode) {
  constexpr size_t P = asf_test::kTestPacketSize;
  constexpr uint8_t kObjects = 60;               // 2.4 s of video, more than the preroll
  constexpr size_t kDamaged = 2 * 30 + 1;        // the packet ending video object 30
  struct Original {
    uint16_t stream;
    uint64_t time;
    std::vector<uint8_t> bytes;
    size_t lastPacket;  // the packet that completes it
  };
  std::vector<Original> originals;
  AsfTestFile f = TwoStreams();
  for (uint8_t j = 0; j < kObjects; ++j) {
    const uint32_t t = 40u * j;
    const auto video = Filled(200, j);
    const auto audio = Filled(8, static_cast<uint8_t>(100 + j));
    std::vector<TestPayload> first = {Fragment(1, j, t, 200, 0, {video.begin(), video.begin() + 100}, j % 10 == 0)};
    if (2u * j == kDamaged + 1) {
      first.push_back(Whole(2, 200, 1100, Filled(8, 200)));
      originals.push_back({2, 1100 * kMs, first.back().data, kDamaged + 1});
    }
    f.AddPacket(Packet(t, first));
    f.AddPacket(Packet(t + 20, {Fragment(1, j, t, 200, 100, {video.begin() + 100, video.end()}, j % 10 == 0),
                                Whole(2, j, t + 20, audio)}));
    originals.push_back({1, t * kMs, video, 2u * j + 1});
    originals.push_back({2, (t + 20) * kMs, audio, 2u * j + 1});
  }
  std::vector<uint8_t> bytes = f.Build();
  Put(bytes, f.FirstPacketOffset() + kDamaged * P + 5, {0xFF, 0xFF});  // padding > packet

  const Outcome got = ReadAll(bytes);
  ASSERT_FALSE(got.errors.empty());
  EXPECT_EQ(got.errors.front(), NS_E_INVALID_DATA);
  for (const HRESULT hr : got.errors) EXPECT_TRUE(IsDamagedDataResult(hr));

  // Before the code: every object completed before the damaged packet, in time order.
  std::vector<const Original*> whole;
  for (const Original& o : originals)
    if (o.lastPacket < kDamaged) whole.push_back(&o);
  ASSERT_EQ(got.beforeFirstError, whole.size());
  for (size_t i = 0; i < whole.size(); ++i) {
    SCOPED_TRACE(::testing::Message() << "sample " << i);
    EXPECT_EQ(got.samples[i].streamNumber, whole[i]->stream);
    EXPECT_EQ(got.samples[i].time, whole[i]->time);
    EXPECT_TRUE(got.samples[i].bytes == whole[i]->bytes);
  }
  // After it: reading goes on in time order, and nothing the damage touched comes out, neither
  // the object cut in two nor anything of the damaged packet, nor (with a made-up time) the
  // audio object too late for its place.
  size_t after = 0;
  for (size_t i = got.beforeFirstError; i < got.samples.size(); ++i) {
    const AsfSample& s = got.samples[i];
    EXPECT_GE(s.time, got.samples[i - 1].time);
    const auto same = std::ranges::find_if(originals, [&](const Original& o) {
      return o.stream == s.streamNumber && o.time == s.time && o.bytes == s.bytes;
    });
    ASSERT_NE(same, originals.end()) << "sample " << i << " is not an object of the file";
    EXPECT_GT(same->lastPacket, kDamaged) << "sample " << i;
    ++after;
  }
  EXPECT_EQ(whole.size() + after, originals.size() - 3);
}

// Samples of other streams presented at or after the clean point may have been sent well before
// it; a range must bring them all the same, and damage among those early packets lies before
// the range.
TEST(AsfReaderBuilt, RangeBringsSamplesSentBeforeTheCleanPoint) {
  constexpr size_t P = asf_test::kTestPacketSize;
  AsfTestFile f = TwoStreams();
  uint8_t video = 0;
  const auto addVideo = [&](uint32_t t) {
    f.AddPacket(Packet(t, {Whole(1, video, t, Filled(8, video), t % 2000 == 0)}));
    ++video;
  };
  for (uint32_t t = 0; t <= 1000; t += 200) addVideo(t);
  // Audio sent 900 ms ahead, later than our writer's preroll lead: the first is before the range.
  const size_t firstAudioPacket = 6;
  for (uint8_t a = 0; a < 4; ++a) {
    const uint32_t t = 1900 + 100u * a;
    f.AddPacket(Packet(t - 900, {Whole(2, a, t, Filled(8, static_cast<uint8_t>(0x80 + a)))}));
  }
  for (uint32_t t = 1400; t <= 3000; t += 200) addVideo(t);
  const std::vector<uint8_t> clean = f.Build();

  const std::vector<AsfSample> all = ReadAll(clean).samples;
  std::vector<AsfSample> expected;
  for (const AsfSample& s : all)
    if (s.time >= 2000 * kMs) expected.push_back(s);
  ASSERT_EQ(std::ranges::count(expected, 2, &AsfSample::streamNumber), 3);

  std::vector<uint8_t> damagedLeadIn = clean;
  // The audio packet of 1900 ms, before the range, is damaged.
  Put(damagedLeadIn, f.FirstPacketOffset() + firstAudioPacket * P + 5, {0xFF, 0xFF});
  for (const std::vector<uint8_t>* bytes : {&clean, &std::as_const(damagedLeadIn)}) {
    SCOPED_TRACE(bytes == &clean ? "clean" : "damaged before the range");
    auto reader = CreateSyncReader();
    ASSERT_EQ(reader->OpenStream(MakeMemoryByteStream(*bytes)), S_OK);
    ASSERT_EQ(reader->SetRange(2100 * kMs, 0), S_OK);
    std::vector<AsfSample> got;
    AsfSample s;
    HRESULT hr = S_OK;
    while ((hr = reader->GetNextSample(s)) == S_OK) got.push_back(std::move(s));
    EXPECT_EQ(hr, NS_E_NO_MORE_SAMPLES);
    asf_test::ExpectSameSamples(got, expected);
  }
}

TEST(AsfReaderBuilt, BrokenFragmentChainsAreReported) {
  struct ChainCase {
    const char* name;
    std::vector<std::vector<uint8_t>> packets;
    std::vector<HRESULT> errors;
    size_t samples;
  };
  const auto a = Filled(100, 0);
  const ChainCase cases[] = {
      {"a fragment is missing",
       {Packet(0, {Fragment(1, 1, 0, 100, 0, {a.begin(), a.begin() + 40}, true)}),
        Packet(10, {Fragment(1, 1, 0, 100, 70, {a.begin() + 70, a.end()}, true)}), GoodPacket(40, 2)},
       {NS_E_CORRUPTED_DATA_UNIT}, 1},
      {"a new object starts before the last one ended",
       {Packet(0, {Fragment(1, 1, 0, 100, 0, {a.begin(), a.begin() + 40}, true)}), GoodPacket(40, 2)},
       {NS_E_CORRUPTED_DATA_UNIT}, 1},
      {"the data ends inside an object",
       {GoodPacket(0, 1), Packet(10, {Fragment(1, 2, 40, 100, 0, {a.begin(), a.begin() + 40}, true)})},
       {NS_E_CORRUPTED_DATA_UNIT}, 1},
      {"sub-payload longer than its payload",
       {Packet(0, {[] {
          TestPayload p;
          p.compressed = true;
          p.timeMs = kTestPrerollMs;
          p.data = {9, 1, 2};
          return p;
        }()}),
        GoodPacket(40, 2)},
       {NS_E_INVALID_DATA}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    AsfTestFile f = TwoStreams();
    for (const auto& p : c.packets) f.AddPacket(p);
    const Outcome got = ReadAll(f.Build());
    EXPECT_EQ(got.errors, c.errors);
    EXPECT_EQ(got.samples.size(), c.samples);
  }
}

TEST(AsfReaderBuilt, IndexAndScanFindTheSameCleanPoint) {
  // Key frames at 0 and 1000 ms, others every 200 ms; audio in between.
  AsfTestFile f = TwoStreams();
  std::vector<uint32_t> keyPacketBySecond;
  for (uint32_t t = 0, object = 1; t < 3000; t += 200, ++object) {
    if (t % 1000 == 0) keyPacketBySecond.push_back(2 * (t / 200));
    f.AddPacket(Packet(t, {Whole(1, static_cast<uint8_t>(object), t, Filled(8, 0), t % 1000 == 0)}));
    f.AddPacket(Packet(t + 10, {Whole(2, static_cast<uint8_t>(object), t + 100, Filled(8, 0))}));
  }
  // The index covers time with preroll: entry i is for i seconds, so the first two point at 0.
  std::vector<uint32_t> index = {0, 0};
  for (const uint32_t p : keyPacketBySecond) index.push_back(p);
  for (const bool indexed : {true, false}) {
    AsfTestFile g = f;
    if (indexed) g.Index(1000, index);
    auto reader = CreateSyncReader();
    ASSERT_EQ(reader->OpenStream(MakeMemoryByteStream(g.Build())), S_OK);
    for (const auto& [start, clean] : {std::pair{1500 * kMs, 1000 * kMs}, std::pair{999 * kMs, 0 * kMs},
                                       std::pair{2000 * kMs, 2000 * kMs}, std::pair{2850 * kMs, 2000 * kMs}}) {
      SCOPED_TRACE(::testing::Message() << (indexed ? "index " : "scan ") << start);
      ASSERT_EQ(reader->SetRange(start, 300 * kMs), S_OK);
      AsfSample s;
      ASSERT_EQ(reader->GetNextSample(s), S_OK);
      EXPECT_EQ(s.time, clean);
      EXPECT_EQ(s.streamNumber, 1);
      uint64_t last = s.time;
      while (reader->GetNextSample(s) == S_OK) last = s.time;
      EXPECT_LE(last, start + 300 * kMs);
    }
    EXPECT_EQ(reader->SetRange(2950 * kMs, 0), E_INVALIDARG);  // after the last sample (2900 ms)
  }
}

TEST(AsfReaderBuilt, ScanWithoutIndexReachesADistantCleanPoint) {
  // One key frame at 0 in 40 s of video: the search has to widen to the start of the file.
  AsfTestFile f = TwoStreams();
  for (uint32_t t = 0, object = 0; t < 40000; t += 500, ++object) {
    f.AddPacket(Packet(t, {Whole(1, static_cast<uint8_t>(object), t, Filled(8, 0), t == 0)}));
  }
  auto reader = CreateSyncReader();
  ASSERT_EQ(reader->OpenStream(MakeMemoryByteStream(f.Build())), S_OK);
  for (const uint64_t start : {500 * kMs, 9000 * kMs, 35000 * kMs}) {
    ASSERT_EQ(reader->SetRange(start, 0), S_OK);
    AsfSample s;
    ASSERT_EQ(reader->GetNextSample(s), S_OK);
    EXPECT_EQ(s.time, 0u);
    EXPECT_EQ(s.flags, WM_SF_CLEANPOINT);
  }
}

}  // namespace
}  // namespace korvel::asf
