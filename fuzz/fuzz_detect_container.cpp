// Container detection over arbitrary leading bytes of a file.
#include <cstddef>
#include <cstdint>
#include <span>

#include "mediainfo/detect_container.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int subType = 0;
  korvel::DetectContainerInBytes(std::span<const uint8_t>(data, size), &subType);
  return 0;
}
