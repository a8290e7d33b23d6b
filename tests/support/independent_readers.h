#pragma once
// What media readers that share no code with ours make of a file: ffprobe, gst-discoverer-1.0
// and mediainfo. Their names for containers and codecs differ, so each view is brought to one
// small vocabulary ("mp4", "h264", "aac" ...) that tests can compare directly.
#include <filesystem>
#include <string>
#include <vector>

namespace korvel::test {

struct ReaderView {
  std::string reader;     // the tool's name, for messages
  bool recognised = false;
  std::string container;  // "mp4", "avi", "asf", "mpeg-ps", "mpeg-ts", or the tool's own word
  // One entry per stream in the file's order: "video:h264", "audio:aac", "subtitle:text" ...
  std::vector<std::string> streams;
  std::string detail;  // what the tool said, when it did not recognise the file
};

ReaderView FfprobeView(const std::filesystem::path& file);
ReaderView GstDiscovererView(const std::filesystem::path& file);
ReaderView MediaInfoView(const std::filesystem::path& file);

// All three views; scripts/setup installs the tools, so a missing one shows up as a view that
// did not recognise the file and says why.
std::vector<ReaderView> IndependentViews(const std::filesystem::path& file);

}  // namespace korvel::test
