#include "avi/bitstream/probed_video_packets.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <string>

#include "support/cli_run.h"

namespace korvel::test {
namespace {

// A data line reads "00000010: 28b4 c9e5 ...  (.....": eight-digit offset, colon, then up to
// sixteen bytes in groups of two, then the text column.
constexpr size_t kHexColumn = 10;
constexpr size_t kHexWidth = 40;

bool IsDataLine(const std::string& line) {
  return line.size() > kHexColumn && line[8] == ':' &&
         std::all_of(line.begin(), line.begin() + 8, [](unsigned char c) { return std::isxdigit(c); });
}

void AppendHex(const std::string& line, std::vector<uint8_t>& bytes, size_t limit) {
  std::string digits;
  for (char c : line.substr(kHexColumn, kHexWidth)) {
    if (std::isxdigit(static_cast<unsigned char>(c))) digits += c;
  }
  for (size_t i = 0; i + 1 < digits.size() && bytes.size() < limit; i += 2) {
    bytes.push_back(static_cast<uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
  }
}

}  // namespace

std::vector<ProbedVideoPacket> ProbeVideoPackets(const std::filesystem::path& file, size_t headBytes) {
  const CliRun run = RunCommand("ffprobe -v error -select_streams v:0 -show_packets -show_data " + Quoted(file));
  std::vector<ProbedVideoPacket> packets;
  std::istringstream lines(run.out);
  std::string line;
  while (std::getline(lines, line)) {
    if (line == "[PACKET]") {
      packets.emplace_back();
    } else if (packets.empty()) {
      continue;
    } else if (line.starts_with("flags=")) {
      packets.back().key = line.size() > 6 && line[6] == 'K';
    } else if (IsDataLine(line)) {
      AppendHex(line, packets.back().head, headBytes);
    }
  }
  return packets;
}

size_t CountDecodedPictures(const std::filesystem::path& file, char pictureType) {
  const CliRun run =
      RunCommand("ffprobe -v error -select_streams v:0 -show_entries frame=pict_type -of csv=p=0 " + Quoted(file));
  return static_cast<size_t>(std::count(run.out.begin(), run.out.end(), pictureType));
}

}  // namespace korvel::test
