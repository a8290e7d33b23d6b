#include "avi/avi_structure_probe.h"

namespace korvel {
namespace {

// Offsets inside a RIFF AVI file: RIFF header (12), then LIST size "hdrl", then "avih" size.
constexpr size_t kHeaderListOffset = 12;
constexpr size_t kMainHeaderOffset = 24;
// An AVI main header holds at least these many bytes.
constexpr uint32_t kMainHeaderMinSize = 56;

}  // namespace

bool ProbeAviStructure(const ByteView& head) {
  if (!head.Matches(kHeaderListOffset, "LIST") || !head.Matches(kHeaderListOffset + 8, "hdrl")) return false;
  if (!head.Matches(kMainHeaderOffset, "avih")) return false;
  const auto listSize = head.U32LE(kHeaderListOffset + 4);
  const auto mainHeaderSize = head.U32LE(kMainHeaderOffset + 4);
  // The main header must fit inside the header list that holds it.
  return listSize && mainHeaderSize && *mainHeaderSize >= kMainHeaderMinSize &&
         static_cast<uint64_t>(*mainHeaderSize) + 12 <= *listSize;
}

}  // namespace korvel
