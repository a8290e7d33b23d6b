// The browser for scripts/screenshot: a folder of the user's videos holding media fixtures of
// every family, beside a dark video area as the window has it.
#include <QHBoxLayout>
#include <QLabel>
#include <QTreeWidget>
#include <QStandardPaths>
#include <filesystem>

#include "app/media_browser.h"
#include "controls/j_dir_tree2.h"
#include "gui/app/browser_test_support.h"
#include "gui/gallery/gallery.h"

namespace korvel::test {
namespace {

namespace fs = std::filesystem;

// The window's part of the browser, gone with the gallery window.
class GalleryHost final : public QObject {
public:
  explicit GalleryHost(QObject* window) : QObject(window) {}
  FakeBrowserHost Host;
};

fs::path FixtureFolder() {
  const fs::path folder =
      QStandardPaths::writableLocation(QStandardPaths::HomeLocation).toStdString() + "/Videos/Holiday 2024";
  fs::create_directories(folder / "Raw takes");
  fs::create_directories(folder.parent_path() / "Concerts");
  for (const char* fixture : {"avi_xvid_mp3.avi", "avi_xvid_mp3_noidx1.avi", "asf_wmv2.wmv", "mp4_h264_aac.mp4",
                              "mov_h264_aac.mov", "ps_mpeg2_mp2.mpg", "vob_mpeg2_ac3.vob", "ts_h264_aac.mts",
                              "ts_mpeg2_ac3.ts", "m4a_aac.m4a", "3gp_h264_aac.3gp", "mkv_mpeg4_mp3.mkv"}) {
    std::error_code ignored;
    fs::copy_file(FixturePath(fixture), folder / fixture, fs::copy_options::skip_existing, ignored);
  }
  return folder;
}

std::unique_ptr<QWidget> BrowserWindow(const std::function<void()>& ready) {
  static EnglishWords words;
  auto window = MakeDarkGalleryWindow();
  auto* material = new GalleryHost(window.get());
  auto* layout = new QHBoxLayout(window.get());
  auto* browser = new TMediaBrowser(material->Host);
  material->Host.browser = browser;
  auto* video = new QLabel("video");
  video->setAlignment(Qt::AlignCenter);
  video->setStyleSheet("background: black; color: #555");
  layout->addWidget(browser, 0);
  layout->addWidget(video, 1);
  browser->setFixedWidth(360);
  browser->AcceptDropsOn(video);
  browser->Init(FixtureFolder());
  browser->SelectFileInBrowser(FixtureFolder() / "mp4_h264_aac.mp4");
  window->resize(900, 620);
  ready();
  return window;
}

}  // namespace

KORVEL_GALLERY_WINDOW({"browser", "the folder tree and file list on a folder of media fixtures", 25, BrowserWindow});

}  // namespace korvel::test
