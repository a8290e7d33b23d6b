#include "app/frame_dib.h"

#include "base/byte_appender.h"

namespace korvel {

std::vector<uint8_t> PackedDibFromImage(const QImage& image) {
  if (image.isNull()) return {};
  // Blue, green, red bytes: a DIB's own pixel order.
  const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
  const int width = bgr.width();
  const int height = bgr.height();
  const size_t pixelBytes = static_cast<size_t>(width) * 3;
  const size_t rowBytes = (pixelBytes + 3) / 4 * 4;
  ByteAppender dib;
  dib.U32(40).U32(static_cast<uint32_t>(width));
  // A negative height: rows top-down, as the image holds them.
  dib.U32(static_cast<uint32_t>(-height)).U16(1).U16(24).U32(0);
  dib.U32(rowBytes * static_cast<size_t>(height)).U32(0).U32(0).U32(0).U32(0);
  const std::vector<uint8_t> padding(rowBytes - pixelBytes, 0);
  for (int y = 0; y < height; ++y) {
    dib.Raw({bgr.constScanLine(y), pixelBytes});
    dib.Raw(padding);
  }
  return dib.Take();
}

}  // namespace korvel
