#pragma once
// Clips on the command line: "FILE" for the whole file, or "FILE@START-END" with times in
// milliseconds or as h:mm:ss[.fff].
#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <string_view>

namespace korvel::cli {

// A clip end that stands for "to the end of the file".
inline constexpr int32_t kToTheEnd = std::numeric_limits<int32_t>::max();

struct ClipArgument {
  std::filesystem::path file;
  int32_t startMs = 0;
  int32_t endMs = kToTheEnd;
};

// "1500" (milliseconds), "1:02:03", "1:02:03.5", "02:03.250" (minutes and seconds).
std::optional<int32_t> ParseClipTime(std::string_view text);

// A file name holding '@' is taken whole unless what follows the last '@' is a valid range.
// Nothing for a range whose start is not before its end.
std::optional<ClipArgument> ParseClipArgument(std::string_view text);

}  // namespace korvel::cli
