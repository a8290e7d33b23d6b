#include "base/browser_colours.h"

#include <array>

namespace korvel {

TBrowserColours BrowserColours(int32_t index) {
  constexpr uint32_t kDark = 0x303030, kWhite = 0xFFFFFF, kBlack = 0x000000;
  static constexpr std::array<TBrowserColours, kBrowserColourCount> kSchemes{{
      {kDark, kWhite, kDark, kWhite},
      {kWhite, kBlack, kWhite, kBlack},
      {kDark, kWhite, 0xD3D3D3, kBlack},
      {kDark, kWhite, 0xC0C0C0, kBlack},
      {kDark, kWhite, 0xA9A9A9, kBlack},
  }};
  return kSchemes[index >= 0 && index < kBrowserColourCount ? index : 0];
}

}  // namespace korvel
