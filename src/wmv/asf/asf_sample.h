#pragma once
// One media object as the sample reader hands it out.
#include <cstdint>
#include <vector>

namespace korvel::asf {

inline constexpr uint32_t WM_SF_CLEANPOINT = 0x1;

struct AsfSample {
  uint16_t streamNumber = 0;
  uint64_t time = 0;      // 100 ns, preroll removed, never below 0
  uint64_t duration = 0;  // 100 ns
  uint32_t flags = 0;     // WM_SF_CLEANPOINT
  std::vector<uint8_t> bytes;
  // The payload extension data of the object's first payload, as stored, for a writer to carry.
  std::vector<uint8_t> extensions;
};

}  // namespace korvel::asf
