#include "controls/qd_track_bar.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>
#include <qdrawutil.h>

#include <utility>

#include "base/track_bar_geometry.h"

namespace korvel {

namespace {

// Tall enough for the selection to show between the sunken edges.
constexpr int kMinChannelHeight = 10;
constexpr int kEdgeWidth = 2;

}  // namespace

QColor BgrColor(uint32_t bgr) { return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF)); }

TQdTrackBar::TQdTrackBar(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
  setFocusPolicy(Qt::StrongFocus);
  setMinimumHeight(24);
}

template <typename T>
void TQdTrackBar::Change(T& field, const T& value) {
  if (field == value) return;
  field = value;
  update();
}

void TQdTrackBar::SetTickOffset(int offset) { Change(tickOffset_, offset); }
void TQdTrackBar::SetColorFocusRect(const QColor& color) { Change(colorFocusRect_, color); }
void TQdTrackBar::SetColorChlBgFocus(const QColor& color) { Change(colorChlBgFocus_, color); }
void TQdTrackBar::SetColorChlBgNrm(const QColor& color) { Change(colorChlBgNrm_, color); }
void TQdTrackBar::SetColorChlSelFocus(const QColor& color) { Change(colorChlSelFocus_, color); }
void TQdTrackBar::SetColorChlSelNrm(const QColor& color) { Change(colorChlSelNrm_, color); }
void TQdTrackBar::SetColorChlSelSpc1(const QColor& color) { Change(colorChlSelSpc1_, color); }
void TQdTrackBar::SetColorChlSelSpc2(const QColor& color) { Change(colorChlSelSpc2_, color); }
void TQdTrackBar::SetColorChlSelItem(TQdTBClrChlSelItem item) { Change(colorChlSelItem_, item); }
void TQdTrackBar::SetDrawTick(bool draw) { Change(drawTick_, draw); }
void TQdTrackBar::SetColorTick(const QColor& color) { Change(colorTick_, color); }
void TQdTrackBar::SetTickCount(int count) { Change(tickCount_, count); }
void TQdTrackBar::SetColorKeyFrame(const QColor& color) { Change(colorKeyFrame_, color); }

void TQdTrackBar::SetKeyFrameMarks(std::vector<int32_t> values) {
  if (values == keyFrameMarks_) return;
  keyFrameMarks_ = std::move(values);
  update();
}

void TQdTrackBar::SetCtl3D(bool on) { Change(ctl3D_, on); }
void TQdTrackBar::SetThumbVisible(bool visible) { Change(thumbVisible_, visible); }

void TQdTrackBar::SetSelection(int start, int end) {
  if (start > end) {
    ClearSelection();
    return;
  }
  if (hasSelection_ && selStart_ == start && selEnd_ == end) return;
  hasSelection_ = true;
  selStart_ = start;
  selEnd_ = end;
  update();
}

void TQdTrackBar::ClearSelection() { Change(hasSelection_, false); }

QRect TQdTrackBar::HandleRect(const QStyleOptionSlider& option) const {
  return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
}

QRect TQdTrackBar::ChannelRect() const {
  QStyleOptionSlider option;
  initStyleOption(&option);
  const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
  const QRect handle = HandleRect(option);
  // The thumb's centre travels the bar less half a thumb at each end; the channel reaches
  // TickOffset beyond both, so that a selection sits under the thumb.
  const int half = handle.width() / 2;
  // A large inset stops at the one-pixel frame.
  const int left = std::max(option.rect.left() + half - tickOffset_, 1);
  const int right =
      std::min(option.rect.left() + option.rect.width() - (handle.width() - half) + tickOffset_, width() - 1);
  const int height = std::max(groove.height(), kMinChannelHeight);
  QRect channel(left, 0, right - left, height);
  channel.moveCenter(QPoint(channel.center().x(), handle.center().y()));
  return channel;
}

int TQdTrackBar::ValueAtX(int x) const {
  QStyleOptionSlider option;
  initStyleOption(&option);
  // The style places the thumb's left edge along the bar's width less one thumb.
  const int length = HandleRect(option).width();
  return QStyle::sliderValueFromPosition(minimum(), maximum(), x - option.rect.left() - length / 2,
                                         option.rect.width() - length, option.upsideDown);
}

void TQdTrackBar::mousePressEvent(QMouseEvent* event) {
  QStyleOptionSlider option;
  initStyleOption(&option);
  const bool onThumb = HandleRect(option).contains(event->position().toPoint());
  if (event->button() == Qt::LeftButton && !onThumb) {
    // The thumb comes under the pointer first, so that the press below takes hold of it and a
    // drag carries on from there.
    setSliderPosition(ValueAtX(event->position().toPoint().x()));
    triggerAction(SliderMove);
  }
  QSlider::mousePressEvent(event);
}

bool TQdTrackBar::CustomDraw(TQdTrackBarItem item, const QRect& rect, QPainter& painter, bool fixedDrawsIt) {
  bool useFixDraw = true;
  bool useDefDraw = false;
  if (OnCustomDraw) {
    painter.save();
    OnCustomDraw(*this, item, rect, painter, useFixDraw, useDefDraw);
    painter.restore();
  }
  if (useFixDraw) {
    if (fixedDrawsIt)
      DrawChannel(painter, rect);
    else
      useDefDraw = true;
  }
  return useDefDraw;
}

QColor TQdTrackBar::SelectionColor() const {
  switch (colorChlSelItem_) {
    case TQdTBClrChlSelItem::qdtbccsiSpc1: return colorChlSelSpc1_;
    case TQdTBClrChlSelItem::qdtbccsiSpc2: return colorChlSelSpc2_;
    case TQdTBClrChlSelItem::qdtbccsiNrm: break;
  }
  return hasFocus() ? colorChlSelFocus_ : colorChlSelNrm_;
}

void TQdTrackBar::DrawChannel(QPainter& painter, const QRect& channel) {
  painter.save();
  painter.setPen(colorFocusRect_);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  painter.fillRect(channel, hasFocus() ? colorChlBgFocus_ : colorChlBgNrm_);

  if (hasSelection_) {
    const ChannelSpan span =
        SelectionSpan({channel.left(), channel.width(), tickOffset_, minimum(), maximum()}, selStart_, selEnd_);
    QRect selection(QPoint(span.Left, channel.top()), QPoint(span.Right - 1, channel.bottom()));
    if (!ctl3D_) selection.adjust(1, 1, -1, -1);
    painter.fillRect(selection, SelectionColor());
  }

  DrawKeyFrameMarks(painter, channel);

  if (drawTick_) {
    painter.setPen(colorTick_);
    const int top = channel.top() + channel.height() * 2 / 3;
    const int bottom = channel.top() + channel.height() - 2;
    for (const int x : TickColumns(channel.left(), channel.width(), tickCount_))
      if (bottom > top) painter.drawLine(x, top, x, bottom - 1);
  }

  if (ctl3D_) qDrawShadePanel(&painter, channel, palette(), true, kEdgeWidth);
  painter.restore();
}

void TQdTrackBar::DrawKeyFrameMarks(QPainter& painter, const QRect& channel) {
  if (keyFrameMarks_.empty()) return;
  // Inside the sunken edge, over the upper half, so that the lower ticks stay apart.
  const int top = channel.top() + kEdgeWidth;
  const int bottom = channel.top() + channel.height() / 2;
  if (bottom < top) return;
  QVector<QLine> lines;
  for (const int32_t x :
       MarkColumns({channel.left(), channel.width(), tickOffset_, minimum(), maximum()}, keyFrameMarks_))
    lines.append(QLine(x, top, x, bottom));
  painter.setPen(colorKeyFrame_);
  painter.drawLines(lines);
}

void TQdTrackBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QStyleOptionSlider option;
  initStyleOption(&option);

  if (option.tickPosition != NoTicks) {
    QStyleOptionSlider ticks = option;
    ticks.subControls = QStyle::SC_SliderTickmarks;
    if (CustomDraw(TQdTrackBarItem::Ticks, rect(), painter, false))
      style()->drawComplexControl(QStyle::CC_Slider, &ticks, &painter, this);
  }

  const QRect channel = ChannelRect();
  if (CustomDraw(TQdTrackBarItem::Channel, channel, painter, true)) {
    QStyleOptionSlider groove = option;
    groove.subControls = QStyle::SC_SliderGroove;
    style()->drawComplexControl(QStyle::CC_Slider, &groove, &painter, this);
  }

  if (thumbVisible_) {
    QStyleOptionSlider thumb = option;
    thumb.subControls = QStyle::SC_SliderHandle;
    const QRect handle = HandleRect(option);
    if (CustomDraw(TQdTrackBarItem::Thumb, handle, painter, false)) {
      // A style sheet's style fills the whole bar with its background before any part it
      // draws; kept to the thumb, that fill cannot cover the channel.
      painter.save();
      painter.setClipRect(handle);
      style()->drawComplexControl(QStyle::CC_Slider, &thumb, &painter, this);
      painter.restore();
    }
  }
}

}  // namespace korvel
