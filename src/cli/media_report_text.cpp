#include "cli/media_report_text.h"

#include <iomanip>

#include "mediainfo/audio_format_text.h"
#include "mediainfo/avi_media_info.h"
#include "mediainfo/container_kind.h"
#include "mediainfo/stream_fields.h"

namespace korvel::cli {
namespace {

const char* StreamTypeName(uint8_t type) {
  switch (type) {
    case kStreamVideo: return "video";
    case kStreamAudio: return "audio";
    case kStreamText: return "text";
    case kStreamData: return "data";
    default: return "other";
  }
}

void PrintValue(const StreamFieldValue& value, std::ostream& out) {
  if (const auto* number = std::get_if<int64_t>(&value)) {
    out << *number;
  } else if (const auto* text = std::get_if<std::string>(&value)) {
    out << *text;
  } else {
    const char* separator = "";
    for (const std::string& item : std::get<std::vector<std::string>>(value)) {
      out << separator << item;
      separator = " ";
    }
  }
}

void PrintFieldName(std::string_view name, std::ostream& out) { out << "    " << std::left << std::setw(16) << name << " "; }

// What an AVI stream's raw fields mean to a reader: its rate per second and its audio format.
void PrintAviReadings(const QdMediaStream& stream, std::ostream& out) {
  const bool audio = stream.StreamType == kStreamAudio;
  if ((audio || stream.StreamType == kStreamVideo) && stream.RateX1000 != 0) {
    PrintFieldName("FrameRate", out);
    out << AviFrameRateText(stream.RateX1000, stream.StreamType) << "\n";
  }
  if (audio && !stream.Format.empty()) {
    PrintFieldName("AudioFormat", out);
    out << AudioFormatText(stream.Format, true) << "\n";
  }
}

}  // namespace

void PrintMediaReport(const MediaReport& report, std::ostream& out) {
  out << report.file.string() << "\n";
  if (!report.readError.empty()) {
    out << "  error: " << report.readError << "\n";
    return;
  }
  out << "  Detection: " << static_cast<int>(report.detection) << " (sub-type " << report.detectionSubType << ")\n";
  if (!report.analysed) {
    out << "  Description: not available (no analyzer accepts this file)\n";
    return;
  }
  const QdMediaInfo& info = report.info;
  out << "  Kind: " << KindName(info.Kind, info.SubKind) << " (" << int{info.Kind} << "/" << int{info.SubKind}
      << "), output extension \"" << KindExtension(info.Kind, info.SubKind) << "\"\n";
  out << "  IndexOK: " << (info.IndexOK ? 1 : 0) << "\n";
  out << "  Streams: " << info.StreamCount() << " (" << info.ComparableCount() << " comparable)\n";
  for (const QdMediaStream& stream : info.Streams) {
    out << "  Stream " << stream.Index << ": " << StreamTypeName(stream.StreamType) << "\n";
    ForEachStreamField(stream, [&](std::string_view name, const StreamFieldValue& value, bool isSet) {
      if (!isSet || name == "Index" || name == "StreamType") return;
      PrintFieldName(name, out);
      PrintValue(value, out);
      out << "\n";
    });
    if (info.Kind == kKindAvi) PrintAviReadings(stream, out);
  }
}

}  // namespace korvel::cli
