#include "player/video_panel.h"

#include <QPainter>

namespace korvel {

TVideoPanel::TVideoPanel(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::ClickFocus);
}

void TVideoPanel::SetPicture(const QImage& picture) {
  picture_ = picture;
  update();
}

void TVideoPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (picture_.isNull()) {
    painter.fillRect(rect(), Qt::black);
    return;
  }
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(rect(), picture_);
}

}  // namespace korvel
