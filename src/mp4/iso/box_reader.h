#pragma once
// The box tree: headers with 32-bit sizes, 64-bit large sizes (size 1) and "to the end"
// (size 0), each checked against the room its parent leaves. Containers the reader needs
// are walked recursively, with the depth and the number of boxes capped so that a hostile
// file cannot exhaust the stack or the memory.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/byte_view.h"

namespace korvel::iso {

using BoxType = uint32_t;  // the four characters, big-endian as stored

constexpr BoxType MakeBoxType(const char (&t)[5]) {
  return (static_cast<BoxType>(static_cast<uint8_t>(t[0])) << 24) |
         (static_cast<BoxType>(static_cast<uint8_t>(t[1])) << 16) |
         (static_cast<BoxType>(static_cast<uint8_t>(t[2])) << 8) | static_cast<BoxType>(static_cast<uint8_t>(t[3]));
}

// The four characters as text; bytes outside printable ASCII become '.'.
std::string BoxTypeText(BoxType type);
// The four characters exactly as stored (for brands and sample entry names).
std::string BoxTypeChars(BoxType type);

std::vector<uint8_t> ToBytes(ByteView view);

struct BoxHeader {
  BoxType type = 0;
  uint64_t size = 0;        // the whole box, header included
  uint32_t headerSize = 0;  // 8, 16 with a large size, plus 16 for "uuid"
};

// The longest header: 64-bit size plus a "uuid" user type.
inline constexpr size_t kMaxBoxHeader = 32;

// Parses the header at the start of `at`; `room` is the number of bytes from the box's start to
// the end of its parent (or of the file). `fileOffset` only names the box in an error.
bool ParseBoxHeader(ByteView at, uint64_t room, uint64_t fileOffset, BoxHeader& header, std::string* error);

struct Box {
  BoxType type = 0;
  uint64_t fileOffset = 0;  // where the box starts in the file
  ByteView payload;         // the bytes after the header
  std::vector<Box> children;  // filled for the containers the reader walks

  const Box* Child(BoxType childType) const;
};

struct BoxWalkLimits {
  int maxDepth = 16;          // a real movie nests about seven deep
  size_t maxBoxes = 200000;   // a real movie box holds a few dozen per track
};

// Running totals while one tree is walked.
struct BoxWalkState {
  BoxWalkLimits limits;
  size_t boxes = 0;
};

// Splits `bytes` (which start at `fileOffset` in the file) into boxes and walks into the
// containers among them. A box that does not fit its parent is an error. Fewer than 8 bytes
// left over at the end of a parent are ignored: some writers end lists with a 32-bit zero.
bool ParseBoxes(ByteView bytes, uint64_t fileOffset, int depth, BoxWalkState& state, std::vector<Box>& out,
                std::string* error);

}  // namespace korvel::iso
