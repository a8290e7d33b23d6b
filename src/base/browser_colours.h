#pragma once
// The five colour schemes of the folder tree and file list, chosen by the stored index.
#include <cstdint>

namespace korvel {

// Colours as 0xRRGGBB.
struct TBrowserColours {
  uint32_t TreeBack;
  uint32_t TreeText;
  uint32_t ListBack;
  uint32_t ListText;
};

inline constexpr int32_t kBrowserColourCount = 5;

// 0 black, 1 white, 2 light grey, 3 silver, 4 dark grey; any other index is taken as 0.
TBrowserColours BrowserColours(int32_t index);

}  // namespace korvel
