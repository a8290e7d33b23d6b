// Walking a file's objects without their bytes, packets read in runs, finds the same objects as
// reading every packet alone and keeping every byte: on a whole file, a damaged one and one cut
// off in the middle of a packet.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>
#include <vector>

#include "base/file_read.h"
#include "support/temp_dir.h"
#include "wmv/asf/asf_byte_stream.h"
#include "wmv/asf/asf_file.h"
#include "wmv/asf/asf_object_assembler.h"
#include "wmv/asf/asf_packet_source.h"

namespace korvel::asf {
namespace {

using Seen = std::tuple<uint8_t, uint32_t, bool, uint64_t>;  // stream, time, key, first packet

std::vector<Seen> Walk(const AsfFile& file, bool keepBytes) {
  AsfObjectAssembler assembler(file.header, keepBytes);
  SequentialPackets runs(file);
  std::vector<uint8_t> buffer;
  AsfPacket packet;
  HRESULT error = S_OK;
  std::vector<Seen> seen;
  for (uint64_t n = 0; n < file.packetCount; ++n) {
    const PacketRead read = keepBytes ? ReadPacket(file, n, buffer, packet, &error) : runs.Read(n, packet, &error);
    if (read == PacketRead::kPastEnd) break;
    if (read != PacketRead::kOk) continue;
    (void)assembler.Add(packet, n);
    while (auto object = assembler.Take()) {
      EXPECT_EQ(object->bytes.empty(), !keepBytes);
      seen.emplace_back(object->streamNumber, object->presentationTimeMs, object->keyFrame, object->firstPacket);
    }
  }
  return seen;
}

AsfFile Opened(const std::filesystem::path& path) {
  std::shared_ptr<AsfByteStream> stream;
  EXPECT_TRUE(Succeeded(OpenFileByteStream(path, stream)));
  AsfFile file;
  EXPECT_TRUE(Succeeded(OpenAsfFile(stream, file)));
  return file;
}

class AsfObjectWalk : public testing::TestWithParam<const char*> {};

TEST_P(AsfObjectWalk, WithoutBytesFindsTheObjectsAWalkKeepingThemFinds) {
  const AsfFile file = Opened(test::Fixture(GetParam()));
  const std::vector<Seen> kept = Walk(file, true);
  ASSERT_GT(kept.size(), 50u);
  EXPECT_EQ(Walk(file, false), kept);
}

INSTANTIATE_TEST_SUITE_P(Files, AsfObjectWalk, testing::Values("asf_wmv2.wmv", "asf_wmv2_damaged.wmv"));

TEST(AsfObjectWalkCut, AFileCutInsideAPacketEndsTheSameWay) {
  const std::vector<uint8_t> whole = ReadWholeFile(test::Fixture("asf_wmv2.wmv"), 16 << 20).value();
  const AsfFile full = Opened(test::Fixture("asf_wmv2.wmv"));
  const test::TempDir dir;
  const auto cut = dir / "cut.wmv";
  const uint64_t end = full.PacketOffset(full.packetCount / 2) + full.packetSize / 2;
  test::WriteFileBytes(cut, std::span(whole).first(end));
  const AsfFile file = Opened(cut);
  const std::vector<Seen> kept = Walk(file, true);
  ASSERT_GT(kept.size(), 20u);
  EXPECT_EQ(Walk(file, false), kept);
}

}  // namespace
}  // namespace korvel::asf
