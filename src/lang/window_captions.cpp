#include "lang/window_captions.h"

#include "lang/lang.h"

namespace korvel {

namespace {

std::string B(std::string_view key) { return LangStr("Base", key); }
std::string K1(std::string_view key) { return LangStr("Korvel1", key); }
std::string K2(std::string_view key) { return LangStr("Korvel2", key); }

std::string MediaFile() { return B("Media") + " " + B("File"); }
std::string SelectedClip() { return B("Selected") + " " + K1("Clip"); }
std::string SetMark(std::string_view startOrEnd) {
  return LangJoin(B("Set"), B("Selection") + " " + B(startOrEnd) + " " + B("Position"));
}
std::string GoToMark(std::string_view startOrEnd) { return B("GoTo") + " : " + B(startOrEnd) + " " + B("Position"); }

}  // namespace

std::string CommandCaption(TKorvelCommand command) {
  using enum TKorvelCommand;
  switch (command) {
    case NewProject: return B("New") + " " + K1("Project") + " (&N)";
    case OpenProject: return LangJoin(B("Open"), K1("Project")) + " (&O) ...";
    case SaveProject: return LangJoin(B("Save"), K1("Project")) + " (&S)";
    case SaveProjectAs: return K1("SaveAs") + " (" + K1("Project") + ") (&A) ...";
    case OpenMediaFile: return LangJoin(B("Open"), MediaFile()) + " ...";
    case Produce: return LangJoin(K1("Produce"), MediaFile()) + " (&P) ...";
    case Exit: return B("Quit") + " (&X)";
    case CloseMedia: return LangJoin(B("Close"), B("Media"));
    case Stop: return B("Stop");
    case Pause: return B("Pause");
    case Play: return B("Play");
    case First: return B("Move_First");
    case Back: return B("Move_Back");
    case Next: return B("Move_Next");
    case Last: return B("Move_Last");
    case BackSec: return B("Move_Back") + " (sec)";
    case NextSec: return B("Move_Next") + " (sec)";
    case SetSelStart: return SetMark("Start");
    case SetSelEnd: return SetMark("End");
    case GoToSelStart: return GoToMark("Start");
    case GoToSelEnd: return GoToMark("End");
    case FullScreen: return B("FullScreen");
    case CloseFullScreen: return LangJoin(B("Close"), B("FullScreen"));
    case UnlinkClip: return LangJoin(K1("Unlink"), K1("Clip"));
    case AddClip: return LangJoin(B("Add"), K1("Clip"));
    case CopyClip: return LangJoin(B("Copy"), K1("Clip"));
    case EditSelectedClip: return LangJoin(B("Edit"), SelectedClip()) + " (&E)";
    case CopySelectedClip: return LangJoin(B("Copy"), SelectedClip()) + " (&C)";
    case DeleteSelectedClip: return LangJoin(B("Delete"), SelectedClip()) + " (&D)";
    case ClearClipList: return LangJoin(B("Clear"), K1("Clip") + " " + B("List"));
    case ClipProperties: return K1("Clip") + " " + B("Properties") + " ...";
    case FileList: return B("Folder") + "/" + B("File") + " " + B("List");
    case ClipList: return K1("Clip") + " " + B("List");
    case ReconstructAvi: return LangJoin(K2("Reconstruct"), "AVI") + " ...";
    case ReconstructWmv: return LangJoin(K2("Reconstruct"), "WMV") + " ...";
    case ReconstructVob: return LangJoin(K2("Reconstruct"), "VOB") + " ...";
    case ReconstructMediaFile: return LangJoin(K2("Reconstruct"), MediaFile()) + " ...";
    case RefreshFileList: return LangJoin(B("Refresh"), B("File") + " " + B("List"));
    case OpenFile: return LangJoin(B("Open"), B("File"));
    case DeleteFile: return LangJoin(B("Delete"), B("File"));
    case BackgroundBlack: return K1("Black");
    case BackgroundWhite: return K1("White");
    // These three have no words of their own in the language files.
    case BackgroundLightGrey: return "LightGrey";
    case BackgroundSilver: return "Silver";
    case BackgroundDarkGray: return "DarkGray";
    case ZoomIn: return K1("ZoomIn");
    case ZoomFit: return K1("ZoomFit");
    case ZoomOut: return K1("ZoomOut");
    case Help: return B("Help");
  }
  return {};
}

std::string MenuCaption(TKorvelMenu menu) {
  using enum TKorvelMenu;
  switch (menu) {
    case File: return B("File");
    case Play: return B("Play");
    case Clip: return K1("Clip");
    case View: return B("View");
    case Tools: return B("Tools");
    case Options: return B("Options");
    case Language: return "Language";
    case Help: return B("Help");
    case BackgroundColor: return K1("Background") + " " + K1("Color");
  }
  return {};
}

std::string WithoutAccelerator(std::string_view caption) {
  const size_t open = caption.find(" (&");
  if (open == std::string_view::npos) return std::string(caption);
  const size_t close = caption.rfind(')');
  if (close == std::string_view::npos || close < open) return std::string(caption);
  return std::string(caption.substr(0, open)) + std::string(caption.substr(close + 1));
}

std::string EscapeMenuText(std::string_view name) {
  std::string escaped;
  escaped.reserve(name.size());
  for (const char c : name) {
    escaped += c;
    if (c == '&') escaped += '&';
  }
  return escaped;
}

}  // namespace korvel
