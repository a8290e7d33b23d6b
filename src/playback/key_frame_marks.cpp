#include "playback/key_frame_marks.h"

#include "base/numeric.h"
#include "base/time_text.h"
#include "lang/lang.h"
#include "playback/seek_bar_values.h"

namespace korvel {

std::vector<int32_t> KeyFrameBarValues(const TKeyFrameList& list, double duration, int maximum) {
  std::vector<int32_t> values;
  values.reserve(list.KeyFrames.size());
  for (const TKeyFrame& key : list.KeyFrames) values.push_back(SeekBarValue(key.TimeUs / 1e6, duration, maximum));
  return values;
}

std::string RealStartCaption(const TKeyFrameList& list, double markSeconds) {
  const auto start = RealStart(list, PlayerTimeToMs(markSeconds));
  if (!start) return {};
  const std::string frames = start->FramesEarlier == 1 ? LangStr("Korvel1", "FrameEarlier")
                                                       : LangStr("Korvel1", "FramesEarlier");
  return LangStr("Korvel1", "RealStart") + " " + TimeToTextCs(TruncToInt32(start->TimeUs / 1000.0)) + ", " +
         std::to_string(start->FramesEarlier) + " " + frames;
}

}  // namespace korvel
