#include "gui/app/browser_test_support.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <fstream>

#include "app/format_differences_win.h"
#include "controls/my_msg_box_win.h"

namespace korvel::test {

void FakeBrowserHost::OpenMediaFile(const std::filesystem::path& file) {
  const std::filesystem::path checked = browser->CheckedOpenPath(file);
  if (checked.empty()) return;
  CloseMedia();
  playerFile = checked;
  opened.push_back(checked);
}

ModalScript::ModalScript(std::vector<Answer> answers) : answers_(std::move(answers)) {
  QObject::connect(&poll_, &QTimer::timeout, [this] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || modal == last_.data()) return;
    if (messages_.size() >= answers_.size()) return;
    last_ = modal;
    messages_.push_back(MessageOf(*modal));
    answers_[messages_.size() - 1](*modal);
  });
  poll_.start(10);
}

QString MessageOf(QWidget& modal) {
  if (auto* box = qobject_cast<TMyMsgBoxWin*>(&modal)) return box->Msg()->text();
  if (auto* diff = qobject_cast<TDiffMdaInfoWin*>(&modal)) return diff->Msg()->text();
  if (auto* box = qobject_cast<QMessageBox*>(&modal)) return box->text();
  return modal.windowTitle();
}

ModalScript::Answer PressButton(int button) {
  return [button](QWidget& modal) {
    auto* box = qobject_cast<TMyMsgBoxWin*>(&modal);
    if (!box) {
      modal.close();
      return;
    }
    QPushButton* buttons[] = {box->Btn1(), box->Btn2(), box->Btn3()};
    buttons[button - 1]->click();
  };
}

std::vector<uint8_t> FileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteText(const std::filesystem::path& file, const std::string& text) {
  std::ofstream(file, std::ios::binary) << text;
}

std::filesystem::path FixturePath(const std::string& name) { return std::filesystem::path(KORVEL_FIXTURE_DIR) / name; }

std::filesystem::path GalleryFixtureFolder() {
  namespace fs = std::filesystem;
  const fs::path folder =
      QStandardPaths::writableLocation(QStandardPaths::HomeLocation).toStdString() + "/Videos/Holiday 2024";
  fs::create_directories(folder / "Raw takes");
  fs::create_directories(folder.parent_path() / "Concerts");
  for (const char* fixture : {"avi_xvid_mp3.avi", "avi_xvid_mp3_noidx1.avi", "asf_wmv2.wmv", "mp4_h264_aac.mp4",
                              "mov_h264_aac.mov", "ps_mpeg2_mp2.mpg", "vob_mpeg2_ac3.vob", "ts_h264_aac.mts",
                              "ts_mpeg2_ac3.ts", "m4a_aac.m4a", "3gp_h264_aac.3gp", "mkv_mpeg4_mp3.mkv",
                              "player_colours_bframes.mp4"}) {
    std::error_code ignored;
    fs::copy_file(FixturePath(fixture), folder / fixture, fs::copy_options::skip_existing, ignored);
  }
  return folder;
}

}  // namespace korvel::test
