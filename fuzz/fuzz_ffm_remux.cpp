// The FFmpeg engine over MPEG program, transport and elementary streams: the repair check
// samples the file's timestamps, then a join copies a window of it (the MPEG video analysis, the
// search for the cut point, the sequence header repair of the packet copy) and the whole of it
// after that. FFmpeg's own demuxers are not what is under test; our handling of what they hand us
// is.
#include <cstddef>
#include <cstdint>

#include "ffmpeg/clip_window.h"
#include "ffmpeg/ffm_needs_reconstruct.h"
#include "ffmpeg/ffm_remuxer.h"
#include "fuzz/memory_file.h"
#include "fuzz/scratch_directory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const korvel::fuzz::MemoryFile input(data, size);
  if (!input.Valid()) return 0;
  (void)korvel::NeedsReconstruct(input.Path());

  korvel::SFFMpegFmtClass remuxer;
  korvel::TClipWindow window;
  window.RequestedStart = 200;
  window.RequestedEnd = 400;
  window.ReferenceDuration = 500;
  const auto output = korvel::fuzz::ScratchDirectory() / "joined.ts";
  if (remuxer.RunClip(input.Path(), output, true, &window)) (void)remuxer.RunClip(input.Path(), output, false, nullptr);
  (void)remuxer.Finish();
  return 0;
}
