#pragma once
// The five container families the program offers, with the extensions that name their files.
// The extension only decides what is offered: which analyzer reads a file is decided from its
// first bytes.
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace korvel {

struct TMediaFamily {
  std::string_view Name;
  // Upper case, with the dot.
  std::vector<std::string_view> Extensions;
};

// AVI, Windows Media, the MP4 family, MPEG program streams and MPEG transport streams, in that
// order.
std::span<const TMediaFamily> MediaFamilies();

// The families' extensions in the browser's form: ".AVI;.WMV;.WM;...;" in family order.
std::string MediaExtensionList();

// Whether name ends in one of the families' extensions, in any case.
bool HasMediaExtension(std::string_view name);

}  // namespace korvel
