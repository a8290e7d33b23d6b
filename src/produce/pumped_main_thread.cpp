#include "produce/pumped_main_thread.h"

#include <utility>

namespace korvel {

void TPumpedMainThread::RunSync(std::function<void()> work) {
  // The worker waits on the item's own shared state, never on this object, so the pump may
  // be destroyed as soon as the last item has run.
  std::future<void> ran;
  {
    std::lock_guard lock(lock_);
    queue_.push_back({std::move(work), {}});
    ran = queue_.back().ran.get_future();
  }
  queued_.notify_one();
  ran.wait();
}

void TPumpedMainThread::PumpUntil(const std::function<bool()>& done, const std::function<void()>& poll,
                                  std::chrono::milliseconds wake) {
  while (!done()) {
    if (poll) poll();
    std::unique_lock lock(lock_);
    if (queue_.empty()) queued_.wait_for(lock, wake);
    if (queue_.empty()) continue;
    Item item = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    // Released however the work ends, so that a throwing handler never strands its worker.
    struct Release {
      std::promise<void>& ran;
      ~Release() { ran.set_value(); }
    } release{item.ran};
    item.work();
  }
}

}  // namespace korvel
