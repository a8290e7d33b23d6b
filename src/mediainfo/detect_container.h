#pragma once
// Picks the analyzer of a file from its first bytes.
#include <cstdint>
#include <filesystem>
#include <span>

namespace korvel {

enum DetectCode : int {
  kDetectUnknown = -1,
  kDetectAvi = 1,
  kDetectAsf = 2,
  kDetectMpegPs = 3,
  kDetectOgg = 4,
  kDetectRealMedia = 5,
  kDetectMatroska = 6,
  kDetectIsoMedia = 7,
};

// Sub-types: the MPEG version of a program stream ...
inline constexpr int kSubTypeMpeg1 = 31;
inline constexpr int kSubTypeMpeg2 = 32;
// ... and the brand code of an ISO base media file.
inline constexpr int kBrandMp4 = 71;
inline constexpr int kBrandM4a = 72;
inline constexpr int kBrandM4v = 73;
inline constexpr int kBrandMov = 74;
inline constexpr int kBrand3gp = 75;
inline constexpr int kBrand3g2 = 76;
inline constexpr int kBrandOther = 77;

// The detection code of the file; subType, when given, receives the MPEG version (code 3) or
// the brand code (code 7), 0 otherwise, or -1 when the ISO box walk ran and found nothing.
DetectCode DetectContainer(const std::filesystem::path& fileName, int* subType = nullptr);

// The same over bytes already read from the start of a file (detection looks at up to 2048).
DetectCode DetectContainerInBytes(std::span<const uint8_t> head, int* subType = nullptr);

bool IsAviFile(const std::filesystem::path& fileName);

}  // namespace korvel
