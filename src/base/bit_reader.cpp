#include "base/bit_reader.h"

namespace korvel {

uint32_t BitReader::Load(size_t position, unsigned bits) const {
  uint32_t value = 0;
  for (unsigned i = 0; i < bits; ++i) {
    const size_t bit = position + i;
    value = (value << 1) | ((bytes_[bit / 8] >> (7 - bit % 8)) & 1u);
  }
  return value;
}

uint32_t BitReader::Read(unsigned bits) {
  const auto value = Peek(bits);
  if (!value) {
    position_ = bytes_.size() * 8;
    overrun_ = true;
    return 0;
  }
  position_ += bits;
  return *value;
}

std::optional<uint32_t> BitReader::Peek(unsigned bits) const {
  if (bits > 32 || bits > BitsLeft()) return std::nullopt;
  return Load(position_, bits);
}

void BitReader::Skip(size_t bits) {
  if (bits > BitsLeft()) {
    position_ = bytes_.size() * 8;
    overrun_ = true;
    return;
  }
  position_ += bits;
}

void BitReader::AlignToByte() { position_ = (position_ + 7) / 8 * 8; }

}  // namespace korvel
