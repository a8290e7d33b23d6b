#include "mediainfo/wmv_differences.h"

#include "lang/lang.h"

namespace korvel {

void ListWmvDifferences(const QdMISameChk& chk, TDifferenceRows& rows) {
  const std::optional<TStreamPair> pair = AddStreamPairRows(chk, rows);
  if (!pair) return;
  const auto& [p, q, video, audio, word] = *pair;
  if (video || audio) rows.Add(word + " " + LangStr("Base", "Codec"), p.CodecName, q.CodecName);
  rows.Add(LangStr("Base", "Stream") + " " + LangStr("Base", "Description"), p.CodecDesc, q.CodecDesc);
}

}  // namespace korvel
