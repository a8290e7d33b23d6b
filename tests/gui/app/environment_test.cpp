// The system message box: its caption, its buttons and the codes its answers give.
#include "app/environment.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QTest>

#include "gui/support/gui_test_main.h"
#include "gui/support/modal_answer.h"

namespace korvel::test {

class EnvironmentTest : public QObject {
  Q_OBJECT

private slots:
  void TheTitleIsTheProgramsName() { QCOMPARE(ApplicationTitle(), QString("Korvel")); }

  void TheUiFontIsNinePoints() {
    QFont font("Some Font", 14);
    SetUiFont(font);
    QCOMPARE(font.pointSize(), 9);
    QVERIFY(!font.family().isEmpty());
  }

  void EachButtonGivesItsCode_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("buttonCount");
    QTest::newRow("error ok") << kMsgError << int(QMessageBox::Ok) << kIdOk << 1;
    QTest::newRow("information ok") << kMsgInformation << int(QMessageBox::Ok) << kIdOk << 1;
    QTest::newRow("ok cancel: ok") << kMsgOkCancel << int(QMessageBox::Ok) << kIdOk << 2;
    QTest::newRow("ok cancel: cancel") << kMsgOkCancel << int(QMessageBox::Cancel) << kIdCancel << 2;
    QTest::newRow("yes no: yes") << kMsgYesNo << int(QMessageBox::Yes) << kIdYes << 2;
    QTest::newRow("yes no: no") << kMsgYesNo << int(QMessageBox::No) << kIdNo << 2;
    QTest::newRow("yes no cancel: yes") << 5 << int(QMessageBox::Yes) << kIdYes << 3;
    QTest::newRow("yes no cancel: no") << 0 << int(QMessageBox::No) << kIdNo << 3;
    QTest::newRow("yes no cancel: cancel") << 99 << int(QMessageBox::Cancel) << kIdCancel << 3;
  }
  void EachButtonGivesItsCode() {
    QFETCH(int, type);
    QFETCH(int, button);
    QFETCH(int, expected);
    QFETCH(int, buttonCount);
    int shownButtons = 0;
    const ModalAnswer answer([&](QWidget& modal) {
      auto& box = dynamic_cast<QMessageBox&>(modal);
      shownButtons = static_cast<int>(box.buttons().size());
      QTest::mouseClick(box.button(static_cast<QMessageBox::StandardButton>(button)), Qt::LeftButton);
    });
    QCOMPARE(SystemMessageBox(ApplicationTitle(), "Question?", type), expected);
    QCOMPARE(shownButtons, buttonCount);
  }

  void EscapeGivesTheSafeAnswer_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("expected");
    QTest::newRow("error") << kMsgError << kIdOk;
    QTest::newRow("ok cancel") << kMsgOkCancel << kIdCancel;
    QTest::newRow("yes no") << kMsgYesNo << kIdNo;
    QTest::newRow("yes no cancel") << 7 << kIdCancel;
  }
  void EscapeGivesTheSafeAnswer() {
    QFETCH(int, type);
    QFETCH(int, expected);
    const ModalAnswer answer([](QWidget& modal) { QTest::keyClick(&modal, Qt::Key_Escape); });
    QCOMPARE(SystemMessageBox(ApplicationTitle(), "Question?", type), expected);
  }

  void AnErrorCaptionIsTrimmedAndMarkedAndTheTextIsPlain() {
    QString title;
    QString shownText;
    Qt::TextFormat format = Qt::AutoText;
    const ModalAnswer answer([&](QWidget& modal) {
      auto& box = dynamic_cast<QMessageBox&>(modal);
      title = box.windowTitle();
      for (const QLabel* label : box.findChildren<QLabel*>())
        if (label->text().contains("</b>")) {
          shownText = label->text();
          format = label->textFormat();
        }
      box.button(QMessageBox::Ok)->click();
    });
    QCOMPARE(SystemMessageBox("  Korvel \t", "Cannot open <b>x</b>.mp4", kMsgError), kIdOk);
    QCOMPARE(title, QString("Korvel : Error"));
    QCOMPARE(shownText, QString("Cannot open <b>x</b>.mp4"));
    QCOMPARE(format, Qt::PlainText);
  }

  void AMinimizedOwnerIsRestoredFirst() {
    QWidget owner;
    owner.show();
    QApplication::setActiveWindow(&owner);
    owner.showMinimized();
    QVERIFY(QTest::qWaitFor([&] { return owner.isMinimized(); }));
    QApplication::setActiveWindow(&owner);
    bool ownerWasRestored = false;
    const ModalAnswer answer([&](QWidget& modal) {
      ownerWasRestored = !owner.isMinimized();
      QCOMPARE(modal.parentWidget(), &owner);
      dynamic_cast<QMessageBox&>(modal).button(QMessageBox::Ok)->click();
    });
    QCOMPARE(SystemMessageBox(ApplicationTitle(), "Done.", kMsgInformation), kIdOk);
    QVERIFY(ownerWasRestored);
  }
};

}  // namespace korvel::test

KORVEL_GUI_TEST_MAIN(korvel::test::EnvironmentTest)
#include "environment_test.moc"
