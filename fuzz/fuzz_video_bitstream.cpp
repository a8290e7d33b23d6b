// Video chunks and format blocks come straight from untrusted AVI files. The first byte picks
// the fourcc, one per codec family, so that every inspector gets the fuzzer's attention; the
// second sets how much extra data the format block has; the rest is the format, then the chunk.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>

#include "avi/bitstream/video_bitstream.h"

namespace {

constexpr const char* kFourCCs[] = {"XVID", "MP41", "MP42", "DIV3", "WMV1", "WMV2", "WMV3", "WVC1",
                                     "VP31", "THEO", "VP60", "VP62", "VP6F", "H264", "MJPG"};
constexpr size_t kChoiceBytes = 2;
constexpr size_t kBitmapInfoHeader = 40;

bool ValidFrameType(int32_t type) {
  return type == korvel::kFrameUnknown || type == korvel::kFrameNotKey || type == korvel::kFrameKey ||
         type == korvel::kFramePredicted || type == korvel::kFrameBidirectional || type == korvel::kFrameBi;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kChoiceBytes) return 0;
  const korvel::FOURCC fourcc = korvel::FourCCFromText(kFourCCs[data[0] % std::size(kFourCCs)]);
  const uint8_t* rest = data + kChoiceBytes;
  const size_t restSize = size - kChoiceBytes;
  // A bitmap header plus up to 255 bytes of extra data, as far as the input reaches.
  const size_t formatSize = std::min<size_t>(restSize, kBitmapInfoHeader + data[1]);
  const uint8_t* chunk = rest + formatSize;
  const size_t chunkSize = restSize - formatSize;

  korvel::TVc1SequenceState state;
  korvel::InitVc1State(fourcc, rest, formatSize, state);
  if (state.Profile > 3 || state.Interlace > 1 || state.FrameInterpolation > 1 || state.RangeReduction > 1 ||
      state.MaxBFrames > 7) {
    std::abort();
  }
  if (!ValidFrameType(korvel::FrameType(fourcc, chunk, chunkSize, state))) std::abort();
  // Every inspector on the whole input too, whatever the fourcc says.
  if (!ValidFrameType(korvel::FrameType(fourcc, rest, restSize, state))) std::abort();
  const int32_t coding = korvel::Mpeg4CodingType(rest, restSize);
  if (coding < -1 || coding > 3) std::abort();
  if (korvel::IsMpeg4KeyFrame(rest, restSize) && coding != 0) std::abort();
  korvel::HasParameterSets(fourcc, rest, restSize);
  korvel::IsMpeg4Part2(fourcc);
  return 0;
}
