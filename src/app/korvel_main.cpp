// korvel: the desktop program.
#include <cstdio>
#include <cstdlib>

#include "app/korvel_application.h"
#include "app/korvel_win.h"
#include "app/single_instance.h"

namespace {

bool HasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  // A second start leaves the running program alone, silently.
  korvel::TSingleInstance instance;
  if (!instance.Acquire()) return 0;
  if (!HasDisplay()) {
    std::fprintf(stderr,
                 "korvel: no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                 "To see the window without a desktop, run scripts/screenshot, which draws it under Xvfb.\n");
    return 1;
  }
  korvel::TKorvelApplication application(argc, argv);
  korvel::TKorvelWin window;
  window.show();
  return application.exec();
}
