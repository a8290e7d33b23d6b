#pragma once
// Bounded reads of bit fields, most significant bit first, from untrusted bytes.
// A read that would cross the end returns 0, leaves the position at the end and marks the reader
// as overrun, so a header parser can read a run of fields and check once whether they were all
// there. Nothing past the given bytes is ever touched.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace korvel {

class BitReader {
public:
  explicit BitReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  size_t BitPosition() const { return position_; }
  size_t BitsLeft() const { return bytes_.size() * 8 - position_; }
  // True once a read or skip asked for more bits than were left.
  bool Overrun() const { return overrun_; }

  // The next bits (at most 32) as an unsigned value; 0 when they are not all there.
  uint32_t Read(unsigned bits);
  bool ReadFlag() { return Read(1) != 0; }
  // The next bits (at most 32) without moving; nothing when they are not all there.
  std::optional<uint32_t> Peek(unsigned bits) const;
  void Skip(size_t bits);
  // Moves to the next byte boundary unless already on one.
  void AlignToByte();

private:
  uint32_t Load(size_t position, unsigned bits) const;

  std::span<const uint8_t> bytes_;
  size_t position_ = 0;
  bool overrun_ = false;
};

}  // namespace korvel
