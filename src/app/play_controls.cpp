#include "app/play_controls.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollArea>
#include <limits>

#include "app/frame_dib.h"
#include "app/korvel_actions.h"
#include "app/play_strip.h"
#include "base/time_text.h"
#include "controls/qd_track_bar.h"
#include "controls/wait_cursor.h"
#include "playback/key_frame_marks.h"
#include "playback/linked_clip_marks.h"
#include "playback/play_command_states.h"
#include "playback/player_steps.h"
#include "playback/seek_bar_values.h"
#include "player/preview_player.h"
#include "player/video_panel.h"
#include "project/clip_list.h"
#include "project/clip_list_view.h"
#include "project/command_enabling.h"

namespace korvel {

namespace {

constexpr int kPlayPosInterval = 300;
constexpr int kChkPlayEndFirstInterval = 50;
constexpr int kSeekTrkFocusInterval = 200;
constexpr int kSeekTrkFocusSteps = 2;

}  // namespace

TPlayControls::TPlayControls(TPreviewPlayer& player, TClipList& clipList, TPlayStrip& strip, TVideoArea videoArea,
                             TKorvelActions& actions, QObject* parent)
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
  using enum TKorvelCommand;
  player_.SetControls({.PositionLabel = strip_.CurrentTimeCap,
                       .StateLabel = strip_.PlayStateMsg,
                       .Container = videoArea_.Container,
                       .VideoPanel = videoArea_.Panel,
                       .SeekBar = strip_.SeekTrack,
                       .FineSeekBar = strip_.Seek2Track,
                       .FullScreenMenuItem = Action(CloseFullScreen)});
  player_.CloseFile();
  player_.AutoPlay = true;
  player_.InstallHooks();
  player_.OnEnd = [](TPreviewPlayer&) {};
  player_.OnStateChange = [this](TPreviewPlayer&, int32_t state) { HandleStateChange(state); };
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
  HandleStateChange(player_.State());
}

void TPlayControls::ConnectCommands() {
  using enum TKorvelCommand;
  const auto on = [this](QAction* action, auto handler) { connect(action, &QAction::triggered, this, handler); };
  on(Action(CloseMedia), [this] { CloseMediaClick(); });
  on(Action(Stop), [this] { player_.Stop(true); });
  on(Action(Pause), [this] { player_.Pause(); });
  on(Action(Play), [this] { player_.Play(); });
  on(Action(First), [this] { player_.GoToStart(); });
  on(Action(Last), [this] { player_.GoToEnd(); });
  on(Action(Back), [this] { player_.StepBack(kStepFrame); });
  on(Action(Next), [this] { player_.StepForward(kStepFrame); });
  on(Action(BackSec), [this] { player_.StepBack(kStepSecond); });
  on(Action(NextSec), [this] { player_.StepForward(kStepSecond); });
  on(Action(SetSelStart), [this] { SetSelStartClick(); });
  on(Action(SetSelEnd), [this] { SetSelEndClick(); });
  on(Action(GoToSelStart), [this] {
    if (player_.CanMarkStart()) player_.GoToSelStart();
  });
  on(Action(GoToSelEnd), [this] {
    if (player_.CanMarkStart()) player_.GoToSelEnd();
  });
  on(Action(FullScreen), [this] {
    if (player_.IsOpen()) player_.SetFullScreen(!player_.IsFullScreen());
  });
  on(Action(CloseFullScreen), [this] { CloseFullScreenClick(); });
  on(Action(UnlinkClip), [this] { UnlinkClipClick(); });
  on(Action(AddClip), [this] { AddClipClick(); });
  on(Action(CopyClip), [this] { CopyClipClick(); });
}

void TPlayControls::BindStripButtons() {
  using enum TKorvelCommand;
  const std::pair<QAbstractButton*, QAction*> bindings[] = {
      {strip_.BtnHideFile, Action(FileList)},      {strip_.BtnHideClips, Action(ClipList)},
      {strip_.BtnMediaClose, Action(CloseMedia)},  {strip_.BtnPause, Action(Pause)},
      {strip_.BtnPlay, Action(Play)},              {strip_.BtnFullScreen, Action(FullScreen)},
      {strip_.BtnHome, Action(First)},             {strip_.BtnEnd, Action(Last)},
      {strip_.BtnUnlinkClip, Action(UnlinkClip)},  {strip_.BtnSelStart, Action(SetSelStart)},
      {strip_.BtnGoToSelStart, Action(GoToSelStart)}, {strip_.BtnGoToSelEnd, Action(GoToSelEnd)},
      {strip_.BtnSelEnd, Action(SetSelEnd)},       {strip_.BtnAddClip, Action(AddClip)},
      {strip_.BtnCopyClip, Action(CopyClip)},      {strip_.BtnProduceMda2, Action(Produce)},
  };
  for (const auto& [button, action] : bindings) TPlayStrip::BindButton(*button, *action);
  // A frame step acts as the button goes down.
  TPlayStrip::BindButton(*strip_.BtnPrior, *Action(Back), true);
  TPlayStrip::BindButton(*strip_.BtnNext, *Action(Next), true);
}

void TPlayControls::BuildMenus() {
  using enum TKorvelCommand;
  stripMenu_ = std::make_unique<QMenu>();
  stripMenu_->addActions({Action(CloseMedia), Action(Play), Action(Pause), Action(Stop)});
  stripMenu_->addSeparator();
  stripMenu_->addActions({Action(First), Action(Back), Action(BackSec), Action(NextSec), Action(Next), Action(Last)});
  stripMenu_->addSeparator();
  stripMenu_->addActions({Action(SetSelStart), Action(GoToSelStart), Action(GoToSelEnd), Action(SetSelEnd)});
  stripMenu_->addSeparator();
  stripMenu_->addActions({Action(UnlinkClip), Action(AddClip), Action(CopyClip)});
  stripViewMenu_ = AddViewAndProduce(*stripMenu_);

  videoMenu_ = std::make_unique<QMenu>();
  videoMenu_->addActions({Action(CloseMedia), Action(Play), Action(Pause), Action(FullScreen)});
  videoMenu_->addSeparator();
  videoMenu_->addActions({Action(UnlinkClip), Action(AddClip), Action(CopyClip)});
  videoViewMenu_ = AddViewAndProduce(*videoMenu_);

  for (QMenu* menu : {stripMenu_.get(), videoMenu_.get()}) connect(menu, &QMenu::aboutToShow, this, &TPlayControls::UpdateEnabled);
  ApplyCaptions();
}

QMenu* TPlayControls::AddViewAndProduce(QMenu& menu) const {
  using enum TKorvelCommand;
  menu.addSeparator();
  QMenu* view = menu.addMenu(QString());
  view->addActions({Action(FileList), Action(ClipList)});
  menu.addAction(Action(Produce));
  return view;
}

void TPlayControls::ApplyCaptions() {
  for (QMenu* view : {stripViewMenu_, videoViewMenu_}) view->setTitle(QString::fromStdString(MenuCaption(TKorvelMenu::View)));
}

QAction* TPlayControls::Action(TKorvelCommand command) const { return actions_.Get(command); }

void TPlayControls::UpdateEnabled() {
  using enum TKorvelCommand;
  const PlayCommandStates states = PlayCommandsEnabled({.player = player_.Status(),
                                                        .fullScreen = player_.IsFullScreen(),
                                                        .menuDetached = IsCompact(),
                                                        .clipLinked = clipList_.CurrentItem() != nullptr});
  const auto enable = [this](std::initializer_list<TKorvelCommand> commands, bool enabled) {
    for (const TKorvelCommand command : commands) Action(command)->setEnabled(enabled);
  };
  enable({CloseMedia, FullScreen}, states.closeMedia);
  enable({Play}, states.play);
  enable({Pause}, states.pause);
  enable({Stop}, states.stop);
  enable({First}, states.first);
  enable({Last, Back, Next, BackSec, NextSec}, states.step);
  enable({SetSelStart, GoToSelStart, GoToSelEnd}, states.markStart);
  enable({SetSelEnd}, states.markEnd);
  enable({CloseFullScreen}, states.closeFullScreen);
  enable({AddClip}, states.addClip);
  enable({UnlinkClip, CopyClip}, states.linkedClip);
  // The strip's Produce button, as the window's File menu enables it.
  Action(Produce)->setEnabled(ProjectCommandEnabled(Produce, {.ClipCount = clipList_.Count()}).value_or(true));
}

void TPlayControls::HandleStateChange(int32_t state) {
  UpdateEnabled();
  FollowOpenFile();
  // The duration may have come with this state: the marks stand at their share of it.
  ShowKeyFrames();
  playPosTimer_.stop();
  chkPlayEndTimer_.stop();
  if (state == kPlayerClosed) strip_.ShowNoPosition();
  if (state == kPlayerPlaying) {
    playPosTimer_.start();
    chkPlayEndTimer_.start(kChkPlayEndFirstInterval);
  }
  emit PlayerStateChanged(state);
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
  TWaitCursor wait;
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
  TWaitCursor wait;
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
