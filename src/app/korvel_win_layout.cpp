// The main window's compact layout: the browser, the menu bar and the frame go and come back
// together; the clip panel on its own.
#include <QEvent>
#include <QMenuBar>
#include <QSplitter>

#include "app/korvel_win.h"
#include "base/compact_layout.h"
#include "player/preview_player.h"

namespace korvel {

bool TKorvelWin::BrowserShown() const { return !leftPanel_->isHidden(); }

bool TKorvelWin::ClipPanelShown() const { return !clipPanelPlace_->isHidden(); }

void TKorvelWin::ShowBrowser(bool show) {
  // The video is fitted once, after everything has moved.
  player_->Busy = true;
  leftPanel_->setVisible(show);
  ApplyFrame();
  player_->Busy = false;
  player_->FitVideo();
  RefreshCommands();
}

void TKorvelWin::ShowClipPanel(bool show) {
  player_->Busy = true;
  clipPanelPlace_->setVisible(show);
  player_->Busy = false;
  player_->FitVideo();
  RefreshCommands();
}

void TKorvelWin::ApplyFrame() {
  const TCompactLayout layout = CompactLayoutFor(BrowserShown(), isMaximized(), isMinimized());
  menuBar()->setVisible(layout.ShowMenuBar);
  const bool framed = !(windowFlags() & Qt::FramelessWindowHint);
  if (framed == layout.Framed) return;
  const Qt::WindowStates states = windowState();
  setWindowFlag(Qt::FramelessWindowHint, !layout.Framed);
  // A change of flags hides the window.
  setWindowState(states);
  show();
}

void TKorvelWin::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange && !firstShowPending_) ApplyFrame();
}

}  // namespace korvel
