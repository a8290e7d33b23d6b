#pragma once
// A clip's thumbnail, held as text so that it fits into a project file's INI value:
// "0001" followed by the upper-case hexadecimal bytes of a 60 x 45, 24-bit BMP file.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace korvel {

class TClipImage {
public:
  static constexpr int kWidth = 60;
  static constexpr int kHeight = 45;
  // Colour of the box shown when there is no usable picture, as 0xBBGGRR.
  static constexpr uint32_t kEmptyColour = 0x505650;

  const std::string& Text() const { return text_; }
  void SetText(std::string text) { text_ = std::move(text); }

  // Makes the thumbnail from a packed device-independent bitmap (header, optional colour
  // table, pixels). On failure the text stays as it was.
  bool SetFromDib(const uint8_t* dib, size_t size);

  // Text = "0001" + the hexadecimal digits of the whole stream.
  void EncodeStream(std::span<const uint8_t> stream);

  // Decodes the text into stream. False for a text that is too short, has another tag or an
  // odd length (stream untouched), or holds a bad digit (the bytes decoded so far stay).
  bool DecodeToStream(std::vector<uint8_t>& stream) const;

  // The picture to show, as the bytes of a BMP file: the decoded thumbnail when it is a
  // sound, small, uncompressed 24- or 32-bit bitmap; otherwise the filled 60 x 45 box.
  std::vector<uint8_t> MakePicture() const;

private:
  std::string text_;
};

}  // namespace korvel
