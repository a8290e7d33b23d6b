// Hand-made files, each broken in one place: the reader must refuse them with a reason, or
// (for a sample outside the file) fail only the read of that sample.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "mp4/iso/iso_file.h"
#include "support/temp_dir.h"

namespace korvel::iso {
namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, uint16_t v) {
  b.push_back(static_cast<uint8_t>(v >> 8));
  b.push_back(static_cast<uint8_t>(v));
}
void Put32(Bytes& b, uint32_t v) {
  Put16(b, static_cast<uint16_t>(v >> 16));
  Put16(b, static_cast<uint16_t>(v));
}
void Put64(Bytes& b, uint64_t v) {
  Put32(b, static_cast<uint32_t>(v >> 32));
  Put32(b, static_cast<uint32_t>(v));
}
void PutType(Bytes& b, const char* type) { b.insert(b.end(), type, type + 4); }
void Append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }

Bytes MakeBox(const char* type, const Bytes& payload) {
  Bytes b;
  Put32(b, static_cast<uint32_t>(8 + payload.size()));
  PutType(b, type);
  Append(b, payload);
  return b;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes b;
  for (const Bytes& p : parts) Append(b, p);
  return b;
}

// Version and flags, then 32-bit fields.
Bytes Full(std::initializer_list<uint32_t> fields, uint8_t version = 0) {
  Bytes b{version, 0, 0, 0};
  for (const uint32_t f : fields) Put32(b, f);
  return b;
}

// The parts of a one-track movie, each replaceable by a test. Three samples of 4 bytes in one
// chunk right after the file type box.
struct Movie {
  uint32_t mdhdTimeScale = 1000;
  Bytes stts = Full({1, 3, 10});
  Bytes stss = Full({1, 1});
  Bytes stsz = Full({0, 3, 4, 4, 4});
  Bytes stsc = Full({1, 1, 3, 1});
  Bytes stco = Full({1, 28});  // ftyp (20) + mdat header (8)
  Bytes extraEntryChild;       // appended inside the sample entry

  Bytes Build() const {
    Bytes ftyp = MakeBox("ftyp", Cat({{'i', 's', 'o', 'm'}, {0, 0, 0, 0}, {'i', 's', 'o', 'm'}}));
    Bytes mdat = MakeBox("mdat", Bytes(12, 0xAB));
    Bytes mvhd = Full({0, 0, 1000, 30});
    mvhd.resize(100, 0);
    Bytes tkhd = Full({0, 0, 1, 0, 30});
    tkhd.resize(84, 0);
    Bytes mdhd = Full({0, 0, mdhdTimeScale, 30});
    Put16(mdhd, 0x55C4);  // "und"
    Put16(mdhd, 0);
    Bytes hdlr = Full({0});
    PutType(hdlr, "vide");
    hdlr.resize(hdlr.size() + 13, 0);
    Bytes entry(78, 0);
    entry[7] = 1;    // data reference index
    entry[25] = 16;  // width
    entry[27] = 8;   // height
    Append(entry, extraEntryChild);
    Bytes stsd = Full({1});
    Append(stsd, MakeBox("avc1", entry));
    Bytes stbl = Cat({MakeBox("stsd", stsd), MakeBox("stts", stts), MakeBox("stss", stss), MakeBox("stsz", stsz),
                      MakeBox("stsc", stsc), MakeBox("stco", stco)});
    Bytes minf = MakeBox("minf", MakeBox("stbl", stbl));
    Bytes mdia = MakeBox("mdia", Cat({MakeBox("mdhd", mdhd), MakeBox("hdlr", hdlr), minf}));
    Bytes trak = MakeBox("trak", Cat({MakeBox("tkhd", tkhd), mdia}));
    Bytes moov = MakeBox("moov", Cat({MakeBox("mvhd", mvhd), trak}));
    return Cat({ftyp, mdat, moov});
  }
};

std::unique_ptr<IsoFile> ReadBytes(Bytes bytes, std::string& error) {
  return IsoFile::ReadMemory(std::move(bytes), &error);
}

TEST(IsoMalformedTest, TheHandMadeMovieIsValid) {
  std::string error;
  auto file = ReadBytes(Movie().Build(), error);
  ASSERT_TRUE(file) << error;
  const IsoTrack* track = file->Track(1);
  ASSERT_TRUE(track);
  EXPECT_EQ(track->GetNumberOfSamples(), 3u);
  EXPECT_EQ(track->GetVideoWidth(), 16);
  EXPECT_TRUE(track->GetSampleSync(1));
  EXPECT_FALSE(track->GetSampleSync(2));
  MP4Sample sample;
  ASSERT_TRUE(track->ReadSample(3, sample, &error)) << error;
  EXPECT_EQ(sample.bytes, Bytes(4, 0xAB));
  EXPECT_EQ(sample.startTime, 20u);
}

struct BrokenCase {
  const char* name;
  Bytes bytes;
  const char* errorPart;
};

Bytes WithMovie(void (*change)(Movie&)) {
  Movie m;
  change(m);
  return m.Build();
}

// A moov holding `depth` trak boxes, each inside the one before.
Bytes DeeplyNested(int depth) {
  Bytes inner;
  for (int i = 0; i < depth; ++i) inner = MakeBox("trak", inner);
  return MakeBox("moov", inner);
}

std::vector<BrokenCase> BrokenCases() {
  Bytes tooSmall = Movie().Build();
  tooSmall[3] = 4;  // the file type box claims 4 bytes
  Bytes largeOverflow;
  Put32(largeOverflow, 1);
  PutType(largeOverflow, "moov");
  Put64(largeOverflow, 0xFFFFFFFFFFFFFFF0ull);
  largeOverflow.resize(64, 0);
  Bytes childTooLarge = MakeBox("moov", Cat({MakeBox("mvhd", Bytes(100, 0)), MakeBox("trak", Bytes(16, 0))}));
  childTooLarge[8 + 108 + 3] = 200;  // the trak claims more than its moov holds
  Bytes truncated = Movie().Build();
  truncated.resize(truncated.size() - 30);
  return {
      {"BoxSmallerThanHeader", tooSmall, "smaller than its header"},
      {"LargeSizePastTheFile", largeOverflow, "bytes are left"},
      {"ChildLargerThanParent", childTooLarge, "bytes are left"},
      {"TruncatedMovie", truncated, "bytes are left"},
      {"NoMovie", MakeBox("mdat", Bytes(16, 0)), "no movie box"},
      {"DeepNesting", DeeplyNested(40), "nested"},
      {"SizeCountPastTheBox", WithMovie([](Movie& m) { m.stsz = Full({0, 1000000, 4, 4, 4}); }), "'stsz' box counts"},
      {"TimesCoverTooFewSamples", WithMovie([](Movie& m) { m.stts = Full({1, 2, 10}); }), "covers 2 of 3"},
      {"ChunksHoldTooFewSamples", WithMovie([](Movie& m) { m.stsc = Full({1, 1, 2, 1}); }), "hold 2 of 3"},
      {"ChunkRunsOutOfOrder", WithMovie([](Movie& m) { m.stsc = Full({2, 1, 1, 1, 1, 1, 1}); }), "chunk order"},
      {"ZeroTimeScale", WithMovie([](Movie& m) { m.mdhdTimeScale = 0; }), "timescale 0"},
      {"NoSampleSizes", WithMovie([](Movie& m) { m.stsz = Full({}); }), "'stsz' box is too short"},
      {"EsdsDescriptorPastItsBox",
       WithMovie([](Movie& m) { m.extraEntryChild = MakeBox("esds", Bytes{0, 0, 0, 0, 0x03, 0x7F, 0, 1, 0}); }),
       "runs past its box"},
      {"AvcConfigTruncated",
       WithMovie([](Movie& m) { m.extraEntryChild = MakeBox("avcC", Bytes{1, 0x64, 0, 0x1E, 0xFF, 0xE1, 0, 9}); }),
       "'avcC' record is truncated"},
  };
}

class IsoMalformedCaseTest : public testing::TestWithParam<BrokenCase> {};

TEST_P(IsoMalformedCaseTest, IsRefusedWithAReason) {
  std::string error;
  EXPECT_FALSE(ReadBytes(GetParam().bytes, error));
  EXPECT_NE(error.find(GetParam().errorPart), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(Iso, IsoMalformedCaseTest, testing::ValuesIn(BrokenCases()),
                         [](const testing::TestParamInfo<BrokenCase>& info) { return info.param.name; });

TEST(IsoMalformedTest, ChunkOffsetPastTheFileFailsOnlyThatRead) {
  Movie m;
  m.stsc = Full({2, 1, 2, 1, 2, 1, 1});
  m.stco = Full({2, 28, 1000000});
  test::TempDir dir;
  const auto path = dir / "offset.mp4";
  test::WriteFileBytes(path, m.Build());
  std::string error;
  auto file = IsoFile::Read(path, &error);
  ASSERT_TRUE(file) << error;
  const IsoTrack* track = file->Track(1);
  MP4Sample sample;
  EXPECT_TRUE(track->ReadSample(2, sample, &error)) << error;
  EXPECT_FALSE(track->ReadSample(3, sample, &error));
  EXPECT_NE(error.find("past the end of the file"), std::string::npos) << error;
}

TEST(IsoMalformedTest, TruncatedRealFilesAreRefused) {
  for (const char* name : {"mp4_h264_aac.mp4", "mp4_h264_bframes.mp4"}) {
    SCOPED_TRACE(name);
    std::string error;
    ASSERT_TRUE(IsoFile::Read(test::Fixture(name), &error)) << error;
    test::TempDir dir;
    const auto cut = dir / "cut.mp4";
    std::filesystem::copy_file(test::Fixture(name), cut);
    std::filesystem::resize_file(cut, std::filesystem::file_size(cut) * 2 / 3);
    EXPECT_FALSE(IsoFile::Read(cut, &error));
    EXPECT_NE(error.find("bytes are left"), std::string::npos) << error;
  }
}

TEST(IsoMalformedTest, MissingFileIsAnError) {
  std::string error;
  EXPECT_FALSE(IsoFile::Read("/nonexistent/korvel.mp4", &error));
  EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
}

TEST(IsoMalformedTest, ConvertDurationNeverOverflowsOrDividesByZero) {
  EXPECT_EQ(IsoFile::ConvertDuration(12345, 0, 1000), 0u);
  EXPECT_EQ(IsoFile::ConvertDuration(90000, 90000, 1000), 1000u);
  EXPECT_EQ(IsoFile::ConvertDuration(999, 1000, 1), 0u);  // rounds down
  // value * to needs more than 64 bits here.
  EXPECT_EQ(IsoFile::ConvertDuration(0xFFFFFFFFFFFFFFFFull, 0xFFFFFFFFu, 0xFFFFFFFFu), 0xFFFFFFFFFFFFFFFFull);
  EXPECT_EQ(IsoFile::ConvertDuration(1ull << 62, 1, 8), 0xFFFFFFFFFFFFFFFFull);  // saturates
}

}  // namespace
}  // namespace korvel::iso
