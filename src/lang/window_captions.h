#pragma once
// The main window's commands and menus, and their captions built from the language's words, so
// that a change of language gives every menu item, button hint and context menu the same text.
#include <string>
#include <string_view>

namespace korvel {

// Every command of the main window, in the order of its menus.
enum class TKorvelCommand {
  // File
  NewProject,
  OpenProject,
  SaveProject,
  SaveProjectAs,
  OpenMediaFile,
  Produce,
  Exit,
  // Play
  CloseMedia,
  Stop,
  Pause,
  Play,
  First,
  Back,
  Next,
  Last,
  BackSec,
  NextSec,
  SetSelStart,
  SetSelEnd,
  GoToSelStart,
  GoToSelEnd,
  FullScreen,
  CloseFullScreen,
  // Clip
  UnlinkClip,
  AddClip,
  CopyClip,
  EditSelectedClip,
  CopySelectedClip,
  DeleteSelectedClip,
  ClearClipList,
  ClipProperties,
  // View
  FileList,
  ClipList,
  // Tools
  ReconstructAvi,
  ReconstructWmv,
  ReconstructVob,
  // The file list's menu
  ReconstructMediaFile,
  RefreshFileList,
  OpenFile,
  DeleteFile,
  BackgroundBlack,
  BackgroundWhite,
  BackgroundLightGrey,
  BackgroundSilver,
  BackgroundDarkGray,
  // The time bar's menu and buttons
  ZoomIn,
  ZoomFit,
  ZoomOut,
  // Help
  Help,
};
inline constexpr int kKorvelCommandCount = static_cast<int>(TKorvelCommand::Help) + 1;

enum class TKorvelMenu { File, Play, Clip, View, Tools, Options, Language, Help, BackgroundColor };

// The caption of the command's menu item, with its accelerator, in the current language.
std::string CommandCaption(TKorvelCommand command);
std::string MenuCaption(TKorvelMenu menu);

// A button's hint: the caption without its accelerator part (from " (&" to the last ")").
std::string WithoutAccelerator(std::string_view caption);

// A name shown as a menu caption: every "&" doubled, so that none becomes an accelerator.
std::string EscapeMenuText(std::string_view name);

}  // namespace korvel
