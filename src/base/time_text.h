#pragma once
// The time texts every status line, tile and dialog uses. Input is signed milliseconds.
#include <cstdint>
#include <string>

namespace korvel {

// "h:mm:ss"
std::string TimeToText(int32_t ms);
// "h:mm:ss.cc", hundredths truncated
std::string TimeToTextCs(int32_t ms);
// "mm:ss" below one hour, else "h:mm:ss"
std::string DurationToText(int32_t ms);

// A player time in seconds as clip milliseconds: seconds x 1000 + 0.4, truncated toward zero,
// clamped to the 32-bit range.
int32_t PlayerTimeToMs(double seconds);

}  // namespace korvel
