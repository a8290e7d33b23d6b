#include "app/korvel_application.h"

#include <QIcon>
#include <exception>

#include "app/environment.h"

namespace korvel {

TKorvelApplication::TKorvelApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(ApplicationTitle());
  setApplicationDisplayName(ApplicationTitle());
  setDesktopFileName(QStringLiteral("korvel"));
  // The icon installed with the desktop entry.
  setWindowIcon(QIcon::fromTheme(QStringLiteral("korvel")));
}

bool TKorvelApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    SystemMessageBox(ApplicationTitle(), QString::fromUtf8(error.what()), kMsgError);
  } catch (...) {
    SystemMessageBox(ApplicationTitle(), QStringLiteral("An unknown error occurred."), kMsgError);
  }
  return false;
}

}  // namespace korvel
