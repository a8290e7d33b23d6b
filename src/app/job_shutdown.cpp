#include "app/job_shutdown.h"

#include <QEventLoop>
#include <QTimer>

#include "produce/work_root.h"

namespace korvel {

bool StopJobAndWaitForEnd(TWorkRoot& job, std::chrono::milliseconds bound) {
  if (job.WorkerEnded()) return true;
  if (job.Running()) job.Stop();

  QEventLoop loop;
  // The worker's end sends no event, so look often.
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (job.WorkerEnded()) loop.quit();
  });
  poll.start(std::chrono::milliseconds(2));
  QTimer::singleShot(bound, &loop, &QEventLoop::quit);
  loop.exec();
  return job.WorkerEnded();
}

}  // namespace korvel
