#include "base/byte_view.h"

#include <cstring>

namespace korvel {

template <typename T, bool BigEndian>
std::optional<T> ByteView::Load(size_t offset) const {
  if (!Has(offset, sizeof(T))) return std::nullopt;
  T value = 0;
  for (size_t i = 0; i < sizeof(T); ++i) {
    const size_t shift = BigEndian ? (sizeof(T) - 1 - i) * 8 : i * 8;
    value |= static_cast<T>(static_cast<T>(bytes_[offset + i]) << shift);
  }
  return value;
}

std::optional<uint8_t> ByteView::U8(size_t offset) const { return Load<uint8_t, false>(offset); }
std::optional<uint16_t> ByteView::U16LE(size_t offset) const { return Load<uint16_t, false>(offset); }
std::optional<uint32_t> ByteView::U32LE(size_t offset) const { return Load<uint32_t, false>(offset); }
std::optional<uint64_t> ByteView::U64LE(size_t offset) const { return Load<uint64_t, false>(offset); }
std::optional<uint16_t> ByteView::U16BE(size_t offset) const { return Load<uint16_t, true>(offset); }
std::optional<uint32_t> ByteView::U32BE(size_t offset) const { return Load<uint32_t, true>(offset); }
std::optional<uint64_t> ByteView::U64BE(size_t offset) const { return Load<uint64_t, true>(offset); }

std::optional<int32_t> ByteView::I32LE(size_t offset) const {
  const auto raw = U32LE(offset);
  if (!raw) return std::nullopt;
  return static_cast<int32_t>(*raw);
}

bool ByteView::Matches(size_t offset, std::string_view tag) const {
  return Has(offset, tag.size()) && std::memcmp(bytes_.data() + offset, tag.data(), tag.size()) == 0;
}

bool ByteView::Matches(size_t offset, std::span<const uint8_t> tag) const {
  return Has(offset, tag.size()) && std::memcmp(bytes_.data() + offset, tag.data(), tag.size()) == 0;
}

ByteView ByteView::Sub(size_t offset, size_t length) const {
  if (!Has(offset, length)) return ByteView();
  return ByteView(bytes_.subspan(offset, length));
}

}  // namespace korvel
