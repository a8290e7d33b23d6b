#pragma once
#include <ostream>

#include "cli/media_report.h"

namespace korvel::cli {

// A readable summary: the detection, the kind, and each stream's filled fields.
void PrintMediaReport(const MediaReport& report, std::ostream& out);

}  // namespace korvel::cli
