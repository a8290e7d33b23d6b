// The sample tables as boxes: run-length times, the sync list, sizes, chunks and their offsets.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "mp4/iso/box_reader.h"
#include "mp4/iso/sample_table_builder.h"

namespace korvel::iso {
namespace {

struct Sample {
  uint64_t offset;
  uint32_t size;
  uint64_t duration;
  int64_t renderingOffset;
  bool sync;
};

// The boxes WriteBoxes made, parsed back with the reader's box walker.
class Tables {
public:
  explicit Tables(const std::vector<Sample>& samples) {
    SampleTableBuilder builder;
    for (const Sample& s : samples) {
      std::string error;
      EXPECT_TRUE(builder.Add(s.offset, s.size, s.duration, s.renderingOffset, s.sync, &error)) << error;
    }
    BoxWriter w;
    builder.WriteBoxes(w);
    bytes_ = w.Take();
    BoxWalkState state;
    std::string error;
    EXPECT_TRUE(ParseBoxes(ByteView(bytes_), 0, 0, state, boxes_, &error)) << error;
  }

  bool Has(BoxType type) const { return Find(type) != nullptr; }
  uint8_t Version(BoxType type) const { return Find(type)->payload.U8(0).value(); }
  // The fields after the full box header, read as 32-bit values.
  std::vector<uint32_t> Fields32(BoxType type) const { return Read<uint32_t>(type); }
  std::vector<uint64_t> Fields64(BoxType type) const { return Read<uint64_t>(type); }

private:
  const Box* Find(BoxType type) const {
    for (const Box& box : boxes_)
      if (box.type == type) return &box;
    return nullptr;
  }
  template <typename T>
  std::vector<T> Read(BoxType type) const {
    std::vector<T> fields;
    const Box* box = Find(type);
    if (!box) return fields;
    for (size_t at = 4; at + sizeof(T) <= box->payload.size(); at += sizeof(T))
      fields.push_back(sizeof(T) == 4 ? *box->payload.U32BE(at) : *box->payload.U64BE(at));
    return fields;
  }

  std::vector<uint8_t> bytes_;
  std::vector<Box> boxes_;
};

constexpr BoxType kStts = MakeBoxType("stts");
constexpr BoxType kCtts = MakeBoxType("ctts");
constexpr BoxType kStss = MakeBoxType("stss");
constexpr BoxType kStsz = MakeBoxType("stsz");
constexpr BoxType kStsc = MakeBoxType("stsc");
constexpr BoxType kStco = MakeBoxType("stco");
constexpr BoxType kCo64 = MakeBoxType("co64");

uint32_t U32(int64_t signedValue) { return static_cast<uint32_t>(static_cast<int32_t>(signedValue)); }

struct TimesCase {
  const char* name;
  std::vector<Sample> samples;
  std::vector<uint32_t> stts;                 // entry count, then count/delta pairs
  std::optional<uint8_t> cttsVersion;         // nothing: no ctts
  std::vector<uint32_t> ctts;
  std::optional<std::vector<uint32_t>> stss;  // nothing: no stss
};

class SampleTableBuilderTimesTest : public testing::TestWithParam<TimesCase> {};

TEST_P(SampleTableBuilderTimesTest, RunsAndSyncList) {
  const TimesCase& c = GetParam();
  const Tables tables(c.samples);
  EXPECT_EQ(tables.Fields32(kStts), c.stts);
  ASSERT_EQ(tables.Has(kCtts), c.cttsVersion.has_value());
  if (c.cttsVersion) {
    EXPECT_EQ(tables.Version(kCtts), *c.cttsVersion);
    EXPECT_EQ(tables.Fields32(kCtts), c.ctts);
  }
  ASSERT_EQ(tables.Has(kStss), c.stss.has_value());
  if (c.stss) {
    EXPECT_EQ(tables.Fields32(kStss), *c.stss);
  }
}

INSTANTIATE_TEST_SUITE_P(
    SampleTableBuilderTimes, SampleTableBuilderTimesTest,
    testing::Values(
        TimesCase{"AllSyncFixedDuration",
                  {{0, 4, 1024, 0, true}, {4, 4, 1024, 0, true}, {8, 4, 1024, 0, true}},
                  {1, 3, 1024},
                  std::nullopt,
                  {},
                  std::nullopt},
        TimesCase{"PositiveOffsetsAndKeyFrames",
                  {{0, 4, 1001, 2002, true},
                   {4, 4, 1001, 0, false},
                   {8, 4, 2002, 0, false},
                   {12, 4, 1001, 1001, true}},
                  {3, 2, 1001, 1, 2002, 1, 1001},
                  0,
                  {3, 1, 2002, 2, 0, 1, 1001},
                  std::vector<uint32_t>{2, 1, 4}},
        TimesCase{"NegativeOffsetNeedsVersion1",
                  {{0, 4, 512, 0, true}, {4, 4, 512, -512, false}, {8, 4, 512, -512, false}},
                  {1, 3, 512},
                  1,
                  {2, 1, 0, 2, U32(-512)},
                  std::vector<uint32_t>{1, 1}},
        TimesCase{"FirstSampleNotSync",
                  {{0, 4, 10, 0, false}, {4, 4, 10, 0, true}, {8, 4, 10, 0, true}},
                  {1, 3, 10},
                  std::nullopt,
                  {},
                  std::vector<uint32_t>{2, 2, 3}}),
    [](const testing::TestParamInfo<TimesCase>& info) { return std::string(info.param.name); });

struct ChunkCase {
  const char* name;
  std::vector<Sample> samples;
  std::vector<uint32_t> stsz;  // common size, count, then the sizes when they differ
  std::vector<uint32_t> stsc;  // entry count, then first chunk/samples/description triples
  BoxType offsetBox;
  std::vector<uint64_t> offsets;
};

class SampleTableBuilderChunkTest : public testing::TestWithParam<ChunkCase> {};

TEST_P(SampleTableBuilderChunkTest, SizesChunksAndOffsets) {
  const ChunkCase& c = GetParam();
  const Tables tables(c.samples);
  EXPECT_EQ(tables.Fields32(kStsz), c.stsz);
  EXPECT_EQ(tables.Fields32(kStsc), c.stsc);
  const BoxType other = c.offsetBox == kStco ? kCo64 : kStco;
  EXPECT_FALSE(tables.Has(other));
  ASSERT_TRUE(tables.Has(c.offsetBox));
  std::vector<uint64_t> offsets;
  if (c.offsetBox == kStco) {
    const std::vector<uint32_t> fields = tables.Fields32(kStco);
    offsets.assign(fields.begin() + 1, fields.end());
    EXPECT_EQ(fields[0], offsets.size());
  } else {
    // The entry count is 32 bits, the offsets 64: read the count apart.
    const std::vector<uint32_t> fields = tables.Fields32(kCo64);
    EXPECT_EQ(fields[0], c.offsets.size());
    for (size_t i = 0; i < c.offsets.size(); ++i)
      offsets.push_back((uint64_t{fields[1 + 2 * i]} << 32) | fields[2 + 2 * i]);
  }
  EXPECT_EQ(offsets, c.offsets);
}

constexpr uint64_t k4GiB = uint64_t{1} << 32;

INSTANTIATE_TEST_SUITE_P(
    SampleTableBuilderChunks, SampleTableBuilderChunkTest,
    testing::Values(
        ChunkCase{"BackToBackIsOneChunk",
                  {{100, 10, 1, 0, true}, {110, 10, 1, 0, true}, {120, 10, 1, 0, true}},
                  {10, 3},
                  {1, 1, 3, 1},
                  kStco,
                  {100}},
        ChunkCase{"InterleavedRunsAreChunks",
                  {{100, 10, 1, 0, true},
                   {110, 10, 1, 0, true},
                   {300, 10, 1, 0, true},
                   {310, 10, 1, 0, true},
                   {500, 5, 1, 0, true}},
                  {0, 5, 10, 10, 10, 10, 5},
                  {2, 1, 2, 1, 3, 1, 1},
                  kStco,
                  {100, 300, 500}},
        ChunkCase{"EmptySamplesAreListedNotGivenACommonSize",
                  {{100, 0, 1, 0, true}, {100, 0, 1, 0, true}},
                  {0, 2, 0, 0},
                  {1, 1, 2, 1},
                  kStco,
                  {100}},
        ChunkCase{"LastOffsetThatFits32Bits",
                  {{k4GiB - 1, 1, 1, 0, true}},
                  {1, 1},
                  {1, 1, 1, 1},
                  kStco,
                  {k4GiB - 1}},
        ChunkCase{"OffsetBeyond4GiBNeedsCo64",
                  {{k4GiB - 10, 10, 1, 0, true}, {k4GiB, 10, 1, 0, true}, {5 * k4GiB, 10, 1, 0, true}},
                  {10, 3},
                  {2, 1, 2, 1, 2, 1, 1},
                  kCo64,
                  {k4GiB - 10, 5 * k4GiB}}),
    [](const testing::TestParamInfo<ChunkCase>& info) { return std::string(info.param.name); });

TEST(SampleTableBuilderTest, RefusesValuesTheTablesCannotHold) {
  struct Refused {
    uint64_t duration;
    int64_t renderingOffset;
  };
  const Refused refused[] = {
      {k4GiB, 0},
      {1, int64_t{std::numeric_limits<int32_t>::max()} + 1},
      {1, int64_t{std::numeric_limits<int32_t>::min()} - 1},
  };
  for (const Refused& r : refused) {
    SampleTableBuilder builder;
    std::string error;
    EXPECT_FALSE(builder.Add(0, 1, r.duration, r.renderingOffset, true, &error));
    EXPECT_NE(error, "");
    EXPECT_EQ(builder.SampleCount(), 0u);
    EXPECT_EQ(builder.TotalDuration(), 0u);
  }
  SampleTableBuilder builder;
  EXPECT_TRUE(builder.Add(0, 1, k4GiB - 1, std::numeric_limits<int32_t>::min(), true, nullptr));
  EXPECT_EQ(builder.TotalDuration(), k4GiB - 1);
  EXPECT_TRUE(builder.HasNegativeRenderingOffset());
}

}  // namespace
}  // namespace korvel::iso
