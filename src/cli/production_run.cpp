#include "cli/production_run.h"

#include <chrono>
#include <csignal>
#include <string>

#include "base/time_text.h"
#include "cli/commands.h"
#include "lang/lang.h"

namespace korvel::cli {
namespace {

volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int) {
  stopRequested = 1;
  // A second Ctrl+C ends the program at once, as users expect of a terminal tool.
  std::signal(SIGINT, SIG_DFL);
}

// Installs the Ctrl+C handler for the duration of one run.
class InterruptGuard {
public:
  InterruptGuard() {
    stopRequested = 0;
    previous_ = std::signal(SIGINT, RequestStop);
  }
  ~InterruptGuard() { std::signal(SIGINT, previous_); }
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
  void (*previous_)(int);
};

class ProgressLine {
public:
  explicit ProgressLine(const ProductionOutput& output) : output_(output), start_(std::chrono::steady_clock::now()) {}

  void Show(int32_t perMille) {
    perMille_ = perMille;
    Draw();
  }
  void Refresh() { Draw(); }
  void End() {
    if (drawn_) output_.progress << "\n" << std::flush;
    drawn_ = false;
  }

private:
  void Draw() {
    if (!output_.showProgress) return;
    constexpr int kWidth = 30;
    const int filled = static_cast<int>(static_cast<int64_t>(perMille_) * kWidth / 1000);
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_);
    char percent[16];
    std::snprintf(percent, sizeof percent, "%5.1f %%", perMille_ / 10.0);
    output_.progress << "\r[" << std::string(filled, '#') << std::string(kWidth - filled, '.') << "] " << percent << "  "
                     << TimeToTextCs(static_cast<int32_t>(elapsed.count())) << std::flush;
    drawn_ = true;
  }

  const ProductionOutput& output_;
  std::chrono::steady_clock::time_point start_;
  int32_t perMille_ = 0;
  bool drawn_ = false;
};

}  // namespace

int RunJobToEnd(TWorkRoot& job, TPumpedMainThread& mainThread, const ProductionOutput& output) {
  ProgressLine progress(output);
  bool finished = false;
  job.OnStatus = [&](const std::string& line) {
    progress.End();  // a status line never lands in the middle of the progress line
    output.status << line << "\n" << std::flush;
    progress.Refresh();
  };
  job.OnProgress = [&](int32_t perMille) { progress.Show(perMille); };
  job.OnFinished = [&](TWorkRoot&) { finished = true; };

  InterruptGuard interrupt;
  if (!job.Run()) {
    output.status << LangStr("Base", "Failure") << " : no engine for this kind of file is built into this program.\n";
    return kExitFailed;
  }
  bool stopSent = false;
  mainThread.PumpUntil([&] { return finished; },
                       [&] {
                         if (stopRequested && !stopSent) {
                           stopSent = true;
                           job.Stop();
                         }
                         progress.Refresh();
                       });
  progress.End();
  return job.Result() >= 0 ? kExitOk : kExitFailed;
}

}  // namespace korvel::cli
