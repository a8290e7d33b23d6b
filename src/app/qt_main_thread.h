#pragma once
// The producers' hand-over on the desktop: a worker's call runs on the thread that owns the
// windows, and the worker waits until it has run.
#include <QObject>

#include "produce/main_thread.h"

namespace korvel {

class TQtMainThread final : public QObject, public IMainThread {
  Q_OBJECT

public:
  // Lives on the thread that creates it, which must be the GUI thread.
  explicit TQtMainThread(QObject* parent = nullptr);

  void RunSync(std::function<void()> work) override;
};

}  // namespace korvel
