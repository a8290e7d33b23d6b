#pragma once
// 16-byte GUIDs as they are stored in files (first three fields little-endian).
#include <array>
#include <cstdint>
#include <string>

namespace korvel {

struct Guid {
  std::array<uint8_t, 16> bytes{};

  friend bool operator==(const Guid&, const Guid&) = default;
  bool IsNull() const { return *this == Guid{}; }
};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", the usual registry spelling.
std::string GuidToText(const Guid& guid);

}  // namespace korvel
