#pragma once
// The video packets of a media file as ffprobe demuxes them: the key flag and the first bytes,
// the block an index rebuild would inspect.
#include <cstdint>
#include <filesystem>
#include <vector>

namespace korvel::test {

struct ProbedVideoPacket {
  bool key = false;
  std::vector<uint8_t> head;  // at most the first headBytes bytes
};

std::vector<ProbedVideoPacket> ProbeVideoPackets(const std::filesystem::path& file, size_t headBytes);

// The number of frames of each picture type ffprobe's decoder reports ('I', 'P', 'B' ...).
size_t CountDecodedPictures(const std::filesystem::path& file, char pictureType);

}  // namespace korvel::test
