#include "wmv/asf/asf_header_room.h"

#include "base/byte_view.h"
#include "wmv/asf/asf_guids.h"
#include "wmv/asf/asf_header_object_write.h"

namespace korvel::asf {
namespace {

constexpr Guid kPaddingObject = MakeGuid(0x1806D474, 0xCADF, 0x4509, {0xA4, 0xBA, 0x9A, 0xAB, 0xCB, 0x96, 0xAA, 0xE8});
constexpr size_t kObjectHead = 24;
constexpr size_t kHeaderObjectHead = 30;
constexpr size_t kSizeAt = 16;
constexpr size_t kChildCountAt = 24;

void Put(std::vector<uint8_t>& out, size_t at, uint64_t v, size_t n) {
  for (size_t i = 0; i < n; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A padding object of size bytes as one more child of the header object.
void AppendPadding(std::vector<uint8_t>& header, uint64_t size) {
  const ByteView view(header);
  const uint32_t children = view.U32LE(kChildCountAt).value_or(0);
  const auto padding = AsfObject(kPaddingObject, std::vector<uint8_t>(size - kObjectHead, 0));
  header.insert(header.end(), padding.begin(), padding.end());
  Put(header, kSizeAt, header.size(), 8);
  Put(header, kChildCountAt, children + 1, 4);
}

}  // namespace

void AddHeaderRoom(std::vector<uint8_t>& header) {
  if (header.size() >= kHeaderObjectHead) AppendPadding(header, kHeaderSpareRoom);
}

bool FillHeaderRoom(std::vector<uint8_t>& header, uint64_t size) {
  if (header.size() < kHeaderObjectHead || header.size() > size) return false;
  const uint64_t missing = size - header.size();
  if (missing == 0) return true;
  if (missing < kObjectHead) return false;
  AppendPadding(header, missing);
  return true;
}

}  // namespace korvel::asf
