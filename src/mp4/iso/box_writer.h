#pragma once
// Building boxes in memory: fields are stored big-endian, and a box's 32-bit size is filled in
// when the box ends, so nested boxes are written in one pass without measuring them first.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace korvel::iso {

// Stores value big-endian over the four bytes at `at`.
void StoreU32(uint8_t* at, uint32_t value);

class BoxWriter {
public:
  void U8(uint8_t value);
  void U16(uint16_t value);
  void U24(uint32_t value);
  void U32(uint32_t value);
  void U64(uint64_t value);
  void I32(int32_t value) { U32(static_cast<uint32_t>(value)); }
  void I64(int64_t value) { U64(static_cast<uint64_t>(value)); }
  // Exactly four characters (a box type, brand or handler type).
  void FourCC(std::string_view chars);
  void Bytes(std::span<const uint8_t> bytes);
  void Zeros(size_t count);
  // The text followed by a terminating zero.
  void CString(std::string_view text);

  // Opens a box and returns its mark for End; BeginFull adds the version and 24-bit flags.
  size_t Begin(std::string_view type);
  size_t BeginFull(std::string_view type, uint8_t version, uint32_t flags);
  // Stores the size of the box opened at mark. A box larger than 32 bits can hold is recorded
  // in Overflowed(): the movie header is built in memory and never comes near that.
  void End(size_t mark);

  // Overwrites the four bytes at offset `at`, for a count known only after its entries.
  void PatchU32(size_t at, uint32_t value) { StoreU32(out_.data() + at, value); }

  bool Overflowed() const { return overflowed_; }
  const std::vector<uint8_t>& bytes() const { return out_; }
  std::vector<uint8_t> Take() { return std::move(out_); }

private:
  std::vector<uint8_t> out_;
  bool overflowed_ = false;
};

}  // namespace korvel::iso
