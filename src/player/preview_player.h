#pragma once
// The preview player: plays the open file in the main window's video panel so that the user can
// find where clips start and end, keeps the selection marks, shows the play state and the
// position in two labels and on two seek bars, handles keys and the mouse on the video and the
// bars, and grabs the current picture for clip thumbnails. What decodes and shows the media is an
// IPlayerEngine.
#include <QImage>
#include <QSize>
#include <QObject>
#include <QPointer>
#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "player/player_engine.h"
#include "playback/player_status.h"

class QAction;
class QLabel;
class QScrollArea;

namespace korvel {

class TQdTrackBar;
class TVideoPanel;

// The owner's controls the player works on; any may be missing.
struct TPreviewPlayerControls {
  QLabel* PositionLabel = nullptr;
  QLabel* StateLabel = nullptr;
  QScrollArea* Container = nullptr;
  TVideoPanel* VideoPanel = nullptr;
  TQdTrackBar* SeekBar = nullptr;
  TQdTrackBar* FineSeekBar = nullptr;
  // The main window's "Close FullScreen" command.
  QAction* FullScreenMenuItem = nullptr;
};

class TPreviewPlayer : public QObject {
  Q_OBJECT

public:
  explicit TPreviewPlayer(std::unique_ptr<IPlayerEngine> engine, QObject* parent = nullptr);
  ~TPreviewPlayer() override;
  TPreviewPlayer(const TPreviewPlayer&) = delete;
  TPreviewPlayer& operator=(const TPreviewPlayer&) = delete;

  // Raised after playing reached its end (the player is back at the selection start, stopped).
  std::function<void(TPreviewPlayer&)> OnEnd;
  // Raised whenever the state is set.
  std::function<void(TPreviewPlayer&, int32_t state)> OnStateChange;
  // Raised whenever the seek bars are given the selection (it may be unchanged).
  std::function<void(TPreviewPlayer&)> OnSelectionShown;
  // Play right after opening.
  bool AutoPlay = true;
  // Tell the user when a file cannot be opened.
  bool ErrorBox = true;
  // Which audio track plays, from 0; kept as it is when a file has no audio.
  int SelectedAudioIndex = 0;
  // Set by the owner while it moves the position itself; its resize handler skips FitVideo then.
  bool Busy = false;

  void SetControls(const TPreviewPlayerControls& controls);
  const TPreviewPlayerControls& Controls() const { return controls_; }
  // Takes the keys and the mouse of the video panel and both seek bars; RemoveHooks (also run on
  // destruction) gives them back.
  void InstallHooks();
  void RemoveHooks();

  bool OpenFile(const std::filesystem::path& name);
  void CloseFile();
  void Play();
  void Pause();
  // Holds the picture in the stopped state; with rewind, goes back to the selection start (or to
  // 0 without a selection).
  void Stop(bool rewind);
  void GoToStart();
  void GoToEnd();
  void StepBack(int32_t kind);
  void StepForward(int32_t kind);
  void GoToSelStart();
  void GoToSelEnd();
  bool MarkSelStart();
  bool MarkSelEnd();
  // Sets both marks at once, as a linked clip gives them: kept within the file, and the whole
  // file when they leave nothing between them. Nothing happens while no file is open.
  void SetSelection(double start, double end);
  // Refreshes the position label and both seek bars.
  void UpdatePosition();
  bool SetPosition(double seconds);
  // While playing the time of the frame shown; otherwise the position last asked for.
  std::optional<double> GetPosition() const;
  // The end-check timer's tick: whether to go on, and after how many milliseconds.
  std::pair<bool, int> CheckPlayEnd();
  bool SetStopTime(bool fullLength);
  void SetFullScreen(bool on);
  bool IsFullScreen() const;
  void FitVideo();
  // The picture at the position, once the last seek has landed; null when there is none.
  QImage GrabCurrentImage();
  // A key on the video or a seek bar; false when the player does not take it.
  bool KeyDown(int key, Qt::KeyboardModifiers modifiers);

  // The conditions that enable the owner's commands.
  const PlayerStatus& Status() const { return status_; }
  int32_t State() const { return status_.state; }
  bool IsOpen() const { return status_.IsOpen(); }
  bool IsPlaying() const { return status_.IsPlaying(); }
  bool CanPlay() const { return status_.CanPlay(); }
  bool CanStop() const { return status_.CanStop(); }
  bool CanRewind() const { return status_.CanRewind(); }
  bool CanStep() const { return status_.CanStep(); }
  bool CanMarkStart() const { return status_.CanMarkStart(); }
  bool CanMarkEnd() const { return status_.CanMarkEnd(); }
  bool SelectionValid() const { return status_.SelectionValid(); }

  const std::filesystem::path& FileName() const { return fileName_; }
  double Duration() const { return status_.duration; }
  double SelStart() const { return status_.selStart; }
  double SelEnd() const { return status_.selEnd; }
  double FramesPerSecond() const { return framesPerSecond_; }
  double FrameDuration() const { return frameDuration_; }
  int AudioOutputs() const { return audioOutputs_; }
  bool StopAtMark() const { return stopAtMark_; }
  // A seek bar is being dragged: the player leaves it where the pointer put it.
  bool IsSeekBarDragging() const { return seekBarDragging_; }
  bool IsFineSeekBarDragging() const { return fineSeekBarDragging_; }
  // The fine bar's centre time in milliseconds, for the owner's drag handler.
  int64_t FineSeekCentreMs() const { return fineSeekCentreMs_; }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  bool LoadIntoEngine(const std::filesystem::path& name);
  void ResetFileFields();
  void SelectAudio();
  void SetState(int32_t state);
  void ShowStateText(const QString& text);
  void ShowState();
  void ShowSelection();
  void ShowPositionLabel(double position);
  void EndOfPlay();
  void Seek(double seconds);
  void StepTo(int32_t kind, bool forward);
  bool HandleVideoPanelEvent(QEvent* event);
  bool HandleSeekBarEvent(TQdTrackBar& bar, bool fine, QEvent* event);
  void StartDragging(bool fine);
  void EndDragging(bool fine);
  void CloseFullScreenFromBar();

  std::unique_ptr<IPlayerEngine> engine_;
  TPreviewPlayerControls controls_;
  // The controls whose keys and mouse the player takes.
  std::vector<QPointer<QObject>> hooked_;
  PlayerStatus status_;
  std::filesystem::path fileName_;
  bool buffering_ = false;
  double framesPerSecond_ = 1.0;
  double frameDuration_ = 0.0166;
  // The position last asked for; reported while not playing, because the engine reports the
  // time of the frame it shows, which may lie before it.
  double logicalPosition_ = 0.0;
  double lastPosition_ = 0.0;
  int64_t fineSeekCentreMs_ = 0;
  // The engine's video size when the panel was last fitted.
  QSize fittedVideoSize_;
  bool stopAtMark_ = true;
  int audioOutputs_ = 0;
  bool restoreFullScreen_ = false;
  bool seekBarDragging_ = false;
  bool fineSeekBarDragging_ = false;
  QString positionSuffix_;
};

}  // namespace korvel
