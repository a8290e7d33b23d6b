#include "app/play_controls.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollArea>
#include <limits>

#include "app/frame_dib.h"
#include "app/play_strip.h"
#include "base/time_text.h"
#include "controls/qd_track_bar.h"
#include "playback/key_frame_marks.h"
#include "playback/linked_clip_marks.h"
#include "playback/play_command_states.h"
#include "playback/player_steps.h"
#include "playback/seek_bar_values.h"
#include "player/preview_player.h"
#include "player/video_panel.h"
#include "project/clip_list.h"
#include "project/clip_list_view.h"

namespace korvel {

namespace {

constexpr int kPlayPosInterval = 300;
constexpr int kChkPlayEndFirstInterval = 50;
constexpr int kSeekTrkFocusInterval = 200;
constexpr int kSeekTrkFocusSteps = 2;

// The wait cursor for as long as it lives.
class WaitCursor {
public:
  WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

void Enable(QAction* action, bool enabled) {
  if (action) action->setEnabled(enabled);
}

}  // namespace

TPlayControls::TPlayControls(TPreviewPlayer& player, TClipList& clipList, TPlayStrip& strip, TVideoArea videoArea,
                             const TPlayActions& actions, QObject* parent)
    : QObject(parent), player_(player), clipList_(clipList), strip_(strip), videoArea_(videoArea), actions_(actions) {
  playPosTimer_.setInterval(kPlayPosInterval);
  seekTrkFocusTimer_.setInterval(kSeekTrkFocusInterval);
  connect(&playPosTimer_, &QTimer::timeout, this, &TPlayControls::PlayPosTimerTick);
  connect(&chkPlayEndTimer_, &QTimer::timeout, this, &TPlayControls::ChkPlayEndTimerTick);
  connect(&seekTrkFocusTimer_, &QTimer::timeout, this, &TPlayControls::SeekTrkFocusTimerTick);
  BuildMenus();
  ConnectCommands();
  BindStripButtons();
  WirePlayer();
}

TPlayControls::~TPlayControls() {
  player_.OnStateChange = nullptr;
  player_.OnSelectionShown = nullptr;
  player_.OnEnd = nullptr;
}

void TPlayControls::WirePlayer() {
  player_.SetControls({.PositionLabel = strip_.CurrentTimeCap,
                       .StateLabel = strip_.PlayStateMsg,
                       .Container = videoArea_.Container,
                       .VideoPanel = videoArea_.Panel,
                       .SeekBar = strip_.SeekTrack,
                       .FineSeekBar = strip_.Seek2Track,
                       .FullScreenMenuItem = actions_.CloseFullScreen});
  player_.CloseFile();
  player_.AutoPlay = true;
  player_.InstallHooks();
  player_.OnEnd = [](TPreviewPlayer&) {};
  player_.OnStateChange = [this](TPreviewPlayer&, int32_t state) { StateChanged(state); };
  player_.OnSelectionShown = [this](TPreviewPlayer&) { ShowRealStart(); };
  connect(&keyFrames_, &TKeyFrameLoader::KeyFramesChanged, this, &TPlayControls::ShowKeyFrames);
  connect(strip_.SeekTrack, &QSlider::valueChanged, this, &TPlayControls::SeekTrackChange);
  connect(strip_.Seek2Track, &QSlider::valueChanged, this, &TPlayControls::Seek2TrackChange);
  // The fine bar keeps Home and End for its ten-second steps; elsewhere in the strip they go to
  // the start and the end of the file.
  strip_.Seek2Track->installEventFilter(this);
  for (QWidget* video : {static_cast<QWidget*>(videoArea_.Container->viewport()), static_cast<QWidget*>(videoArea_.Panel)}) {
    video->installEventFilter(this);
  }
  strip_.setContextMenuPolicy(Qt::CustomContextMenu);
  connect(&strip_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { stripMenu_->popup(strip_.mapToGlobal(at)); });
  StateChanged(player_.State());
}

void TPlayControls::ConnectCommands() {
  const auto on = [this](QAction* action, auto handler) { connect(action, &QAction::triggered, this, handler); };
  on(actions_.CloseMedia, [this] { CloseMediaClick(); });
  on(actions_.Stop, [this] { player_.Stop(true); });
  on(actions_.Pause, [this] { player_.Pause(); });
  on(actions_.Play, [this] { player_.Play(); });
  on(actions_.First, [this] { player_.GoToStart(); });
  on(actions_.Last, [this] { player_.GoToEnd(); });
  on(actions_.Back, [this] { player_.StepBack(kStepFrame); });
  on(actions_.Next, [this] { player_.StepForward(kStepFrame); });
  on(actions_.BackSec, [this] { player_.StepBack(kStepSecond); });
  on(actions_.NextSec, [this] { player_.StepForward(kStepSecond); });
  on(actions_.SetSelStart, [this] { SetSelStartClick(); });
  on(actions_.SetSelEnd, [this] { SetSelEndClick(); });
  on(actions_.GoToSelStart, [this] {
    if (player_.CanMarkStart()) player_.GoToSelStart();
  });
  on(actions_.GoToSelEnd, [this] {
    if (player_.CanMarkStart()) player_.GoToSelEnd();
  });
  on(actions_.FullScreen, [this] {
    if (player_.IsOpen()) player_.SetFullScreen(!player_.IsFullScreen());
  });
  on(actions_.CloseFullScreen, [this] { CloseFullScreenClick(); });
  on(actions_.UnlinkClip, [this] { UnlinkClipClick(); });
  on(actions_.AddClip, [this] { AddClipClick(); });
  on(actions_.CopyClip, [this] { CopyClipClick(); });
  // The keys of the strip and the video: they act where the focus is, the menus only show them.
  for (QAction* action : {actions_.First, actions_.Last, actions_.Back, actions_.Next}) {
    strip_.addAction(action);
    videoArea_.Container->addAction(action);
  }
}

void TPlayControls::BindStripButtons() {
  const std::pair<QAbstractButton*, QAction*> bindings[] = {
      {strip_.BtnHideFile, actions_.FileList},      {strip_.BtnHideClips, actions_.ClipList},
      {strip_.BtnMediaClose, actions_.CloseMedia},  {strip_.BtnPause, actions_.Pause},
      {strip_.BtnPlay, actions_.Play},              {strip_.BtnFullScreen, actions_.FullScreen},
      {strip_.BtnHome, actions_.First},             {strip_.BtnEnd, actions_.Last},
      {strip_.BtnUnlinkClip, actions_.UnlinkClip},  {strip_.BtnSelStart, actions_.SetSelStart},
      {strip_.BtnGoToSelStart, actions_.GoToSelStart}, {strip_.BtnGoToSelEnd, actions_.GoToSelEnd},
      {strip_.BtnSelEnd, actions_.SetSelEnd},       {strip_.BtnAddClip, actions_.AddClip},
      {strip_.BtnCopyClip, actions_.CopyClip},      {strip_.BtnProduceMda2, actions_.Produce},
  };
  for (const auto& [button, action] : bindings) TPlayStrip::BindButton(*button, *action);
  // A frame step acts as the button goes down.
  TPlayStrip::BindButton(*strip_.BtnPrior, *actions_.Back, true);
  TPlayStrip::BindButton(*strip_.BtnNext, *actions_.Next, true);
}

void TPlayControls::BuildMenus() {
  stripMenu_ = std::make_unique<QMenu>();
  stripMenu_->addActions({actions_.CloseMedia, actions_.Play, actions_.Pause, actions_.Stop});
  stripMenu_->addSeparator();
  stripMenu_->addActions({actions_.First, actions_.Back, actions_.BackSec, actions_.NextSec, actions_.Next, actions_.Last});
  stripMenu_->addSeparator();
  stripMenu_->addActions({actions_.SetSelStart, actions_.GoToSelStart, actions_.GoToSelEnd, actions_.SetSelEnd});
  stripMenu_->addSeparator();
  stripMenu_->addActions({actions_.UnlinkClip, actions_.AddClip, actions_.CopyClip});
  stripMenu_->addSeparator();
  QMenu* stripView = stripMenu_->addMenu(QStringLiteral("View"));
  stripView->addActions({actions_.FileList, actions_.ClipList});
  stripMenu_->addAction(actions_.Produce);

  videoMenu_ = std::make_unique<QMenu>();
  videoMenu_->addActions({actions_.CloseMedia, actions_.Play, actions_.Pause, actions_.FullScreen});
  videoMenu_->addSeparator();
  videoMenu_->addActions({actions_.UnlinkClip, actions_.AddClip, actions_.CopyClip});
  videoMenu_->addSeparator();
  QMenu* videoView = videoMenu_->addMenu(QStringLiteral("View"));
  videoView->addActions({actions_.FileList, actions_.ClipList});
  videoMenu_->addAction(actions_.Produce);

  for (QMenu* menu : {stripMenu_.get(), videoMenu_.get()}) connect(menu, &QMenu::aboutToShow, this, &TPlayControls::UpdateEnabled);
}

void TPlayControls::UpdateEnabled() {
  const PlayCommandStates states = PlayCommandsEnabled({.player = player_.Status(),
                                                        .fullScreen = player_.IsFullScreen(),
                                                        .menuDetached = IsCompact(),
                                                        .clipLinked = clipList_.CurrentItem() != nullptr,
                                                        .clipListEmpty = clipList_.Count() == 0});
  Enable(actions_.CloseMedia, states.closeMedia);
  Enable(actions_.Play, states.play);
  Enable(actions_.Pause, states.pause);
  Enable(actions_.Stop, states.stop);
  Enable(actions_.First, states.first);
  for (QAction* action : {actions_.Last, actions_.Back, actions_.Next, actions_.BackSec, actions_.NextSec}) {
    Enable(action, states.step);
  }
  for (QAction* action : {actions_.SetSelStart, actions_.GoToSelStart, actions_.GoToSelEnd}) Enable(action, states.markStart);
  Enable(actions_.SetSelEnd, states.markEnd);
  Enable(actions_.FullScreen, states.fullScreen);
  Enable(actions_.CloseFullScreen, states.closeFullScreen);
  Enable(actions_.AddClip, states.addClip);
  Enable(actions_.UnlinkClip, states.linkedClip);
  Enable(actions_.CopyClip, states.linkedClip);
  Enable(actions_.Produce, states.produce);
}

void TPlayControls::StateChanged(int32_t state) {
  UpdateEnabled();
  FollowOpenFile();
  // The duration may have come with this state: the marks stand at their share of it.
  ShowKeyFrames();
  playPosTimer_.stop();
  chkPlayEndTimer_.stop();
  if (state == kPlayerClosed) strip_.ShowNoPosition();
  if (state != kPlayerPlaying) return;
  playPosTimer_.start();
  chkPlayEndTimer_.start(kChkPlayEndFirstInterval);
}

void TPlayControls::FollowOpenFile() {
  if (!player_.IsOpen()) {
    keyFrames_.Clear();
  } else if (keyFrames_.File() != player_.FileName()) {
    keyFrames_.Load(player_.FileName());
  }
}

void TPlayControls::ShowKeyFrames() {
  const auto& list = keyFrames_.KeyFrames();
  strip_.SeekTrack->SetKeyFrameMarks(
      list ? KeyFrameBarValues(*list, player_.Duration(), strip_.SeekTrack->maximum()) : std::vector<int32_t>{});
  ShowRealStart();
}

void TPlayControls::ShowRealStart() {
  const auto& list = keyFrames_.KeyFrames();
  // Only while a start is marked: a clip from the file's beginning starts there.
  const bool marked = list && player_.IsOpen() && player_.SelectionValid() && player_.SelStart() > 0;
  strip_.RealStartCap->setText(marked ? QString::fromStdString(RealStartCaption(*list, player_.SelStart())) : QString());
}

void TPlayControls::PlayPosTimerTick() {
  playPosTimer_.stop();
  player_.UpdatePosition();
  if (player_.IsPlaying()) playPosTimer_.start();
}

void TPlayControls::ChkPlayEndTimerTick() {
  chkPlayEndTimer_.stop();
  const auto [goOn, interval] = player_.CheckPlayEnd();
  if (goOn && player_.IsPlaying()) chkPlayEndTimer_.start(interval);
}

void TPlayControls::StartSeekBarFocus() {
  seekTrkFocusCount_ = 0;
  seekTrkFocusTimer_.start();
}

void TPlayControls::SeekTrkFocusTimerTick() {
  seekTrkFocusTimer_.stop();
  SeekBarFocusStep();
  if (++seekTrkFocusCount_ < kSeekTrkFocusSteps) seekTrkFocusTimer_.start();
}

void TPlayControls::SeekBarFocusStep() {
  if (strip_.Seek2Track->hasFocus()) {
    strip_.Seek2Track->update();
    return;
  }
  if (!strip_.SeekTrack->hasFocus()) strip_.SeekTrack->setFocus();
  strip_.SeekTrack->update();
}

void TPlayControls::SeekTrackChange(int value) {
  // Only the user's drag seeks; the player moving the bar itself does not.
  if (!player_.IsSeekBarDragging()) return;
  player_.SetPosition(SeekBarTime(value, strip_.SeekTrack->maximum(), player_.Duration()));
  player_.UpdatePosition();
}

void TPlayControls::Seek2TrackChange(int value) {
  if (!player_.IsFineSeekBarDragging()) return;
  player_.SetPosition(FineSeekBarTime(value, strip_.Seek2Track->maximum(), player_.FineSeekCentreMs(), player_.Duration()));
  player_.UpdatePosition();
}

bool TPlayControls::eventFilter(QObject* watched, QEvent* event) {
  if (watched == strip_.Seek2Track) {
    if (event->type() == QEvent::ShortcutOverride) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Home || key == Qt::Key_End) event->accept();
    }
    return false;
  }
  // The player takes the video's keys and clicks itself while it is full screen.
  if (player_.IsFullScreen()) return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return false;
      VideoClick();
      return true;
    case QEvent::ContextMenu:
      UpdateEnabled();
      videoMenu_->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
      return true;
    case QEvent::Resize:
      if (watched == videoArea_.Container->viewport() && !player_.Busy) player_.FitVideo();
      return false;
    default:
      return false;
  }
}

void TPlayControls::VideoClick() {
  SeekBarFocusStep();
  if (player_.IsPlaying()) {
    player_.Pause();
  } else {
    player_.Play();
  }
}

void TPlayControls::CloseMediaClick() {
  if (!player_.IsOpen()) return;
  player_.CloseFile();
  clipList_.SetCurrent(nullptr);
  if (IsCompact()) ShowBrowser();
}

void TPlayControls::CloseFullScreenClick() {
  if (player_.IsFullScreen()) {
    player_.SetFullScreen(false);
  } else if (IsCompact()) {
    ShowBrowser();
  }
}

void TPlayControls::SetSelStartClick() {
  if (!player_.CanMarkStart()) return;
  const double endBefore = player_.SelEnd();
  player_.MarkSelStart();
  TClipItem* clip = clipList_.CurrentItem();
  if (!clip) return;
  const LinkedClipEdit edit = StartMarkEdit(endBefore, {player_.SelStart(), player_.SelEnd()}, clip->StartTime());
  if (!edit.update) {
    clipList_.SetCurrent(nullptr);
    return;
  }
  if (edit.grabThumbnail) GrabThumbnail(*clip);
  clipList_.UpdateCurrentTimes(edit.startMs, edit.endMs);
}

void TPlayControls::SetSelEndClick() {
  if (!player_.CanMarkEnd()) return;
  const double startBefore = player_.SelStart();
  player_.MarkSelEnd();
  if (!clipList_.CurrentItem()) return;
  const LinkedClipEdit edit = EndMarkEdit(startBefore, {player_.SelStart(), player_.SelEnd()});
  if (edit.update) {
    clipList_.UpdateCurrentTimes(edit.startMs, edit.endMs);
  } else {
    clipList_.SetCurrent(nullptr);
  }
}

bool TPlayControls::GrabThumbnail(TClipItem& item) {
  WaitCursor wait;
  player_.Pause();
  // The player reports the position it was asked for and waits for the frame there itself, so no
  // demultiplexer needs time to catch up and the player can always go back.
  const double position = player_.GetPosition().value_or(0.0);
  player_.SetPosition(player_.SelStart());
  const std::vector<uint8_t> dib = PackedDibFromImage(player_.GrabCurrentImage());
  const bool grabbed = !dib.empty() && item.ClipImage.SetFromDib(dib.data(), dib.size());
  if (grabbed) item.RefreshPicture();
  player_.SetPosition(position);
  return grabbed;
}

void TPlayControls::AddClipClick() {
  if (!player_.IsOpen()) return;
  WaitCursor wait;
  if (TClipItem* current = clipList_.CurrentItem()) {
    // The copy keeps the linked clip's place; the linked clip itself goes on at the end.
    clipList_.Duplicate(current);
    clipList_.MoveTo(current, std::numeric_limits<int32_t>::max());
    if (IClipListView* view = clipList_.View()) view->ScrollToItem(*current);
  } else {
    auto item = std::make_unique<TClipItem>();
    item->SetFileName(player_.FileName());
    item->SetTotalTime(PlayerTimeToMs(player_.Duration()));
    item->SetStartTime(PlayerTimeToMs(player_.SelStart()));
    item->SetEndTime(PlayerTimeToMs(player_.SelEnd()));
    // A clip that does not end after its start is one the project reader would drop again.
    if (item->EndTime() <= item->StartTime()) return;
    GrabThumbnail(*item);
    if (!clipList_.Add(std::move(item))) return;
    if (SelectionMovesOnAfterAdd(player_.SelEnd(), player_.Duration())) {
      player_.GoToSelEnd();
      player_.MarkSelStart();
    }
  }
  UpdateEnabled();
  ShowClipPanel();
}

void TPlayControls::CopyClipClick() {
  TClipItem* current = clipList_.CurrentItem();
  if (!current) return;
  clipList_.Duplicate(current);
  ShowClipPanel();
}

void TPlayControls::UnlinkClipClick() {
  if (clipList_.CurrentItem()) clipList_.SetCurrent(nullptr);
}

}  // namespace korvel
