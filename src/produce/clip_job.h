#pragma once
// One clip handed to a producer: which stretch of which source file to copy.
#include <cstdint>
#include <filesystem>

namespace korvel {

struct TClipJob {
  std::filesystem::path FileName;
  // The selection, in milliseconds of the source.
  int32_t Start = 0;
  // Where copying really begins: the producer moves it back to the key frame at or before
  // Start. Until then it is Start.
  int32_t ActualStart = 0;
  int32_t End = 0;
  // The duration of the whole source file.
  int32_t Total = 0;
};

}  // namespace korvel
