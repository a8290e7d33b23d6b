#pragma once
// An engine whose producer reports the progress values it is given one at a time and waits
// after each until the test opens the gate, so that a test can look at the wizard at every
// step of a run, or close or stop it while the run is held. A stop opens the gate for good.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "produce/engine_table.h"
#include "produce/producer_base.h"
#include "produce/producer_thread.h"

namespace korvel::test {

class Gate {
public:
  // Lets the producer past one more step.
  void Open();
  // Worker side: waits for the step-th opening; false when a stop came first.
  bool Wait(int step);
  void Stop();

private:
  std::mutex lock_;
  std::condition_variable changed_;
  int opened_ = 0;
  bool stopped_ = false;
};

struct GatedScript {
  std::vector<int32_t> Steps{1, 995, 1000};
  Gate StepGate;
  // Shared with the thread, which may end after the test that ran it.
  std::shared_ptr<std::atomic<bool>> ThreadGone = std::make_shared<std::atomic<bool>>(false);
  std::atomic<bool> SawStop{false};
};

// Every engine is the gated one.
TEngineTable GatedEngines(GatedScript& script);

}  // namespace korvel::test
