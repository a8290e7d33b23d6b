#include "avi/avi_test_probe.h"

#include <cstdlib>
#include <nlohmann/json.hpp>

#include "support/cli_run.h"

namespace korvel::test {

uint32_t Adler32(std::span<const uint8_t> bytes) {
  uint32_t a = 1;
  uint32_t b = 0;
  for (const uint8_t byte : bytes) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

std::string OpenedAvi::MessageStartingWith(const std::string& prefix) const {
  for (const auto& m : messages)
    if (m.rfind(prefix, 0) == 0) return m;
  return "";
}

OpenedAvi OpenAvi(const std::filesystem::path& file, bool forceReconstruct) {
  OpenedAvi opened;
  auto* messages = &opened.messages;
  opened.result = CreateAviReadHandler(
      opened.handler, file, [messages](const std::string& text) { messages->push_back(text); }, nullptr,
      forceReconstruct, false);
  return opened;
}

std::vector<SampleRead> ReadWholeStream(IAVIReadStream& stream) {
  std::vector<SampleRead> reads;
  std::vector<uint8_t> buffer(1 << 20);
  for (int64_t s = 0; s < stream.End();) {
    int64_t bytes = 0;
    int64_t samples = 0;
    const HRESULT hr = stream.Read(s, -1, buffer.data(), static_cast<int64_t>(buffer.size()), &bytes, &samples);
    if (hr != S_OK || samples < 1) {
      reads.push_back(SampleRead{s, -1, hr, 0, false});
      break;
    }
    reads.push_back(SampleRead{s, stream.SamplePosition(s), bytes,
                               Adler32(std::span(buffer.data(), static_cast<size_t>(bytes))), stream.IsKeyFrame(s)});
    s += samples;
  }
  return reads;
}

bool HaveFfprobe() { return std::system("ffprobe -version >/dev/null 2>&1") == 0; }

std::vector<ProbedAviPacket> ProbeAviPackets(const std::filesystem::path& file) {
  const auto json = nlohmann::json::parse(
      RunCommand("ffprobe -v error -show_packets -show_data_hash adler32 -of json " + Quoted(file)).out);
  std::vector<ProbedAviPacket> packets;
  for (const auto& p : json.at("packets")) {
    ProbedAviPacket packet;
    packet.stream = p.at("stream_index").get<int>();
    packet.position = std::stoll(p.at("pos").get<std::string>());
    packet.size = std::stoll(p.at("size").get<std::string>());
    const std::string hash = p.at("data_hash").get<std::string>();
    packet.adler = static_cast<uint32_t>(std::stoul(hash.substr(hash.find(':') + 1), nullptr, 16));
    packet.key = p.at("flags").get<std::string>().starts_with("K");
    if (p.contains("pts"))
      packet.time = p.at("pts").get<int64_t>();
    else if (p.contains("dts"))
      packet.time = p.at("dts").get<int64_t>();
    packets.push_back(packet);
  }
  return packets;
}

}  // namespace korvel::test
