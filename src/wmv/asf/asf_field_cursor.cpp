#include "wmv/asf/asf_field_cursor.h"

#include "wmv/asf/asf_guids.h"
#include "wmv/asf/asf_text.h"

namespace korvel::asf {

std::optional<Guid> FieldCursor::GuidField() {
  auto g = failed_ ? std::nullopt : GuidAt(view_, at_);
  if (!g) {
    failed_ = true;
    return std::nullopt;
  }
  at_ += 16;
  return g;
}

std::optional<uint32_t> FieldCursor::Coded(uint8_t lengthType) {
  switch (lengthType & 3) {
    case 0: return 0u;
    case 1: return U8();
    case 2: return U16();
    default: return U32();
  }
}

std::optional<ByteView> FieldCursor::Bytes(uint64_t n) {
  // Even an empty field fails after a failed one: callers check only their last field.
  if (failed_ || n > Remaining()) {
    failed_ = true;
    return std::nullopt;
  }
  const ByteView sub = view_.Sub(at_, static_cast<size_t>(n));
  at_ += static_cast<size_t>(n);
  return sub;
}

std::optional<std::string> FieldCursor::Text(uint64_t byteCount) {
  const auto bytes = Bytes(byteCount);
  if (!bytes) return std::nullopt;
  return Utf16LeToUtf8(*bytes);
}

bool SplitObjects(const ByteView& region, std::vector<AsfObjectView>& out) {
  constexpr size_t kHead = 24;
  size_t at = 0;
  while (region.size() - at >= kHead) {
    const uint64_t size = *region.U64LE(at + 16);
    if (size < kHead || size > region.size() - at) return false;
    out.push_back({*GuidAt(region, at), region.Sub(at + kHead, static_cast<size_t>(size) - kHead)});
    at += static_cast<size_t>(size);
  }
  return true;
}

}  // namespace korvel::asf
