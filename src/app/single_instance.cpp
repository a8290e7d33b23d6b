#include "app/single_instance.h"

#include <QDir>
#include <QStandardPaths>

namespace korvel {

TSingleInstance::TSingleInstance(const QString& folder) {
  const QString place = folder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) : folder;
  lock_ = std::make_unique<QLockFile>(QDir(place).filePath(QStringLiteral("korvel.lock")));
  // Age makes no lock stale: a long-running program keeps its lock. Only a lock whose process
  // is gone is taken over, which QLockFile checks itself.
  lock_->setStaleLockTime(0);
}

bool TSingleInstance::Acquire() { return lock_->isLocked() || lock_->tryLock(0); }

}  // namespace korvel
