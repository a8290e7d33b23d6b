// Project and work-state files are INI text that a user may have edited, damaged or received
// from anyone: reading one must never crash, and what we write back must read as the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "base/ini_file.h"
#include "base/text_decode.h"
#include "project/clip_list.h"
#include "project/project_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const korvel::IniFile ini = korvel::IniFile::Parse(korvel::DecodeTextFile(std::span(data, size)));
  // Saving what was read and reading it again must change nothing, or every save of a project
  // would drift from the one before.
  const std::string written = ini.ToText();
  if (korvel::IniFile::Parse(written).ToText() != written) std::abort();

  korvel::TClipList clips;
  clips.Analyzer = nullptr;  // the clips' files are not the input under test
  korvel::AddProjectClips(ini, clips);
  return 0;
}
