// Clips named on the command line: "FILE" or "FILE@START-END" with times in milliseconds or as
// h:mm:ss[.fff]. A range that parses is a real one.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "cli/clip_argument.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto time = korvel::cli::ParseClipTime(text); time && *time < 0) __builtin_trap();
  const auto clip = korvel::cli::ParseClipArgument(text);
  if (clip && (clip->startMs < 0 || clip->startMs >= clip->endMs)) __builtin_trap();
  return 0;
}
