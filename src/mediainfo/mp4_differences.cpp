#include "mediainfo/mp4_differences.h"

#include "lang/lang.h"

namespace korvel {
namespace {

std::string FrameSize(const QdMediaStream& s) { return std::to_string(s.Width) + " x " + std::to_string(s.Height); }

// The two tracks look alike in every row shown, so what differs hides in their configuration.
// A video track's time scale is left out, as the join check lets it differ.
bool LookAlike(const QdMediaStream& p, const QdMediaStream& q) {
  const bool video = p.StreamType == kStreamVideo;
  return (video || p.StreamType == kStreamAudio) && p.StreamType == q.StreamType &&
         (video || p.TimeBase == q.TimeBase) && p.MediaDataName == q.MediaDataName && p.Width == q.Width &&
         p.Height == q.Height && p.SampleRate == q.SampleRate && p.Channels == q.Channels;
}

void AddHiddenDifferences(const QdMediaStream& p, const QdMediaStream& q, const std::string& word,
                          TDifferenceRows& rows) {
  const auto name = [&rows](const std::string& label, const std::string& block) { rows.Add(label, block, block); };
  if (p.Format != q.Format) name(word, LangStr("Base", "Format") + " (" + LangStr("Base", "Or") + " Params)");
  if (p.Extra1 != q.Extra1) name(word, "ES Configuration");
  if (p.Extra2 != q.Extra2) name("H264", "Sequence Parameter");
  if (p.Extra3 != q.Extra3) name("H264", "Picture Parameter");
}

}  // namespace

void ListMp4Differences(const QdMISameChk& chk, TDifferenceRows& rows) {
  const std::optional<TStreamPair> pair = AddStreamPairRows(chk, rows);
  if (!pair) return;
  const auto& [p, q, video, audio, word] = *pair;
  if (!video && p.TimeBase != q.TimeBase)
    rows.Add(LangStr("Base", "Time") + " Scale", std::to_string(p.TimeBase), std::to_string(q.TimeBase));
  if (video || audio) rows.Add(word + " " + LangStr("Base", "Codec"), p.MediaDataName, q.MediaDataName);
  if (video || p.StreamType == kStreamText) rows.Add(word + " " + LangStr("Base", "Size"), FrameSize(p), FrameSize(q));
  if (audio) {
    if (p.SampleRate != 0)
      rows.Add(word + " Sample rate", std::to_string(p.SampleRate), std::to_string(q.SampleRate));
    rows.Add(word + " Channels", std::to_string(p.Channels), std::to_string(q.Channels));
  }
  if (LookAlike(p, q)) AddHiddenDifferences(p, q, word, rows);
}

}  // namespace korvel
