#include "produce/wizard_summary.h"

#include <filesystem>

#include "base/time_text.h"
#include "lang/lang.h"
#include "mediainfo/container_kind.h"
#include "produce/display_path.h"
#include "project/clip_list.h"

namespace korvel {
namespace {

// "<label> : <value>"
std::string Labelled(const std::string& label, const std::string& value) { return label + " :" + " " + value; }

}  // namespace

std::string ProduceModeText() { return LangJoin(LangStr("Korvel1", "Produce"), LangStr("Korvel1", "WithoutReEnc")); }

std::string ReconstructModeText() {
  return LangStr("Base", "Media") + " " + LangStr("Base", "File") + " " + LangStr("Korvel2", "Reconstruction");
}

std::vector<std::string> ModeLines(const std::string& mode, uint8_t kind, uint8_t subKind) {
  return {Labelled(LangStr("Base", "Mode"), mode), "",
          Labelled(LangStr("Base", "Media") + " " + LangStr("Base", "Format"), KindName(kind, subKind)), ""};
}

std::vector<std::string> PathLines(const std::string& word, const std::string& displayPath) {
  const std::string folder = DisplayFolder(displayPath);
  return {Labelled(word + " " + LangStr("Base", "Path"), folder),
          Labelled(word + " " + LangStr("Base", "File"), displayPath.substr(folder.size())), ""};
}

std::vector<std::string> ClipSummaryLines(const TClipList& clips) {
  std::vector<std::string> lines{Labelled(LangStr("Korvel1", "Clip"), std::to_string(clips.Count())),
                                 Labelled(LangStr("Base", "Duration"), TimeToText(clips.TotalDuration())), ""};
  for (int32_t i = 0; i < clips.Count(); ++i) {
    const TClipItem& clip = *clips.Get(i);
    lines.push_back(LangStr("Korvel1", "Clip") + " " + std::to_string(i + 1) + " : " + DurationToText(clip.Duration()) +
                    " (" + TimeToText(clip.StartTime()) + " - " + TimeToText(clip.EndTime()) + ")  " +
                    clip.FileName().filename().string());
  }
  lines.push_back("");
  return lines;
}

}  // namespace korvel
