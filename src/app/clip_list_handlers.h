#pragma once
// The main window's answers to the clip list's three notices: the changed flag enables saving,
// a changed list is saved as work state and enables producing, and the current clip is linked
// to the player.
#include <QPointer>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <vector>

class QAction;

namespace korvel {

class TClipItem;
class TClipList;
class TPreviewPlayer;
class TProjectFile;

// Save Project is enabled exactly while the list has unsaved changes.
void ClipListChangedFlag(const TClipList& list, QAction& saveProject);

// The work state is saved while the list has unsaved changes; the produce commands are enabled
// exactly while the list holds clips.
void ClipListChanged(const TClipList& list, TProjectFile& project, const std::vector<QAction*>& produce);

// What linking a clip needs of the window.
struct TClipLinkPorts {
  TPreviewPlayer* Player = nullptr;
  // The video area and the control strip beneath it, covered while the player changes files so
  // that closing and opening do not flicker; the strip shows through as a still picture.
  QPointer<QWidget> PlayArea;
  QPointer<QWidget> ControlStrip;
  // Shows the file's folder in the browser and selects the file.
  std::function<void(const std::filesystem::path&)> SelectFileInBrowser = [](const std::filesystem::path&) {};
  // Gives a seek bar the focus once the file is up.
  std::function<void()> StartSeekBarFocus = [] {};
  // Enables Unlink Clip and Copy Clip from the list's linked clip.
  std::function<void()> UpdateEnabled = [] {};
};

// Loads the clip's file into the player (unless it is open already) with the clip's start and
// end as the selection, paused at the start. Null only updates the commands. A missing file
// leaves the player closed and says so.
void LinkClipToPlayer(const TClipItem* item, const TClipLinkPorts& ports);

}  // namespace korvel
