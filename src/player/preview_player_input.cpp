// The preview player's keys and mouse on the video panel and on both seek bars.
#include <QAction>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <cmath>

#include "controls/qd_track_bar.h"
#include "playback/player_steps.h"
#include "playback/seek_bar_values.h"
#include "player/preview_player.h"
#include "player/video_panel.h"

namespace korvel {

void TPreviewPlayer::InstallHooks() {
  RemoveHooks();
  for (QObject* watched : std::initializer_list<QObject*>{controls_.VideoPanel, controls_.SeekBar, controls_.FineSeekBar}) {
    if (!watched) continue;
    watched->installEventFilter(this);
    hooked_.emplace_back(watched);
  }
}

void TPreviewPlayer::RemoveHooks() {
  // The controls may already be gone when their window is torn down first.
  for (const QPointer<QObject>& watched : hooked_) {
    if (watched) watched->removeEventFilter(this);
  }
  hooked_.clear();
}

bool TPreviewPlayer::KeyDown(int key, Qt::KeyboardModifiers modifiers) {
  const bool control = modifiers & Qt::ControlModifier;
  switch (key) {
    case Qt::Key_PageDown: StepBack(kStepSecond); return true;
    case Qt::Key_PageUp: StepForward(kStepSecond); return true;
    case Qt::Key_Left: StepBack(control ? kStepSecond : kStepFrame); return true;
    case Qt::Key_Right: StepForward(control ? kStepSecond : kStepFrame); return true;
    case Qt::Key_Down: StepBack(kStepHundredth); return true;
    case Qt::Key_Up: StepForward(kStepHundredth); return true;
    default: break;
  }
  if (modifiers & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier)) return false;
  if (IsPlaying()) {
    Pause();
  } else {
    Play();
  }
  return true;
}

bool TPreviewPlayer::eventFilter(QObject* watched, QEvent* event) {
  if (watched == controls_.VideoPanel) return HandleVideoPanelEvent(event);
  if (watched == controls_.SeekBar) return HandleSeekBarEvent(*controls_.SeekBar, false, event);
  if (watched == controls_.FineSeekBar) return HandleSeekBarEvent(*controls_.FineSeekBar, true, event);
  return false;
}

bool TPreviewPlayer::HandleVideoPanelEvent(QEvent* event) {
  if (!IsFullScreen()) return false;
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
      case Qt::Key_Escape: SetFullScreen(false); return true;
      case Qt::Key_Home: GoToStart(); return true;
      case Qt::Key_End: GoToEnd(); return true;
      default: return KeyDown(key->key(), key->modifiers());
    }
  }
  if (event->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    if (IsPlaying()) {
      Pause();
    } else {
      Play();
    }
    return true;
  }
  return false;
}

bool TPreviewPlayer::HandleSeekBarEvent(TQdTrackBar& bar, bool fine, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress: {
      const auto* key = static_cast<QKeyEvent*>(event);
      switch (key->key()) {
        case Qt::Key_Escape: CloseFullScreenFromBar(); return true;
        case Qt::Key_Home:
          if (fine) {
            StepBack(StepSecondsKind(10));
          } else {
            GoToStart();
          }
          return true;
        case Qt::Key_End:
          if (fine) {
            StepForward(StepSecondsKind(10));
          } else {
            GoToEnd();
          }
          return true;
        default: return KeyDown(key->key(), key->modifiers());
      }
    }
    case QEvent::MouseButtonPress:
      // The bar itself puts its thumb under the pointer.
      if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) StartDragging(fine);
      return false;
    case QEvent::MouseButtonDblClick:
      if (fine && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) StartDragging(true);
      return true;
    case QEvent::MouseButtonRelease:
      if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) EndDragging(fine);
      return false;
    case QEvent::Wheel: {
      const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
      if (delta == 0) return true;
      const double step = fine ? FineSeekBarWheelStep(delta) : SeekBarWheelStep(delta, status_.duration);
      bar.setValue(bar.value() + static_cast<int>(std::lround(step)));
      if (fine) UpdatePosition();
      return true;
    }
    default:
      return false;
  }
}

void TPreviewPlayer::StartDragging(bool fine) {
  (fine ? fineSeekBarDragging_ : seekBarDragging_) = true;
  // While the pointer drags, a playing file holds without leaving the playing state.
  if (IsPlaying()) engine_->Hold();
}

void TPreviewPlayer::EndDragging(bool fine) {
  bool& dragging = fine ? fineSeekBarDragging_ : seekBarDragging_;
  if (!dragging) return;
  dragging = false;
  if (IsPlaying()) engine_->Run();
  if (fine) UpdatePosition();
}

void TPreviewPlayer::CloseFullScreenFromBar() {
  if (QAction* item = controls_.FullScreenMenuItem) {
    item->setEnabled(true);
    item->trigger();
  }
}

}  // namespace korvel
