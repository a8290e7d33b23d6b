// The browser for scripts/screenshot: a folder of the user's videos holding media fixtures of
// every family, beside a dark video area as the window has it.
#include <QHBoxLayout>
#include <QLabel>
#include <QTreeWidget>
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
  browser->Init(GalleryFixtureFolder());
  browser->SelectFileInBrowser(GalleryFixtureFolder() / "mp4_h264_aac.mp4");
  window->resize(900, 620);
  ready();
  return window;
}

}  // namespace

KORVEL_GALLERY_WINDOW({"browser", "the folder tree and file list on a folder of media fixtures", 25, BrowserWindow});

}  // namespace korvel::test
