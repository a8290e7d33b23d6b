#include "controls/drag_image.h"

#include <QDrag>
#include <QPainter>

namespace korvel {

bool TImageDragObjEx::MakeDragImage(QWidget* control, int sourceWidth, int sourceHeight, int imageWidth,
                                    int imageHeight, int hotSpotX, int hotSpotY) {
  if (!control) return false;
  control_ = control;
  if (sourceWidth <= 0) sourceWidth = control->width();
  if (sourceHeight <= 0) sourceHeight = control->height();
  if (imageWidth <= 0) imageWidth = sourceWidth;
  if (imageHeight <= 0) imageHeight = sourceHeight;
  if (imageWidth <= 0 || imageHeight <= 0) return false;

  // Rendered, not grabbed from the screen: the control may be partly scrolled out of sight.
  QPixmap snapshot(sourceWidth, sourceHeight);
  snapshot.fill(Qt::black);
  control->render(&snapshot, QPoint(), QRegion(0, 0, sourceWidth, sourceHeight));
  QPixmap image = snapshot.scaled(imageWidth, imageHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

  QPainter painter(&image);
  painter.setPen(Qt::white);
  painter.drawRect(0, 0, imageWidth - 1, imageHeight - 1);
  if (imageWidth > 2 && imageHeight > 2) {
    painter.setPen(Qt::black);
    painter.drawRect(1, 1, imageWidth - 3, imageHeight - 3);
  }
  painter.end();

  image_ = image;
  hotSpot_ = QPoint(hotSpotX, hotSpotY);
  return true;
}

void TImageDragObjEx::ApplyTo(QDrag& drag) const {
  if (image_.isNull()) return;
  drag.setPixmap(image_);
  drag.setHotSpot(hotSpot_);
  if (!HideCursorWhileAccepted) return;
  QPixmap invisible(1, 1);
  invisible.fill(Qt::transparent);
  drag.setDragCursor(invisible, Qt::MoveAction);
}

}  // namespace korvel
