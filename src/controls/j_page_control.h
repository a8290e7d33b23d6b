#pragma once
// A page control whose tabs are painted in the program's colours, with a yellow bar on the active
// tab, so that the browser's folder and file pages fit the dark window. The page frame is hidden
// and the pages take its room.
#include <QColor>
#include <QTabWidget>
#include <functional>

class QPainter;

namespace korvel {

class TJPageControl;

// Draws tab index in rect; active is true for the current tab.
using TJDrawTabEvent = std::function<void(TJPageControl& sender, QPainter& painter, int index, const QRect& rect, bool active)>;

class TJPageControl : public QTabWidget {
  Q_OBJECT

public:
  explicit TJPageControl(QWidget* parent = nullptr);

  // Fill of the inactive tabs and of the active one; both start as the style's button colour.
  QColor TabColor() const { return tabColor_; }
  void SetTabColor(const QColor& color);
  QColor TabActiveColor() const { return tabActiveColor_; }
  void SetTabActiveColor(const QColor& color);

  // Off: the style draws the tabs. On: OnDrawTab draws them when set, else the control does.
  bool OwnerDraw() const { return ownerDraw_; }
  void SetOwnerDraw(bool on);
  TJDrawTabEvent OnDrawTab;

  // The control's own drawing of one tab.
  void DrawTab(QPainter& painter, int index, const QRect& rect, bool active) const;

private:
  friend class TJPageTabBar;
  void PaintTabs(QPainter& painter);

  QColor tabColor_;
  QColor tabActiveColor_;
  bool ownerDraw_ = false;
};

}  // namespace korvel
