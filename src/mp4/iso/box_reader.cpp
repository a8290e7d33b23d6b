#include "mp4/iso/box_reader.h"

#include <algorithm>

namespace korvel::iso {
namespace {

void SetError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
}

std::string Where(BoxType type, uint64_t fileOffset) {
  return "box '" + BoxTypeText(type) + "' at offset " + std::to_string(fileOffset);
}

// The boxes whose payload is nothing but boxes and which hold something the reader needs.
bool IsContainer(BoxType type) {
  static constexpr BoxType kContainers[] = {
      MakeBoxType("moov"), MakeBoxType("trak"), MakeBoxType("mdia"), MakeBoxType("minf"),
      MakeBoxType("stbl"), MakeBoxType("edts"), MakeBoxType("dinf"), MakeBoxType("mvex"),
      MakeBoxType("tref"),
  };
  return std::ranges::find(kContainers, type) != std::end(kContainers);
}

}  // namespace

std::string BoxTypeText(BoxType type) {
  std::string text(4, '.');
  for (int i = 0; i < 4; ++i) {
    const auto c = static_cast<char>((type >> (24 - 8 * i)) & 0xFF);
    if (c >= 0x20 && c < 0x7F) text[static_cast<size_t>(i)] = c;
  }
  return text;
}

std::string BoxTypeChars(BoxType type) {
  std::string text(4, '\0');
  for (int i = 0; i < 4; ++i) text[static_cast<size_t>(i)] = static_cast<char>((type >> (24 - 8 * i)) & 0xFF);
  return text;
}

std::vector<uint8_t> ToBytes(ByteView view) {
  const std::span<const uint8_t> bytes(view.data(), view.size());
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

bool ParseBoxHeader(ByteView at, uint64_t room, uint64_t fileOffset, BoxHeader& header, std::string* error) {
  const auto size32 = at.U32BE(0);
  const auto type = at.U32BE(4);
  if (!size32 || !type || room < 8) {
    SetError(error, "incomplete box header at offset " + std::to_string(fileOffset));
    return false;
  }
  header.type = *type;
  header.headerSize = 8;
  uint64_t size = *size32;
  if (size == 1) {
    const auto large = at.U64BE(8);
    if (!large || room < 16) {
      SetError(error, Where(*type, fileOffset) + " has an incomplete 64-bit size");
      return false;
    }
    size = *large;
    header.headerSize = 16;
  } else if (size == 0) {
    size = room;  // runs to the end of its parent
  }
  if (*type == MakeBoxType("uuid")) header.headerSize += 16;
  if (size < header.headerSize) {
    SetError(error, Where(*type, fileOffset) + " has size " + std::to_string(size) + ", smaller than its header");
    return false;
  }
  if (size > room) {
    SetError(error, Where(*type, fileOffset) + " has size " + std::to_string(size) + " but only " +
                        std::to_string(room) + " bytes are left in its parent");
    return false;
  }
  header.size = size;
  return true;
}

const Box* Box::Child(BoxType childType) const {
  for (const Box& child : children) {
    if (child.type == childType) return &child;
  }
  return nullptr;
}

bool ParseBoxes(ByteView bytes, uint64_t fileOffset, int depth, BoxWalkState& state, std::vector<Box>& out,
                std::string* error) {
  if (depth > state.limits.maxDepth) {
    SetError(error, "boxes nested more than " + std::to_string(state.limits.maxDepth) + " deep at offset " +
                        std::to_string(fileOffset));
    return false;
  }
  size_t pos = 0;
  while (bytes.size() - pos >= 8) {
    if (++state.boxes > state.limits.maxBoxes) {
      SetError(error, "more than " + std::to_string(state.limits.maxBoxes) + " boxes in the movie");
      return false;
    }
    const uint64_t boxOffset = fileOffset + pos;
    BoxHeader header;
    if (!ParseBoxHeader(bytes.Sub(pos, std::min<size_t>(kMaxBoxHeader, bytes.size() - pos)), bytes.size() - pos,
                        boxOffset, header, error)) {
      return false;
    }
    // header.size <= the room left, which is a size_t, so the narrowing is exact.
    const auto size = static_cast<size_t>(header.size);
    Box box;
    box.type = header.type;
    box.fileOffset = boxOffset;
    box.payload = bytes.Sub(pos + header.headerSize, size - header.headerSize);
    if (IsContainer(box.type) &&
        !ParseBoxes(box.payload, boxOffset + header.headerSize, depth + 1, state, box.children, error)) {
      return false;
    }
    out.push_back(std::move(box));
    pos += size;
  }
  return true;
}

}  // namespace korvel::iso
