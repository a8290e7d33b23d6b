#pragma once
// The hand-over for programs without an event loop (the command line, the tests): the main
// thread pumps queued work until its job has finished, so that events arrive there just as
// they do in the desktop program.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>

#include "produce/main_thread.h"

namespace korvel {

class TPumpedMainThread final : public IMainThread {
public:
  TPumpedMainThread() = default;
  TPumpedMainThread(const TPumpedMainThread&) = delete;
  TPumpedMainThread& operator=(const TPumpedMainThread&) = delete;

  void RunSync(std::function<void()> work) override;

  // Main side: runs queued work until done() holds, checking it before each wait. poll, when
  // set, runs between hand-overs and at least once per wake interval: the place to turn a flag
  // set by a signal handler into a Stop. An exception thrown by queued work leaves here, after
  // its worker has been released. Must be pumped until every started job has finished.
  void PumpUntil(const std::function<bool()>& done, const std::function<void()>& poll = {},
                 std::chrono::milliseconds wake = std::chrono::milliseconds(50));

private:
  struct Item {
    std::function<void()> work;
    std::promise<void> ran;
  };

  std::mutex lock_;
  std::condition_variable queued_;
  std::deque<Item> queue_;
};

}  // namespace korvel
