#pragma once
// The main window's project commands: New, Open, Save, Save As, and the save question asked
// before the list is discarded. The question and the file dialogs are callbacks, so that the
// desktop program shows its own and the tests answer them.
#include <array>
#include <filesystem>
#include <functional>
#include <string>

#include "project/clip_list.h"
#include "project/project_file.h"

namespace korvel {

enum class TSaveAnswer { Yes, No, Cancel };

struct TSaveQuestion {
  std::string Message;
  // Yes, No and Cancel, with their mnemonics.
  std::array<std::string, 3> Buttons;
  // The closing window asks: the box stands over the window rather than at the pointer.
  bool OverWindow = false;
};

struct TFileDialogRequest {
  bool Save = false;  // a save dialog, which asks before overwriting; else an open dialog
  std::string Title;
  std::filesystem::path Folder;
  std::string FileName;  // shown without ".korvelproj"
  std::string Filter = "Korvel project (*.korvelproj)";
  std::string DefaultSuffix = "korvelproj";
};

class TProjectCommands {
public:
  // Neither is owned; both must outlive the commands.
  TProjectCommands(TProjectFile& project, TClipList& clipList);

  // The answer to the save question; Cancel also when the box is closed.
  std::function<TSaveAnswer(const TSaveQuestion&)> AskSave = [](const TSaveQuestion&) { return TSaveAnswer::Cancel; };
  // The chosen file, or an empty path when the dialog is cancelled.
  std::function<std::filesystem::path(const TFileDialogRequest&)> ChooseFile = [](const TFileDialogRequest&) {
    return std::filesystem::path();
  };
  // A notice that a project could not be saved.
  std::function<void(const std::string&)> ShowFailure = [](const std::string&) {};
  // Brings the clip list panel into sight.
  std::function<void()> ShowClipList = [] {};

  // Where the project dialogs start; always ends with a separator.
  const std::filesystem::path& LastProjectFolder() const { return lastProjectFolder_; }
  // An empty folder means the default project folder.
  void SetLastProjectFolder(const std::filesystem::path& folder);

  // True to go on discarding the list: nothing to save, saved, or the user chose not to.
  bool QuerySave(bool windowClosing = false);
  // Saves under the current name, asking for one when there is none or when asNew. An
  // unchanged named project is not written again. False when cancelled or not written.
  bool SaveCommand(bool asNew);
  void OpenCommand();
  void NewCommand();

private:
  // The dialog's choice, trimmed; its folder becomes the last project folder.
  std::filesystem::path AskFile(const TFileDialogRequest& request);
  std::filesystem::path AskSaveName(bool asNew);

  TProjectFile& project_;
  TClipList& clipList_;
  std::filesystem::path lastProjectFolder_;
};

}  // namespace korvel
