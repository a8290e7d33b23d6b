#include "support/output_timing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <nlohmann/json.hpp>
#include <set>

#include "support/cli_run.h"

namespace korvel::test {
namespace {

// ffprobe writes times as decimal strings, or leaves the key out when the packet has none.
bool ReadTime(const nlohmann::json& packet, const char* key, double& value) {
  const auto it = packet.find(key);
  if (it == packet.end() || !it->is_string()) return false;
  const std::string& text = it->get_ref<const std::string&>();
  if (text.empty() || text == "N/A") return false;
  value = std::stod(text);
  return true;
}

// Presentation times closer than this are the same time: ffprobe prints six decimals, and time
// bases such as 1/90000 do not land exactly on them.
constexpr double kSameTime = 1e-5;

}  // namespace

std::vector<ProbedStream> ProbeStreams(const std::filesystem::path& file) {
  const CliRun run = RunCommand(
      "ffprobe -v error -show_entries stream=index,codec_type:packet=stream_index,pts_time,dts_time,duration_time "
      "-of json " +
      Quoted(file));
  const auto json = nlohmann::json::parse(run.out, nullptr, false);
  if (run.exitCode != 0 || json.is_discarded()) {
    ADD_FAILURE() << "ffprobe could not read " << file << ": " << run.out;
    return {};
  }
  std::vector<ProbedStream> streams;
  std::map<int, size_t> byIndex;
  for (const auto& stream : json.value("streams", nlohmann::json::array())) {
    ProbedStream probed;
    probed.index = stream.value("index", -1);
    probed.type = stream.value("codec_type", "");
    // A transport stream may list a stream twice (once under its programme); count it once.
    if (byIndex.contains(probed.index)) continue;
    byIndex[probed.index] = streams.size();
    streams.push_back(probed);
  }
  for (const auto& packet : json.value("packets", nlohmann::json::array())) {
    const auto at = byIndex.find(packet.value("stream_index", -1));
    if (at == byIndex.end()) continue;
    ProbedPacket probed;
    probed.hasDts = ReadTime(packet, "dts_time", probed.dts);
    probed.hasPts = ReadTime(packet, "pts_time", probed.pts);
    probed.hasDuration = ReadTime(packet, "duration_time", probed.duration);
    streams[at->second].packets.push_back(probed);
  }
  return streams;
}

double VideoFrameLength(const ProbedStream& video) {
  std::vector<double> lengths;
  for (const ProbedPacket& packet : video.packets)
    if (packet.hasDuration && packet.duration > 0) lengths.push_back(packet.duration);
  if (lengths.empty()) {
    for (size_t i = 1; i < video.packets.size(); ++i) {
      const ProbedPacket& a = video.packets[i - 1];
      const ProbedPacket& b = video.packets[i];
      if (a.hasDts && b.hasDts && b.dts > a.dts) lengths.push_back(b.dts - a.dts);
    }
  }
  if (lengths.empty()) return 0;
  std::nth_element(lengths.begin(), lengths.begin() + lengths.size() / 2, lengths.end());
  return lengths[lengths.size() / 2];
}

double VideoSpan(const ProbedStream& video) {
  const double frame = VideoFrameLength(video);
  double first = INFINITY;
  double end = -INFINITY;
  for (const ProbedPacket& packet : video.packets) {
    // Without a presentation time (AVI gives none) a picture shows at its decode time.
    if (!packet.hasPts && !packet.hasDts) continue;
    const double shown = packet.hasPts ? packet.pts : packet.dts;
    first = std::min(first, shown);
    end = std::max(end, shown + (packet.hasDuration && packet.duration > 0 ? packet.duration : frame));
  }
  return end > first ? end - first : 0;
}

void ExpectSoundTiming(const std::filesystem::path& file, double expectedVideoSeconds) {
  const std::vector<ProbedStream> streams = ProbeStreams(file);
  EXPECT_FALSE(streams.empty()) << file << " declares no stream";
  const ProbedStream* video = nullptr;
  for (const ProbedStream& stream : streams) {
    const std::string name = "stream " + std::to_string(stream.index) + " (" + stream.type + ") of " + file.string();
    if (stream.type == "video" && !video) video = &stream;
    // A DVD's navigation stream is declared by the muxer and holds no packets ffprobe reads.
    if (stream.type == "data") continue;
    EXPECT_FALSE(stream.packets.empty()) << name << " holds no packet";
    // One failure per rule and stream: a broken join repeats its fault at every packet after it.
    const ProbedPacket* previous = nullptr;
    bool decodeOrderReported = false;
    bool repeatReported = false;
    std::set<double> shown;
    for (size_t i = 0; i < stream.packets.size(); ++i) {
      const ProbedPacket& packet = stream.packets[i];
      if (packet.hasDts) {
        if (previous && packet.dts <= previous->dts && !decodeOrderReported) {
          ADD_FAILURE() << name << ": decode time " << packet.dts << " of packet " << i << " does not rise after "
                        << previous->dts;
          decodeOrderReported = true;
        }
        previous = &packet;
      }
      if (packet.hasPts) {
        const auto near = shown.lower_bound(packet.pts - kSameTime);
        if (near != shown.end() && *near <= packet.pts + kSameTime && !repeatReported) {
          ADD_FAILURE() << name << ": packet " << i << " repeats presentation time " << packet.pts;
          repeatReported = true;
        }
        shown.insert(packet.pts);
      }
    }
  }
  if (expectedVideoSeconds > 0) {
    ASSERT_NE(video, nullptr) << file << " has no video stream";
    const double frame = VideoFrameLength(*video);
    EXPECT_NEAR(VideoSpan(*video), expectedVideoSeconds, frame + kSameTime)
        << "video span of " << file << " (one frame is " << frame << " s)";
  }
}

}  // namespace korvel::test
