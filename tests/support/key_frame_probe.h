#pragma once
// What ffprobe and ffmpeg tell of a file's key frames and decoded pictures: the independent
// side of the checks that the key frames shown are the file's and that a cut starts where shown.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace korvel::test {

// ffprobe's key frames of the first video stream, in microseconds from the container's start, in
// the order shown: where the decoder shows them, -1 where it tells no time. An AVI file has no
// presentation times, its timeline is the chunk index: there the key packets' decode times.
std::vector<int64_t> ProbedKeyFrames(const std::filesystem::path& file, bool avi);

// The decoded pictures of a file's first video stream, in presentation order: a digest of each
// and its time from the container's start in microseconds.
struct Picture {
  std::string digest;
  int64_t timeUs;  // -1 when the decoder tells none
};
std::vector<Picture> Pictures(const std::filesystem::path& file);

}  // namespace korvel::test
