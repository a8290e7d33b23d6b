#pragma once
// What the FFmpeg engine's tests check in every file it writes, with tools that share no code
// with it: the streams, the decode times per stream, the packet counts and a clean decode.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace korvel::test {

// Decode times in seconds, per stream index, in file order (ffprobe -show_packets).
std::map<int, std::vector<double>> PacketDts(const std::filesystem::path& file);
// "video" / "audio" ... -> packets ffprobe counts in the streams of that type.
std::map<std::string, int> PacketCounts(const std::filesystem::path& file);
// What ffmpeg says while decoding the whole file: empty for a clean file.
std::string DecodeErrors(const std::filesystem::path& file);
// The video stream's coded size as ffprobe reads it, "1920x1080".
std::string VideoSize(const std::filesystem::path& file);
// The largest step between two decode times of one stream, in seconds.
double LargestDtsStep(const std::vector<double>& dts);
bool StrictlyRising(const std::vector<double>& dts);

}  // namespace korvel::test
