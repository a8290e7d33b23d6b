#include "support/independent_readers.h"

#include <algorithm>
#include <cctype>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string_view>
#include <utility>

#include "support/cli_run.h"

namespace korvel::test {
namespace {

struct NameRule {
  std::string_view toolName;  // the tool's word, or the start of its description
  std::string_view ours;
};

std::string Lower(std::string text) {
  std::ranges::transform(text, text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The tool's word matched by prefix against its rules; an unknown one is kept as the tool said
// it, so a failing comparison shows what came back.
std::string Translate(const std::string& toolName, std::initializer_list<NameRule> rules) {
  for (const NameRule& rule : rules)
    if (std::string_view(toolName).starts_with(rule.toolName)) return std::string(rule.ours);
  return Lower(toolName);
}

ReaderView NotRecognised(std::string reader, std::string detail) {
  ReaderView view;
  view.reader = std::move(reader);
  view.detail = std::move(detail);
  return view;
}

std::optional<nlohmann::json> ParseJson(const std::string& text) {
  auto json = nlohmann::json::parse(text, nullptr, false);
  if (json.is_discarded()) return std::nullopt;
  return json;
}

std::string JsonText(const nlohmann::json& object, const char* key) {
  const auto it = object.find(key);
  return it != object.end() && it->is_string() ? it->get<std::string>() : std::string();
}

}  // namespace

ReaderView FfprobeView(const std::filesystem::path& file) {
  const CliRun run = RunCommand("ffprobe -v error -show_entries format=format_name:stream=codec_type,codec_name -of json " +
                                Quoted(file) + " 2>&1");
  const auto json = ParseJson(run.out);
  if (run.exitCode != 0 || !json || !json->contains("format")) return NotRecognised("ffprobe", run.out);
  ReaderView view;
  view.reader = "ffprobe";
  view.recognised = true;
  view.container = Translate(JsonText((*json)["format"], "format_name"),
                             {{"mov,mp4", "mp4"}, {"avi", "avi"}, {"asf", "asf"}, {"mpegts", "mpeg-ts"}, {"mpeg", "mpeg-ps"}});
  for (const auto& stream : (*json)["streams"]) {
    const std::string type = JsonText(stream, "codec_type");
    view.streams.push_back((type == "subtitle" ? "subtitle" : type) + ":" +
                           Translate(JsonText(stream, "codec_name"),
                                     {{"pcm_", "pcm"}, {"wmav", "wma"}, {"mov_text", "text"}}));
  }
  return view;
}

ReaderView GstDiscovererView(const std::filesystem::path& file) {
  const CliRun run = RunCommand("gst-discoverer-1.0 " + Quoted(file) + " 2>&1");
  if (run.exitCode != 0 || run.out.find("\nProperties:") == std::string::npos)
    return NotRecognised("gst-discoverer-1.0", run.out);
  ReaderView view;
  view.reader = "gst-discoverer-1.0";
  view.recognised = true;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) {
    // "  container #0: Quicktime", then streams one level deeper: "    video #1: H.264 (...)".
    // Deeper lines describe the inside of a stream already listed.
    const size_t indent = line.find_first_not_of(' ');
    const size_t colon = line.find(": ");
    const size_t hash = line.find(" #");
    if (indent == std::string::npos || colon == std::string::npos || hash == std::string::npos || hash > colon) continue;
    const std::string kind = line.substr(indent, hash - indent);
    const std::string name = line.substr(colon + 2);
    if (indent == 2 && kind == "container") {
      view.container = Translate(name, {{"Quicktime", "mp4"},
                                        {"Audio Video Interleave", "avi"},
                                        {"Advanced Streaming Format", "asf"},
                                        {"MPEG-2 Transport Stream", "mpeg-ts"},
                                        {"MPEG-1 System Stream", "mpeg-ps"},
                                        {"MPEG-2 System Stream", "mpeg-ps"}});
    } else if (indent == 4) {
      view.streams.push_back((kind == "subtitles" ? "subtitle" : kind) + ":" +
                             Translate(name, {{"H.264", "h264"},
                                              {"ITU H.264", "h264"},
                                              {"MPEG-4 Video", "mpeg4"},
                                              {"DivX MPEG-4 Version 3", "msmpeg4v3"},
                                              {"DivX MPEG-4 Version 4", "mpeg4"},
                                              {"DivX MPEG-4 Version 5", "mpeg4"},
                                              {"MPEG-1 Video", "mpeg1video"},
                                              {"MPEG-2 Video", "mpeg2video"},
                                              {"MPEG-4 AAC", "aac"},
                                              {"AC-3", "ac3"},
                                              {"DVD AC-3", "ac3"},
                                              {"MPEG-1 Layer 3", "mp3"},
                                              {"MPEG-1 Layer 2", "mp2"},
                                              {"Raw 16-bit PCM", "pcm"},
                                              {"Timed Text", "text"},
                                              {"Windows Media Video 8", "wmv2"},
                                              {"Windows Media Audio", "wma"}}));
    }
  }
  return view;
}

ReaderView MediaInfoView(const std::filesystem::path& file) {
  const CliRun run = RunCommand("mediainfo --Output=JSON " + Quoted(file) + " 2>&1");
  const auto json = ParseJson(run.out);
  if (run.exitCode != 0 || !json || !json->contains("media") || !(*json)["media"].is_object())
    return NotRecognised("mediainfo", run.out);
  ReaderView view;
  view.reader = "mediainfo";
  for (const auto& track : (*json)["media"]["track"]) {
    const std::string type = JsonText(track, "@type");
    const std::string format = JsonText(track, "Format");
    if (type == "General") {
      view.recognised = !format.empty();
      view.container = Translate(format, {{"MPEG-4", "mp4"},
                                          {"AVI", "avi"},
                                          {"Windows Media", "asf"},
                                          {"MPEG-PS", "mpeg-ps"},
                                          {"MPEG-TS", "mpeg-ts"}});
      continue;
    }
    // The codec word sometimes needs a second field: the version of MPEG video, the layer of
    // MPEG audio, the codec id of MPEG-4 Visual.
    std::string codec;
    if (format == "MPEG Video")
      codec = JsonText(track, "Format_Version") == "1" ? "mpeg1video" : "mpeg2video";
    else if (format == "MPEG Audio")
      codec = JsonText(track, "Format_Profile") == "Layer 3" ? "mp3" : "mp2";
    else if (format == "MPEG-4 Visual")
      codec = JsonText(track, "CodecID") == "DIV3" ? "msmpeg4v3" : "mpeg4";
    else
      codec = Translate(format, {{"AVC", "h264"}, {"AAC", "aac"}, {"AC-3", "ac3"}, {"PCM", "pcm"},
                                 {"WMV2", "wmv2"}, {"WMA", "wma"}, {"Timed Text", "text"}});
    if (type == "Video") view.streams.push_back("video:" + codec);
    else if (type == "Audio") view.streams.push_back("audio:" + codec);
    else if (type == "Text") view.streams.push_back("subtitle:" + codec);
  }
  if (!view.recognised) view.detail = run.out;
  return view;
}

std::vector<ReaderView> IndependentViews(const std::filesystem::path& file) {
  return {FfprobeView(file), GstDiscovererView(file), MediaInfoView(file)};
}

}  // namespace korvel::test
