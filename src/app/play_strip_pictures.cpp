#include "app/play_strip_pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <array>

namespace korvel {

namespace {

// The symbols are drawn on a 20 x 20 grid.
constexpr qreal kGrid = 20.0;

QPainterPath Triangle(qreal left, qreal top, qreal right, qreal bottom, bool pointsRight) {
  QPainterPath path;
  const qreal middle = (top + bottom) / 2;
  if (pointsRight) {
    path.moveTo(left, top);
    path.lineTo(right, middle);
    path.lineTo(left, bottom);
  } else {
    path.moveTo(right, top);
    path.lineTo(left, middle);
    path.lineTo(right, bottom);
  }
  path.closeSubpath();
  return path;
}

QPainterPath Bar(qreal left, qreal top, qreal width, qreal height) {
  QPainterPath path;
  path.addRect(left, top, width, height);
  return path;
}

// A bracket for a selection mark: opening on the left for the start, closing for the end.
QPainterPath Bracket(qreal x, bool opening) {
  const qreal arm = opening ? 4.0 : -4.0;
  QPainterPath path = Bar(opening ? x : x - 2, 3, 2, 14);
  path.addRect(opening ? x : x + arm, 3, 4, 2);
  path.addRect(opening ? x : x + arm, 15, 4, 2);
  return path;
}

// A magnifying glass whose lens is left free for a sign.
QPainterPath Magnifier() {
  QPainterPath path;
  path.addEllipse(QPointF(8.5, 8.5), 5.5, 5.5);
  path.moveTo(12.5, 12.5);
  path.lineTo(17, 17);
  return path;
}

// Filled outlines of the symbol, plus the strokes that are lines rather than areas.
void DrawSymbol(QPainter& painter, TStripSymbol symbol, const QColor& colour) {
  QPainterPath fill;
  QPainterPath stroke;
  switch (symbol) {
    case TStripSymbol::HideFile:
      stroke.addRect(2.5, 3.5, 15, 13);
      fill = Bar(3, 4, 5, 12);
      break;
    case TStripSymbol::HideClips:
      stroke.addRect(2.5, 3.5, 15, 13);
      fill = Bar(3, 12, 14, 4);
      break;
    case TStripSymbol::MediaClose:
      fill.moveTo(10, 3);
      fill.lineTo(17, 11);
      fill.lineTo(3, 11);
      fill.closeSubpath();
      fill.addRect(3, 13, 14, 3);
      break;
    case TStripSymbol::Pause:
      fill = Bar(5, 4, 3.5, 12);
      fill.addRect(11.5, 4, 3.5, 12);
      break;
    case TStripSymbol::Play: fill = Triangle(5, 3, 16, 17, true); break;
    case TStripSymbol::FullScreen:
      for (const auto& [x, y, dx, dy] : {std::array<qreal, 4>{3, 3, 1, 1}, {17, 3, -1, 1}, {3, 17, 1, -1}, {17, 17, -1, -1}}) {
        stroke.moveTo(x, y + 5 * dy);
        stroke.lineTo(x, y);
        stroke.lineTo(x + 5 * dx, y);
      }
      break;
    case TStripSymbol::Home:
      fill = Bar(3, 4, 2.5, 12);
      fill.addPath(Triangle(6, 4, 16, 16, false));
      break;
    case TStripSymbol::Prior:
      fill = Triangle(3, 5, 10, 15, false);
      fill.addPath(Triangle(10, 5, 17, 15, false));
      break;
    case TStripSymbol::Next:
      fill = Triangle(3, 5, 10, 15, true);
      fill.addPath(Triangle(10, 5, 17, 15, true));
      break;
    case TStripSymbol::End:
      fill = Triangle(4, 4, 14, 16, true);
      fill.addRect(14.5, 4, 2.5, 12);
      break;
    case TStripSymbol::UnlinkClip:
      stroke.addRoundedRect(2.5, 7.5, 7, 5, 2.5, 2.5);
      stroke.addRoundedRect(10.5, 7.5, 7, 5, 2.5, 2.5);
      stroke.moveTo(8, 4);
      stroke.lineTo(12, 16);
      break;
    case TStripSymbol::SelStart:
      fill = Bracket(4, true);
      fill.addPath(Triangle(10, 6, 17, 14, true));
      break;
    case TStripSymbol::GoToSelStart:
      fill = Bracket(14, true);
      fill.addPath(Triangle(3, 6, 11, 14, true));
      break;
    case TStripSymbol::GoToSelEnd:
      fill = Bracket(6, false);
      fill.addPath(Triangle(9, 6, 17, 14, false));
      break;
    case TStripSymbol::SelEnd:
      fill = Bracket(16, false);
      fill.addPath(Triangle(3, 6, 10, 14, false));
      break;
    case TStripSymbol::AddClip:
      stroke.addRect(2.5, 5.5, 11, 9);
      fill = Bar(14, 9, 5, 2);
      fill.addRect(15.5, 7.5, 2, 5);
      break;
    case TStripSymbol::CopyClip:
      stroke.addRect(2.5, 3.5, 10, 8);
      stroke.addRect(7.5, 8.5, 10, 8);
      break;
    case TStripSymbol::Produce:
      stroke.addRect(2.5, 4.5, 9, 11);
      fill = Triangle(12, 5, 18, 15, true);
      break;
    case TStripSymbol::ZoomIn:
      stroke = Magnifier();
      fill = Bar(5.5, 7.75, 6, 1.5);
      fill.addRect(7.75, 5.5, 1.5, 6);
      break;
    case TStripSymbol::ZoomFit:
      stroke = Magnifier();
      fill = Triangle(5, 6, 8, 11, false);
      fill.addPath(Triangle(9, 6, 12, 11, true));
      break;
    case TStripSymbol::ZoomOut:
      stroke = Magnifier();
      fill = Bar(5.5, 7.75, 6, 1.5);
      break;
  }
  painter.setPen(stroke.isEmpty() ? Qt::NoPen : QPen(colour, 1.6, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(stroke);
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  painter.drawPath(fill);
}

QPixmap Picture(TStripSymbol symbol, int side, qreal ratio, const QColor& symbolColour, const QColor& background,
                qreal shift) {
  QPixmap pixmap(QSize(side, side) * ratio);
  pixmap.setDevicePixelRatio(ratio);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  if (background.isValid()) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(background);
    painter.drawRoundedRect(QRectF(0, 0, side, side), 3, 3);
  }
  const qreal scale = side / (kGrid + 4);
  painter.translate(2 * scale + shift, 2 * scale + shift);
  painter.scale(scale, scale);
  DrawSymbol(painter, symbol, symbolColour);
  return pixmap;
}

}  // namespace

TStripPictures StripPictures(TStripSymbol symbol, int side, qreal devicePixelRatio) {
  return {
      .Def = Picture(symbol, side, devicePixelRatio, QColor(0xC8, 0xC8, 0xC8), QColor(), 0),
      .Over = Picture(symbol, side, devicePixelRatio, Qt::white, QColor(0x3C, 0x3C, 0x3C), 0),
      .Down = Picture(symbol, side, devicePixelRatio, QColor(0xFF, 0xD8, 0x40), QColor(0x50, 0x50, 0x50), 1),
      .Dis = Picture(symbol, side, devicePixelRatio, QColor(0x58, 0x58, 0x58), QColor(), 0),
  };
}

}  // namespace korvel
