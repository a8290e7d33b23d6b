#pragma once
// A project is the clip list kept in a ".korvelproj" INI file. The same format with one more
// section, "Temp", is the work state: the list written after every change to a fixed file, so
// that an unsaved list survives a crash or a close and comes back at the next start.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "base/ini_file.h"
#include "project/clip_list.h"

namespace korvel {

inline constexpr std::string_view kProjectExtension = ".korvelproj";
inline constexpr std::string_view kUntitledProjectName = "Untitled.korvelproj";

// The data folder's "Korvel/TempWorkState.korvelproj". The folder is created when the work
// state is saved.
std::filesystem::path DefaultWorkStatePath();
// The documents folder's "Korvel/", created if missing; it ends with a separator.
std::filesystem::path DefaultProjectFolder();

// The name with a trailing ".korvelproj" removed, whatever its case: it is an extension.
std::string WithoutProjectExtension(std::string name);

// Appends the valid clips of a project or work-state file to list, in file order. Sections
// that do not make a usable clip are skipped.
void AddProjectClips(const IniFile& ini, TClipList& list);

class TProjectFile {
public:
  // The list is not owned and must outlive the project.
  explicit TProjectFile(TClipList& clipList, std::filesystem::path workStatePath = DefaultWorkStatePath());
  TProjectFile(const TProjectFile&) = delete;
  TProjectFile& operator=(const TProjectFile&) = delete;

  // Raised when ProjectName changes, and once by RestoreWorkState whatever it restores.
  std::function<void(TProjectFile&)> OnProjectNameChanged;

  const std::filesystem::path& WorkStatePath() const { return workStatePath_; }
  // The current project file; empty for an untitled project.
  const std::filesystem::path& ProjectName() const { return projectName_; }
  void SetProjectName(const std::filesystem::path& name);
  // "Untitled" or the project file's name, without folder and extension.
  std::string ProjectDisplayName() const;

  // Once the window has agreed to close, the work state on disk stays the one written while
  // the list was still in use.
  void SetClosing(bool closing) { closing_ = closing; }

  // Writes the list to path, replacing the file only once the new one is complete; on
  // success the list becomes this project, unchanged, and the work state follows. On
  // failure the old file, ProjectName and Changed stay as they were.
  bool SaveProject(const std::filesystem::path& path);
  // Reads path into the list. A missing file, or one without a valid clip, opens as an
  // empty list: it still becomes the project, unchanged. A file that exists but cannot be
  // read fails and changes nothing: opening it empty would let the next save overwrite it.
  bool OpenProject(const std::filesystem::path& path);
  // An empty, untitled, unchanged list, and a work state that says so.
  void NewProject();

  // Writes the list, its Changed flag and ProjectName to the work-state file. Does nothing
  // (and succeeds) while a file is being read or after closing.
  bool SaveWorkState();
  // For the handler of the list's OnListChanged: saves the work state while the list has
  // unsaved changes.
  void AutoSave();
  // Brings back the list, the project name and the Changed flag of the previous run; a
  // missing work state gives an empty untitled project.
  void RestoreWorkState();

  // Links the first clip and unlinks it again, so that the player shows it.
  void ShowFirstClip();

private:
  IniFile ClipSectionsToIni() const;
  // Clears the list and fills it from the file's valid clip sections.
  void ReplaceClips(const IniFile& ini);

  TClipList& clipList_;
  std::filesystem::path workStatePath_;
  std::filesystem::path projectName_;
  bool loading_ = false;
  bool closing_ = false;
};

}  // namespace korvel
