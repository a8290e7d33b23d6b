#include "controls/movie_clip.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "base/tile_text_columns.h"

namespace korvel {

namespace {

constexpr int kText1Top = 16;
constexpr int kText2Top = 39;

}  // namespace

TMovieClip::TMovieClip(QWidget* parent) : QFrame(parent) {}

template <typename T>
void TMovieClip::Change(T& field, const T& value) {
  if (field == value) return;
  field = value;
  update();
}

void TMovieClip::SetText1(const QString& text) { Change(text1_, text); }
void TMovieClip::SetText2(const QString& text) { Change(text2_, text); }
void TMovieClip::SetSelected(bool selected) { Change(selected_, selected); }
void TMovieClip::SetParentFocused(bool focused) { Change(parentFocused_, focused); }
void TMovieClip::SetColorText1(const QColor& color) { Change(colorText1_, color); }
void TMovieClip::SetColorText2(const QColor& color) { Change(colorText2_, color); }
void TMovieClip::SetColorSelected(const QColor& color) { Change(colorSelected_, color); }
void TMovieClip::SetPicStretch(bool stretch) { Change(picStretch_, stretch); }
void TMovieClip::SetColor(const QColor& color) { Change(color_, color); }

void TMovieClip::SetPicture(const QPixmap& picture) {
  picture_ = picture;
  update();
}

void TMovieClip::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.fillRect(event->rect(), color_);
  drawFrame(&painter);

  const QRect exposed = event->rect();
  if (exposed.intersects(QRect(kPicLeft, kPicTop, kPicWidth, kPicHeight))) PaintPicture(painter);

  const QFontMetrics metrics = painter.fontMetrics();
  // Only the copies that reach the exposed columns: a tile can be very wide.
  for (const int32_t x : TileTextColumns(width(), exposed.left(), exposed.right() + 1)) {
    painter.setPen(colorText1_);
    painter.drawText(x, kText1Top + metrics.ascent(), text1_);
    painter.setPen(colorText2_);
    painter.drawText(x, kText2Top + metrics.ascent(), text2_);
  }

  if (selected_ && parentFocused_) {
    painter.setPen(QPen(colorSelected_, 1, Qt::DotLine));
    painter.drawRect(2, 2, width() - 5, height() - 5);
  }
  painter.end();
  if (OnPaint) {
    QPainter hook(this);
    OnPaint(*this, hook);
  }
}

void TMovieClip::PaintPicture(QPainter& painter) const {
  if (picture_.isNull()) return;
  const QRect box(kPicLeft, kPicTop, kPicWidth, kPicHeight);
  if (picStretch_) {
    painter.drawPixmap(box, picture_);
    return;
  }
  // Unscaled: a larger picture shows its middle, a smaller one stands centred on black.
  const int w = picture_.width();
  const int h = picture_.height();
  if (w < kPicWidth || h < kPicHeight) painter.fillRect(box, Qt::black);
  const QRect source(w >= kPicWidth ? (w - kPicWidth) / 2 : 0, h >= kPicHeight ? (h - kPicHeight) / 2 : 0,
                     std::min(w, kPicWidth), std::min(h, kPicHeight));
  const QPoint target(w >= kPicWidth ? kPicLeft : kPicLeft + (kPicWidth - w) / 2,
                      h >= kPicHeight ? kPicTop : kPicTop + (kPicHeight - h) / 2);
  painter.drawPixmap(target, picture_, source);
}

}  // namespace korvel
