#include "project/project_file.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <span>
#include <system_error>

#include "base/atomic_file.h"
#include "base/user_folders.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

std::string ClipSection(int32_t index) { return "Clip" + std::to_string(index); }

// Replaces the file only once the new text is completely on disk, so a failed save never
// costs the user the previous one.
bool WriteIni(const IniFile& ini, const fs::path& path) {
  const std::string text = ini.ToText();
  return WriteFileAtomically(path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

// The clip one section describes, or null when the section does not make a usable clip.
std::unique_ptr<TClipItem> ReadClip(const IniFile& ini, const std::string& section) {
  const std::string fileName = ini.ReadString(section, "FileName", "");
  const int32_t totalTime = ini.ReadInteger(section, "TotalTime", 0);
  const int32_t startTime = ini.ReadInteger(section, "StartTime", 0);
  const int32_t endTime = ini.ReadInteger(section, "EndTime", 0);
  if (fileName.empty() || totalTime == 0 || startTime < 0 || startTime >= endTime) return nullptr;

  auto item = std::make_unique<TClipItem>();
  item->SetFileName(fileName);
  item->SetTotalTime(totalTime);
  item->SetStartTime(startTime);
  item->SetEndTime(endTime);
  if (std::string image = ini.ReadString(section, "ClipImage", ""); !image.empty()) item->ClipImage.SetText(std::move(image));
  return item;
}

// Autosaves raised by the list while a file is being read would write a half-read list.
class LoadingScope {
public:
  explicit LoadingScope(bool& loading) : loading_(loading) { loading_ = true; }
  ~LoadingScope() { loading_ = false; }
  LoadingScope(const LoadingScope&) = delete;
  LoadingScope& operator=(const LoadingScope&) = delete;

private:
  bool& loading_;
};

}  // namespace

fs::path DefaultWorkStatePath() { return UserDataFolder() / "Korvel" / "TempWorkState.korvelproj"; }

fs::path DefaultProjectFolder() {
  const fs::path folder = UserDocumentsFolder() / "Korvel";
  std::error_code ignored;  // a folder that cannot be made shows up when a dialog or a save uses it
  fs::create_directories(folder, ignored);
  return folder / "";
}

std::string WithoutProjectExtension(std::string name) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  if (name.size() >= kProjectExtension.size() &&
      std::equal(kProjectExtension.begin(), kProjectExtension.end(), name.end() - kProjectExtension.size(),
                 [&](char a, char b) { return a == lower(b); }))
    name.resize(name.size() - kProjectExtension.size());
  return name;
}

TProjectFile::TProjectFile(TClipList& clipList, fs::path workStatePath)
    : clipList_(clipList), workStatePath_(std::move(workStatePath)) {}

void TProjectFile::SetProjectName(const fs::path& name) {
  if (name == projectName_) return;
  projectName_ = name;
  if (OnProjectNameChanged) OnProjectNameChanged(*this);
}

std::string TProjectFile::ProjectDisplayName() const {
  return WithoutProjectExtension(projectName_.empty() ? std::string(kUntitledProjectName) : projectName_.filename().string());
}

IniFile TProjectFile::ClipSectionsToIni() const {
  IniFile ini;
  ini.WriteInteger("Clip", "ClipCount", clipList_.Count());
  for (int32_t i = 0; i < clipList_.Count(); ++i) {
    const TClipItem& item = *clipList_.Get(i);
    const std::string section = ClipSection(i);
    ini.Write(section, "FileName", item.FileName().string());
    ini.WriteInteger(section, "TotalTime", item.TotalTime());
    ini.WriteInteger(section, "StartTime", item.StartTime());
    ini.WriteInteger(section, "EndTime", item.EndTime());
    ini.Write(section, "ClipImage", item.ClipImage.Text());
  }
  return ini;
}

void AddProjectClips(const IniFile& ini, TClipList& list) {
  // The count comes from the file: never look for more sections than the file holds.
  const int64_t count = std::min<int64_t>(ini.ReadInteger("Clip", "ClipCount", 0), static_cast<int64_t>(ini.SectionCount()));
  for (int32_t i = 0; i < count; ++i)
    if (auto item = ReadClip(ini, ClipSection(i))) list.Add(std::move(item));
}

void TProjectFile::ReplaceClips(const IniFile& ini) {
  const LoadingScope loading(loading_);
  clipList_.Clear();
  AddProjectClips(ini, clipList_);
}

bool TProjectFile::SaveProject(const fs::path& path) {
  if (!WriteIni(ClipSectionsToIni(), path)) return false;
  SetProjectName(path);
  clipList_.SetChanged(false);
  SaveWorkState();
  return true;
}

bool TProjectFile::OpenProject(const fs::path& path) {
  std::optional<IniFile> ini = IniFile::Load(path);
  std::error_code ec;
  if (!ini && fs::exists(path, ec)) return false;
  ReplaceClips(ini.value_or(IniFile()));
  SetProjectName(path);
  clipList_.SetChanged(false);
  ShowFirstClip();
  SaveWorkState();
  return true;
}

void TProjectFile::NewProject() {
  SetProjectName({});
  clipList_.Clear();
  clipList_.SetChanged(false);
  // An empty, unchanged list raises no autosave; without this the work state would still
  // name the previous project at the next start.
  SaveWorkState();
}

bool TProjectFile::SaveWorkState() {
  if (loading_ || closing_) return true;
  IniFile ini = ClipSectionsToIni();
  ini.WriteInteger("Temp", "Changed", clipList_.Changed() ? 1 : 0);
  ini.Write("Temp", "PjFileName", projectName_.string());
  std::error_code ignored;  // a folder that cannot be made fails the write below
  fs::create_directories(workStatePath_.parent_path(), ignored);
  return WriteIni(ini, workStatePath_);
}

void TProjectFile::AutoSave() {
  if (clipList_.Changed()) SaveWorkState();
}

void TProjectFile::RestoreWorkState() {
  const IniFile ini = IniFile::Load(workStatePath_).value_or(IniFile());
  ReplaceClips(ini);
  const fs::path name = ini.ReadString("Temp", "PjFileName", "");
  // An empty untitled list has nothing worth a save question.
  const bool changed = ini.ReadInteger("Temp", "Changed", 0) != 0 && !(name.empty() && clipList_.Count() == 0);
  // The name label is filled even when the restored name equals the initial empty one.
  projectName_ = name;
  if (OnProjectNameChanged) OnProjectNameChanged(*this);
  clipList_.SetChanged(changed);
  ShowFirstClip();
}

void TProjectFile::ShowFirstClip() {
  if (clipList_.Count() == 0) return;
  clipList_.SetCurrent(clipList_.Get(0));
  clipList_.SetCurrent(nullptr);
}

}  // namespace korvel
