#pragma once
// The main window's playback controls: the preview player wired to the play strip, the video
// area and the window's commands. Runs each command's player operation, enables the commands
// from the player's state, runs the timers that follow playback, seeks from the two bars, lets
// the selection marks edit the linked clip, and makes clips from the selection.
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/key_frame_loader.h"
#include "lang/window_captions.h"

class QAction;
class QMenu;
class QScrollArea;

namespace korvel {

class TClipItem;
class TClipList;
class TKorvelActions;
class TPlayStrip;
class TPreviewPlayer;
class TVideoPanel;

// Where the player shows its pictures.
struct TVideoArea {
  QScrollArea* Container = nullptr;
  TVideoPanel* Panel = nullptr;
};

class TPlayControls : public QObject {
  Q_OBJECT

public:
  // Gives the player its controls and takes its state changes, runs the playback and the strip's
  // clip commands of `actions`. Produce, File List and Clip List are the window's to run; the
  // strip only offers them. Everything given must outlive the controls.
  TPlayControls(TPreviewPlayer& player, TClipList& clipList, TPlayStrip& strip, TVideoArea videoArea,
                TKorvelActions& actions, QObject* parent = nullptr);
  ~TPlayControls() override;

  // The window's compact layout (browser hidden, no main menu), and leaving it.
  std::function<bool()> IsCompact = [] { return false; };
  std::function<void()> ShowBrowser = [] {};
  // Brings the clip panel into sight after a clip was added or copied.
  std::function<void()> ShowClipPanel = [] {};

  // Enables the commands from the player's conditions and the clip list. Runs on every state
  // change and when one of its menus opens; the window runs it when its Play menu opens.
  void UpdateEnabled();
  // The captions of the context menus' submenus, again after each change of language.
  void ApplyCaptions();
  // Gives the keyboard focus back to a seek bar, twice, 200 ms apart: after a file opened or a
  // clip was linked.
  void StartSeekBarFocus();
  // The frame at the selection start becomes the item's thumbnail; the player goes back to where
  // it was. False when no frame could be had (the thumbnail stays as it was).
  bool GrabThumbnail(TClipItem& item);

  // The context menus of the play strip and of the video.
  QMenu& StripMenu() const { return *stripMenu_; }
  QMenu& VideoMenu() const { return *videoMenu_; }

signals:
  // After the controls followed a change of the player's state.
  void PlayerStateChanged(int state);

public:
  const QTimer& PlayPosTimer() const { return playPosTimer_; }
  const QTimer& ChkPlayEndTimer() const { return chkPlayEndTimer_; }
  const QTimer& SeekTrkFocusTimer() const { return seekTrkFocusTimer_; }
  // The open file's key frames, as the seek bar marks them.
  const TKeyFrameLoader& KeyFrames() const { return keyFrames_; }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void WirePlayer();
  void ConnectCommands();
  void BindStripButtons();
  void BuildMenus();
  // Both context menus end with the View submenu and Produce; the submenu is returned.
  QMenu* AddViewAndProduce(QMenu& menu) const;
  void HandleStateChange(int32_t state);
  QAction* Action(TKorvelCommand command) const;
  void PlayPosTimerTick();
  void ChkPlayEndTimerTick();
  void SeekTrkFocusTimerTick();
  void SeekBarFocusStep();
  // Lists the key frames of a file newly open, or drops those of a file closed.
  void FollowOpenFile();
  void ShowKeyFrames();
  void ShowRealStart();
  void SeekTrackChange(int value);
  void Seek2TrackChange(int value);
  void VideoClick();
  void CloseMediaClick();
  void CloseFullScreenClick();
  void SetSelStartClick();
  void SetSelEndClick();
  void AddClipClick();
  void CopyClipClick();
  void UnlinkClipClick();

  TPreviewPlayer& player_;
  TClipList& clipList_;
  TPlayStrip& strip_;
  TVideoArea videoArea_;
  TKorvelActions& actions_;
  std::unique_ptr<QMenu> stripMenu_;
  std::unique_ptr<QMenu> videoMenu_;
  QMenu* stripViewMenu_ = nullptr;
  QMenu* videoViewMenu_ = nullptr;
  QTimer playPosTimer_;
  QTimer chkPlayEndTimer_;
  QTimer seekTrkFocusTimer_;
  int seekTrkFocusCount_ = 0;
  TKeyFrameLoader keyFrames_;
};

}  // namespace korvel
