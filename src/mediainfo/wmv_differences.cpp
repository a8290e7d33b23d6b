#include "mediainfo/wmv_differences.h"

#include "lang/lang.h"

namespace korvel {

void ListWmvDifferences(const QdMISameChk& chk, TDifferenceRows& rows) {
  if (!AddStreamPairRows(chk, rows)) return;
  const QdMediaStream& p = *chk.Stream1;
  const QdMediaStream& q = *chk.Stream2;
  if (p.StreamType == kStreamVideo || p.StreamType == kStreamAudio)
    rows.Add(StreamTypeWord(p.StreamType) + " " + LangStr("Base", "Codec"), p.CodecName, q.CodecName);
  rows.Add(LangStr("Base", "Stream") + " " + LangStr("Base", "Description"), p.CodecDesc, q.CodecDesc);
}

}  // namespace korvel
