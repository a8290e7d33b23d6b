#pragma once
// The compact layout of the main window: hiding the browser gives the video the room, and a
// maximized window then also gives up its menu bar and its frame, so that the video gets the
// whole screen height.
namespace korvel {

struct TCompactLayout {
  bool ShowMenuBar = true;
  bool ShowBrowser = true;
  // The window's frame and caption.
  bool Framed = true;
};

// The layout for a window whose browser is to be shown or not, maximized or not. A minimized
// window keeps its frame, so that the desktop can minimize and restore it as usual.
TCompactLayout CompactLayoutFor(bool browserShown, bool maximized, bool minimized);

}  // namespace korvel
