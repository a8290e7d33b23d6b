#include "base/compact_layout.h"

namespace korvel {

TCompactLayout CompactLayoutFor(bool browserShown, bool maximized, bool minimized) {
  return {.ShowMenuBar = browserShown, .ShowBrowser = browserShown, .Framed = browserShown || !maximized || minimized};
}

}  // namespace korvel
