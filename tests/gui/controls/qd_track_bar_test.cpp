// The seek bar, driven and looked at as a person would: where a click puts the thumb, and what
// the channel shows in its pixels.
#include "controls/qd_track_bar.h"

#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

#include "gui/support/gui_test_main.h"

namespace korvel::test {

namespace {

// The thumb's rectangle as the style places it.
QRect ThumbRect(const TQdTrackBar& bar) {
  QStyleOptionSlider option;
  option.initFrom(&bar);
  option.orientation = bar.orientation();
  option.minimum = bar.minimum();
  option.maximum = bar.maximum();
  option.sliderPosition = bar.sliderPosition();
  option.sliderValue = bar.value();
  option.singleStep = bar.singleStep();
  option.pageStep = bar.pageStep();
  option.upsideDown = bar.invertedAppearance();
  option.subControls = QStyle::SC_All;
  return bar.style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, &bar);
}

// The columns of row y whose colour is color, as [first, last]; {-1, -1} when none.
std::pair<int, int> ColumnsOf(const QImage& image, int y, const QColor& color) {
  int first = -1;
  int last = -1;
  for (int x = 0; x < image.width(); ++x)
    if (image.pixelColor(x, y) == color) {
      if (first < 0) first = x;
      last = x;
    }
  return {first, last};
}

}  // namespace

class QdTrackBarTest : public QObject {
  Q_OBJECT

  // The bar sits in a window beside a field that holds the focus, as it does in the player.
  std::unique_ptr<QWidget> window_;
  TQdTrackBar* bar_ = nullptr;

  // The bar's pixels, without the thumb, so that the channel shows whole.
  QImage ChannelImage() {
    bar_->SetThumbVisible(false);
    QImage image = bar_->grab().toImage();
    bar_->SetThumbVisible(true);
    return image;
  }

private slots:
  void init() {
    window_ = std::make_unique<QWidget>();
    auto* field = new QLineEdit(window_.get());
    field->setGeometry(0, 0, 320, 24);
    bar_ = new TQdTrackBar(window_.get());
    bar_->setRange(0, 10000);
    bar_->setPageStep(500);
    bar_->setGeometry(0, 30, 320, 30);
    window_->resize(320, 60);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    field->setFocus();
    QVERIFY(QTest::qWaitFor([&] { return field->hasFocus(); }));
  }
  void cleanup() { window_.reset(); }

  void AClickPutsTheThumbUnderThePointer_data() {
    QTest::addColumn<double>("fraction");
    QTest::addColumn<int>("expected");
    QTest::newRow("left end") << 0.0 << 0;
    QTest::newRow("middle") << 0.5 << 5000;
    QTest::newRow("right end") << 1.0 << 10000;
  }
  void AClickPutsTheThumbUnderThePointer() {
    QFETCH(double, fraction);
    QFETCH(int, expected);
    bar_->setValue(fraction < 0.5 ? 10000 : 0);  // the thumb elsewhere, so the click is on the groove
    const QRect channel = bar_->ChannelRect();
    const int travelLeft = channel.left() + bar_->TickOffset();
    const int travelRight = channel.left() + channel.width() - bar_->TickOffset();
    const QPoint click(travelLeft + int(fraction * (travelRight - travelLeft)), channel.center().y());
    QSignalSpy moved(bar_, &QSlider::valueChanged);
    QTest::mousePress(bar_, Qt::LeftButton, {}, click);
    QVERIFY(qAbs(bar_->value() - expected) <= 10000 / (travelRight - travelLeft));
    QVERIFY(ThumbRect(*bar_).contains(click));
    QVERIFY(bar_->isSliderDown());
    QCOMPARE(moved.size(), 1);
    QTest::mouseRelease(bar_, Qt::LeftButton, {}, click);
    QVERIFY(!bar_->isSliderDown());
  }

  void AClickBeyondTheEndsGivesTheEnds() {
    QTest::mouseClick(bar_, Qt::LeftButton, {}, QPoint(bar_->width() - 1, 15));
    QCOMPARE(bar_->value(), 10000);
    QTest::mouseClick(bar_, Qt::LeftButton, {}, QPoint(0, 15));
    QCOMPARE(bar_->value(), 0);
  }

  void TheSelectionIsDrawnUnderTheThumbsOfItsEnds() {
    bar_->SetSelection(2500, 5000);
    const QImage image = ChannelImage();
    const int row = bar_->ChannelRect().center().y();
    const auto [first, last] = ColumnsOf(image, row, bar_->ColorChlSelNrm());
    bar_->setValue(2500);
    QVERIFY2(qAbs(first - ThumbRect(*bar_).center().x()) <= 1, qPrintable(QString::number(first)));
    bar_->setValue(5000);
    QVERIFY2(qAbs(last - ThumbRect(*bar_).center().x()) <= 1, qPrintable(QString::number(last)));
    // Elsewhere the channel shows its background.
    QCOMPARE(image.pixelColor(first - 3, row), bar_->ColorChlBgNrm());
    QCOMPARE(image.pixelColor(last + 3, row), bar_->ColorChlBgNrm());
  }

  void AWholeSelectionFillsTheChannelWhateverTheInset() {
    for (const int inset : {0, 4, 8}) {
      bar_->SetTickOffset(inset);
      bar_->SetSelection(0, 10000);
      const QRect channel = bar_->ChannelRect();
      const QImage image = ChannelImage();
      const auto [first, last] = ColumnsOf(image, channel.center().y(), bar_->ColorChlSelNrm());
      // The sunken edge covers two pixels at each end.
      QCOMPARE(first, channel.left() + 2);
      QCOMPARE(last, channel.right() - 2);
    }
  }

  void WithoutTheThreeDLookTheSelectionKeepsAPixelFromTheEdges() {
    bar_->SetCtl3D(false);
    bar_->SetSelection(0, 10000);
    const QRect channel = bar_->ChannelRect();
    const QImage image = ChannelImage();
    const auto [first, last] = ColumnsOf(image, channel.center().y(), bar_->ColorChlSelNrm());
    QCOMPARE(first, channel.left() + 1);
    QCOMPARE(last, channel.right() - 1);
    QCOMPARE(image.pixelColor(channel.left(), channel.center().y()), bar_->ColorChlBgNrm());
  }

  void AClearedSelectionIsNotDrawn() {
    bar_->SetSelection(1000, 9000);
    bar_->ClearSelection();
    QCOMPARE(ColumnsOf(ChannelImage(), bar_->ChannelRect().center().y(), bar_->ColorChlSelNrm()).first, -1);
    bar_->SetSelection(9000, 1000);
    QVERIFY(!bar_->HasSelection());
  }

  void TheColoursFollowTheFocusAndTheSpecialModes() {
    bar_->SetSelection(2000, 8000);
    const int row = bar_->ChannelRect().center().y();
    const int inside = bar_->ChannelRect().center().x();
    const int outside = bar_->ChannelRect().left() + 5;
    bar_->setFocus();
    QVERIFY(QTest::qWaitFor([&] { return bar_->hasFocus(); }));
    QImage image = ChannelImage();
    QCOMPARE(image.pixelColor(inside, row), bar_->ColorChlSelFocus());
    QCOMPARE(image.pixelColor(outside, row), bar_->ColorChlBgFocus());
    bar_->SetColorChlSelItem(TQdTBClrChlSelItem::qdtbccsiSpc1);
    QCOMPARE(ChannelImage().pixelColor(inside, row), QColor(255, 0, 0));
    bar_->SetColorChlSelItem(TQdTBClrChlSelItem::qdtbccsiSpc2);
    QCOMPARE(ChannelImage().pixelColor(inside, row), QColor(0, 0, 255));
  }

  void TicksAreDrawnOnlyWhenAskedFor() {
    bar_->SetColorTick(QColor(0, 255, 0));
    bar_->SetTickCount(3);
    const QRect channel = bar_->ChannelRect();
    const int row = channel.top() + channel.height() * 2 / 3;
    QCOMPARE(ColumnsOf(ChannelImage(), row, QColor(0, 255, 0)).first, -1);
    bar_->SetDrawTick(true);
    const QImage image = ChannelImage();
    int ticks = 0;
    for (int x = 0; x < image.width(); ++x) ticks += image.pixelColor(x, row) == QColor(0, 255, 0);
    QCOMPARE(ticks, 3);
    QCOMPARE(image.pixelColor(channel.left() + channel.width() / 4, row), QColor(0, 255, 0));
    bar_->SetTickCount(0);
    QCOMPARE(ColumnsOf(ChannelImage(), row, QColor(0, 255, 0)).first, -1);
  }

  void KeyFrameMarksStandUnderTheThumbAtTheirValues() {
    bar_->SetColorKeyFrame(QColor(255, 255, 0));
    bar_->SetKeyFrameMarks({0, 2500, 7500});
    const QRect channel = bar_->ChannelRect();
    const int row = channel.top() + channel.height() / 3;
    const QImage image = ChannelImage();
    QList<int> marks;
    for (int x = 0; x < image.width(); ++x)
      if (image.pixelColor(x, row) == QColor(255, 255, 0)) marks.append(x);
    QCOMPARE(marks.size(), 3);
    const QList<int> values{0, 2500, 7500};
    for (int i = 0; i < 3; ++i) {
      bar_->setValue(values[i]);
      QVERIFY2(qAbs(marks[i] - ThumbRect(*bar_).center().x()) <= 1, qPrintable(QString::number(marks[i])));
    }
    // The lower part of the channel stays free for the ticks.
    QCOMPARE(ColumnsOf(image, channel.top() + channel.height() * 3 / 4, QColor(255, 255, 0)).first, -1);
    bar_->SetKeyFrameMarks({});
    QCOMPARE(ColumnsOf(ChannelImage(), row, QColor(255, 255, 0)).first, -1);
  }

  void ThousandsOfKeyFrameMarksDrawOneLineAColumn() {
    bar_->SetColorKeyFrame(QColor(255, 255, 0));
    std::vector<int32_t> values;
    for (int32_t v = 0; v <= 10000; v += 2) values.push_back(v);
    bar_->SetKeyFrameMarks(values);
    const QRect channel = bar_->ChannelRect();
    const auto [first, last] = ColumnsOf(ChannelImage(), channel.top() + channel.height() / 3, QColor(255, 255, 0));
    bar_->setValue(0);
    QVERIFY(qAbs(first - ThumbRect(*bar_).center().x()) <= 1);
    bar_->setValue(10000);
    QVERIFY(qAbs(last - ThumbRect(*bar_).center().x()) <= 1);
  }

  void AHiddenThumbLeavesOnlyTheChannel() {
    bar_->setValue(5000);
    const QRect thumb = ThumbRect(*bar_);
    const QImage shown = bar_->grab().toImage();
    bar_->SetThumbVisible(false);
    const QImage hidden = bar_->grab().toImage();
    bool thumbDrawn = false;
    for (int y = thumb.top(); y <= thumb.bottom(); ++y)
      for (int x = thumb.left(); x <= thumb.right(); ++x) thumbDrawn |= shown.pixel(x, y) != hidden.pixel(x, y);
    QVERIFY(thumbDrawn);
    const QRect channel = bar_->ChannelRect();
    QCOMPARE(hidden.pixelColor(thumb.center().x(), channel.center().y()), bar_->ColorChlBgNrm());
  }

  void AHandlerMayDrawTheChannelItself() {
    bar_->SetSelection(0, 10000);
    QRect drawnRect;
    bar_->OnCustomDraw = [&](TQdTrackBar&, TQdTrackBarItem item, const QRect& rect, QPainter& painter,
                             bool& useFixDraw, bool&) {
      if (item != TQdTrackBarItem::Channel) return;
      drawnRect = rect;
      painter.fillRect(rect, QColor(10, 200, 30));
      useFixDraw = false;
    };
    const QImage image = ChannelImage();
    QCOMPARE(drawnRect, bar_->ChannelRect());
    const int row = drawnRect.center().y();
    QCOMPARE(image.pixelColor(drawnRect.center().x(), row), QColor(10, 200, 30));
    QCOMPARE(ColumnsOf(image, row, bar_->ColorChlSelNrm()).first, -1);
  }

  // A style sheet's style paints the whole bar's background whenever it draws a part of it; the
  // thumb drawn last must not wipe out the channel.
  void AStyleSheetBackgroundLeavesTheChannelShowing() {
    window_->setStyleSheet("background: #202020; color: #d0d0d0;");
    bar_->SetSelection(2000, 8000);
    bar_->setValue(5000);
    const QRect channel = bar_->ChannelRect();
    const QImage image = bar_->grab().toImage();
    QCOMPARE(image.pixelColor(channel.left() + 5, channel.center().y()), bar_->ColorChlBgNrm());
    QCOMPARE(image.pixelColor(channel.left() + channel.width() / 3, channel.center().y()), bar_->ColorChlSelNrm());
  }

  void ColoursAreGivenAsBlueGreenRed() {
    QCOMPARE(BgrColor(0x7F3F1F), QColor(0x1F, 0x3F, 0x7F));
    QCOMPARE(TQdTrackBar().ColorChlBgNrm(), QColor(0x4F, 0x4F, 0x4F));
  }
};

}  // namespace korvel::test

KORVEL_GUI_TEST_MAIN(korvel::test::QdTrackBarTest)
#include "qd_track_bar_test.moc"
