#pragma once
// The desktop program's application object: an exception that escapes an event handler is shown
// in a box and the program goes on running, so that one failed command does not lose the
// user's work.
#include <QApplication>

namespace korvel {

class TKorvelApplication final : public QApplication {
  Q_OBJECT

public:
  TKorvelApplication(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace korvel
