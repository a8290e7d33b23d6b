#include "mediainfo/stream_fields.h"

#include <algorithm>

#include "base/hex.h"

namespace korvel {

void ForEachStreamField(const QdMediaStream& s,
                        const std::function<void(std::string_view, const StreamFieldValue&, bool)>& visit) {
  const auto number = [&](std::string_view name, int64_t value) { visit(name, value, value != 0); };
  const auto text = [&](std::string_view name, const std::string& value) { visit(name, value, !value.empty()); };
  const auto fourcc = [&](std::string_view name, FOURCC value) { visit(name, FourCCToText(value), value != 0); };
  const auto block = [&](std::string_view sizeName, std::string_view name, const std::vector<uint8_t>& bytes) {
    number(sizeName, static_cast<int64_t>(bytes.size()));
    text(name, ToHexUpper(bytes));
  };

  number("Index", s.Index);
  number("StreamType", s.StreamType);
  fourcc("FourCC", s.FourCC);
  fourcc("FourCCClass", s.FourCCClass);
  number("Rate", s.Rate);
  number("Scale", s.Scale);
  number("RateX1000", s.RateX1000);
  number("Width", s.Width);
  number("Height", s.Height);
  number("DisplayHeight", s.DisplayHeight);
  block("FormatSize", "Format", s.Format);
  std::vector<std::string> guids;
  for (const Guid& g : s.MediaTypeGuids) guids.push_back(GuidToText(g));
  visit("MediaTypeGuids", guids,
        std::any_of(s.MediaTypeGuids.begin(), s.MediaTypeGuids.end(), [](const Guid& g) { return !g.IsNull(); }));
  number("VbrMode", s.VbrMode);
  number("BitRate", s.BitRate);
  text("CodecName", s.CodecName);
  text("CodecDesc", s.CodecDesc);
  number("Ignored", s.Ignored ? 1 : 0);
  number("TimeBase", s.TimeBase);
  number("CodecId", s.CodecId);
  number("PixelFormat", s.PixelFormat);
  number("SampleRate", s.SampleRate);
  number("Channels", s.Channels);
  number("SampleFormat", s.SampleFormat);
  number("FrameSize", s.FrameSize);
  text("TrackTypeName", s.TrackTypeName);
  text("MediaDataName", s.MediaDataName);
  text("Language", s.Language);
  number("EsdsObjectType", s.EsdsObjectType);
  number("Mpeg4AudioType", s.Mpeg4AudioType);
  visit("Ac3Params", ToHexUpper(s.Ac3Params),
        std::any_of(s.Ac3Params.begin(), s.Ac3Params.end(), [](uint8_t b) { return b != 0; }));
  block("Extra1Size", "Extra1", s.Extra1);
  block("Extra2Size", "Extra2", s.Extra2);
  block("Extra3Size", "Extra3", s.Extra3);
}

}  // namespace korvel
