#pragma once
// What the browser suites share: the window's side of the browser as the tests play it and
// answers to the questions the browser asks one after another.
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/media_browser.h"
#include "gui/support/english_words.h"
#include "project/clip_list.h"

namespace korvel::test {

// The window as the browser sees it: opening goes through the browser's checks, as the main
// window's one entry for opening does; the player is a file name.
class FakeBrowserHost final : public IMediaBrowserHost {
public:
  QWidget* QuestionOwner() override { return &window; }
  std::optional<TDlgPlacement> QuestionPlacement() override { return std::nullopt; }
  TClipList& ClipList() override { return clips; }
  std::filesystem::path PlayerFile() override { return playerFile; }
  void PausePlayer() override { ++pauses; }
  void CloseMedia() override {
    playerFile.clear();
    clips.SetCurrent(nullptr);
  }
  void OpenMediaFile(const std::filesystem::path& file) override;
  bool StartNewProject() override {
    ++newProjects;
    clips.Clear();
    return true;
  }

  QWidget window;
  TClipList clips;
  TMediaBrowser* browser = nullptr;
  std::filesystem::path playerFile;
  std::vector<std::filesystem::path> opened;
  int pauses = 0;
  int newProjects = 0;
};

// Answers the modal windows shown from now on, one answer each, in order, and keeps the
// message each one showed.
class ModalScript {
public:
  using Answer = std::function<void(QWidget& modal)>;
  explicit ModalScript(std::vector<Answer> answers);
  ModalScript(const ModalScript&) = delete;
  ModalScript& operator=(const ModalScript&) = delete;

  // The message of every window answered so far.
  const std::vector<QString>& Messages() const { return messages_; }

private:
  std::vector<Answer> answers_;
  std::vector<QString> messages_;
  QPointer<QWidget> last_;
  QTimer poll_;
};

// The message a modal window shows: the program's message box, the difference dialog or the
// system's box.
QString MessageOf(QWidget& modal);
// Presses the program's message box button 1, 2 or 3 (leftmost first).
ModalScript::Answer PressButton(int button);

std::vector<uint8_t> FileBytes(const std::filesystem::path& file);
void WriteText(const std::filesystem::path& file, const std::string& text);
std::filesystem::path FixturePath(const std::string& name);

// A folder of the user's videos holding a dozen media fixtures of every family, for the
// gallery's windows; made on the first call.
std::filesystem::path GalleryFixtureFolder();

}  // namespace korvel::test
