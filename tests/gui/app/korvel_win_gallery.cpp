// The main window in the gallery of scripts/screenshot, with a file of a folder of fixtures open
// in the player, three clips taken from it and a selection marked further on.
#include <QAction>
#include <QTimer>
#include <filesystem>
#include <utility>

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
  const std::filesystem::path file = GalleryFixtureFolder() / "ps_mpeg2_long.mpg";
  std::error_code ignored;
  std::filesystem::copy_file(FixturePath("ps_mpeg2_long.mpg"), file, std::filesystem::copy_options::skip_existing,
                             ignored);
  auto window = std::make_unique<TKorvelWin>(
      TKorvelWinSetup{.Engine = std::make_unique<MpvPlayerEngine>(MpvPlayerEngine::Options{.audioOutput = "null"}),
                      .LanguageFolder = KORVEL_LANGUAGE_SOURCE_DIR});
  window->setWindowState(Qt::WindowNoState);
  window->resize(1100, 720);
  TKorvelWin* shown = window.get();
  // Once the work state is back, a file is opened, three clips taken from it, and a selection
  // marked further on.
  QTimer::singleShot(300, shown, [shown, ready, file] {
    shown->Player().AutoPlay = false;
    shown->Browser().SelectFileInBrowser(file);
    if (shown->OpenMediaFile(file)) {
      for (const auto& [start, end] : {std::pair{0.5, 1.5}, {1.8, 2.9}, {3.1, 3.9}}) {
        shown->Player().SetSelection(start, end);
        shown->Actions().Get(TKorvelCommand::AddClip)->trigger();
      }
      shown->Player().SetSelection(4.2, 5.6);
      shown->Player().SetPosition(4.6);
    }
    QTimer::singleShot(1500, shown, [shown, ready] {
      shown->Player().UpdatePosition();
      ready();
    });
  });
  return window;
}

}  // namespace

KORVEL_GALLERY_WINDOW({"main", "the main window with a file open, three clips and a selection", 100, MainWindow});

}  // namespace korvel::test
