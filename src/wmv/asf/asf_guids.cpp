#include "wmv/asf/asf_guids.h"

namespace korvel::asf {

std::optional<Guid> GuidAt(const ByteView& view, size_t offset) {
  if (!view.Has(offset, 16)) return std::nullopt;
  Guid g;
  for (size_t i = 0; i < 16; ++i) g.bytes[i] = *view.U8(offset + i);
  return g;
}

}  // namespace korvel::asf
