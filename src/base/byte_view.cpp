#include "base/byte_view.h"

#include <cstring>

namespace korvel {

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
