#include "controls/j_page_control.h"

#include <QIcon>
#include <QPainter>
#include <QTabBar>

#include "controls/qd_track_bar.h"

namespace korvel {

namespace {

constexpr int kImageInset = 3;
constexpr int kTextInset = 4;
constexpr int kMarkerHeight = 3;
constexpr int kMarkerSideInset = 2;
const QColor kDisabledText = BgrColor(0x808080);
const QColor kMarker = BgrColor(0x00FFFF);

}  // namespace

// The tab bar hands its painting to the control while the control draws the tabs itself.
class TJPageTabBar : public QTabBar {
public:
  explicit TJPageTabBar(TJPageControl& control) : QTabBar(&control), control_(control) {}

protected:
  void paintEvent(QPaintEvent* event) override {
    if (!control_.OwnerDraw()) {
      QTabBar::paintEvent(event);
      return;
    }
    QPainter painter(this);
    control_.PaintTabs(painter);
  }

private:
  TJPageControl& control_;
};

TJPageControl::TJPageControl(QWidget* parent) : QTabWidget(parent) {
  setTabBar(new TJPageTabBar(*this));
  // Document mode leaves out the frame around the pages, so they reach the control's edges.
  setDocumentMode(true);
  tabColor_ = palette().color(QPalette::Button);
  tabActiveColor_ = tabColor_;
}

void TJPageControl::SetTabColor(const QColor& color) {
  tabColor_ = color;
  tabBar()->update();
}

void TJPageControl::SetTabActiveColor(const QColor& color) {
  tabActiveColor_ = color;
  tabBar()->update();
}

void TJPageControl::SetOwnerDraw(bool on) {
  ownerDraw_ = on;
  tabBar()->update();
}

void TJPageControl::PaintTabs(QPainter& painter) {
  for (int i = 0; i < count(); ++i) {
    const QRect rect = tabBar()->tabRect(i);
    const bool active = i == currentIndex();
    if (OnDrawTab)
      OnDrawTab(*this, painter, i, rect, active);
    else
      DrawTab(painter, i, rect, active);
  }
}

void TJPageControl::DrawTab(QPainter& painter, int index, const QRect& rect, bool active) const {
  painter.fillRect(rect, active ? tabActiveColor_ : tabColor_);
  const bool enabled = isTabEnabled(index);
  const int shift = active ? 1 : 0;
  QRect textArea = rect;
  const QIcon icon = tabIcon(index);
  if (!icon.isNull()) {
    const QSize size = iconSize();
    const QPoint at = rect.topLeft() + QPoint(kImageInset + shift, kImageInset + shift);
    painter.drawPixmap(at, icon.pixmap(size, enabled ? QIcon::Normal : QIcon::Disabled));
    textArea.setLeft(at.x() + size.width());
  }
  textArea.translate(kTextInset + shift, kTextInset + shift);
  painter.setPen(enabled ? palette().color(QPalette::WindowText) : kDisabledText);
  painter.setFont(font());
  painter.drawText(textArea, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextShowMnemonic, tabText(index));
  if (active)
    painter.fillRect(rect.left() + kMarkerSideInset, rect.top(), rect.width() - 2 * kMarkerSideInset, kMarkerHeight,
                     kMarker);
}

}  // namespace korvel
