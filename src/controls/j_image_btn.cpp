#include "controls/j_image_btn.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

namespace korvel {

TJImageBtn::TJImageBtn(QWidget* parent) : QAbstractButton(parent) {
  // Like the pictures it replaces, the button takes no keyboard focus: the keys belong to the
  // player and the lists around it.
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_Hover);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void TJImageBtn::SetPicture(QPixmap& field, const QPixmap& picture) {
  field = picture;
  updateGeometry();
  update();
}

void TJImageBtn::SetPicDef(const QPixmap& picture) { SetPicture(picDef_, picture); }
void TJImageBtn::SetPicOver(const QPixmap& picture) { SetPicture(picOver_, picture); }
void TJImageBtn::SetPicDown(const QPixmap& picture) { SetPicture(picDown_, picture); }
void TJImageBtn::SetPicDis(const QPixmap& picture) { SetPicture(picDis_, picture); }

TJImageBtnPic TJImageBtn::ShownPic() const {
  if (!isEnabled()) return TJImageBtnPic::Dis;
  if (!over_) return TJImageBtnPic::Def;
  return pressed_ ? TJImageBtnPic::Down : TJImageBtnPic::Over;
}

const QPixmap& TJImageBtn::Shown() const {
  switch (ShownPic()) {
    case TJImageBtnPic::Dis: return picDis_;
    case TJImageBtnPic::Over: return picOver_;
    case TJImageBtnPic::Down: return picDown_;
    case TJImageBtnPic::Def: break;
  }
  return picDef_;
}

QSize TJImageBtn::sizeHint() const {
  if (picDef_.isNull()) return {16, 16};
  return picDef_.deviceIndependentSize().toSize();
}

void TJImageBtn::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QPixmap& picture = Shown();
  if (!picture.isNull()) painter.drawPixmap(0, 0, picture);
}

void TJImageBtn::enterEvent(QEnterEvent* event) {
  over_ = true;
  update();
  QAbstractButton::enterEvent(event);
}

void TJImageBtn::leaveEvent(QEvent* event) {
  // Leaving ends the press: a release outside must not bring the hover image back.
  over_ = false;
  pressed_ = false;
  update();
  QAbstractButton::leaveEvent(event);
}

void TJImageBtn::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    pressed_ = true;
    update();
  }
  QAbstractButton::mousePressEvent(event);
}

void TJImageBtn::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    pressed_ = false;
    update();
  }
  QAbstractButton::mouseReleaseEvent(event);
}

void TJImageBtn::mouseMoveEvent(QMouseEvent* event) {
  // While the mouse is held the pointer is grabbed and a leave may come late or not at all:
  // leaving the rectangle counts as leaving.
  if (over_ && !rect().contains(event->position().toPoint())) {
    over_ = false;
    pressed_ = false;
    update();
  }
  QAbstractButton::mouseMoveEvent(event);
}

void TJImageBtn::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange) update();
  QAbstractButton::changeEvent(event);
}

}  // namespace korvel
