#include "project/clip_image.h"

#include <new>
#include <optional>
#include <string_view>

#include "base/hex.h"
#include "project/bitmap.h"

namespace korvel {

namespace {

constexpr std::string_view kFormatTag = "0001";
constexpr std::string_view kHexDigits = "0123456789ABCDEF";
// Thumbnails are 60 x 45; a project file holding a far larger picture was not written by this
// program, and the desktop should not be made to decode it.
constexpr int kMaxPictureSide = 1024;

// Upper-case digits only: that is what EncodeStream writes, so anything else is damage.
std::optional<uint8_t> HexDigitValue(char digit) {
  const size_t value = kHexDigits.find(digit);
  if (value == std::string_view::npos) return std::nullopt;
  return static_cast<uint8_t>(value);
}

}  // namespace

bool TClipImage::SetFromDib(const uint8_t* dib, size_t size) {
  if (dib == nullptr) return false;
  try {
    const auto frame = DecodeDib({dib, size});
    if (!frame) return false;
    EncodeStream(EncodeBmp24(Stretch(*frame, kWidth, kHeight)));
    return true;
  } catch (const std::bad_alloc&) {
    // A frame near the size limits may not fit in memory; that is one more frame we cannot use.
    return false;
  }
}

void TClipImage::EncodeStream(std::span<const uint8_t> stream) { text_ = std::string(kFormatTag) + ToHexUpper(stream); }

bool TClipImage::DecodeToStream(std::vector<uint8_t>& stream) const {
  if (text_.size() <= kFormatTag.size() || !text_.starts_with(kFormatTag) || text_.size() % 2 != 0) return false;
  stream.clear();
  stream.reserve((text_.size() - kFormatTag.size()) / 2);
  for (size_t i = kFormatTag.size(); i < text_.size(); i += 2) {
    const auto high = HexDigitValue(text_[i]);
    const auto low = HexDigitValue(text_[i + 1]);
    if (!high || !low) return false;
    stream.push_back(static_cast<uint8_t>(*high << 4 | *low));
  }
  return true;
}

std::vector<uint8_t> TClipImage::MakePicture() const {
  std::vector<uint8_t> bytes;
  if (DecodeToStream(bytes) && IsPlainBmpFile(bytes, kMaxPictureSide)) return bytes;
  return EncodeBmp24(Bitmap(kWidth, kHeight, PixelFromBbggrr(kEmptyColour)));
}

}  // namespace korvel
