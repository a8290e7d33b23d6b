#include "app/clip_picture.h"

#include <QPainter>
#include <QPainterPath>

#include "project/clip_item.h"

namespace korvel {

TClipPicture ClipPicture(const TClipItem& item) {
  if (!item.FileExists()) return {WarnNoFilePicture(), false};
  const std::vector<uint8_t> bmp = item.ClipImage.MakePicture();
  QPixmap picture;
  picture.loadFromData(bmp.data(), static_cast<uint>(bmp.size()), "BMP");
  return {picture, true};
}

QPixmap WarnNoFilePicture() {
  constexpr int kWidth = 48;
  constexpr int kHeight = 36;
  QPixmap picture(kWidth, kHeight);
  picture.fill(QColor(0x40, 0x40, 0x40));
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath triangle;
  triangle.moveTo(kWidth / 2.0, 3);
  triangle.lineTo(kWidth - 8, kHeight - 4);
  triangle.lineTo(8, kHeight - 4);
  triangle.closeSubpath();
  painter.fillPath(triangle, QColor(0xF0, 0xC0, 0x20));
  painter.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(kWidth / 2.0, 13), QPointF(kWidth / 2.0, 23));
  painter.drawPoint(QPointF(kWidth / 2.0, 28));
  return picture;
}

}  // namespace korvel
