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

  // Defined here so that parsers reading millions of index fields get plain loads.
  std::optional<uint8_t> U8(size_t offset) const { return Load<uint8_t, false>(offset); }
  std::optional<uint16_t> U16LE(size_t offset) const { return Load<uint16_t, false>(offset); }
  std::optional<uint32_t> U32LE(size_t offset) const { return Load<uint32_t, false>(offset); }
  std::optional<uint64_t> U64LE(size_t offset) const { return Load<uint64_t, false>(offset); }
  std::optional<uint16_t> U16BE(size_t offset) const { return Load<uint16_t, true>(offset); }
  std::optional<uint32_t> U32BE(size_t offset) const { return Load<uint32_t, true>(offset); }
  std::optional<uint64_t> U64BE(size_t offset) const { return Load<uint64_t, true>(offset); }
  std::optional<int32_t> I32LE(size_t offset) const {
    const auto raw = U32LE(offset);
    if (!raw) return std::nullopt;
    return static_cast<int32_t>(*raw);
  }

  // True when the bytes at offset equal tag exactly.
  bool Matches(size_t offset, std::string_view tag) const;
  bool Matches(size_t offset, std::span<const uint8_t> tag) const;

  // The sub-view [offset, offset + length), or an empty view when out of range.
  ByteView Sub(size_t offset, size_t length) const;

private:
  template <typename T, bool BigEndian>
  std::optional<T> Load(size_t offset) const {
    if (!Has(offset, sizeof(T))) return std::nullopt;
    T value = 0;
    for (size_t i = 0; i < sizeof(T); ++i) {
      const size_t shift = BigEndian ? (sizeof(T) - 1 - i) * 8 : i * 8;
      value |= static_cast<T>(static_cast<T>(bytes_[offset + i]) << shift);
    }
    return value;
  }

  std::span<const uint8_t> bytes_;
};

}  // namespace korvel
