#include "mediainfo/media_extensions.h"

#include <array>
#include <string>
#include <string_view>

#include "base/file_filter.h"

namespace korvel {

int32_t FileIconCategory(const std::filesystem::path& name) {
  struct Category {
    std::string_view extensions;
    int32_t category;
  };
  static constexpr std::array<Category, 8> kCategories{{
      {".AVI;.MKV;", 2},
      {".WMV;.WM;.ASF;", 3},
      {".MPG;.MPEG;.MPE;.MPV;.M1V;.M2V;.VOB;.TS;.TP;.M2T;.M2TS;.MTS;", 4},
      {".MP4;", 5},
      {".RM;.RMVB;.RA;", 6},
      {".MOV;", 7},
      {".OGG;.OGM;", 8},
      {".M4A;.WMA;.MP3;.MKA;", 9},
  }};
  const std::string extension = UpperExtension(name.filename().string());
  if (extension.empty()) return 1;
  for (const Category& each : kCategories)
    if (TFileFilter::Parse(each.extensions).PassesExtension(extension)) return each.category;
  return 1;
}

}  // namespace korvel
