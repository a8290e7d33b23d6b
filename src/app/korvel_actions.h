#pragma once
// Every command of the main window as one QAction, with its caption from the language, its
// shortcut and the part of the window where the shortcut acts. Menus, context menus and buttons
// share these actions, so a command looks and behaves the same wherever it is offered.
#include <QObject>
#include <array>

#include "lang/window_captions.h"

class QAction;
class QWidget;

namespace korvel {

// Where a command's shortcut acts. The menus only show the keys.
enum class TShortcutScope {
  None,
  // Anywhere in the window, also while the menu bar is hidden.
  Window,
  // Only while the focus is in the clip panel: Delete in the file list must not remove clips.
  ClipPanel,
  // Only while the focus is on the video or the play strip.
  PlayArea,
};

class TKorvelActions {
public:
  // The actions are children of owner.
  explicit TKorvelActions(QObject* owner);

  QAction* Get(TKorvelCommand command) const { return actions_[static_cast<size_t>(command)]; }
  static TShortcutScope Scope(TKorvelCommand command);

  // Captions, hints and shortcut texts from the current language; again after each change.
  void ApplyCaptions();
  // Puts each action with a shortcut on the widget of its scope.
  void AttachShortcuts(QWidget* window, QWidget* clipPanel, QWidget* playArea) const;

private:
  std::array<QAction*, kKorvelCommandCount> actions_{};
};

}  // namespace korvel
