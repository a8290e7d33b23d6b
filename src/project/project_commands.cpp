#include "project/project_commands.h"

#include "lang/lang.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

// Names typed into a dialog or kept from elsewhere may carry blanks or control characters
// at either end; no real file name of ours does.
fs::path Trimmed(const fs::path& name) {
  const std::string text = name.string();
  const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && isBlank(text[begin])) ++begin;
  while (end > begin && isBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::string ProjectWord() { return LangStr("Korvel1", "Project"); }

}  // namespace

TProjectCommands::TProjectCommands(TProjectFile& project, TClipList& clipList)
    : project_(project), clipList_(clipList), lastProjectFolder_(DefaultProjectFolder()) {}

void TProjectCommands::SetLastProjectFolder(const fs::path& folder) {
  lastProjectFolder_ = folder.empty() ? DefaultProjectFolder() : folder / "";
}

bool TProjectCommands::QuerySave(bool windowClosing) {
  if (!clipList_.Changed()) return true;
  const bool untitled = project_.ProjectName().empty();
  if (untitled && clipList_.Count() == 0) return true;

  ShowClipList();
  TSaveQuestion question;
  question.Message = ProjectWord() + " " + LangStr("Base", "FileName") + " : " + project_.ProjectDisplayName() + "\n\n";
  if (untitled) question.Message += LangStr("Korvel1", "ProjectHelp") + "\n\n";
  question.Message += LangStr("Korvel1", "SaveProject");
  question.Buttons = {LangStr("Korvel1", "Yes") + " (&Y)", LangStr("Korvel1", "No") + " (&N)",
                      LangStr("Base", "Cancel") + " (&C)"};
  question.OverWindow = windowClosing;
  switch (AskSave(question)) {
    case TSaveAnswer::Yes:
      return SaveCommand(false);
    case TSaveAnswer::No:
      return true;
    case TSaveAnswer::Cancel:
      break;
  }
  return false;
}

bool TProjectCommands::SaveCommand(bool asNew) {
  fs::path name = Trimmed(project_.ProjectName());
  if (asNew) {
    name = AskSaveName(true);
  } else if (!clipList_.Changed()) {
    return true;
  } else if (name.empty()) {
    name = AskSaveName(false);
  }
  if (name.empty()) return false;
  if (project_.SaveProject(name)) return true;
  ShowFailure(LangStr("Base", "Failure") + " : " + LangJoin(LangStr("Base", "Save"), ProjectWord()) + "\n\n" + name.string());
  return false;
}

void TProjectCommands::OpenCommand() {
  if (!QuerySave()) return;
  TFileDialogRequest request;
  request.Title = LangJoin(LangStr("Base", "Open"), ProjectWord());
  request.Folder = lastProjectFolder_;
  const fs::path chosen = AskFile(request);
  if (chosen.empty()) return;
  if (!project_.OpenProject(chosen)) {
    ShowFailure(LangStr("Base", "Failure") + " : " + LangJoin(LangStr("Base", "Open"), ProjectWord()) + "\n\n" +
                chosen.string());
    return;
  }
  ShowClipList();
}

void TProjectCommands::NewCommand() {
  if (QuerySave()) project_.NewProject();
}

fs::path TProjectCommands::AskFile(const TFileDialogRequest& request) {
  const fs::path chosen = Trimmed(ChooseFile(request));
  if (!chosen.empty()) SetLastProjectFolder(chosen.parent_path());
  return chosen;
}

fs::path TProjectCommands::AskSaveName(bool asNew) {
  fs::path start = project_.ProjectName();
  if (start.empty()) {
    // An untitled list is named after its first clip's source, so that the user rarely types.
    const TClipItem* first = clipList_.Get(0);
    start = lastProjectFolder_ / (first ? first->FileName().stem().string() + std::string(kProjectExtension)
                                        : std::string(kUntitledProjectName));
  }
  TFileDialogRequest request;
  request.Save = true;
  request.Title = asNew ? LangStr("Korvel1", "SaveAs") + " (" + ProjectWord() + ")"
                        : LangJoin(LangStr("Base", "Save"), ProjectWord());
  request.Folder = start.parent_path();
  request.FileName = WithoutProjectExtension(start.filename().string());
  return AskFile(request);
}

}  // namespace korvel
