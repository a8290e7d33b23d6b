#include "cli/media_report_json.h"

#include "mediainfo/container_kind.h"
#include "mediainfo/stream_fields.h"

namespace korvel::cli {

nlohmann::ordered_json MediaReportToJson(const MediaReport& report) {
  nlohmann::ordered_json json;
  json["FileName"] = report.file.string();
  if (!report.readError.empty()) {
    json["Error"] = UnanalysedReason(report);
    return json;
  }
  json["Detection"] = static_cast<int>(report.detection);
  json["DetectionSubType"] = report.detectionSubType;
  json["Analysed"] = report.analysed;
  if (!report.analysed) {
    json["Error"] = UnanalysedReason(report);
    return json;
  }
  const QdMediaInfo& info = report.info;
  json["Kind"] = info.Kind;
  json["SubKind"] = info.SubKind;
  json["KindName"] = KindName(info.Kind, info.SubKind);
  json["Extension"] = KindExtension(info.Kind, info.SubKind);
  json["IndexOK"] = info.IndexOK ? 1 : 0;
  json["StreamCount"] = info.StreamCount();
  json["ComparableCount"] = info.ComparableCount();
  json["Streams"] = nlohmann::ordered_json::array();
  for (const QdMediaStream& stream : info.Streams) {
    nlohmann::ordered_json fields;
    ForEachStreamField(stream, [&](std::string_view name, const StreamFieldValue& value, bool) {
      std::visit([&](const auto& v) { fields[std::string(name)] = v; }, value);
    });
    json["Streams"].push_back(std::move(fields));
  }
  return json;
}

}  // namespace korvel::cli
