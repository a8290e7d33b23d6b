#include "mediainfo/difference_rows.h"

#include "lang/lang.h"
#include "mediainfo/avi_differences.h"
#include "mediainfo/container_kind.h"
#include "mediainfo/ffm_differences.h"
#include "mediainfo/mp4_differences.h"
#include "mediainfo/strict_checks.h"
#include "mediainfo/wmv_differences.h"

namespace korvel {
namespace {

bool AnyRowDiffers(const TDifferenceRows& rows, size_t from) {
  for (size_t i = from; i < rows.Labels.size(); ++i)
    if (rows.Values1[i] != rows.Values2[i]) return true;
  return false;
}

// A refusal always has a visible reason: when the family's rows show the stream pair alike,
// the field the join check refused it for is named with both values.
void AddRefusedField(const QdMISameChk& chk, TDifferenceRows& rows) {
  if (chk.Info1->ComparableCount() != chk.Info2->ComparableCount() || !chk.Stream1 || !chk.Stream2) return;
  const QdMediaStream& p = *chk.Stream1;
  const QdMediaStream& q = *chk.Stream2;
  if (const StrictCheck* refused = FirstFailedCheck(StrictChecksOfKind(chk.Info1->Kind), p, q))
    rows.Add(refused->field, refused->text(p, q), refused->text(q, p));
}

}  // namespace

void TDifferenceRows::Add(std::string label, std::string value1, std::string value2) {
  Labels.push_back(std::move(label));
  Values1.push_back(std::move(value1));
  Values2.push_back(std::move(value2));
}

std::string StreamTypeWord(uint8_t streamType) {
  switch (streamType) {
    case kStreamVideo: return LangStr("Base", "Video");
    case kStreamAudio: return LangStr("Base", "Audio");
    case kStreamText: return "Subtitle";
    case kStreamData: return "Data";
    default: return LangStr("Base", "Etc");
  }
}

void AddDescriptionRows(const QdMISameChk& chk, TDifferenceRows& rows) {
  rows.Add(LangStr("Base", "Stream") + " Count", std::to_string(chk.Info1->ComparableCount()),
           std::to_string(chk.Info2->ComparableCount()));
}

void AddStreamTypeRows(const QdMISameChk& chk, TDifferenceRows& rows) {
  const auto word = [](const QdMediaStream* s) { return StreamTypeWord(s ? s->StreamType : uint8_t{kStreamOther}); };
  rows.Add(LangStr("Base", "Stream") + " " + LangStr("Base", "Type"), word(chk.Stream1), word(chk.Stream2));
}

std::optional<TStreamPair> AddStreamPairRows(const QdMISameChk& chk, TDifferenceRows& rows) {
  AddDescriptionRows(chk, rows);
  // With unequal counts the comparison never paired streams, so any pair in chk is stale.
  if (chk.Info1->ComparableCount() != chk.Info2->ComparableCount() || !chk.Stream1 || !chk.Stream2)
    return std::nullopt;
  AddStreamTypeRows(chk, rows);
  const QdMediaStream& p = *chk.Stream1;
  return TStreamPair{p, *chk.Stream2, p.StreamType == kStreamVideo, p.StreamType == kStreamAudio,
                     StreamTypeWord(p.StreamType)};
}

TDifferenceRows FormatDifferenceRows(const QdMISameChk& chk) {
  TDifferenceRows rows;
  if (!chk.Info1 || !chk.Info2) return rows;
  const QdMediaInfo& a = *chk.Info1;
  const QdMediaInfo& b = *chk.Info2;
  rows.Add("", chk.Title1, chk.Title2);
  rows.Add(LangStr("Base", "FileName"), a.FileName.filename().string(), b.FileName.filename().string());
  rows.Add(LangStr("Base", "Media") + " " + LangStr("Base", "Format"), KindName(a.Kind, a.SubKind),
           KindName(b.Kind, b.SubKind));
  // Across families the kinds already say it all; the streams were never compared.
  if (!IsSameKindFamily(a, b)) return rows;
  const size_t firstCompared = rows.Labels.size() - 1;  // the kinds may differ within a family
  if (a.Kind == kKindAvi) {
    AviDifferenceRows(chk, rows);
  } else if (a.Kind == kKindMp4Family) {
    ListMp4Differences(chk, rows);
  } else if (a.Kind == kKindAsf) {
    ListWmvDifferences(chk, rows);
  } else {
    ListFfmDifferences(chk, rows);
  }
  if (!AnyRowDiffers(rows, firstCompared)) AddRefusedField(chk, rows);
  return rows;
}

}  // namespace korvel
