#pragma once
// The windows scripts/screenshot can show, each under a short name. A file that defines one
// registers it with KORVEL_GALLERY_WINDOW and is added to the korvel-gallery program with
// target_sources(korvel-gallery PRIVATE file.cpp) in its own folder's CMakeLists.txt.
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

namespace korvel::test {

struct GalleryWindow {
  // The WHAT of scripts/screenshot.
  std::string Name;
  std::string Description;
  // The window shown when no name is given is the one with the highest value: a window that
  // holds more of the program ranks higher.
  int Completeness = 0;
  // Makes the window, not yet shown. It calls ready once it shows what it should: at once for a
  // still window, after the first frame for one that plays.
  std::function<std::unique_ptr<QWidget>(std::function<void()> ready)> Make;
};

// Adds a window to the gallery; returns true so that it can initialise a static.
bool RegisterGalleryWindow(GalleryWindow window);

// An empty top-level window in the dark colours the program's video area uses, for controls
// that are meant to sit on it.
std::unique_ptr<QWidget> MakeDarkGalleryWindow();

}  // namespace korvel::test

#define KORVEL_GALLERY_CONCAT_(a, b) a##b
#define KORVEL_GALLERY_CONCAT(a, b) KORVEL_GALLERY_CONCAT_(a, b)
// KORVEL_GALLERY_WINDOW({"name", "description", completeness, [](auto ready) { ... }});
#define KORVEL_GALLERY_WINDOW(...)                                                           \
  [[maybe_unused]] static const bool KORVEL_GALLERY_CONCAT(galleryWindowRegistered, __LINE__) = \
      korvel::test::RegisterGalleryWindow(korvel::test::GalleryWindow __VA_ARGS__)
