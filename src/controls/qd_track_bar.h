#pragma once
// The player's seek bar: a horizontal slider whose channel the program paints itself, so that a
// selection (the clip being marked) shows in colours of the program's scheme, with evenly spaced
// ticks and a frame that follows the focus. A click moves the thumb under the pointer.
#include <QColor>
#include <QSlider>
#include <cstdint>
#include <functional>
#include <vector>

class QPainter;
class QStyleOptionSlider;

namespace korvel {

// Which selection colour applies: the pair that follows the focus, or one of two fixed ones.
enum class TQdTBClrChlSelItem { qdtbccsiNrm, qdtbccsiSpc1, qdtbccsiSpc2 };

// The parts of the bar, in the order they are drawn.
enum class TQdTrackBarItem { Ticks = 0, Channel = 1, Thumb = 2 };

class TQdTrackBar;

// Called for each part before it is drawn. useFixDraw starts true: the program's own drawing of
// the part follows unless the handler clears it. useDefDraw starts false: a handler sets it to
// have the style draw the part as a plain slider would.
using TQdTBCustomDrawEvent = std::function<void(TQdTrackBar& sender, TQdTrackBarItem item, const QRect& rect,
                                                QPainter& painter, bool& useFixDraw, bool& useDefDraw)>;

// A colour given as 0xBBGGRR.
QColor BgrColor(uint32_t bgr);

class TQdTrackBar : public QSlider {
  Q_OBJECT

public:
  explicit TQdTrackBar(QWidget* parent = nullptr);

  TQdTBCustomDrawEvent OnCustomDraw;

  // Inset in pixels at both ends of the channel, from the channel's ends to where the thumb's
  // centre stands at the minimum and the maximum.
  int TickOffset() const { return tickOffset_; }
  void SetTickOffset(int offset);

  QColor ColorFocusRect() const { return colorFocusRect_; }
  void SetColorFocusRect(const QColor& color);
  QColor ColorChlBgFocus() const { return colorChlBgFocus_; }
  void SetColorChlBgFocus(const QColor& color);
  QColor ColorChlBgNrm() const { return colorChlBgNrm_; }
  void SetColorChlBgNrm(const QColor& color);
  QColor ColorChlSelFocus() const { return colorChlSelFocus_; }
  void SetColorChlSelFocus(const QColor& color);
  QColor ColorChlSelNrm() const { return colorChlSelNrm_; }
  void SetColorChlSelNrm(const QColor& color);
  QColor ColorChlSelSpc1() const { return colorChlSelSpc1_; }
  void SetColorChlSelSpc1(const QColor& color);
  QColor ColorChlSelSpc2() const { return colorChlSelSpc2_; }
  void SetColorChlSelSpc2(const QColor& color);
  TQdTBClrChlSelItem ColorChlSelItem() const { return colorChlSelItem_; }
  void SetColorChlSelItem(TQdTBClrChlSelItem item);

  // The program's own ticks in the channel.
  bool DrawTick() const { return drawTick_; }
  void SetDrawTick(bool draw);
  QColor ColorTick() const { return colorTick_; }
  void SetColorTick(const QColor& color);
  int TickCount() const { return tickCount_; }
  void SetTickCount(int count);

  // Thin marks across the upper part of the channel at the given values (the open file's key
  // frames); thousands of them share the few columns there are.
  const std::vector<int32_t>& KeyFrameMarks() const { return keyFrameMarks_; }
  void SetKeyFrameMarks(std::vector<int32_t> values);
  QColor ColorKeyFrame() const { return colorKeyFrame_; }
  void SetColorKeyFrame(const QColor& color);

  // The sunken edge around the channel; without it the selection keeps a pixel from each edge.
  bool Ctl3D() const { return ctl3D_; }
  void SetCtl3D(bool on);

  // The selection, in the bar's values; none is drawn while it is cleared.
  bool HasSelection() const { return hasSelection_; }
  int SelStart() const { return selStart_; }
  int SelEnd() const { return selEnd_; }
  // start after end clears the selection.
  void SetSelection(int start, int end);
  void ClearSelection();

  // The thumb is hidden while there is nothing to seek in.
  bool ThumbVisible() const { return thumbVisible_; }
  void SetThumbVisible(bool visible);

  // Where the channel is painted: as wide as the thumb's travel plus TickOffset at each end.
  QRect ChannelRect() const;
  // The value whose thumb stands centred under x.
  int ValueAtX(int x) const;

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

private:
  template <typename T>
  void Change(T& field, const T& value);
  QRect HandleRect(const QStyleOptionSlider& option) const;
  // Runs the handler for a part; true when the style should draw it.
  bool CustomDraw(TQdTrackBarItem item, const QRect& rect, QPainter& painter, bool fixedDrawsIt);
  void DrawChannel(QPainter& painter, const QRect& channel);
  void DrawKeyFrameMarks(QPainter& painter, const QRect& channel);
  QColor SelectionColor() const;

  int tickOffset_ = 4;
  QColor colorFocusRect_ = BgrColor(0x000000);
  QColor colorChlBgFocus_ = BgrColor(0x6F6F6F);
  QColor colorChlBgNrm_ = BgrColor(0x4F4F4F);
  QColor colorChlSelFocus_ = BgrColor(0x7F3F1F);
  QColor colorChlSelNrm_ = BgrColor(0x3F2F1F);
  QColor colorChlSelSpc1_ = BgrColor(0x0000FF);
  QColor colorChlSelSpc2_ = BgrColor(0xFF0000);
  TQdTBClrChlSelItem colorChlSelItem_ = TQdTBClrChlSelItem::qdtbccsiNrm;
  bool drawTick_ = false;
  QColor colorTick_ = BgrColor(0xCCCCCC);
  int tickCount_ = 10;
  std::vector<int32_t> keyFrameMarks_;
  QColor colorKeyFrame_ = BgrColor(0x40C8F0);
  bool ctl3D_ = true;
  bool hasSelection_ = false;
  int selStart_ = 0;
  int selEnd_ = 0;
  bool thumbVisible_ = true;
};

}  // namespace korvel
