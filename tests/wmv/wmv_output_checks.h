#pragma once
// What the WMV engine's tests check in the files it writes: the samples our reader reads back,
// and what ffprobe says about duration and seeking.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "wmv/asf/asf_sample.h"

namespace korvel::test {

struct WmvFrame {
  uint16_t stream = 0;
  uint64_t time = 0;  // 100 ns
  bool key = false;
  uint32_t checksum = 0;
};

// Every sample our reader gives, in its order; a read error fails the test.
std::vector<WmvFrame> ReadWmvFrames(const std::filesystem::path& file);
// The frames of one stream that a read skipping damaged stretches keeps: every one our reader
// gives before a damage report, and after it from the stream's next key frame on. Our reader
// reads on past damage.
std::vector<WmvFrame> FramesKeptPastDamage(const std::filesystem::path& file, uint16_t stream);
// The frames of one stream.
std::vector<WmvFrame> StreamFrames(const std::vector<WmvFrame>& frames, uint16_t stream);
std::vector<uint32_t> Checksums(const std::vector<WmvFrame>& frames);

// ffprobe's container duration in seconds; 0 when it says nothing.
double ProbedDuration(const std::filesystem::path& file);
// The time (s) of the first video packet ffprobe reads after seeking to start (s); -1 for none.
double FirstVideoPacketAfterSeek(const std::filesystem::path& file, double start);

}  // namespace korvel::test
