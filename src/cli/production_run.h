#pragma once
// Runs a production or repair job in the terminal: status lines to standard output, a live
// progress line to standard error, Ctrl+C as the Stop button.
#include <ostream>

#include "produce/pumped_main_thread.h"
#include "produce/work_root.h"

namespace korvel::cli {

struct ProductionOutput {
  std::ostream& status;
  std::ostream& progress;
  bool showProgress;  // a terminal, and not --quiet
};

// The job must have been built on mainThread. Returns the exit code: 0 when the run
// succeeded, 1 when it failed, was stopped, or did not start.
int RunJobToEnd(TWorkRoot& job, TPumpedMainThread& mainThread, const ProductionOutput& output);

}  // namespace korvel::cli
