#pragma once
// Closing a window while its job runs: the worker hands every event over and waits, so the
// window must keep the events flowing until the worker is gone, and may free what the events
// reach only then.
#include <chrono>

namespace korvel {

class TWorkRoot;

// Stops job when it runs, then turns the event loop (the worker's hand-overs run in it) until
// the job's worker has ended or bound has passed. True when no worker is left; false means the
// worker is still running, and the hand-over and whatever the job's events reach must live on.
bool StopJobAndWaitForEnd(TWorkRoot& job, std::chrono::milliseconds bound);

}  // namespace korvel
