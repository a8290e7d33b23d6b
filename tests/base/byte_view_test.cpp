#include "base/byte_view.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace korvel {
namespace {

const std::vector<uint8_t> kBytes{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};

TEST(ByteViewTest, ReadsBothByteOrders) {
  const ByteView view(kBytes);
  EXPECT_EQ(view.U16LE(0), 0x0201);
  EXPECT_EQ(view.U16BE(0), 0x0102);
  EXPECT_EQ(view.U32LE(4), 0x08070605u);
  EXPECT_EQ(view.U32BE(4), 0x05060708u);
  EXPECT_EQ(view.U64LE(0), 0x0807060504030201ull);
  EXPECT_EQ(view.U64BE(0), 0x0102030405060708ull);
}

TEST(ByteViewTest, RefusesReadsThatCrossTheEnd) {
  const ByteView view(kBytes);
  EXPECT_FALSE(view.U32LE(5));
  EXPECT_FALSE(view.U8(8));
  EXPECT_FALSE(view.U64BE(1));
  // An offset near the top of the address range must not wrap around into the buffer.
  EXPECT_FALSE(view.U16LE(std::numeric_limits<size_t>::max()));
  EXPECT_FALSE(view.Has(2, std::numeric_limits<size_t>::max()));
  EXPECT_FALSE(view.Matches(6, "\x07\x08\x09"));
}

TEST(ByteViewTest, SubViewIsBoundedAndEmptyWhenOutOfRange) {
  const ByteView view(kBytes);
  const ByteView sub = view.Sub(2, 4);
  ASSERT_EQ(sub.size(), 4u);
  EXPECT_EQ(sub.U32BE(0), 0x03040506u);
  EXPECT_FALSE(sub.U8(4));
  EXPECT_EQ(view.Sub(6, 3).size(), 0u);
}

}  // namespace
}  // namespace korvel
