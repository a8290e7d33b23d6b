// Lists the key frames of one file as the engine that would cut it sees them; prints the
// seconds the listing took, how many key frames it found and the first and last. Built and run
// by bench/key-frames.
#include <chrono>
#include <cstdio>

#include "mediainfo/analyze_media_file.h"
#include "produce/key_frame_listing.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: key_frames_bench FILE\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  korvel::QdMediaInfo info;
  if (!korvel::AnalyzeMediaFile(argv[1], info) || info.Kind == 0) {
    std::fprintf(stderr, "key_frames_bench: %s cannot be analysed\n", argv[1]);
    return 1;
  }
  const auto analysed = std::chrono::steady_clock::now();
  const auto list = korvel::ListKeyFrames(argv[1], info.Kind, info.SubKind);
  const auto listed = std::chrono::steady_clock::now();
  if (!list || list->KeyFrames.empty()) {
    std::fprintf(stderr, "key_frames_bench: no key frames in %s\n", argv[1]);
    return 1;
  }
  const auto seconds = [](auto from, auto to) { return std::chrono::duration<double>(to - from).count(); };
  std::printf("%.3f %.3f %zu %.3f %.3f\n", seconds(start, analysed), seconds(analysed, listed), list->KeyFrames.size(),
              list->KeyFrames.front().TimeUs / 1e6, list->KeyFrames.back().TimeUs / 1e6);
  return 0;
}
