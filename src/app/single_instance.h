#pragma once
// One running program per user: a lock file in the user's runtime folder, taken atomically. A
// lock left behind by a program that has died is stale and is taken over.
#include <QLockFile>
#include <QString>
#include <memory>

namespace korvel {

class TSingleInstance {
public:
  // The lock "korvel.lock" in the runtime folder (XDG_RUNTIME_DIR), or in folder when given.
  explicit TSingleInstance(const QString& folder = {});

  // True when this process now holds the lock; false while another running program holds it.
  bool Acquire();

private:
  std::unique_ptr<QLockFile> lock_;
};

}  // namespace korvel
