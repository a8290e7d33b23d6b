#pragma once
// Sequential little-endian reads over a bounded view, and the ASF object walk built on them.
// A read past the end yields nothing, and so does every read after it: a parser may read a run
// of fields and check only the last one.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/byte_view.h"
#include "base/guid.h"

namespace korvel::asf {

class FieldCursor {
public:
  explicit FieldCursor(ByteView view) : view_(view) {}

  std::optional<uint8_t> U8() { return Take<uint8_t>(view_.U8(at_)); }
  std::optional<uint16_t> U16() { return Take<uint16_t>(view_.U16LE(at_)); }
  std::optional<uint32_t> U32() { return Take<uint32_t>(view_.U32LE(at_)); }
  std::optional<uint64_t> U64() { return Take<uint64_t>(view_.U64LE(at_)); }
  std::optional<Guid> GuidField();
  // A field of 0, 1, 2 or 4 bytes as the two-bit length types of data packets code them.
  std::optional<uint32_t> Coded(uint8_t lengthType);
  // The next n bytes as a view; nothing when fewer remain.
  std::optional<ByteView> Bytes(uint64_t n);
  // n bytes of UTF-16LE text, up to its first NUL, as UTF-8.
  std::optional<std::string> Text(uint64_t byteCount);

  size_t Offset() const { return at_; }
  size_t Remaining() const { return failed_ ? 0 : view_.size() - at_; }

private:
  template <typename T>
  std::optional<T> Take(std::optional<T> value) {
    if (failed_ || !value) {
      failed_ = true;
      return std::nullopt;
    }
    at_ += sizeof(T);
    return value;
  }

  ByteView view_;
  size_t at_ = 0;
  bool failed_ = false;
};

// A view's bytes as a span, for copying them out.
inline std::span<const uint8_t> SpanOf(const ByteView& v) { return {v.data(), v.size()}; }
// A view's bytes as a vector of their own.
inline std::vector<uint8_t> CopyOf(const ByteView& v) {
  const auto s = SpanOf(v);
  return {s.begin(), s.end()};
}

// One object inside a region: its GUID and its bytes after the 24-byte object head.
struct AsfObjectView {
  Guid id;
  ByteView body;
};

// The objects that follow one another in region. False when an object's size is below its head
// or runs past the region; a remainder too short for an object head is ignored.
bool SplitObjects(const ByteView& region, std::vector<AsfObjectView>& out);

}  // namespace korvel::asf
