#include "base/bit_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace korvel {
namespace {

const std::vector<uint8_t> kBytes{0b1010'1100, 0b0101'0011, 0xFF};

TEST(BitReaderTest, ReadsFieldsAcrossByteBoundariesMostSignificantFirst) {
  BitReader reader(kBytes);
  EXPECT_EQ(reader.Read(3), 0b101u);
  EXPECT_EQ(reader.Peek(7), 0b0110'001u);
  EXPECT_EQ(reader.Read(7), 0b0110'001u);
  EXPECT_FALSE(reader.ReadFlag());
  EXPECT_TRUE(reader.ReadFlag());
  reader.AlignToByte();
  EXPECT_EQ(reader.BitPosition(), 16u);
  EXPECT_EQ(reader.Read(8), 0xFFu);
  EXPECT_FALSE(reader.Overrun());
}

TEST(BitReaderTest, ReadsAll32BitsOfAWideField) {
  const std::vector<uint8_t> bytes{0x00, 0x00, 0x01, 0xB6, 0x40};
  BitReader reader(bytes);
  EXPECT_EQ(reader.Read(32), 0x000001B6u);
  EXPECT_EQ(reader.Read(2), 1u);
  EXPECT_FALSE(reader.Peek(33));  // wider than any field
}

TEST(BitReaderTest, AReadPastTheEndGivesZeroAndStaysAtTheEnd) {
  BitReader reader(kBytes);
  reader.Skip(20);
  EXPECT_FALSE(reader.Peek(5));
  EXPECT_EQ(reader.Read(5), 0u);
  EXPECT_TRUE(reader.Overrun());
  EXPECT_EQ(reader.BitsLeft(), 0u);
  reader.AlignToByte();
  EXPECT_EQ(reader.BitPosition(), 24u);

  BitReader skipper(kBytes);
  skipper.Skip(25);
  EXPECT_TRUE(skipper.Overrun());
  EXPECT_EQ(skipper.BitPosition(), 24u);
  BitReader empty({});
  EXPECT_EQ(empty.Read(1), 0u);
  EXPECT_TRUE(empty.Overrun());
}

}  // namespace
}  // namespace korvel
