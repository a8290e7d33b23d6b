#pragma once
#include <nlohmann/json.hpp>

#include "cli/media_report.h"

namespace korvel::cli {

// Keys are the description's own field names (Kind, SubKind, IndexOK, Streams ...).
nlohmann::ordered_json MediaReportToJson(const MediaReport& report);

}  // namespace korvel::cli
