#include "support/key_frame_probe.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "support/cli_run.h"

namespace korvel::test {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) lines.push_back(line);
  return lines;
}

double ContainerStart(const std::filesystem::path& file) {
  const CliRun run = RunCommand("ffprobe -v error -show_entries format=start_time -of csv=p=0 " + Quoted(file));
  return run.out.starts_with("N/A") ? 0.0 : std::atof(run.out.c_str());
}

// ffprobe's "N/A" is not a number.
double Seconds(const std::string& text) {
  return std::isdigit(static_cast<unsigned char>(text[0])) ? std::stod(text) : NAN;
}

}  // namespace

std::vector<int64_t> ProbedKeyFrames(const std::filesystem::path& file, bool avi) {
  const std::string entries =
      avi ? "-show_entries packet=flags,dts_time" : "-show_entries frame=key_frame,best_effort_timestamp_time";
  const CliRun run = RunCommand("ffprobe -v error -select_streams v:0 " + entries + " -of csv=p=0 " + Quoted(file));
  const double start = ContainerStart(file);
  std::vector<int64_t> times;
  for (const std::string& line : Lines(run.out)) {
    const auto comma = line.find(',');
    if (comma == std::string::npos) continue;
    const std::string key = avi ? line.substr(comma + 1) : line.substr(0, comma);
    const double seconds = Seconds(avi ? line.substr(0, comma) : line.substr(comma + 1));
    if (avi ? key.starts_with("K") : key == "1")
      times.push_back(std::isnan(seconds) ? -1 : std::llround((seconds - start) * 1e6));
  }
  return times;
}

std::vector<Picture> Pictures(const std::filesystem::path& file) {
  const std::vector<std::string> digests = Lines(
      RunCommand("ffmpeg -v error -i " + Quoted(file) + " -map 0:v:0 -fps_mode passthrough -f framemd5 - | grep -v '^#'")
          .out);
  const std::vector<std::string> times = Lines(
      RunCommand("ffprobe -v error -select_streams v:0 -show_entries frame=best_effort_timestamp_time -of csv=p=0 " +
                 Quoted(file))
          .out);
  const double start = ContainerStart(file);
  std::vector<Picture> pictures;
  for (size_t i = 0; i < std::min(digests.size(), times.size()); ++i) {
    const double seconds = Seconds(times[i]);
    pictures.push_back({digests[i].substr(digests[i].rfind(',') + 1),
                        std::isnan(seconds) ? -1 : std::llround((seconds - start) * 1e6)});
  }
  return pictures;
}

}  // namespace korvel::test
