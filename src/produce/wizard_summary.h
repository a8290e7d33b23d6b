#pragma once
// The summary lines the produce and reconstruct wizards show on their pages and write at the
// head of a run's log: what is done, to which kind of media, from and to where, which clips.
#include <cstdint>
#include <string>
#include <vector>

namespace korvel {

class TClipList;

// "Produce without re-encoding" in the language's word order.
std::string ProduceModeText();
// "Media File Reconstruction".
std::string ReconstructModeText();

// "Mode : <mode>", "", "Media Format : <kind name>", "".
std::vector<std::string> ModeLines(const std::string& mode, uint8_t kind, uint8_t subKind);

// "<word> Path : <folder/>", "<word> File : <name>", "" for a displayed path; word is
// "Destination" or "Source" in the current language.
std::vector<std::string> PathLines(const std::string& word, const std::string& displayPath);

// "Clip : <count>", "Duration : <h:mm:ss>", "", one line per clip
// "Clip N : <duration> (<start> - <end>)  <file name>", "".
std::vector<std::string> ClipSummaryLines(const TClipList& clips);

// The line that separates the summary from the run's own lines in a log.
inline constexpr const char* kSummarySeparator = "--------------------";

}  // namespace korvel
