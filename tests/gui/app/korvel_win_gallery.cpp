// The main window in the gallery of scripts/screenshot, with a file of a folder of fixtures open
// in the player and a selection marked.
#include <QTimer>

#include "app/korvel_win.h"
#include "app/media_browser.h"
#include "gui/app/browser_test_support.h"
#include "gui/gallery/gallery.h"
#include "player/mpv_player_engine.h"
#include "player/preview_player.h"

namespace korvel::test {

namespace {

std::unique_ptr<QWidget> MainWindow(const std::function<void()>& ready) {
  // The folder is there before the window, so that the browser shows it under the user's videos.
  const std::filesystem::path file = GalleryFixtureFolder() / "player_colours_bframes.mp4";
  auto window = std::make_unique<TKorvelWin>(
      TKorvelWinSetup{.Engine = std::make_unique<MpvPlayerEngine>(MpvPlayerEngine::Options{.audioOutput = "null"}),
                      .LanguageFolder = KORVEL_LANGUAGE_SOURCE_DIR});
  window->setWindowState(Qt::WindowNoState);
  window->resize(1100, 720);
  TKorvelWin* shown = window.get();
  // Once the work state is back, a file is opened and held a second in, with a selection.
  QTimer::singleShot(300, shown, [shown, ready, file] {
    shown->Player().AutoPlay = false;
    shown->Browser().SelectFileInBrowser(file);
    if (shown->OpenMediaFile(file)) {
      shown->Player().SetSelection(0.8, 2.6);
      shown->Player().SetPosition(1.0);
    }
    QTimer::singleShot(700, shown, ready);
  });
  return window;
}

}  // namespace

KORVEL_GALLERY_WINDOW({"main", "the main window with a file open", 100, MainWindow});

}  // namespace korvel::test
