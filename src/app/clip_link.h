#pragma once
// Linking a clip to the player, the main window's answer when the list's current clip changes.
#include <QPointer>
#include <QWidget>
#include <filesystem>
#include <functional>

namespace korvel {

class TClipItem;
class TPreviewPlayer;

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
};

// Loads the clip's file into the player (unless it is open already) with the clip's start and
// end as the selection, paused at the start. Null (unlinking) leaves the player as it is. A
// missing file leaves the player closed and says so.
void LinkClipToPlayer(const TClipItem* item, const TClipLinkPorts& ports);

}  // namespace korvel
