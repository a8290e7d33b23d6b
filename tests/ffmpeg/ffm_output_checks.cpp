#include "ffmpeg/ffm_output_checks.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "support/cli_run.h"

namespace korvel::test {

std::map<int, std::vector<double>> PacketDts(const std::filesystem::path& file) {
  const CliRun run =
      RunCommand("ffprobe -v error -show_entries packet=stream_index,dts_time -of csv=p=0 " + Quoted(file));
  std::map<int, std::vector<double>> dts;
  std::istringstream lines(run.out);
  std::string line;
  while (std::getline(lines, line)) {
    const auto comma = line.find(',');
    if (comma == std::string::npos || line.substr(comma + 1) == "N/A") continue;
    dts[std::stoi(line.substr(0, comma))].push_back(std::stod(line.substr(comma + 1)));
  }
  return dts;
}

std::map<std::string, int> PacketCounts(const std::filesystem::path& file) {
  const CliRun run = RunCommand(
      "ffprobe -v error -count_packets -show_entries stream=index,codec_type,nb_read_packets -of csv=p=0 " + Quoted(file));
  // A transport stream lists its streams once more under its programme: each index counts once.
  std::map<int, std::pair<std::string, int>> streams;
  std::istringstream lines(run.out);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string index, type, count;
    if (!std::getline(fields, index, ',') || !std::getline(fields, type, ',') || !std::getline(fields, count, ','))
      continue;
    // A stream ffprobe reads no packets of (a DVD's navigation stream) counts "N/A".
    if (index.empty() || count.empty() || !std::isdigit(static_cast<unsigned char>(count[0]))) continue;
    streams[std::stoi(index)] = {type, std::stoi(count)};
  }
  std::map<std::string, int> counts;
  for (const auto& [index, stream] : streams) counts[stream.first] += stream.second;
  return counts;
}

std::string DecodeErrors(const std::filesystem::path& file) {
  return RunCommand("ffmpeg -nostdin -v error -i " + Quoted(file) + " -f null - 2>&1").out;
}

std::string VideoSize(const std::filesystem::path& file) {
  std::string size = RunCommand("ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=s=x:p=0 " +
                                Quoted(file))
                         .out;
  // The first line; ffprobe may add lines of side data.
  size = size.substr(0, size.find('\n'));
  if (size.ends_with('x')) size.pop_back();
  return size;
}

double LargestDtsStep(const std::vector<double>& dts) {
  double largest = 0;
  for (size_t i = 1; i < dts.size(); ++i) largest = std::max(largest, dts[i] - dts[i - 1]);
  return largest;
}

bool StrictlyRising(const std::vector<double>& dts) {
  return std::adjacent_find(dts.begin(), dts.end(), [](double a, double b) { return b <= a; }) == dts.end();
}

}  // namespace korvel::test
