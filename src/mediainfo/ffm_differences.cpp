#include "mediainfo/ffm_differences.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <cstdio>

#include "lang/lang.h"

namespace korvel {
namespace {

std::string DecoderName(uint32_t codecId) {
  const AVCodec* decoder = avcodec_find_decoder(static_cast<AVCodecID>(codecId));
  return decoder && decoder->name ? decoder->name : "";
}

std::string FrameRate(int32_t rateX1000) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", rateX1000 / 1000.0);
  return text;
}

std::string PictureSize(const QdMediaStream& s) { return std::to_string(s.Width) + " x " + std::to_string(s.Height); }

}  // namespace

void ListFfmDifferences(const QdMISameChk& chk, TDifferenceRows& rows) {
  const std::optional<TStreamPair> pair = AddStreamPairRows(chk, rows);
  if (!pair) return;
  const auto& [p, q, video, audio, word] = *pair;
  if (video) rows.Add("Frame rate", FrameRate(p.RateX1000), FrameRate(q.RateX1000));
  if (video || audio) rows.Add(word + " " + LangStr("Base", "Codec"), DecoderName(p.CodecId), DecoderName(q.CodecId));
  if (video || p.StreamType == kStreamText)
    rows.Add(word + " " + LangStr("Base", "Size"), PictureSize(p), PictureSize(q));
  // Pixel and sample format numbers mean nothing to a user; that they differ is what counts.
  if (video && p.PixelFormat != q.PixelFormat) rows.Add("Pixel " + LangStr("Base", "Format"), "-", "-");
  if (audio) {
    rows.Add(word + " Sample rate", std::to_string(p.SampleRate), std::to_string(q.SampleRate));
    rows.Add(word + " Channels", std::to_string(p.Channels), std::to_string(q.Channels));
    if (p.SampleFormat != q.SampleFormat) rows.Add("Sample " + LangStr("Base", "Format"), "-", "-");
    rows.Add("Frame " + LangStr("Base", "Size"), std::to_string(p.FrameSize), std::to_string(q.FrameSize));
  }
}

}  // namespace korvel
