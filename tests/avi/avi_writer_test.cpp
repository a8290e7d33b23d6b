// The AVI writer: fixture streams copied chunk by chunk through our reader into a new file must
// read back the same with our reader and with ffmpeg, as AVI 1.0 and as OpenDML; failures and
// early ends must reach the caller while what was written stays a valid file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "avi/avi_test_probe.h"
#include "avi/avi_writer.h"
#include "base/byte_view.h"
#include "support/cli_run.h"
#include "support/file_size_limit.h"
#include "support/independent_readers.h"
#include "support/temp_dir.h"

namespace korvel::test {
namespace {

const char* const kFixtures[] = {"avi_xvid_mp3.avi", "avi_div3_pcm.avi", "avi_h264.avi"};

struct SourceChunk {
  size_t stream = 0;
  int64_t firstSample = 0;
  int64_t timeMs = 0;
  uint32_t samples = 0;
  bool key = false;
  std::vector<uint8_t> bytes;
};

struct SourceStream {
  AviStreamInfo info;
  std::vector<uint8_t> format;
};

struct Source {
  std::vector<SourceStream> streams;
  std::vector<SourceChunk> chunks;  // interleaved by time, as a producer would write them
};

// A fixed-size stream's chunk ends where the next sample does not follow in the file.
int64_t FixedChunkEnd(IAVIReadStream& stream, int64_t start, int64_t unit) {
  int64_t end = start + 1;
  while (end < stream.End() && stream.SamplePosition(end) == stream.SamplePosition(end - 1) + unit) ++end;
  return end;
}

Source ReadSource(const std::filesystem::path& file) {
  Source source;
  const OpenedAvi opened = OpenAvi(file);
  EXPECT_EQ(opened.result, S_OK) << file;
  if (opened.result != S_OK) return source;
  for (int32_t n = 0;; ++n) {
    auto stream = opened.handler->GetStream(0, n);
    if (!stream) break;
    SourceStream s;
    EXPECT_EQ(stream->InfoAndFormat(s.info, s.format), S_OK);
    const int64_t unit = s.info.dwSampleSize;
    std::vector<uint8_t> buffer(4u << 20);
    for (int64_t sample = 0; sample < stream->End();) {
      const int64_t end = unit != 0 ? FixedChunkEnd(*stream, sample, unit) : sample + 1;
      SourceChunk chunk{source.streams.size(), sample, stream->SampleToTime(sample), 0, stream->IsKeyFrame(sample), {}};
      int64_t bytes = 0;
      int64_t samples = 0;
      const HRESULT hr = stream->Read(sample, end - sample, buffer.data(), static_cast<int64_t>(buffer.size()),
                                      &bytes, &samples);
      EXPECT_EQ(hr, S_OK);
      if (hr != S_OK || samples < 1) break;
      chunk.bytes.assign(buffer.begin(), buffer.begin() + bytes);
      chunk.samples = static_cast<uint32_t>(samples);
      source.chunks.push_back(std::move(chunk));
      sample += samples;
    }
    source.streams.push_back(std::move(s));
  }
  std::stable_sort(source.chunks.begin(), source.chunks.end(),
                   [](const SourceChunk& a, const SourceChunk& b) { return a.timeMs < b.timeMs; });
  return source;
}

struct CopyResult {
  HRESULT init = E_FAIL;
  size_t chunksWritten = 0;
  bool finalized = false;
  AviEarlyEnd earlyEnd = AviEarlyEnd::None;
  std::string errorText;
};

CopyResult CopyInto(const Source& source, const std::filesystem::path& out, const AviWriterLimits& limits = {},
                    uint64_t sizeLimit = UINT64_MAX) {
  CopyResult result;
  auto writer = CreateAviOutFile(limits);
  std::vector<TAVIOutStream*> streams;
  for (const SourceStream& s : source.streams) streams.push_back(writer->CreateStream(s.info, s.format));
  if (std::count(streams.begin(), streams.end(), nullptr) != 0) return result;
  writer->SetSizeLimit(sizeLimit);
  result.init = writer->Init(out);
  if (result.init != S_OK) return result;
  for (const SourceChunk& c : source.chunks) {
    if (!streams[c.stream]->Write(c.key ? kAviIndexKeyFrame : 0, c.bytes.data(),
                                  static_cast<uint32_t>(c.bytes.size()), c.samples))
      break;
    ++result.chunksWritten;
  }
  result.finalized = writer->Finalize();
  result.earlyEnd = writer->EarlyEnd();
  result.errorText = writer->ErrorText();
  return result;
}

std::vector<uint8_t> ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

size_t CountTag(const std::vector<uint8_t>& bytes, std::string_view tag) {
  size_t count = 0;
  for (auto it = bytes.begin();; ++it) {
    it = std::search(it, bytes.end(), tag.begin(), tag.end());
    if (it == bytes.end()) return count;
    ++count;
  }
}

// What our reader sees of every stream, without file positions.
std::vector<std::vector<SampleRead>> ReadBack(const std::filesystem::path& file, bool forceReconstruct = false) {
  std::vector<std::vector<SampleRead>> streams;
  const OpenedAvi opened = OpenAvi(file, forceReconstruct);
  EXPECT_EQ(opened.result, S_OK) << file;
  if (opened.result != S_OK) return streams;
  for (int32_t n = 0;; ++n) {
    auto stream = opened.handler->GetStream(0, n);
    if (!stream) break;
    auto reads = ReadWholeStream(*stream);
    for (SampleRead& r : reads) r.position = 0;
    streams.push_back(std::move(reads));
  }
  return streams;
}

struct PacketKey {
  int stream;
  int64_t size;
  uint32_t adler;
  bool key;
  bool operator==(const PacketKey&) const = default;
};

// ffprobe's packets of each stream in order.
std::map<int, std::vector<PacketKey>> ProbedPackets(const std::filesystem::path& file) {
  std::map<int, std::vector<PacketKey>> packets;
  for (const ProbedAviPacket& p : ProbeAviPackets(file)) packets[p.stream].push_back({p.stream, p.size, p.adler, p.key});
  return packets;
}

void ExpectFfmpegDecodesCleanly(const std::filesystem::path& file) {
  const CliRun run = RunCommand("ffmpeg -nostdin -v error -i " + Quoted(file) + " -f null - 2>&1");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.out, "");
}

// The samples of `copy` are the first ones of `original`, stream by stream.
void ExpectPrefixOf(const std::vector<std::vector<SampleRead>>& copy,
                    const std::vector<std::vector<SampleRead>>& original) {
  ASSERT_EQ(copy.size(), original.size());
  for (size_t s = 0; s < copy.size(); ++s) {
    ASSERT_LE(copy[s].size(), original[s].size()) << "stream " << s;
    EXPECT_TRUE(std::equal(copy[s].begin(), copy[s].end(), original[s].begin())) << "stream " << s;
  }
}

TEST(AviWriter, FixtureCopiesReadBackAsTheSameAvi10File) {
  for (const char* name : kFixtures) {
    SCOPED_TRACE(name);
    TempDir dir;
    const auto original = Fixture(name);
    const Source source = ReadSource(original);
    ASSERT_FALSE(source.chunks.empty());
    const auto out = dir / "copy.avi";
    const CopyResult copy = CopyInto(source, out);
    ASSERT_EQ(copy.init, S_OK) << copy.errorText;
    EXPECT_TRUE(copy.finalized) << copy.errorText;
    EXPECT_EQ(copy.chunksWritten, source.chunks.size());
    EXPECT_EQ(copy.earlyEnd, AviEarlyEnd::None);

    const auto bytes = ReadAll(out);
    EXPECT_EQ(CountTag(bytes, "idx1"), 1u);
    EXPECT_EQ(CountTag(bytes, "AVIX"), 0u);
    EXPECT_EQ(CountTag(bytes, "JUNK"), source.streams.size());  // the super index room stays unused

    EXPECT_EQ(ReadBack(out), ReadBack(original));
    if (!HaveFfprobe()) continue;
    EXPECT_EQ(ProbedPackets(out), ProbedPackets(original));
    ExpectFfmpegDecodesCleanly(out);
    const auto originalViews = IndependentViews(original);
    const auto copyViews = IndependentViews(out);
    ASSERT_EQ(copyViews.size(), originalViews.size());
    for (size_t i = 0; i < copyViews.size(); ++i) {
      SCOPED_TRACE(copyViews[i].reader);
      EXPECT_TRUE(copyViews[i].recognised) << copyViews[i].detail;
      EXPECT_EQ(copyViews[i].container, "avi");
      EXPECT_EQ(copyViews[i].streams, originalViews[i].streams);
    }
  }
}

TEST(AviWriter, SmallSegmentLimitMakesAnOpenDmlFileReadBackByEveryIndexPath) {
  TempDir dir;
  const auto original = Fixture("avi_xvid_mp3.avi");
  const Source source = ReadSource(original);
  const auto out = dir / "odml.avi";
  AviWriterLimits limits;
  limits.firstSegment = 16 * 1024;
  limits.laterSegment = 20 * 1024;
  const CopyResult copy = CopyInto(source, out, limits);
  ASSERT_EQ(copy.init, S_OK) << copy.errorText;
  ASSERT_TRUE(copy.finalized) << copy.errorText;
  EXPECT_EQ(copy.chunksWritten, source.chunks.size());

  const auto bytes = ReadAll(out);
  EXPECT_GE(CountTag(bytes, "AVIX"), 2u);
  EXPECT_EQ(CountTag(bytes, "idx1"), 1u);
  EXPECT_EQ(CountTag(bytes, "indx"), source.streams.size());
  EXPECT_GE(CountTag(bytes, "ix00"), 1u);
  EXPECT_GE(CountTag(bytes, "ix01"), 1u);

  const auto expected = ReadBack(original);
  EXPECT_EQ(ReadBack(out), expected);
  const OpenedAvi indexed = OpenAvi(out);
  ASSERT_EQ(indexed.result, S_OK);
  EXPECT_FALSE(indexed.handler->IndexReconstructed());
  const auto rebuilt = ReadBack(out, true);
  ASSERT_EQ(rebuilt.size(), expected.size());
  // Rebuilding tells key frames by their bytes, so only the data is compared.
  for (size_t s = 0; s < rebuilt.size(); ++s) {
    ASSERT_EQ(rebuilt[s].size(), expected[s].size()) << "stream " << s;
    for (size_t i = 0; i < rebuilt[s].size(); ++i) EXPECT_EQ(rebuilt[s][i].adler, expected[s][i].adler);
  }
  if (!HaveFfprobe()) return;
  EXPECT_EQ(ProbedPackets(out), ProbedPackets(original));
  ExpectFfmpegDecodesCleanly(out);
}

// The nEntriesInUse of each super index in the file's header.
std::vector<uint32_t> SuperIndexUse(const std::vector<uint8_t>& bytes) {
  std::vector<uint32_t> use;
  const ByteView view(bytes);
  const std::string_view tag = "indx";
  for (auto it = bytes.begin();; ++it) {
    it = std::search(it, bytes.end(), tag.begin(), tag.end());
    if (it == bytes.end()) return use;
    use.push_back(view.U32LE(static_cast<size_t>(it - bytes.begin()) + 12).value_or(UINT32_MAX));
  }
}

TEST(AviWriter, LongStreamsGetLargerStandardIndexesInsteadOfOverflowingTheSuperIndex) {
  TempDir dir;
  const auto original = Fixture("avi_div3_pcm.avi");
  const Source source = ReadSource(original);
  const auto out = dir / "odml.avi";
  AviWriterLimits limits;
  limits.firstSegment = 32 * 1024;
  limits.laterSegment = 32 * 1024;
  limits.superIndexEntries = 4;
  limits.largestStandardIndex = 2;
  const CopyResult copy = CopyInto(source, out, limits);
  ASSERT_EQ(copy.init, S_OK) << copy.errorText;
  ASSERT_TRUE(copy.finalized) << copy.errorText;
  EXPECT_EQ(copy.chunksWritten, source.chunks.size());
  EXPECT_EQ(copy.earlyEnd, AviEarlyEnd::None);

  const auto use = SuperIndexUse(ReadAll(out));
  ASSERT_EQ(use.size(), source.streams.size());
  for (const uint32_t used : use) {
    EXPECT_GE(used, 1u);
    EXPECT_LE(used, limits.superIndexEntries);
  }
  EXPECT_EQ(ReadBack(out), ReadBack(original));
  if (HaveFfprobe()) {
    EXPECT_EQ(ProbedPackets(out), ProbedPackets(original));
  }
}

TEST(AviWriter, StandardIndexGroupsStayWithinTheirSpanAndTheBound) {
  constexpr uint64_t kGiB = uint64_t{1} << 30;
  struct Case {
    const char* name;
    uint64_t entries;
    uint64_t step;      // bytes between consecutive chunks
    uint64_t jumpEvery; // 0, or every this many chunks a 3 GiB gap
    uint32_t capacity;
    uint32_t largest;
  };
  const Case cases[] = {
      {"dense, few", 10, 1000, 0, 256, 8192},
      {"dense, many", 100000, 100, 0, 4, 16},
      {"sparse over 4 GiB", 1000, 50 * 1024 * 1024, 0, 64, 8192},
      {"gaps of 3 GiB", 200, 4096, 7, 256, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<IndexEntry> entries;
    uint64_t position = 0;
    for (uint64_t i = 0; i < c.entries; ++i) {
      entries.push_back({position, 0, 10});
      position += c.step + (c.jumpEvery != 0 && i % c.jumpEvery == 0 ? 3 * kGiB : 0);
    }
    const uint64_t perChunk = EntriesPerStandardIndex(entries.size(), c.capacity, c.largest);
    const auto groups = GroupStandardIndexEntries(entries, perChunk);
    size_t covered = 0;
    for (const StandardIndexGroup& g : groups) {
      EXPECT_EQ(g.first, covered);
      EXPECT_LE(g.count, perChunk);
      EXPECT_LT(entries[g.first + g.count - 1].position - entries[g.first].position, kStandardIndexSpan);
      covered += g.count;
    }
    EXPECT_EQ(covered, entries.size());
    EXPECT_LE(groups.size(),
              StandardIndexChunkBound(entries.size(), entries.back().position - entries.front().position, perChunk));
  }
}

TEST(AviWriter, SizeCapEndsTheFileEarlyButValidAndSaysSo) {
  TempDir dir;
  const auto original = Fixture("avi_xvid_mp3.avi");
  const Source source = ReadSource(original);
  const auto out = dir / "capped.avi";
  constexpr uint64_t kCap = 50 * 1024;
  AviWriterLimits limits;
  limits.firstSegment = 16 * 1024;  // the cap lands in an OpenDML segment
  for (const AviWriterLimits& l : {AviWriterLimits{}, limits}) {
    SCOPED_TRACE(l.firstSegment);
    const CopyResult copy = CopyInto(source, out, l, kCap);
    ASSERT_EQ(copy.init, S_OK) << copy.errorText;
    EXPECT_TRUE(copy.finalized) << copy.errorText;
    EXPECT_EQ(copy.earlyEnd, AviEarlyEnd::SizeLimit);
    EXPECT_NE(copy.errorText, "");
    EXPECT_GT(copy.chunksWritten, 0u);
    EXPECT_LT(copy.chunksWritten, source.chunks.size());
    EXPECT_LE(std::filesystem::file_size(out), kCap);

    const auto read = ReadBack(out);
    ExpectPrefixOf(read, ReadBack(original));
    size_t samples = 0;
    for (const auto& stream : read) samples += stream.size();
    EXPECT_GT(samples, 0u);
    if (HaveFfprobe()) {
      ExpectFfmpegDecodesCleanly(out);
    }
  }
}

TEST(AviWriter, WriteErrorReachesTheCallerWithAReason) {
  TempDir dir;
  const Source source = ReadSource(Fixture("avi_xvid_mp3.avi"));
  const auto out = dir / "failed.avi";
  // The child reports whether the failure came back as failure with a reason.
  const auto reported = RunWithFileSizeLimit(40 * 1024, [&] {
    const CopyResult copy = CopyInto(source, out);
    return copy.init == S_OK && !copy.finalized &&
           copy.earlyEnd == AviEarlyEnd::None && !copy.errorText.empty();
  });
  ASSERT_TRUE(reported.has_value());
  EXPECT_TRUE(*reported);
}

TEST(AviWriter, StreamNumbersInChunkIdsAreTwoLowerCaseHexDigits) {
  TempDir dir;
  const Source source = ReadSource(Fixture("avi_div3_pcm.avi"));
  const SourceStream& audio = source.streams.at(1);
  constexpr uint32_t kStreams = 11;
  const auto out = dir / "many.avi";
  {
    TAVIOutFile writer;
    std::vector<TAVIOutStream*> streams;
    for (uint32_t i = 0; i < kStreams; ++i) streams.push_back(writer.CreateStream(audio.info, audio.format));
    ASSERT_EQ(writer.Init(out), S_OK) << writer.ErrorText();
    const std::vector<uint8_t> block(400, 7);
    for (uint32_t i = 0; i < kStreams; ++i)
      ASSERT_TRUE(streams[i]->Write(kAviIndexKeyFrame, block.data(), static_cast<uint32_t>(block.size()), 100));
  }  // the destructor finalizes
  const auto bytes = ReadAll(out);
  EXPECT_EQ(CountTag(bytes, "0awb"), 2u);  // the chunk and its idx1 entry
  EXPECT_EQ(CountTag(bytes, "10wb"), 0u);
  const auto read = ReadBack(out);
  ASSERT_EQ(read.size(), kStreams);
  for (const auto& stream : read) {
    ASSERT_EQ(stream.size(), 1u);
    EXPECT_EQ(stream[0].bytes, 400);
  }
}

TEST(AviWriter, RefusesWhatCannotBeWritten) {
  TempDir dir;
  TAVIOutFile writer;
  EXPECT_EQ(writer.Init(dir / "none.avi"), kAviWriterNoStreams);

  AviStreamInfo text;
  text.fccType = MakeFourCC('t', 'x', 't', 's');
  const std::vector<uint8_t> format(40, 0);
  EXPECT_EQ(writer.CreateStream(text, format), nullptr);
  AviStreamInfo video;
  video.fccType = kStreamTypeVideo;
  EXPECT_EQ(writer.CreateStream(video, std::span(format).first(39)), nullptr);
  ASSERT_NE(writer.CreateStream(video, format), nullptr);

  TAVIOutFile unwritable;
  ASSERT_NE(unwritable.CreateStream(video, format), nullptr);
  EXPECT_EQ(unwritable.Init(dir / "missing" / "out.avi"), kFileAsyncCannotCreate);
  EXPECT_NE(unwritable.ErrorText(), "");
  EXPECT_FALSE(unwritable.WriteChunk(0, kAviIndexKeyFrame, format.data(), 10));
}

}  // namespace
}  // namespace korvel::test
