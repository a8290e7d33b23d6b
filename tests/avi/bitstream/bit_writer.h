#pragma once
// Builds hand-made frame headers field by field, most significant bit first.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace korvel::test {

class BitWriter {
public:
  // Appends the low `bits` bits of value.
  BitWriter& Put(uint32_t value, unsigned bits) {
    for (unsigned i = bits; i-- > 0;) {
      if (used_ % 8 == 0) bytes_.push_back(0);
      if ((value >> i) & 1u) bytes_.back() |= static_cast<uint8_t>(0x80u >> (used_ % 8));
      ++used_;
    }
    return *this;
  }
  BitWriter& Bytes(const std::vector<uint8_t>& bytes) {
    for (uint8_t b : bytes) Put(b, 8);
    return *this;
  }
  // MPEG-4 stuffing: a zero bit, then one bits up to the next byte boundary.
  BitWriter& Stuff() {
    Put(0, 1);
    while (used_ % 8 != 0) Put(1, 1);
    return *this;
  }
  size_t BitCount() const { return used_; }
  // Zero bits up to the next byte boundary, then zero bytes up to size.
  std::vector<uint8_t> Padded(size_t size) const {
    std::vector<uint8_t> out = bytes_;
    if (out.size() < size) out.resize(size, 0);
    return out;
  }

private:
  std::vector<uint8_t> bytes_;
  size_t used_ = 0;
};

}  // namespace korvel::test
