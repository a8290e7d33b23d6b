#include "player/preview_player.h"

#include <algorithm>

#include "app/environment.h"
#include "base/time_text.h"
#include "playback/player_marks.h"
#include "playback/player_steps.h"
#include "playback/seek_bar_values.h"
#include "player/video_panel.h"
#include "controls/qd_track_bar.h"

namespace korvel {

TPreviewPlayer::TPreviewPlayer(std::unique_ptr<IPlayerEngine> engine, QObject* parent)
    : QObject(parent), engine_(std::move(engine)) {
  engine_->SetHandlers({
      .playEnded = [this] {
        if (IsPlaying()) EndOfPlay();
      },
      .bufferingChanged = [this](bool buffering) {
        buffering_ = buffering;
        ShowState();
      },
      .pictureChanged = [this] {
        if (!controls_.VideoPanel) return;
        controls_.VideoPanel->SetPicture(engine_->CurrentPicture());
        // An engine may learn the video's size only with its first picture, after opening.
        if (engine_->VideoSize() != fittedVideoSize_) FitVideo();
      },
  });
  CloseFile();
}

TPreviewPlayer::~TPreviewPlayer() {
  RemoveHooks();
  engine_->SetHandlers({});
}

bool TPreviewPlayer::OpenFile(const std::filesystem::path& name) {
  CloseFile();
  if (name.empty() || !LoadIntoEngine(name)) return false;
  // The exact name: a Linux file name may well end in a blank.
  fileName_ = name;
  SetState(kPlayerStopped);
  if (AutoPlay) {
    if (restoreFullScreen_) SetFullScreen(true);
    Play();
  }
  return true;
}

bool TPreviewPlayer::LoadIntoEngine(const std::filesystem::path& name) {
  fileName_ = name;
  ShowStateText(QStringLiteral("Opening..."));
  fileName_.clear();
  const bool opened = engine_->Open(name);
  ShowStateText({});
  if (!opened) {
    if (ErrorBox) {
      SystemMessageBox(QString(), QString::fromStdString(name.string()) + QStringLiteral("\n\nFail to open the file."),
                       kMsgInformation);
    }
    return false;
  }
  status_.duration = engine_->Duration();
  status_.selEnd = status_.duration;
  stopAtMark_ = true;
  status_.noDuration = !(status_.duration > 0);
  status_.canSeek = engine_->CanSeek();
  positionSuffix_ = QStringLiteral(" / ") + QString::fromStdString(TimeToTextCs(PlayerTimeToMs(status_.duration)));
  ShowPositionLabel(0.0);
  ShowSelection();
  const double framesPerSecond = engine_->FramesPerSecond();
  if (framesPerSecond >= 1.0) {
    framesPerSecond_ = framesPerSecond;
    frameDuration_ = 1.0 / framesPerSecond;
  }
  audioOutputs_ = engine_->AudioTrackCount();
  SelectAudio();
  FitVideo();
  return true;
}

void TPreviewPlayer::SelectAudio() {
  // With no audio there is nothing to choose: play none and keep the owner's choice for the next
  // file.
  if (audioOutputs_ <= 0) {
    engine_->SelectAudioTrack(-1);
    return;
  }
  SelectedAudioIndex = std::clamp(SelectedAudioIndex, 0, audioOutputs_ - 1);
  engine_->SelectAudioTrack(SelectedAudioIndex);
}

void TPreviewPlayer::CloseFile() {
  const bool wasOpen = IsOpen();
  if (wasOpen) {
    // The next file comes back in full screen only when the user left it on.
    const bool restoreFullScreen = restoreFullScreen_ && IsFullScreen();
    SetFullScreen(false);
    restoreFullScreen_ = restoreFullScreen;
    if (const auto closing = ClosingPosition(logicalPosition_, status_.duration)) SetPosition(*closing);
    Stop(false);
  }
  engine_->Close();
  ResetFileFields();
  if (controls_.VideoPanel) controls_.VideoPanel->SetPicture({});
  ShowSelection();
  positionSuffix_ = QStringLiteral(" / ") + QString::fromStdString(TimeToTextCs(0));
  ShowPositionLabel(0.0);
  SetState(kPlayerClosed);
}

void TPreviewPlayer::ResetFileFields() {
  fileName_.clear();
  buffering_ = false;
  framesPerSecond_ = 1.0;
  frameDuration_ = 0.0166;
  status_.duration = status_.selStart = status_.selEnd = 0.0;
  logicalPosition_ = lastPosition_ = 0.0;
  fineSeekCentreMs_ = 0;
  stopAtMark_ = true;
  status_.canSeek = false;
  status_.noDuration = true;
  audioOutputs_ = 0;
  fittedVideoSize_ = QSize();
  Busy = false;
}

bool TPreviewPlayer::SetStopTime(bool fullLength) {
  const bool atMark = !fullLength && SelectionValid();
  const bool set = engine_->SetStopTime(atMark ? std::optional<double>(status_.selEnd) : std::nullopt);
  if (!fullLength) stopAtMark_ = set;
  return set;
}

bool TPreviewPlayer::SetPosition(double seconds) {
  if (status_.noDuration || (!status_.canSeek && seconds > 0)) return false;
  const double target = std::clamp(seconds, 0.0, status_.duration);
  if (!engine_->Seek(target)) return false;
  logicalPosition_ = target;
  return true;
}

std::optional<double> TPreviewPlayer::GetPosition() const {
  if (!IsOpen()) return std::nullopt;
  if (IsPlaying()) return engine_->Position();
  return logicalPosition_;
}

void TPreviewPlayer::Seek(double seconds) {
  SetPosition(seconds);
  UpdatePosition();
}

void TPreviewPlayer::Play() {
  if (!CanPlay()) return;
  SetStopTime(false);
  ShowSelection();
  if (logicalPosition_ >= status_.selEnd) {
    // No looping: at or after the end mark, playing only goes back to the start mark.
    SetPosition(status_.selStart);
    SetStopTime(true);
    UpdatePosition();
    return;
  }
  SetPosition(logicalPosition_);
  if (engine_->Run()) SetState(kPlayerPlaying);
}

void TPreviewPlayer::Pause() {
  if (!IsPlaying()) return;
  SetStopTime(true);
  const double position = engine_->Position().value_or(logicalPosition_);
  if (!engine_->Hold()) return;
  SetPosition(position);
  SetState(kPlayerPaused);
}

void TPreviewPlayer::Stop(bool rewind) {
  if (!CanStop()) return;
  SetStopTime(true);
  const double position = IsPlaying() ? engine_->Position().value_or(logicalPosition_) : logicalPosition_;
  if (!engine_->Hold()) return;
  SetPosition(position);
  SetState(kPlayerStopped);
  if (rewind) Seek(SelectionValid() ? status_.selStart : 0.0);
}

void TPreviewPlayer::EndOfPlay() {
  Stop(true);
  if (OnEnd) OnEnd(*this);
}

std::pair<bool, int> TPreviewPlayer::CheckPlayEnd() {
  if (!IsPlaying()) return {false, 1000};
  const std::optional<double> position = engine_->Position();
  if (!position) return {true, 100};
  if (*position >= status_.selEnd) {
    EndOfPlay();
    return IsPlaying() ? std::pair{true, 50} : std::pair{false, 1000};
  }
  return {true, CheckPlayEndInterval(*position, status_.selEnd)};
}

void TPreviewPlayer::GoToStart() {
  if (CanRewind()) Seek(0.0);
}

void TPreviewPlayer::GoToEnd() {
  if (CanStep()) Seek(status_.duration);
}

void TPreviewPlayer::StepTo(int32_t kind, bool forward) {
  if (!CanStep()) return;
  Seek(StepTarget(logicalPosition_, kind, forward, frameDuration_, status_.duration));
}

void TPreviewPlayer::StepBack(int32_t kind) { StepTo(kind, false); }

void TPreviewPlayer::StepForward(int32_t kind) { StepTo(kind, true); }

void TPreviewPlayer::GoToSelStart() { Seek(status_.selStart); }

void TPreviewPlayer::GoToSelEnd() { Seek(status_.selEnd); }

bool TPreviewPlayer::MarkSelStart() {
  if (!CanMarkStart()) return false;
  const std::optional<double> position = GetPosition();
  if (!position) return false;
  const auto marked = MarkedStart({status_.selStart, status_.selEnd}, *position, status_.duration);
  if (!marked) return false;
  if (marked->end != status_.selEnd) stopAtMark_ = true;
  status_.selStart = marked->start;
  status_.selEnd = marked->end;
  ShowSelection();
  return true;
}

void TPreviewPlayer::SetSelection(double start, double end) {
  if (!IsOpen()) return;
  if (status_.duration > 0) {
    start = std::clamp(start, 0.0, status_.duration);
    end = std::clamp(end, 0.0, status_.duration);
  }
  if (!(start < end)) {
    start = 0.0;
    end = status_.duration;
  }
  status_.selStart = start;
  status_.selEnd = end;
  stopAtMark_ = true;
  ShowSelection();
}

bool TPreviewPlayer::MarkSelEnd() {
  if (!CanMarkEnd()) return false;
  const bool wasPlaying = IsPlaying();
  Pause();
  double position = 0.0;
  if (status_.canSeek) {
    position = GetPosition().value_or(0.0);
  } else if (controls_.SeekBar) {
    position = SeekBarTime(controls_.SeekBar->value(), controls_.SeekBar->maximum(), status_.duration);
  }
  const auto marked = MarkedEnd({status_.selStart, status_.selEnd}, position);
  if (!marked) {
    if (wasPlaying) Play();
    return false;
  }
  status_.selStart = marked->start;
  status_.selEnd = marked->end;
  SetStopTime(false);
  if (wasPlaying) {
    Play();
  } else {
    SetStopTime(true);
  }
  ShowSelection();
  return true;
}

QImage TPreviewPlayer::GrabCurrentImage() {
  if (!IsOpen()) return {};
  Pause();
  return engine_->WaitForSettledPicture();
}

}  // namespace korvel
