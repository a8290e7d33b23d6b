#include "project/clip_command_texts.h"

#include "base/time_text.h"
#include "lang/lang.h"
#include "project/clip_item.h"
#include "project/clip_tile_look.h"

namespace korvel {

std::string DeleteClipsQuestion(const TClipItem& anchor, int32_t selectedCount) {
  const TClipTileTexts texts = ClipTileTexts(anchor);
  std::string message = texts.Text1 + "\n\n" + texts.Text2 + "\n\n";
  if (selectedCount > 1)
    message += "- " + LangStr("Base", "Selected") + " " + std::to_string(selectedCount) + " " +
               LangStr("Korvel1", "Clips") + "\n\n";
  return message + LangStr("Korvel1", "DeleteClip");
}

std::string ClearClipListQuestion() {
  return LangJoin(LangStr("Base", "Clear"), LangStr("Korvel1", "Clip") + " " + LangStr("Base", "List")) + "\n\n" +
         LangStr("Base", "DeleteAll");
}

std::string YesAnswer() { return LangStr("Korvel1", "Yes") + " (&Y)"; }
std::string NoAnswer() { return LangStr("Korvel1", "No") + " (&N)"; }

std::string ClipDurationLine(const TClipItem& item) {
  return TimeToTextCs(item.Duration()) + " (" + TimeToTextCs(item.StartTime()) + " - " +
         TimeToTextCs(item.EndTime()) + ")";
}

}  // namespace korvel
