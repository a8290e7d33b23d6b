#include "mediainfo/avi_differences.h"

#include "lang/lang.h"
#include "mediainfo/audio_format_text.h"
#include "mediainfo/avi_media_info.h"

namespace korvel {
namespace {

std::string FrameSize(const QdMediaStream& s) { return std::to_string(s.Width) + " x " + std::to_string(s.Height); }

std::string FormatText(const QdMediaStream& s, const NumberSeparators& separators) {
  return s.Format.empty() ? "-" : AudioFormatText(s.Format, true, separators);
}

}  // namespace

void AviDifferenceRows(const QdMISameChk& chk, TDifferenceRows& rows) {
  const std::optional<TStreamPair> pair = AddStreamPairRows(chk, rows);
  if (!pair) return;
  const auto& [p, q, video, audio, word] = *pair;
  if (!video && !audio) return;
  const NumberSeparators separators = UserNumberSeparators();
  // Not a word of the language files: the label reads the same in every language.
  // Both sides in the precision of the reference stream's type, so they line up.
  const uint8_t referenceType = p.StreamType;
  const auto rate = [&](const QdMediaStream& s) { return AviFrameRateText(s.RateX1000, referenceType, separators); };
  rows.Add("Frame rate", rate(p), rate(q));
  if (video) {
    rows.Add(word + " " + LangStr("Base", "Codec"), FourCCToText(p.FourCC), FourCCToText(q.FourCC));
    rows.Add(word + " " + LangStr("Base", "Size"), FrameSize(p), FrameSize(q));
  }
  // As the join check compares them: a byte rate of its own does not make a format differ.
  if (audio && !SameAviAudioFormat(p, q))
    rows.Add(word + " " + LangStr("Base", "Format"), FormatText(p, separators), FormatText(q, separators));
}

}  // namespace korvel
