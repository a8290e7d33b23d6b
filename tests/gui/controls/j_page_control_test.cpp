// The page control's own tab drawing, looked at in its pixels: the fills, the yellow bar on the
// active tab, grey captions of disabled pages, and who draws when owner drawing is off or a
// drawing event is set.
#include "controls/j_page_control.h"

#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QTabBar>
#include <QTest>

#include "gui/support/gui_test_main.h"

namespace korvel::test {

namespace {

const QColor kTab(0xE0, 0xE0, 0xE0);
const QColor kActive(0xFF, 0xFF, 0xFF);
const QColor kYellow(0xFF, 0xFF, 0x00);

// The darkest grey level among the pixels of rect that differ from the background.
int DarkestInk(const QImage& image, const QRect& rect, const QColor& background) {
  int darkest = 256;
  for (int y = rect.top(); y <= rect.bottom(); ++y)
    for (int x = rect.left(); x <= rect.right(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c != background && c != kYellow) darkest = std::min(darkest, std::min({c.red(), c.green(), c.blue()}));
    }
  return darkest;
}

}  // namespace

class JPageControlTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TJPageControl> control_;

  QImage TabBarImage() const { return control_->tabBar()->grab().toImage(); }
  QRect TabRect(int index) const { return control_->tabBar()->tabRect(index); }

private slots:
  void init() {
    control_ = std::make_unique<TJPageControl>();
    control_->addTab(new QLabel("folders"), "Folder");
    control_->addTab(new QLabel("files"), "File");
    QPalette palette = control_->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    control_->setPalette(palette);
    control_->SetTabColor(kTab);
    control_->SetTabActiveColor(kActive);
    control_->SetOwnerDraw(true);
    control_->resize(240, 160);
    control_->show();
    QVERIFY(QTest::qWaitForWindowExposed(control_.get()));
  }
  void cleanup() { control_.reset(); }

  void TheActiveTabCarriesTheYellowBarInsetAtItsSides() {
    for (const int active : {0, 1}) {
      control_->setCurrentIndex(active);
      const QImage image = TabBarImage();
      const QRect tab = TabRect(active);
      const QRect other = TabRect(1 - active);
      for (int y = tab.top(); y < tab.top() + 3; ++y) {
        QCOMPARE(image.pixelColor(tab.left() + 2, y), kYellow);
        QCOMPARE(image.pixelColor(tab.right() - 2, y), kYellow);
        QCOMPARE(image.pixelColor(tab.left() + 1, y), kActive);
        QCOMPARE(image.pixelColor(tab.right() - 1, y), kActive);
      }
      QCOMPARE(image.pixelColor(tab.center().x(), tab.top() + 3), kActive);
      QCOMPARE(image.pixelColor(other.center().x(), other.top()), kTab);
      QCOMPARE(image.pixelColor(other.left() + 1, other.bottom()), kTab);
    }
  }

  void ADisabledPagesCaptionIsGrey() {
    control_->setCurrentIndex(0);
    QVERIFY(DarkestInk(TabBarImage(), TabRect(1), kTab) < 0x60);  // black while enabled
    control_->setTabEnabled(1, false);
    const int darkest = DarkestInk(TabBarImage(), TabRect(1), kTab);
    QVERIFY2(darkest >= 0x80 && darkest < 0xD0, qPrintable(QString::number(darkest)));
  }

  void WithoutOwnerDrawingTheStyleDrawsTheTabs() {
    control_->SetOwnerDraw(false);
    const QImage image = TabBarImage();
    const QRect tab = TabRect(control_->currentIndex());
    QVERIFY(image.pixelColor(tab.center().x(), tab.top() + 1) != kYellow);
  }

  void ADrawingEventTakesOverTheTabs() {
    std::vector<std::pair<int, bool>> drawn;
    control_->OnDrawTab = [&](TJPageControl&, QPainter& painter, int index, const QRect& rect, bool active) {
      drawn.emplace_back(index, active);
      painter.fillRect(rect, Qt::blue);
    };
    control_->setCurrentIndex(1);
    const QImage image = TabBarImage();
    QCOMPARE(image.pixelColor(TabRect(0).center()), QColor(Qt::blue));
    QCOMPARE(image.pixelColor(TabRect(1).left() + 3, TabRect(1).top()), QColor(Qt::blue));
    QVERIFY(std::ranges::find(drawn, std::pair{1, true}) != drawn.end());
    QVERIFY(std::ranges::find(drawn, std::pair{0, false}) != drawn.end());
  }

  void TheStylesButtonColourIsTheDefaultFill() {
    TJPageControl fresh;
    QCOMPARE(fresh.TabColor(), fresh.palette().color(QPalette::Button));
    QCOMPARE(fresh.TabActiveColor(), fresh.palette().color(QPalette::Button));
  }
};

}  // namespace korvel::test

KORVEL_GUI_TEST_MAIN(korvel::test::JPageControlTest)
#include "j_page_control_test.moc"
