// The program's application object: an exception thrown by an event handler is shown in a box
// and the program goes on handling events.
#include "app/korvel_application.h"

#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <stdexcept>

#include "gui/support/modal_answer.h"
#include "gui/support/user_folders_sandbox.h"

namespace korvel::test {

namespace {

// Throws from its handler of the next timer event it gets.
class TThrowingObject : public QObject {
protected:
  void timerEvent(QTimerEvent* event) override {
    killTimer(event->timerId());
    throw std::runtime_error("the handler failed <here>");
  }
};

}  // namespace

class KorvelApplicationTest : public QObject {
  Q_OBJECT

private slots:
  void AnExceptionFromAHandlerIsShownAndTheProgramRunsOn() {
    TThrowingObject failing;
    QString shown;
    QString title;
    ModalAnswer close([&](QWidget& modal) {
      auto* box = qobject_cast<QMessageBox*>(&modal);
      QVERIFY(box);
      shown = box->text();
      title = box->windowTitle();
      box->accept();
    });
    failing.startTimer(0);
    QTRY_VERIFY(close.Answered());
    QCOMPARE(shown, QStringLiteral("the handler failed <here>"));
    QVERIFY(title.startsWith(QStringLiteral("Korvel")));
    bool later = false;
    QTimer::singleShot(0, [&] { later = true; });
    QTRY_VERIFY(later);
  }
};

}  // namespace korvel::test

int main(int argc, char** argv) {
  korvel::test::UserFoldersSandbox sandbox;
  korvel::TKorvelApplication application(argc, argv);
  korvel::test::KorvelApplicationTest suite;
  return QTest::qExec(&suite, argc, argv);
}
#include "korvel_application_test.moc"
