// The program's message box, driven as a person would: its answers, its layout, its icon and
// where it appears.
#include "controls/my_msg_box_win.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "gui/support/gui_test_main.h"
#include "gui/support/modal_answer.h"

namespace korvel::test {

namespace {

QPushButton* ButtonOf(QWidget& modal, int which) {
  auto& box = dynamic_cast<TMyMsgBoxWin&>(modal);
  return which == 1 ? box.Btn1() : which == 2 ? box.Btn2() : box.Btn3();
}

}  // namespace

class MyMsgBoxWinTest : public QObject {
  Q_OBJECT

  QWidget owner_;

private slots:
  void initTestCase() {
    owner_.setGeometry(200, 150, 640, 480);
    owner_.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner_));
  }

  void EachButtonGivesItsCode_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("expected");
    QTest::newRow("first") << 1 << kMsgBoxBtn1;
    QTest::newRow("second") << 2 << kMsgBoxBtn2;
    QTest::newRow("third") << 3 << kMsgBoxBtn3;
  }
  void EachButtonGivesItsCode() {
    QFETCH(int, button);
    QFETCH(int, expected);
    QString captions;
    const ModalAnswer answer([&](QWidget& modal) {
      for (int i = 1; i <= 3; ++i) captions += ButtonOf(modal, i)->text() + "|";
      QTest::mouseClick(ButtonOf(modal, button), Qt::LeftButton);
    });
    QCOMPARE(ShowMsgBox(&owner_, "Korvel", "Save the project?", std::nullopt, kMsgBoxQuestion, "Cancel", "No (&N)",
                        "Yes (&Y)"),
             expected);
    QCOMPARE(captions, QString("Yes (&Y)|No (&N)|Cancel|"));
  }

  void EscapeAndTheCloseBoxGiveZeroWhateverTheButtons_data() {
    QTest::addColumn<int>("buttons");
    QTest::addColumn<bool>("escape");
    for (int buttons = 1; buttons <= 3; ++buttons) {
      QTest::addRow("%d buttons, Esc", buttons) << buttons << true;
      QTest::addRow("%d buttons, closed", buttons) << buttons << false;
    }
  }
  void EscapeAndTheCloseBoxGiveZeroWhateverTheButtons() {
    QFETCH(int, buttons);
    QFETCH(bool, escape);
    const ModalAnswer answer([&](QWidget& modal) {
      if (escape)
        QTest::keyClick(&modal, Qt::Key_Escape);
      else
        modal.close();
    });
    const QString text3 = buttons >= 3 ? "Three" : "";
    const QString text2 = buttons >= 2 ? "Two" : "";
    QCOMPARE(ShowMsgBox(&owner_, "Korvel", "Well?", std::nullopt, 0, text3, text2, "One"), 0);
    QVERIFY(answer.Answered());
  }

  void NothingIsShownWithoutOwnerMessageOrFirstButton() {
    const ModalAnswer answer([](QWidget& modal) { modal.close(); });
    QCOMPARE(ShowMsgBox(nullptr, "Korvel", "Message", std::nullopt, 0, "OK"), 0);
    QCOMPARE(ShowMsgBox(&owner_, "Korvel", "", std::nullopt, 0, "OK"), 0);
    QCOMPARE(ShowMsgBox(&owner_, "Korvel", "Message", std::nullopt, 0, "Two", ""), 0);
    QTest::qWait(50);
    QVERIFY(!answer.Answered());
  }

  void TheTwoButtonShorthandPutsItsLastArgumentFirst() {
    QString first;
    const ModalAnswer answer([&](QWidget& modal) {
      first = ButtonOf(modal, 1)->text();
      ButtonOf(modal, 2)->click();
    });
    QCOMPARE(ShowMsgBox(&owner_, "Korvel", "Delete it?", std::nullopt, 0, "No", "Yes"), kMsgBoxBtn2);
    QCOMPARE(first, QString("Yes"));
  }

  void ASingleButtonIsCentredAndAShortMessageGetsTheFixedArea() {
    TMyMsgBoxWin box(&owner_, "Korvel", "Done.", "OK", "", "");
    box.Prepare(std::nullopt, 0);
    QVERIFY(box.Msg()->height() < 32);
    QCOMPARE(box.height(), box.Msg()->y() + 47 + box.PanOk()->height());
    QVERIFY(box.Btn2()->isHidden());
    QVERIFY(box.Btn3()->isHidden());
    const int buttonCentre = box.Btn1()->x() + box.Btn1()->width() / 2;
    QVERIFY(qAbs(buttonCentre - box.width() / 2) <= 1);
  }

  void ButtonsFitTheirCaptionsAndFollowAtFifteenPixels() {
    const QString wide = "A rather long caption for a button";
    TMyMsgBoxWin box(&owner_, "Korvel", "Which one?", "OK", wide, "No");
    box.Prepare(std::nullopt, 0);
    const int wideText = box.fontMetrics().horizontalAdvance(wide);
    QVERIFY(wideText >= 66);
    QCOMPARE(box.Btn1()->width(), 90);
    QCOMPARE(box.Btn2()->width(), wideText + 24);
    QCOMPARE(box.Btn2()->x(), box.Btn1()->x() + 90 + 15);
    QCOMPARE(box.Btn3()->x(), box.Btn2()->x() + box.Btn2()->width() + 15);
  }

  void TheFirstIconFlagChoosesTheIcon_data() {
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("icon");  // 0 none, 1 ask, 2 info, 3 error
    QTest::newRow("none") << 0 << 0;
    QTest::newRow("question") << kMsgBoxQuestion << 1;
    QTest::newRow("information") << kMsgBoxInformation << 2;
    QTest::newRow("warning") << kMsgBoxWarning << 2;
    QTest::newRow("error") << kMsgBoxError << 3;
    QTest::newRow("question and error") << (kMsgBoxQuestion | kMsgBoxError) << 1;
    QTest::newRow("warning and error") << (kMsgBoxWarning | kMsgBoxError) << 2;
    QTest::newRow("above the lowest byte") << 0x100 << 0;
  }
  void TheFirstIconFlagChoosesTheIcon() {
    QFETCH(int, flags);
    QFETCH(int, icon);
    TMyMsgBoxWin box(&owner_, "Korvel", "Text", "OK", "", "");
    box.Prepare(std::nullopt, flags);
    QCOMPARE(!box.ImageAsk()->isHidden(), icon == 1);
    QCOMPARE(!box.ImageInfo()->isHidden(), icon == 2);
    QCOMPARE(!box.ImageError()->isHidden(), icon == 3);
  }

  void AFileNameIsShownAsPlainText() {
    QString shown;
    Qt::TextFormat format = Qt::RichText;
    const ModalAnswer answer([&](QWidget& modal) {
      auto& box = dynamic_cast<TMyMsgBoxWin&>(modal);
      shown = box.Msg()->text();
      format = box.Msg()->textFormat();
      box.Btn1()->click();
    });
    ShowMsgBox(&owner_, "Korvel", "Delete <b>x</b>.mp4?", std::nullopt, kMsgBoxQuestion, "Yes");
    QCOMPARE(shown, QString("Delete <b>x</b>.mp4?"));
    QCOMPARE(format, Qt::PlainText);
  }

  void ByDefaultTheBoxSitsOverItsOwnerTwentyFivePixelsHigher() {
    QCursor::setPos(5, 5);
    TMyMsgBoxWin box(&owner_, "Korvel", "Text", "OK", "", "");
    box.Prepare(std::nullopt, 0);
    const QPoint ownerCentre = owner_.mapToGlobal(owner_.rect().center());
    const QRect placed(box.pos(), box.size());
    QVERIFY(qAbs(placed.center().x() - ownerCentre.x()) <= 1);
    QVERIFY(qAbs(placed.center().y() - (ownerCentre.y() - 25)) <= 1);
  }

  void APlacementRequestMovesTheBoxOffThePointer() {
    const QRect desktop = owner_.screen()->availableGeometry();
    const QPoint cursor = desktop.center();
    QCursor::setPos(cursor);
    if (QCursor::pos() != cursor) QSKIP("this platform does not move the pointer");
    TMyMsgBoxWin box(&owner_, "Korvel", "Text", "OK", "", "");
    box.Prepare(PlaceAtCursor(cursor.x(), cursor.y()), 0);
    QCOMPARE(box.x(), cursor.x() - box.width() / 2);
    QCOMPARE(box.y(), cursor.y() - box.height() + 5);
  }
};

}  // namespace korvel::test

KORVEL_GUI_TEST_MAIN(korvel::test::MyMsgBoxWinTest)
#include "my_msg_box_win_test.moc"
