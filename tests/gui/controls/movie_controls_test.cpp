// The clip panel's own controls looked at through their pixels: the time ruler's ticks, the
// clip tile's thumbnail, texts and frame, and the drag image.
#include <QPainter>
#include <cstdlib>
#include <QTest>

#include "controls/drag_image.h"
#include "controls/movie_clip.h"
#include "controls/movie_time_bar.h"
#include "gui/support/gui_test_main.h"

namespace korvel::test {

namespace {

int CountColumnsWith(const QImage& image, int y, const QColor& colour) {
  int count = 0;
  for (int x = 0; x < image.width(); ++x) count += image.pixelColor(x, y) == colour;
  return count;
}

// Whether a pixel of the area is near the colour: text is drawn smoothed.
bool AnyPixelIn(const QImage& image, const QRect& requested, const QColor& colour) {
  const QRect area = requested & image.rect();
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) {
      const QColor pixel = image.pixelColor(x, y);
      if (std::abs(pixel.red() - colour.red()) + std::abs(pixel.green() - colour.green()) +
              std::abs(pixel.blue() - colour.blue()) < 90)
        return true;
    }
  return false;
}

// A grey tile showing a green picture of the given size.
QImage TileWithPicture(QSize size, bool stretch) {
  TMovieClip tile;
  tile.resize(200, 64);
  tile.SetColor(Qt::gray);
  QPixmap picture(size);
  picture.fill(Qt::green);
  tile.SetPicture(picture);
  tile.SetPicStretch(stretch);
  return tile.grab().toImage();
}

}  // namespace

class MovieControlsTest : public QObject {
  Q_OBJECT

private slots:
  void TimeBarConvertsBothWays() {
    TMovieTimeBar bar;
    QCOMPARE(bar.GetPosXFromTimeMS(0), 1);
    QCOMPARE(bar.GetTimeMSFromPosX(1), 0);
    QCOMPARE(bar.GetPosXFromTimeMS(60000), 101);
    QCOMPARE(bar.GetTimeMSFromPosX(101), 60000);
    QCOMPARE(bar.GetPosXFromTimeMS(20, 60000), 301);
    bar.SetTickInterval(10);
    QCOMPARE(bar.PixelsPerMajor(), 200);
    QCOMPARE(bar.GetPosXFromTimeMS(60000), 201);
    bar.SetTickSubTicks(0);
    QCOMPARE(bar.TickSubTicks(), 1);
    bar.SetTickTimeSec(-5);
    QCOMPARE(bar.TickTimeSec(), 1);
  }

  void TimeBarDrawsTicksOfThreeLengths() {
    TMovieTimeBar bar;
    bar.resize(250, 30);
    bar.SetColorTick(Qt::red);
    bar.SetColorTimeText(Qt::blue);
    const QImage image = bar.grab().toImage();
    // at the bottom every tick shows: one each 5 pixels
    QCOMPARE(CountColumnsWith(image, 27, Qt::red), 50);
    // only the middle and major ticks reach 8 pixels higher (middles every 25, majors every 100)
    QCOMPARE(CountColumnsWith(image, 21, Qt::red), 10);
    // only the majors reach their top at y 8
    QCOMPARE(CountColumnsWith(image, 8, Qt::red), 3);
    // the label of each major stands right of it
    QVERIFY(AnyPixelIn(image, QRect(104, 0, 40, 20), Qt::blue));
    QVERIFY(AnyPixelIn(image, QRect(204, 0, 40, 20), Qt::blue));
    QVERIFY(!AnyPixelIn(image, QRect(165, 0, 30, 20), Qt::blue));
  }

  void TimeBarRepaintsOnlyOnARealChange() {
    TMovieTimeBar bar;
    bar.resize(200, 30);
    int painted = 0;
    bar.OnPaint = [&](TMovieTimeBar&, QPainter&) { ++painted; };
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    QTRY_VERIFY(painted > 0);
    painted = 0;
    bar.SetTickTimeSec(60);
    QTest::qWait(30);
    QCOMPARE(painted, 0);
    bar.SetTickTimeSec(30);
    QTRY_VERIFY(painted > 0);
  }

  void TileRepeatsItsTextsAlongItsWidth_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("copies");
    QTest::newRow("1278") << 1278 << 1;
    QTest::newRow("1279") << 1279 << 2;
    QTest::newRow("2079") << 2079 << 3;
  }

  void TileRepeatsItsTextsAlongItsWidth() {
    QFETCH(int, width);
    QFETCH(int, copies);
    TMovieClip tile;
    tile.resize(width, 64);
    tile.SetColor(Qt::black);
    tile.SetColorText1(Qt::white);
    tile.SetText1("WWWW");
    const QImage image = tile.grab().toImage();
    int found = 0;
    for (int copy = 0; copy < 3; ++copy) found += AnyPixelIn(image, QRect(78 + 800 * copy, 16, 40, 18), Qt::white);
    QCOMPARE(found, copies);
  }

  void TileShowsASmallPictureUnscaledOnBlack() {
    const QImage image = TileWithPicture(QSize(40, 30), false);
    QCOMPARE(image.pixelColor(18, 19), QColor(Qt::green));
    QCOMPARE(image.pixelColor(57, 48), QColor(Qt::green));
    QCOMPARE(image.pixelColor(17, 19), QColor(Qt::black));
    QCOMPARE(image.pixelColor(58, 48), QColor(Qt::black));
    QCOMPARE(image.pixelColor(8, 12), QColor(Qt::black));
    QCOMPARE(image.pixelColor(7, 12), QColor(Qt::gray));
  }

  void TileStretchesItsThumbnailIntoTheBox() {
    const QImage image = TileWithPicture(QSize(20, 10), true);
    QCOMPARE(image.pixelColor(8, 12), QColor(Qt::green));
    QCOMPARE(image.pixelColor(67, 56), QColor(Qt::green));
    QCOMPARE(image.pixelColor(68, 57), QColor(Qt::gray));
  }

  void TileFramesTheSelectionOnlyInAFocusedList() {
    TMovieClip tile;
    tile.resize(120, 64);
    tile.SetColor(Qt::black);
    tile.SetColorSelected(Qt::yellow);
    tile.SetSelected(true);
    QVERIFY(!AnyPixelIn(tile.grab().toImage(), QRect(2, 2, 116, 1), Qt::yellow));
    tile.SetParentFocused(true);
    const QImage image = tile.grab().toImage();
    QVERIFY(AnyPixelIn(image, QRect(2, 2, 116, 1), Qt::yellow));
    QVERIFY(AnyPixelIn(image, QRect(117, 2, 1, 60), Qt::yellow));
    QVERIFY(!AnyPixelIn(image, QRect(0, 0, 120, 2), Qt::yellow));
  }

  void DragImageIsAFramedSnapshot() {
    TMovieClip tile;
    tile.resize(300, 70);
    tile.SetColor(Qt::blue);
    TImageDragObjEx full;
    QVERIFY(full.MakeDragImage(&tile, 0, 0, 0, 0, 5, 6));
    QCOMPARE(full.Image().size(), QSize(300, 70));
    QCOMPARE(full.HotSpot(), QPoint(5, 6));
    QCOMPARE(full.Control(), &tile);
    const QImage image = full.Image().toImage();
    QCOMPARE(image.pixelColor(0, 0), QColor(Qt::white));
    QCOMPARE(image.pixelColor(299, 69), QColor(Qt::white));
    QCOMPARE(image.pixelColor(1, 1), QColor(Qt::black));
    QCOMPARE(image.pixelColor(150, 2), QColor(Qt::blue));

    TImageDragObjEx half;
    QVERIFY(half.MakeDragImage(&tile, 300, 70, 150, 35, 0, 0));
    QCOMPARE(half.Image().size(), QSize(150, 35));

    TImageDragObjEx none;
    QVERIFY(!none.MakeDragImage(nullptr, 0, 0, 0, 0, 0, 0));
  }
};

}  // namespace korvel::test

KORVEL_GUI_TEST_MAIN(korvel::test::MovieControlsTest)
#include "movie_controls_test.moc"
