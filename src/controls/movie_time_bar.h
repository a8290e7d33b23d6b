#pragma once
// The time ruler above the clip tiles: a background picture, a row of ticks along the bottom
// edge with a time label at every major tick, and the conversion between milliseconds and the
// pixel columns the tiles are placed at. Zooming changes TickTimeSec only, so every zoom draws
// the same ticks with other labels.
#include <QColor>
#include <QFrame>
#include <QPixmap>
#include <cstdint>
#include <functional>

#include "base/ruler_ticks.h"

namespace korvel {

class TMovieTimeBar : public QFrame {
  Q_OBJECT

public:
  explicit TMovieTimeBar(QWidget* parent = nullptr);

  // Called after the bar has painted itself.
  std::function<void(TMovieTimeBar& bar, QPainter& painter)> OnPaint;

  int TickHeight() const { return scale_.TickHeight; }
  void SetTickHeight(int height);
  int TickHSub1() const { return scale_.TickHSub1; }
  void SetTickHSub1(int shorter);
  int TickHSub2() const { return scale_.TickHSub2; }
  void SetTickHSub2(int shorter);
  int TickMargin() const { return scale_.TickMargin; }
  void SetTickMargin(int margin);
  // Values below 1 are stored as 1.
  int TickInterval() const { return scale_.TickInterval; }
  void SetTickInterval(int pixels);
  int TickSubTicks() const { return scale_.TickSubTicks; }
  void SetTickSubTicks(int ticks);
  int TickTimeSec() const { return scale_.TickTimeSec; }
  void SetTickTimeSec(int seconds);

  QColor ColorTimeText() const { return colorTimeText_; }
  void SetColorTimeText(const QColor& color);
  QColor ColorTick() const { return colorTick_; }
  void SetColorTick(const QColor& color);
  const QPixmap& Picture() const { return picture_; }
  void SetPicture(const QPixmap& picture);
  bool PicStretch() const { return picStretch_; }
  void SetPicStretch(bool stretch);

  // Pixels per major interval: TickInterval x TickSubTicks.
  int PixelsPerMajor() const { return scale_.TickInterval * scale_.TickSubTicks; }

  // The column of a time at the bar's scale, or at another number of seconds per major
  // interval (to try a zoom step before taking it).
  int32_t GetPosXFromTimeMS(int64_t ms) const;
  int32_t GetPosXFromTimeMS(int32_t secondsPerMajor, int64_t ms) const;
  int32_t GetTimeMSFromPosX(int64_t x) const;

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  template <typename T>
  void Change(T& field, const T& value);

  TRulerScale scale_;
  QColor colorTimeText_ = Qt::black;
  QColor colorTick_ = Qt::black;
  QPixmap picture_;
  bool picStretch_ = false;
};

}  // namespace korvel
