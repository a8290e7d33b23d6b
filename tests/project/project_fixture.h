#pragma once
// A clip list and its project as the main window wires them, with the user's folders moved
// into a temporary folder and no media analysis.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "project/clip_list.h"
#include "project/project_file.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace korvel::test {

// One run of the program: a list and its project, reading the same folders as any other.
struct Session {
  Session() {
    list.Analyzer = [](const std::filesystem::path&, QdMediaInfo&) { return false; };
    list.OnListChanged = [this](TClipList&) { project.AutoSave(); };
  }

  void AddClip(const std::filesystem::path& name, int32_t totalTime, int32_t startTime, int32_t endTime,
               const std::string& image = "") {
    auto item = std::make_unique<TClipItem>();
    item->SetFileName(name);
    item->SetTotalTime(totalTime);
    item->SetStartTime(startTime);
    item->SetEndTime(endTime);
    item->ClipImage.SetText(image);
    list.Add(std::move(item));
  }

  TClipList list;
  TProjectFile project{list};
};

inline std::string ReadText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteText(const std::filesystem::path& file, const std::string& text) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << text;
}

// "name|total|start|end|image" for each clip, to compare lists in one expectation.
inline std::vector<std::string> Describe(const TClipList& list) {
  std::vector<std::string> clips;
  for (int32_t i = 0; i < list.Count(); ++i) {
    const TClipItem& item = *list.Get(i);
    clips.push_back(item.FileName().string() + "|" + std::to_string(item.TotalTime()) + "|" +
                    std::to_string(item.StartTime()) + "|" + std::to_string(item.EndTime()) + "|" + item.ClipImage.Text());
  }
  return clips;
}

class ProjectFixture : public testing::Test {
protected:
  TempDir dir;
  ScopedUserFolders folders{dir.path()};
  // Declared after the folders: the project takes its work-state path from them.
  Session session;
  TClipList& list = session.list;
  TProjectFile& project = session.project;
};

}  // namespace korvel::test
