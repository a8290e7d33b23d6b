// What the preview player shows: the state and position labels, both seek bars with the
// selection, the video panel's size and full screen.
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>

#include "base/time_text.h"
#include "controls/qd_track_bar.h"
#include "playback/seek_bar_values.h"
#include "playback/video_fit.h"
#include "player/preview_player.h"
#include "player/video_panel.h"

namespace korvel {

void TPreviewPlayer::SetControls(const TPreviewPlayerControls& controls) {
  RemoveHooks();
  controls_ = controls;
  // File names are text from outside: never rich text.
  for (QLabel* label : {controls_.PositionLabel, controls_.StateLabel}) {
    if (label) label->setTextFormat(Qt::PlainText);
  }
  if (controls_.Container) {
    controls_.Container->setAlignment(Qt::AlignCenter);
    if (controls_.VideoPanel) controls_.Container->setWidget(controls_.VideoPanel);
  }
  for (TQdTrackBar* bar : {controls_.SeekBar, controls_.FineSeekBar}) {
    if (bar) bar->setMaximum(kSeekBarMaximum);
  }
  ShowState();
  ShowPositionLabel(lastPosition_);
  ShowSelection();
}

void TPreviewPlayer::SetState(int32_t state) {
  status_.state = state;
  ShowState();
  if (OnStateChange) OnStateChange(*this, state);
}

void TPreviewPlayer::ShowState() {
  switch (status_.state) {
    case kPlayerStopped: ShowStateText(QStringLiteral("Stopped")); break;
    case kPlayerPaused: ShowStateText(QStringLiteral("Paused")); break;
    case kPlayerPlaying: ShowStateText(buffering_ ? QStringLiteral("Buffering...") : QStringLiteral("Playing...")); break;
    default: ShowStateText({}); break;
  }
}

void TPreviewPlayer::ShowStateText(const QString& text) {
  if (!controls_.StateLabel) return;
  if (fileName_.empty()) {
    controls_.StateLabel->clear();
  } else {
    controls_.StateLabel->setText(QString::fromStdString(fileName_.filename().string()) + QStringLiteral(" : ") + text.trimmed());
  }
  controls_.StateLabel->repaint();
}

void TPreviewPlayer::ShowPositionLabel(double position) {
  if (controls_.PositionLabel) {
    controls_.PositionLabel->setText(QString::fromStdString(TimeToTextCs(PlayerTimeToMs(position))) + positionSuffix_);
  }
}

void TPreviewPlayer::UpdatePosition() {
  if (!(status_.duration > 0)) return;
  const std::optional<double> position = GetPosition();
  if (!position) return;
  lastPosition_ = *position;
  ShowPositionLabel(*position);
  if (controls_.SeekBar && !seekBarDragging_) {
    controls_.SeekBar->setValue(SeekBarValue(*position, status_.duration, controls_.SeekBar->maximum()));
  }
  if (controls_.FineSeekBar && !fineSeekBarDragging_) {
    fineSeekCentreMs_ = FineSeekWindowAt(*position, status_.duration).centreMs;
    controls_.FineSeekBar->setValue(controls_.FineSeekBar->maximum() / 2);
  }
  ShowSelection();
}

void TPreviewPlayer::ShowSelection() {
  if (TQdTrackBar* bar = controls_.SeekBar) {
    bar->SetThumbVisible(!status_.noDuration);
    if (SelectionValid()) {
      bar->SetSelection(SeekBarValue(status_.selStart, status_.duration, bar->maximum()),
                        SeekBarValue(status_.selEnd, status_.duration, bar->maximum()));
    } else {
      bar->ClearSelection();
    }
  }
  if (TQdTrackBar* bar = controls_.FineSeekBar) {
    bar->SetThumbVisible(!status_.noDuration);
    if (SelectionValid()) {
      const FineSeekWindow window = FineSeekWindowAt(lastPosition_, status_.duration);
      bar->SetSelection(FineSeekBarMark(PlayerTimeToMs(status_.selStart), window, bar->maximum()),
                        FineSeekBarMark(PlayerTimeToMs(status_.selEnd), window, bar->maximum()));
    } else {
      bar->ClearSelection();
    }
  }
  if (OnSelectionShown) OnSelectionShown(*this);
}

void TPreviewPlayer::FitVideo() {
  TVideoPanel* panel = controls_.VideoPanel;
  if (!panel || IsFullScreen()) return;
  fittedVideoSize_ = engine_->VideoSize();
  const QSize video = fittedVideoSize_.expandedTo(QSize(1, 1));
  const QSize area = controls_.Container ? controls_.Container->viewport()->size() : QSize();
  const VideoFitSize fitted = FitVideoSize(video.width(), video.height(), area.width(), area.height());
  panel->resize(fitted.width, fitted.height);
  if (controls_.Container) {
    controls_.Container->horizontalScrollBar()->setValue(0);
    controls_.Container->verticalScrollBar()->setValue(0);
  }
}

void TPreviewPlayer::SetFullScreen(bool on) {
  restoreFullScreen_ = on;
  TVideoPanel* panel = controls_.VideoPanel;
  if (!panel || on == IsFullScreen()) return;
  if (on) {
    // The panel becomes a window of its own, still owned by its container.
    panel->setWindowFlags(Qt::Window);
    panel->showFullScreen();
    panel->setFocus();
  } else {
    panel->setWindowFlags(Qt::Widget);
    panel->showNormal();
    FitVideo();
  }
}

bool TPreviewPlayer::IsFullScreen() const {
  return controls_.VideoPanel && controls_.VideoPanel->isWindow() && controls_.VideoPanel->isFullScreen();
}

}  // namespace korvel
