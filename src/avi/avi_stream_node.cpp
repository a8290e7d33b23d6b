#include "avi/avi_stream_node.h"

#include "base/byte_view.h"

namespace korvel {
namespace {

constexpr size_t kWaveFormatSize = 16;
constexpr size_t kBitmapInfoHeaderSize = 40;

}  // namespace

uint16_t AviStreamNode::BlockAlign() const {
  if (format.size() < kWaveFormatSize) return 0;
  return ByteView(format).U16LE(12).value_or(0);
}

uint32_t AviStreamNode::AvgBytesPerSec() const {
  if (format.size() < kWaveFormatSize) return 0;
  return ByteView(format).U32LE(8).value_or(0);
}

std::optional<FOURCC> AviStreamNode::Compression() const {
  if (format.size() < kBitmapInfoHeaderSize) return std::nullopt;
  return ByteView(format).U32LE(16);
}

}  // namespace korvel
