// The image button driven with the mouse: which of its four pictures shows, in the pixels it
// paints, as the pointer enters, presses, drags off and leaves, and as it is disabled.
#include "controls/j_image_btn.h"

#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include "gui/support/gui_test_main.h"

namespace korvel::test {

namespace {

QPixmap Filled(const QColor& color) {
  QPixmap picture(24, 20);
  picture.fill(color);
  return picture;
}

const QColor kDef(10, 20, 30);
const QColor kOver(200, 0, 0);
const QColor kDown(0, 200, 0);
const QColor kDis(90, 90, 90);

}  // namespace

class JImageBtnTest : public QObject {
  Q_OBJECT

  std::unique_ptr<QWidget> window_;
  TJImageBtn* button_ = nullptr;

  QColor Painted() const { return button_->grab().toImage().pixelColor(5, 5); }
  QPoint Inside() const { return button_->mapTo(window_.get(), QPoint(12, 10)); }
  QPoint Outside() const { return QPoint(150, 150); }

private slots:
  void init() {
    window_ = std::make_unique<QWidget>();
    window_->resize(200, 200);
    button_ = new TJImageBtn(window_.get());
    button_->SetPicDef(Filled(kDef));
    button_->SetPicOver(Filled(kOver));
    button_->SetPicDown(Filled(kDown));
    button_->SetPicDis(Filled(kDis));
    button_->move(40, 40);
    button_->resize(button_->sizeHint());
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    QTest::mouseMove(window_.get(), Outside());
  }
  void cleanup() { window_.reset(); }

  void ItSizesItselfToTheNormalPicture() { QCOMPARE(button_->sizeHint(), QSize(24, 20)); }

  void TheNormalPictureShowsAsSoonAsItIsAssigned() {
    QCOMPARE(Painted(), kDef);
    button_->SetPicDef(Filled(Qt::white));
    QCOMPARE(Painted(), QColor(Qt::white));
  }

  void HoverPressAndReleaseShowTheirPictures() {
    QSignalSpy clicked(button_, &QAbstractButton::clicked);
    QTest::mouseMove(window_.get(), Inside());
    QTRY_COMPARE(button_->ShownPic(), TJImageBtnPic::Over);
    QCOMPARE(Painted(), kOver);
    QTest::mousePress(button_, Qt::LeftButton, {}, QPoint(12, 10));
    QCOMPARE(button_->ShownPic(), TJImageBtnPic::Down);
    QCOMPARE(Painted(), kDown);
    QTest::mouseRelease(button_, Qt::LeftButton, {}, QPoint(12, 10));
    QCOMPARE(Painted(), kOver);
    QCOMPARE(clicked.size(), 1);
    QTest::mouseMove(window_.get(), Outside());
    QTRY_COMPARE(button_->ShownPic(), TJImageBtnPic::Def);
    QCOMPARE(Painted(), kDef);
  }

  void PressingDraggingOffAndReleasingOutsideEndsThePress() {
    QSignalSpy clicked(button_, &QAbstractButton::clicked);
    QTest::mouseMove(window_.get(), Inside());
    QTRY_VERIFY(button_->MouseOver());
    QTest::mousePress(button_, Qt::LeftButton, {}, QPoint(12, 10));
    QVERIFY(button_->Pressed());
    // Dragged off with the button still held.
    QTest::mouseMove(button_, QPoint(100, 100));
    QTRY_COMPARE(button_->ShownPic(), TJImageBtnPic::Def);
    QVERIFY(!button_->Pressed());
    QCOMPARE(Painted(), kDef);
    QTest::mouseRelease(button_, Qt::LeftButton, {}, QPoint(100, 100));
    QCOMPARE(button_->ShownPic(), TJImageBtnPic::Def);
    QCOMPARE(Painted(), kDef);
    QCOMPARE(clicked.size(), 0);
  }

  void DisablingUnderThePointerShowsTheDisabledPictureAndEnablingTheHoverOne() {
    QTest::mouseMove(window_.get(), Inside());
    QTRY_VERIFY(button_->MouseOver());
    button_->setEnabled(false);
    QCOMPARE(button_->ShownPic(), TJImageBtnPic::Dis);
    QCOMPARE(Painted(), kDis);
    button_->setEnabled(true);
    QCOMPARE(button_->ShownPic(), TJImageBtnPic::Over);
    QCOMPARE(Painted(), kOver);
  }

  void ADisabledButtonIgnoresClicks() {
    QSignalSpy clicked(button_, &QAbstractButton::clicked);
    button_->setEnabled(false);
    QTest::mouseClick(button_, Qt::LeftButton, {}, QPoint(12, 10));
    QCOMPARE(clicked.size(), 0);
    QCOMPARE(Painted(), kDis);
  }
};

}  // namespace korvel::test

KORVEL_GUI_TEST_MAIN(korvel::test::JImageBtnTest)
#include "j_image_btn_test.moc"
