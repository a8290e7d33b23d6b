#pragma once
// The writer's worker thread: starting a running thread does nothing, stopping waits for it.
#include <functional>
#include <thread>
#include <utility>

namespace korvel {

class TFileASyncThread {
public:
  ~TFileASyncThread() { Stop(); }

  // May throw std::system_error when no thread can be created.
  void Start(std::function<void()> body) {
    if (!thread_.joinable()) thread_ = std::thread(std::move(body));
  }

  void Stop() {
    if (thread_.joinable()) thread_.join();
  }

  bool IsRunning() const { return thread_.joinable(); }

private:
  std::thread thread_;
};

}  // namespace korvel
