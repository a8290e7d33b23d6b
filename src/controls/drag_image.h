#pragma once
// The picture a drag shows under the pointer: a snapshot of the dragged control's left part,
// framed white and black so that it stands out on any background.
#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QWidget>

class QDrag;

namespace korvel {

class TImageDragObjEx {
public:
  // Hides the pointer while the target accepts, so that only the image moves.
  bool HideCursorWhileAccepted = false;

  // Takes the control's columns 0 to sourceWidth and rows 0 to sourceHeight, scaled to the
  // image size. Sizes of 0 or less take the control's size, image sizes the source's. False
  // for a null control.
  bool MakeDragImage(QWidget* control, int sourceWidth, int sourceHeight, int imageWidth, int imageHeight,
                     int hotSpotX, int hotSpotY);

  QWidget* Control() const { return control_; }
  const QPixmap& Image() const { return image_; }
  QPoint HotSpot() const { return hotSpot_; }

  // Gives a drag this image, its hot spot and, as asked, an invisible pointer.
  void ApplyTo(QDrag& drag) const;

private:
  QPointer<QWidget> control_;
  QPixmap image_;
  QPoint hotSpot_;
};

}  // namespace korvel
