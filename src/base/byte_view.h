#pragma once
// Bounded reads of little- and big-endian fields from untrusted bytes.
// Every read states the offset it wants; a read that would cross the end yields nothing.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace korvel {

class ByteView {
public:
  ByteView() = default;
  explicit ByteView(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  size_t size() const { return bytes_.size(); }
  const uint8_t* data() const { return bytes_.data(); }

  // True when [offset, offset + length) lies inside the view, without overflow.
  bool Has(size_t offset, size_t length) const {
    return offset <= bytes_.size() && length <= bytes_.size() - offset;
  }

  std::optional<uint8_t> U8(size_t offset) const;
  std::optional<uint16_t> U16LE(size_t offset) const;
  std::optional<uint32_t> U32LE(size_t offset) const;
  std::optional<uint64_t> U64LE(size_t offset) const;
  std::optional<uint16_t> U16BE(size_t offset) const;
  std::optional<uint32_t> U32BE(size_t offset) const;
  std::optional<uint64_t> U64BE(size_t offset) const;
  std::optional<int32_t> I32LE(size_t offset) const;

  // True when the bytes at offset equal tag exactly.
  bool Matches(size_t offset, std::string_view tag) const;
  bool Matches(size_t offset, std::span<const uint8_t> tag) const;

  // The sub-view [offset, offset + length), or an empty view when out of range.
  ByteView Sub(size_t offset, size_t length) const;

private:
  template <typename T, bool BigEndian>
  std::optional<T> Load(size_t offset) const;

  std::span<const uint8_t> bytes_;
};

}  // namespace korvel
