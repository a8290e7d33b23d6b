// MPEG video packets as the FFmpeg engine sees them: the start codes of a cut point, the headers
// saved for a cut stream, the picture type and temporal reference, the AC-3 sync check, and the
// rewrites of packet bytes in place (the sequence header repair, the closing of a GOP).
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "ffmpeg/mpeg_video_headers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvel;
  const std::span<const uint8_t> packet(data, size);
  const uint32_t code = FindStartCode(packet);
  if (code != 0 && code != kMpegPictureStart && code != kMpegSequenceHeader && code != kMpegGopStart)
    __builtin_trap();
  TMpegHeaders headers;
  if (CaptureSequenceHeader(packet, headers) &&
      (headers.Sequence.size() > TMpegHeaders::kSequenceLimit || headers.Gop.size() > TMpegHeaders::kGopLimit))
    __builtin_trap();
  (void)MpegPictureType(packet);
  const int temporalReference = MpegTemporalReference(packet);
  if (temporalReference < -1 || temporalReference > 1023) __builtin_trap();
  (void)IsAc3Frame(packet);
  for (size_t from = 0; from < size; from += 97) (void)FindDisplayExtension(packet, from);

  // The repair keeps the packet's length, and a repaired header needs no second repair, or
  // every pass over the same packet would change it again.
  std::vector<uint8_t> copy(data, data + size);
  if (FixSequenceHeader(copy) && FixSequenceHeader(copy)) __builtin_trap();
  if (copy.size() != size) __builtin_trap();
  // Closing the GOP changes a flag and nothing else a picture search looks at.
  if (CloseGop(copy) && (copy.size() != size || FindStartCode(copy) != FindStartCode(packet))) __builtin_trap();
  return 0;
}
