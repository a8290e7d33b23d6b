#pragma once
// The questions and lines the clip commands show, in the current language.
#include <cstdint>
#include <string>

namespace korvel {

class TClipItem;

// Names the anchor clip by its two tile lines; with more than one clip selected, a line
// counting them stands before the question.
std::string DeleteClipsQuestion(const TClipItem& anchor, int32_t selectedCount);
std::string ClearClipListQuestion();
// The two answers of both questions, with their mnemonics.
std::string YesAnswer();
std::string NoAnswer();

// "duration (start - end)" in hundredths of a second.
std::string ClipDurationLine(const TClipItem& item);

}  // namespace korvel
