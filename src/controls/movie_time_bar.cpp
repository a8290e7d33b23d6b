#include "controls/movie_time_bar.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

#include "project/tile_scale.h"

namespace korvel {

TMovieTimeBar::TMovieTimeBar(QWidget* parent) : QFrame(parent) {}

template <typename T>
void TMovieTimeBar::Change(T& field, const T& value) {
  if (field == value) return;
  field = value;
  update();
}

void TMovieTimeBar::SetTickHeight(int height) { Change(scale_.TickHeight, height); }
void TMovieTimeBar::SetTickHSub1(int shorter) { Change(scale_.TickHSub1, shorter); }
void TMovieTimeBar::SetTickHSub2(int shorter) { Change(scale_.TickHSub2, shorter); }
void TMovieTimeBar::SetTickMargin(int margin) { Change(scale_.TickMargin, margin); }
void TMovieTimeBar::SetTickInterval(int pixels) { Change(scale_.TickInterval, std::max(pixels, 1)); }
void TMovieTimeBar::SetTickSubTicks(int ticks) { Change(scale_.TickSubTicks, std::max(ticks, 1)); }
void TMovieTimeBar::SetTickTimeSec(int seconds) { Change(scale_.TickTimeSec, std::max(seconds, 1)); }
void TMovieTimeBar::SetColorTimeText(const QColor& color) { Change(colorTimeText_, color); }
void TMovieTimeBar::SetColorTick(const QColor& color) { Change(colorTick_, color); }
void TMovieTimeBar::SetPicStretch(bool stretch) { Change(picStretch_, stretch); }

void TMovieTimeBar::SetPicture(const QPixmap& picture) {
  picture_ = picture;
  update();
}

int32_t TMovieTimeBar::GetPosXFromTimeMS(int64_t ms) const { return GetPosXFromTimeMS(scale_.TickTimeSec, ms); }

int32_t TMovieTimeBar::GetPosXFromTimeMS(int32_t secondsPerMajor, int64_t ms) const {
  return korvel::GetPosXFromTimeMS(secondsPerMajor, ms, PixelsPerMajor());
}

int32_t TMovieTimeBar::GetTimeMSFromPosX(int64_t x) const {
  return korvel::GetTimeMSFromPosX(scale_.TickTimeSec, x, PixelsPerMajor());
}

void TMovieTimeBar::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  if (!picture_.isNull()) {
    if (picStretch_)
      painter.drawPixmap(rect(), picture_);
    else
      painter.drawPixmap(0, 0, picture_);
  }

  // Only the exposed columns: a ruler under a long project at a fine zoom is very wide.
  const QRect exposed = event->rect();
  const int bottom = height() - scale_.TickMargin;
  const QFontMetrics metrics = painter.fontMetrics();
  for (const TRulerTick& tick : RulerTicks(scale_, height(), exposed.left(), std::min(exposed.right() + 1, width()))) {
    painter.setPen(QPen(colorTick_, 1));
    painter.drawLine(tick.X, tick.Top, tick.X, bottom);
    if (!tick.Major) continue;
    painter.setPen(colorTimeText_);
    // The label's top-left corner stands 5 pixels right of the tick and 3 above its upper end.
    painter.drawText(tick.X + 5, tick.Top - 3 + metrics.ascent(), QString::fromStdString(RulerLabel(tick.Seconds)));
  }
  painter.end();
  if (OnPaint) {
    QPainter hook(this);
    OnPaint(*this, hook);
  }
}

}  // namespace korvel
