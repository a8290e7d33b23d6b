#include "mediainfo/media_families.h"

#include <algorithm>
#include <cctype>

namespace korvel {

std::span<const TMediaFamily> MediaFamilies() {
  static const TMediaFamily families[] = {
      {"AVI", {".AVI"}},
      {"Windows Media", {".WMV", ".WM", ".ASF", ".WMA"}},
      {"MP4 family", {".MP4", ".M4A", ".M4V", ".MOV", ".3GP", ".3G2"}},
      {"MPEG program stream", {".MPG", ".MPEG", ".MPE", ".MPV", ".M1V", ".M2V", ".VOB"}},
      {"MPEG transport stream", {".TS", ".TP", ".M2T", ".M2TS", ".MTS"}},
  };
  return families;
}

std::string MediaExtensionList() {
  std::string list;
  for (const TMediaFamily& family : MediaFamilies())
    for (const std::string_view extension : family.Extensions) (list += extension) += ';';
  return list;
}

bool HasMediaExtension(std::string_view name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  std::string extension(name.substr(dot));
  std::ranges::transform(extension, extension.begin(), [](unsigned char c) { return char(std::toupper(c)); });
  for (const TMediaFamily& family : MediaFamilies())
    if (std::ranges::find(family.Extensions, extension) != family.Extensions.end()) return true;
  return false;
}

}  // namespace korvel
