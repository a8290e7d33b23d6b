#include "base/time_text.h"

#include <cstdio>

#include "base/numeric.h"

namespace korvel {
namespace {

struct Parts {
  int hours, minutes, seconds, hundredths;
};

Parts Split(int32_t ms) {
  return {ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000 / 10};
}

}  // namespace

std::string TimeToText(int32_t ms) {
  const Parts p = Split(ms);
  char text[48];
  std::snprintf(text, sizeof text, "%d:%02d:%02d", p.hours, p.minutes, p.seconds);
  return text;
}

std::string TimeToTextCs(int32_t ms) {
  const Parts p = Split(ms);
  char text[64];
  std::snprintf(text, sizeof text, "%d:%02d:%02d.%02d", p.hours, p.minutes, p.seconds, p.hundredths);
  return text;
}

std::string DurationToText(int32_t ms) {
  const Parts p = Split(ms);
  char text[48];
  if (ms / 1000 < 3600)
    std::snprintf(text, sizeof text, "%02d:%02d", p.minutes, p.seconds);
  else
    std::snprintf(text, sizeof text, "%d:%02d:%02d", p.hours, p.minutes, p.seconds);
  return text;
}

int32_t PlayerTimeToMs(double seconds) {
  return TruncToInt32(seconds * 1000.0 + 0.4);
}

}  // namespace korvel
