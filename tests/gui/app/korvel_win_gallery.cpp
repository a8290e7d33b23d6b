// The main window in the gallery of scripts/screenshot, with a file of a folder of fixtures open
// in the player, a clip taken from it and a selection marked further on.
#include <QAction>
#include <QTimer>
#include <filesystem>

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
  // Once the work state is back, a file is opened, a clip taken from its start, and a selection
  // marked further on.
  QTimer::singleShot(300, shown, [shown, ready, file] {
    shown->Player().AutoPlay = false;
    shown->Browser().SelectFileInBrowser(file);
    if (shown->OpenMediaFile(file)) {
      shown->Player().SetSelection(0.5, 2.0);
      shown->Actions().Get(TKorvelCommand::AddClip)->trigger();
      shown->Player().SetSelection(2.6, 4.8);
      shown->Player().SetPosition(3.0);
    }
    QTimer::singleShot(1500, shown, ready);
  });
  return window;
}

}  // namespace

KORVEL_GALLERY_WINDOW({"main", "the main window with a file open, a clip and a selection", 100, MainWindow});

}  // namespace korvel::test
