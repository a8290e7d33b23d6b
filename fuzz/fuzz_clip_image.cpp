// Thumbnail text comes from project files and frames from the player: neither may crash us.
// The input is tried both as thumbnail text and as a packed bitmap.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "project/clip_image.h"

namespace {

constexpr size_t kThumbnailFileSize = 8154;

void CheckText(const uint8_t* data, size_t size) {
  korvel::TClipImage image;
  image.SetText(std::string(reinterpret_cast<const char*>(data), size));
  std::vector<uint8_t> stream;
  image.DecodeToStream(stream);
  if (image.MakePicture().empty()) std::abort();
}

void CheckDib(const uint8_t* data, size_t size) {
  korvel::TClipImage image;
  if (!image.SetFromDib(data, size)) {
    if (!image.Text().empty()) std::abort();
    return;
  }
  // A thumbnail we made must always be one we show, not the empty box.
  std::vector<uint8_t> file;
  if (!image.DecodeToStream(file) || file.size() != kThumbnailFileSize || image.MakePicture() != file) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckText(data, size);
  CheckDib(data, size);
  return 0;
}
