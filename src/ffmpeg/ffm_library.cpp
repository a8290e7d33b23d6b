#include "ffmpeg/ffm_library.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

#include <cstdio>
#include <mutex>

namespace korvel {

void PrepareFfmpegLibrary() {
  static std::once_flag once;
  std::call_once(once, [] {
    av_log_set_flags(AV_LOG_SKIP_REPEATED);
    av_log_set_level(AV_LOG_QUIET);
  });
}

std::string FfmpegErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  if (av_strerror(code, text, sizeof text) < 0) return "error " + std::to_string(code);
  return text;
}

void PrintError(const std::filesystem::path& name, int code) {
  std::fprintf(stderr, "%s: %s\n", name.string().c_str(), FfmpegErrorText(code).c_str());
}

}  // namespace korvel
