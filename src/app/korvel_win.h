#pragma once
// The main window: the browser on the left with the project panel under it, the preview player's
// video in the middle with the play strip under it, and the clip panel at the bottom. It owns the
// player, the clip list and the project, runs the commands of the menus, restores the previous
// run's work state after it first shows, and decides whether it may close.
//
// The browser, the play strip and the clip panel are made by their own classes and put into the
// window's places (BrowserPlace, PlayStripPlace, ClipPanelPlace). The window re-raises the
// player's and the clip list's events as signals, so that each part can follow them.
#include <QMainWindow>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <optional>

#include "app/korvel_actions.h"
#include "base/dialog_placement.h"
#include "base/program_settings.h"
#include "player/player_engine.h"
#include "project/command_enabling.h"

class QLabel;
class QMenu;
class QScrollArea;
class QSplitter;
class QTimer;

namespace korvel {

class TClipItem;
class TClipList;
class TClipPanel;
class TKorvelBrowserHost;
class TLanguage;
class TMediaBrowser;
class TPlayControls;
class TPlayStrip;
class TPreviewPlayer;
class TProjectCommands;
class TProjectFile;
class TVideoPanel;

struct TKorvelWinSetup {
  // The player's engine; libmpv's when none is given.
  std::unique_ptr<IPlayerEngine> Engine;
  // Where the language files are; the program's own folder's "Language" when empty.
  std::filesystem::path LanguageFolder;
};

// Where a question of the window stands (see PlaceQuestion).
enum class TQuestionPlace { AtPointer, AtPointerBesideBrowser, OverWindow };

class TKorvelWin : public QMainWindow {
  Q_OBJECT

public:
  explicit TKorvelWin(TKorvelWinSetup setup = {});
  ~TKorvelWin() override;

  TKorvelActions& Actions() { return actions_; }
  TPreviewPlayer& Player() { return *player_; }
  TClipList& ClipList() { return *clipList_; }
  TProjectFile& ProjectFile() { return *projectFile_; }
  TProjectCommands& ProjectCommands() { return *projectCommands_; }
  const ProgramSettings& Settings() const { return settings_; }
  ProgramSettings& Settings() { return settings_; }

  TMediaBrowser& Browser() { return *browser_; }

  // The places the other parts fill; each has an empty vertical layout without margins.
  QWidget* BrowserPlace() const { return browserPlace_; }
  QWidget* PlayStripPlace() const { return playStripPlace_; }
  QWidget* ClipPanelPlace() const { return clipPanelPlace_; }
  TClipPanel* ClipPanel() const { return clipPanel_; }
  // The video area with the play strip: the play-area shortcuts act here.
  QWidget* PlayArea() const { return playArea_; }
  // The control strip under the video, and the playback controls that drive the player.
  TPlayStrip* PlayStrip() const { return playStrip_; }
  TPlayControls& PlayControls() { return *playControls_; }
  QScrollArea* VideoArea() const { return videoArea_; }
  TVideoPanel* VideoPanel() const { return videoPanel_; }
  // The project panel under the browser, and the project name on it.
  QWidget* ProjectPanel() const { return projectPanel_; }
  QLabel* ProjectNameLabel() const { return projectNameLabel_; }
  QMenu* Menu(TKorvelMenu menu) const;

  // Opens a media file in the player as if it had been chosen in the browser: the browser's
  // checks come first (the repair offer, the format check against the clip list), then the
  // linked clip is unlinked. False when nothing was opened.
  bool OpenMediaFile(const std::filesystem::path& path);

  // The state the project and clip commands are enabled from.
  TProjectCommandState CommandState() const;
  // Whether command may run now; commands with conditions of their own elsewhere count as yes.
  bool CommandAllowed(TKorvelCommand command) const;
  // Enables the project and clip commands from the state of this moment.
  void RefreshCommands();

  // Where a question of the window goes: inside the window, above the clip panel (X11 and
  // offscreen); nothing on Wayland, where the compositor places dialogs.
  std::optional<TDlgPlacement> PlaceQuestion(TQuestionPlace place) const;

  bool BrowserShown() const;
  bool ClipPanelShown() const;
  // The compact layout: without the browser the menu bar goes too, and a maximized window
  // loses its frame.
  void ShowBrowser(bool show);
  void ShowClipPanel(bool show);

  // The work state has been restored after the first show.
  bool Restored() const { return restored_; }

signals:
  void PlayerStateChanged(int state);
  void ClipListChanged();
  void ChangedFlagChanged();
  void CurrentClipChanged(korvel::TClipItem* item);
  // After a change of language, once the window's own captions are set.
  void CaptionsApplied();

protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void BuildLayout();
  void BuildMenus();
  // Fills menu with the commands (an empty item is a separator); it computes their enabling again
  // whenever it opens, as well as when the state changes.
  QMenu* FillCommandMenu(QMenu* menu, std::initializer_list<std::optional<TKorvelCommand>> items);
  void ApplyDarkScheme();
  void ApplyCaptions();
  void BuildLanguageMenu();
  void ConnectCommands();
  void ConnectModel();
  void BuildClipPanel();
  // Runs work when command may run now.
  void OnCommand(TKorvelCommand command, std::function<void()> work);
  void RestoreWorkStateNow();
  void LinkClip(TClipItem* item);
  void Produce();
  void Reconstruct(const std::filesystem::path& file);
  void ChooseMediaFile();
  void SelectLanguage(const std::string& fileName);
  void ApplyFrame();
  void ShutDown();

  // In the order they are made.
  std::unique_ptr<TLanguage> language_;
  ProgramSettings settings_;
  std::unique_ptr<TPreviewPlayer> player_;
  std::unique_ptr<TClipList> clipList_;
  std::unique_ptr<TProjectFile> projectFile_;
  std::unique_ptr<TProjectCommands> projectCommands_;
  // Ends before the player and the clip list it drives.
  std::unique_ptr<TPlayControls> playControls_;
  int32_t backgroundColorIndex_ = 0;
  bool firstShowPending_ = true;
  bool restored_ = false;
  bool shutDown_ = false;

  TKorvelActions actions_;
  std::unique_ptr<TKorvelBrowserHost> browserHost_;
  TMediaBrowser* browser_ = nullptr;
  QSplitter* splitter_ = nullptr;
  QWidget* leftPanel_ = nullptr;
  QWidget* browserPlace_ = nullptr;
  QWidget* projectPanel_ = nullptr;
  QLabel* projectNameLabel_ = nullptr;
  QWidget* playArea_ = nullptr;
  QScrollArea* videoArea_ = nullptr;
  TVideoPanel* videoPanel_ = nullptr;
  QWidget* playStripPlace_ = nullptr;
  TPlayStrip* playStrip_ = nullptr;
  QWidget* clipPanelPlace_ = nullptr;
  TClipPanel* clipPanel_ = nullptr;
  QTimer* firstShowTimer_ = nullptr;
  std::vector<std::pair<TKorvelMenu, QMenu*>> menus_;
};

}  // namespace korvel
