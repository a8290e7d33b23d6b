#include "mediainfo/detect_container.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <string_view>

#include "avi/avi_structure_probe.h"
#include "base/byte_view.h"
#include "base/file_read.h"

namespace korvel {
namespace {

// Signatures are looked for in this many leading bytes; the MPEG version scan sees more.
constexpr size_t kSignatureBytes = 64;
constexpr size_t kMpegScanBytes = 2048;
constexpr size_t kMinimumBytes = 16;

constexpr std::array<uint8_t, 4> kPackStart{0x00, 0x00, 0x01, 0xBA};
constexpr std::array<uint8_t, 4> kSequenceHeader{0x00, 0x00, 0x01, 0xB3};
constexpr std::array<uint8_t, 4> kEbmlMagic{0x1A, 0x45, 0xDF, 0xA3};
constexpr std::array<uint8_t, 4> kIsoPrflVariant{0x82, 0x82, 0x7F, 0x7D};
// The ASF header object {75B22630-668E-11CF-A6D9-00AA0062CE6C} as stored.
constexpr std::array<uint8_t, 16> kAsfHeaderGuid{0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                                 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};

bool IsMpegStart(const ByteView& bytes, size_t offset) {
  return bytes.Matches(offset, kPackStart) || bytes.Matches(offset, kSequenceHeader);
}

bool ContainsMatroskaDocType(const ByteView& bytes) {
  constexpr std::string_view kDocType = "matroska";
  for (size_t offset = 4; offset + kDocType.size() < bytes.size(); ++offset) {
    bool same = true;
    for (size_t i = 0; i < kDocType.size() && same; ++i)
      same = std::tolower(bytes.data()[offset + i]) == kDocType[i];
    if (same) return true;
  }
  return false;
}

// The brand code of an "ftyp" box at offset 0 of size boxSize.
int BrandFromFileType(const ByteView& bytes, uint32_t boxSize) {
  const auto isAny = [&](size_t offset, std::initializer_list<std::string_view> brands) {
    return std::any_of(brands.begin(), brands.end(), [&](std::string_view b) { return bytes.Matches(offset, b); });
  };
  if (bytes.Matches(8, "qt  ")) return kBrandMov;
  if (bytes.Matches(8, "M4A ")) return kBrandM4a;
  if (bytes.Matches(8, "M4V ")) return kBrandM4v;
  if (isAny(8, {"mp41", "mp42", "MSNV", "isom"})) return kBrandMp4;
  if (isAny(8, {"3gp4", "3gp5", "3gp6"})) return kBrand3gp;
  if (isAny(8, {"3g2a", "3g2b"})) return kBrand3g2;
  const size_t end = std::min<size_t>(boxSize, bytes.size());
  for (size_t offset = 16; offset + 4 <= end; offset += 4) {
    if (isAny(offset, {"3gp4", "3gp5", "3gp6"})) return kBrand3gp;
    if (isAny(offset, {"3g2a", "3g2b"})) return kBrand3g2;
  }
  return kBrandOther;
}

// Walks the boxes at the start of the file; the brand code when a known top-level box appears.
std::optional<int> WalkIsoBoxes(const ByteView& bytes) {
  size_t offset = 0;
  while (bytes.Has(offset, 8)) {
    const uint32_t size = *bytes.U32BE(offset);
    const size_t left = bytes.size() - offset;
    const auto typeIs = [&](std::string_view type) { return bytes.Matches(offset + 4, type); };
    if (typeIs("moov") || typeIs("mdat") || typeIs("pnot") || typeIs("udta") || typeIs("ftyp") || typeIs("jP  ")) {
      return bytes.Matches(4, "ftyp") ? BrandFromFileType(bytes, *bytes.U32BE(0)) : kBrandOther;
    }
    if (typeIs("skip") || typeIs("uuid") || typeIs("prfl") || bytes.Matches(offset + 4, kIsoPrflVariant)) {
      // A box that cannot be stepped over inside what was read ends the walk.
      if (size < 8 || size > left) return std::nullopt;
      offset += size;
    } else {
      offset += 4;
    }
  }
  return std::nullopt;
}

int MpegVersion(const ByteView& bytes) {
  int mpeg1 = 0;
  int mpeg2 = 0;
  for (size_t offset = 0; bytes.Has(offset, kPackStart.size() + 1); ++offset) {
    if (!bytes.Matches(offset, kPackStart)) continue;
    const uint8_t marker = *bytes.U8(offset + kPackStart.size());
    if (marker >= 0x40 && marker <= 0x7F) ++mpeg2;
    if (marker >= 0x20 && marker <= 0x2F) ++mpeg1;
  }
  return mpeg2 > mpeg1 ? kSubTypeMpeg2 : kSubTypeMpeg1;
}

DetectCode DetectBySignature(const ByteView& head, int& subType) {
  if (head.Matches(0, "RIFF") && head.Matches(8, "AVI ")) return kDetectAvi;
  if (head.Matches(0, "RIFF") && head.Matches(8, "CDXA")) return kDetectMpegPs;
  if (IsMpegStart(head, 0)) return kDetectMpegPs;
  if (head.Matches(0, kAsfHeaderGuid)) return kDetectAsf;
  if (head.Matches(0, "OggS") || head.Matches(0, "OGGS")) return kDetectOgg;
  if (head.Matches(0, ".RMF")) return kDetectRealMedia;
  if (head.Matches(0, kEbmlMagic)) return ContainsMatroskaDocType(head) ? kDetectMatroska : kDetectUnknown;
  if (const auto brand = WalkIsoBoxes(head)) {
    subType = *brand;
    return kDetectIsoMedia;
  }
  subType = -1;
  for (size_t offset = 0; offset + 4 < head.size(); ++offset)
    if (IsMpegStart(head, offset)) return kDetectMpegPs;
  if (HasAviHeaderList(head)) return kDetectAvi;
  return kDetectUnknown;
}

}  // namespace

DetectCode DetectContainerInBytes(std::span<const uint8_t> bytes, int* subType) {
  if (subType) *subType = 0;
  if (bytes.size() < kMinimumBytes) return kDetectUnknown;
  const ByteView all(bytes.first(std::min(bytes.size(), kMpegScanBytes)));
  const ByteView head = all.Sub(0, std::min(all.size(), kSignatureBytes));
  int found = 0;
  const DetectCode code = DetectBySignature(head, found);
  if (code == kDetectMpegPs) found = MpegVersion(all);
  if (subType) *subType = found;
  return code;
}

DetectCode DetectContainer(const std::filesystem::path& fileName, int* subType) {
  if (subType) *subType = 0;
  const auto head = ReadFileHead(fileName, kMpegScanBytes);
  if (!head) return kDetectUnknown;
  return DetectContainerInBytes(*head, subType);
}

bool IsAviFile(const std::filesystem::path& fileName) { return DetectContainer(fileName) == kDetectAvi; }

}  // namespace korvel
