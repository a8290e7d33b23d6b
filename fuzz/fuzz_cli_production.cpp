// A file handed to korvel-cli: described (as text or JSON), then either repaired by the tool of
// its family or joined with itself, a window of it first and then the whole. This runs every
// engine's producer over the input: the WMV clip reader with its header, script and marker
// copies, the repairs, the MP4 engine's copy of the source's sample entries, and the FFmpeg
// engine's cut point search and packet copy.
#include <cstddef>
#include <cstdint>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/media_report.h"
#include "fuzz/memory_file.h"
#include "fuzz/scratch_directory.h"
#include "fuzz/threads_end_guard.h"
#include "mediainfo/container_kind.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace korvel;
  const fuzz::ThreadsEndGuard workersEnd;
  const fuzz::MemoryFile input(data, size);
  if (!input.Valid()) return 0;
  std::ostringstream out, err;
  (void)cli::RunInfo({input.Path()}, size % 2 == 1, out, err);

  const cli::MediaReport report = cli::MakeMediaReport(input.Path());
  if (!report.analysed) return 0;
  const std::string extension = KindExtension(report.info.Kind, report.info.SubKind);
  const cli::ProductionStreams io{out, err, false};
  // One production per input halves the work of each. The parity of the bytes' sum chooses it,
  // so that changing a byte by an odd amount (a sample's, where the file stays valid) leads to
  // the other one.
  if (std::accumulate(data, data + size, 0u) % 2 == 0) {
    (void)cli::RunReconstruct(input.Path(), fuzz::ScratchDirectory() / ("repaired." + extension), io);
  } else {
    (void)cli::RunJoin(fuzz::ScratchDirectory() / ("joined." + extension), {input.Path() + "@200-400", input.Path()},
                       io);
  }
  return 0;
}
