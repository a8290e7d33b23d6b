#include "ffmpeg/mpeg_video_headers.h"

#include <cmath>

namespace korvel {
namespace {

bool StartCodeAt(std::span<const uint8_t> data, size_t i) {
  return i + 3 < data.size() && data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1;
}

// Display aspect ratios of the MPEG-2 aspect codes 1 to 4; codes 5 to 14 are reserved (0).
double DisplayAspect(int code) {
  switch (code) {
    case 1: return 1.0;
    case 2: return 4.0 / 3.0;
    case 3: return 16.0 / 9.0;
    case 4: return 2.21;
    default: return 0.0;
  }
}

int NearestAspectCode(int width, int height) {
  const double frame = static_cast<double>(width) / height;
  int best = 1;
  for (int code = 2; code <= 14; ++code)
    if (std::fabs(DisplayAspect(code) - frame) < std::fabs(DisplayAspect(best) - frame)) best = code;
  return best;
}

// display_vertical_size of the sequence display extension at ext becomes 1080 when its marker
// bit is set.
void PatchDisplayHeight(std::span<uint8_t> data, size_t ext) {
  size_t q = ext + 4;
  if (q >= data.size()) return;
  const bool colourDescription = (data[q] & 1) != 0;
  q += colourDescription ? 4 : 1;
  if (q + 3 >= data.size()) return;
  // display_horizontal_size (14 bits), marker (1), display_vertical_size (14 bits).
  if (((data[q + 1] >> 1) & 1) == 0) return;
  constexpr uint32_t kHeight = 1080;
  data[q + 1] = static_cast<uint8_t>((data[q + 1] & 0xFE) | ((kHeight >> 13) & 1));
  data[q + 2] = static_cast<uint8_t>((kHeight >> 5) & 0xFF);
  data[q + 3] = static_cast<uint8_t>((data[q + 3] & 0x07) | ((kHeight & 0x1F) << 3));
}

}  // namespace

uint32_t FindStartCode(std::span<const uint8_t> data) {
  for (size_t i = 0; i + 7 <= data.size(); ++i) {
    if (!StartCodeAt(data, i)) continue;
    const uint32_t code = 0x100u | data[i + 3];
    if (code == kMpegPictureStart || code == kMpegSequenceHeader || code == kMpegGopStart) return code;
  }
  return 0;
}

bool CaptureSequenceHeader(std::span<const uint8_t> data, TMpegHeaders& headers) {
  ptrdiff_t sequenceStart = -1;
  ptrdiff_t gopStart = -1;
  const auto save = [&](std::vector<uint8_t>& into, ptrdiff_t from, size_t to, size_t limit) {
    const size_t length = to - static_cast<size_t>(from);
    if (length > limit) {
      into.clear();
      return false;
    }
    into.assign(data.begin() + from, data.begin() + static_cast<ptrdiff_t>(to));
    return true;
  };
  for (size_t i = 0; i + 7 <= data.size(); ++i) {
    if (!StartCodeAt(data, i)) continue;
    const uint32_t code = 0x100u | data[i + 3];
    if (code == kMpegSequenceHeader) {
      sequenceStart = static_cast<ptrdiff_t>(i);
    } else if (code == kMpegGopStart) {
      if (sequenceStart < 0) return false;
      if (!save(headers.Sequence, sequenceStart, i, TMpegHeaders::kSequenceLimit)) return false;
      gopStart = static_cast<ptrdiff_t>(i);
    } else if (code == kMpegPictureStart) {
      if (gopStart >= 0) return save(headers.Gop, gopStart, i, TMpegHeaders::kGopLimit);
      if (sequenceStart >= 0) return save(headers.Sequence, sequenceStart, i, TMpegHeaders::kSequenceLimit);
      return false;
    }
  }
  return false;
}

bool CloseGop(std::span<uint8_t> data) {
  for (size_t i = 0; i + 8 <= data.size(); ++i) {
    if (!StartCodeAt(data, i)) continue;
    const uint32_t code = 0x100u | data[i + 3];
    if (code == kMpegPictureStart) return false;
    if (code != kMpegGopStart) continue;
    // time_code (25 bits), then closed_gop and broken_link.
    data[i + 7] |= 0x40;
    return true;
  }
  return false;
}

TPictureType MpegPictureType(std::span<const uint8_t> data) {
  for (size_t i = 0; i + 6 <= data.size(); ++i) {
    if (!StartCodeAt(data, i) || data[i + 3] != 0) continue;
    // temporal_reference (10 bits), then picture_coding_type (3 bits).
    switch ((data[i + 5] >> 3) & 7) {
      case 1: return TPictureType::I;
      case 2: return TPictureType::P;
      case 3: return TPictureType::B;
      default: return TPictureType::Unknown;
    }
  }
  return TPictureType::Unknown;
}

int MpegTemporalReference(std::span<const uint8_t> data) {
  for (size_t i = 0; i + 6 <= data.size(); ++i)
    if (StartCodeAt(data, i) && data[i + 3] == 0) return (data[i + 4] << 2) | (data[i + 5] >> 6);
  return -1;
}

ptrdiff_t FindDisplayExtension(std::span<const uint8_t> data, size_t from) {
  constexpr size_t kGiveUpAfter = 300;
  size_t lastCode = from;
  for (size_t i = from; i + 4 < data.size(); ++i) {
    if (i - lastCode > kGiveUpAfter) return -1;
    if (!StartCodeAt(data, i)) continue;
    lastCode = i;
    const uint32_t code = 0x100u | data[i + 3];
    if (code == kMpegPictureStart || code == kMpegGopStart) return -1;
    if (code == kMpegExtensionStart && (data[i + 4] >> 4) == 2) return static_cast<ptrdiff_t>(i);
  }
  return -1;
}

bool FixSequenceHeader(std::span<uint8_t> data) {
  for (size_t i = 0; i + 17 <= data.size(); ++i) {
    if (!StartCodeAt(data, i) || data[i + 3] != 0xB3) continue;
    const int width = (data[i + 4] << 4) | (data[i + 5] >> 4);
    int height = ((data[i + 5] & 0x0F) << 8) | data[i + 6];
    int aspect = data[i + 7] >> 4;
    if (height == 0) height = 1;
    if (aspect == 0) aspect = 1;
    if (width != 1920 && width != 720) return false;
    bool changed = false;
    if (aspect == 1) {
      const int code = NearestAspectCode(width, height);
      if (code != data[i + 7] >> 4) {
        data[i + 7] = static_cast<uint8_t>((code << 4) | (data[i + 7] & 0x0F));
        changed = true;
      }
    }
    if (width == 1920 && height == 1088) {
      constexpr int kHeight = 1080;
      data[i + 5] = static_cast<uint8_t>((data[i + 5] & 0xF0) | (kHeight >> 8));
      data[i + 6] = static_cast<uint8_t>(kHeight & 0xFF);
      if (const ptrdiff_t ext = FindDisplayExtension(data, i + 12); ext >= 0)
        PatchDisplayHeight(data, static_cast<size_t>(ext));
      changed = true;
    }
    return changed;
  }
  return false;
}

bool IsAc3Frame(std::span<const uint8_t> data) { return data.size() >= 3 && data[0] == 0x0B && data[1] == 0x77; }

}  // namespace korvel
