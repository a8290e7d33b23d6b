// korvel-gallery [--list] [WHAT]: shows one window of the program in a sandbox of user folders.
// Once the window shows what it should, it prints "ready 0xWINDOWID" and keeps running until it
// is ended, so that scripts/screenshot can take its picture.
#include <QColor>
#include <QPalette>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "gui/gallery/gallery.h"
#include "gui/support/gui_test_main.h"
#include "lang/language.h"

namespace korvel::test {

namespace {

std::vector<GalleryWindow>& Registry() {
  static std::vector<GalleryWindow> windows;
  return windows;
}

const GalleryWindow* FindWindow(const std::string& name) {
  const auto& windows = Registry();
  if (windows.empty()) return nullptr;
  if (name.empty())
    return &*std::ranges::max_element(windows, {}, [](const GalleryWindow& w) { return w.Completeness; });
  const auto found = std::ranges::find(windows, name, &GalleryWindow::Name);
  return found == windows.end() ? nullptr : &*found;
}

void ListWindows(std::FILE* out) {
  std::vector<GalleryWindow> windows = Registry();
  std::ranges::sort(windows, {}, &GalleryWindow::Name);
  for (const GalleryWindow& w : windows) std::fprintf(out, "  %-12s %s\n", w.Name.c_str(), w.Description.c_str());
}

}  // namespace

bool RegisterGalleryWindow(GalleryWindow window) {
  Registry().push_back(std::move(window));
  return true;
}

std::unique_ptr<QWidget> MakeDarkGalleryWindow() {
  auto window = std::make_unique<QWidget>();
  QPalette dark = window->palette();
  dark.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
  dark.setColor(QPalette::WindowText, QColor(0xd0, 0xd0, 0xd0));
  window->setPalette(dark);
  window->setAutoFillBackground(true);
  return window;
}

}  // namespace korvel::test

int main(int argc, char** argv) {
  using namespace korvel::test;
  const std::string first = argc > 1 ? argv[1] : "";
  if (first == "--list" || first == "--help") {
    std::printf("korvel-gallery [--list] [WHAT]; the windows:\n");
    ListWindows(stdout);
    return 0;
  }
  const GalleryWindow* chosen = FindWindow(first);
  if (!chosen) {
    std::fprintf(stderr, "korvel-gallery: no window named \"%s\"; the windows:\n", first.c_str());
    ListWindows(stderr);
    return 2;
  }

  GuiTestApplication application(argc, argv);
  // The windows show their words as the program does.
  korvel::TLanguage language{KORVEL_LANGUAGE_SOURCE_DIR};
  language.LoadLanguage(0x0409);
  std::unique_ptr<QWidget> window;
  bool announced = false;
  const auto ready = [&] {
    if (announced) return;
    announced = true;
    // One more turn of painting, so that the picture holds what was just drawn.
    QTimer::singleShot(300, [&] {
      std::printf("ready 0x%llx\n", static_cast<unsigned long long>(window->winId()));
      std::fflush(stdout);
    });
  };
  window = chosen->Make(ready);
  if (window->windowTitle().isEmpty()) window->setWindowTitle(QString::fromStdString("Korvel - " + chosen->Name));
  window->show();
  return application.App().exec();
}
