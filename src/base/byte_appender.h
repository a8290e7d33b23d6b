#pragma once
// Composing binary structures in memory: little-endian fields, GUIDs and raw bytes appended in
// order, so that a writer states a layout field by field as a reader reads it.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "base/guid.h"

namespace korvel {

class ByteAppender {
public:
  ByteAppender& U8(uint64_t v) { return Put(v, 1); }
  ByteAppender& U16(uint64_t v) { return Put(v, 2); }
  ByteAppender& U32(uint64_t v) { return Put(v, 4); }
  ByteAppender& U64(uint64_t v) { return Put(v, 8); }
  ByteAppender& Id(const Guid& g) { return Raw(g.bytes); }
  ByteAppender& Raw(std::span<const uint8_t> b) {
    bytes_.insert(bytes_.end(), b.begin(), b.end());
    return *this;
  }
  // UTF-16LE units, with a NUL unit after them unless told otherwise.
  ByteAppender& Text(std::u16string_view text, bool terminate = true) {
    for (const char16_t c : text) U16(c);
    if (terminate) U16(0);
    return *this;
  }

  const std::vector<uint8_t>& Get() const { return bytes_; }
  std::vector<uint8_t> Take() { return std::move(bytes_); }
  size_t Size() const { return bytes_.size(); }

private:
  ByteAppender& Put(uint64_t v, size_t n) {
    for (size_t i = 0; i < n; ++i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return *this;
  }

  std::vector<uint8_t> bytes_;
};

}  // namespace korvel
