#pragma once
// The timing every joined output must have, whatever engine wrote it, as ffprobe reads it: each
// stream the file declares holds packets, decode times strictly rise within a stream, no two
// packets of a stream share a presentation time, and the video lasts as long as the clips say.
#include <filesystem>
#include <string>
#include <vector>

namespace korvel::test {

struct ProbedPacket {
  double dts = 0;
  double pts = 0;
  double duration = 0;
  bool hasDts = false;
  bool hasPts = false;
  bool hasDuration = false;
};

struct ProbedStream {
  int index = 0;
  std::string type;  // ffprobe's codec_type: "video", "audio", "data" ...
  std::vector<ProbedPacket> packets;  // in file order
};

// Every stream of the file with its packets, in the file's stream order.
std::vector<ProbedStream> ProbeStreams(const std::filesystem::path& file);

// Seconds from the first shown video frame to the end of the last one: the largest
// presentation end minus the smallest presentation time, the decode time standing in for a
// packet without one. 0 without video packets.
double VideoSpan(const ProbedStream& video);
// The length of one video frame in seconds, from the packets' durations or their decode steps.
double VideoFrameLength(const ProbedStream& video);

// Checks the rules above with gtest failures naming the stream and the packet. With
// expectedVideoSeconds > 0 the video's span must match it within one frame.
void ExpectSoundTiming(const std::filesystem::path& file, double expectedVideoSeconds = 0);

}  // namespace korvel::test
