#pragma once
// The rows of the media difference table: why a newly opened file cannot join the clip list,
// as a property and its value in the list's reference file and in the new file.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mediainfo/same_format.h"

namespace korvel {

// Three parallel columns, one entry per row in each.
struct TDifferenceRows {
  std::vector<std::string> Labels;
  std::vector<std::string> Values1;
  std::vector<std::string> Values2;

  void Add(std::string label, std::string value1, std::string value2);
};

// The table for a failed comparison; no rows when chk does not name both descriptions.
TDifferenceRows FormatDifferenceRows(const QdMISameChk& chk);

// "Video", "Audio", "Subtitle", "Data" or the word for any other stream.
std::string StreamTypeWord(uint8_t streamType);

// The rows below need chk to name both descriptions.
// The comparable stream count of each description.
void AddDescriptionRows(const QdMISameChk& chk, TDifferenceRows& rows);
// The type of the stream pair the comparison stopped at.
void AddStreamTypeRows(const QdMISameChk& chk, TDifferenceRows& rows);
// The stream pair a container's own rows compare, with what every container asks of it.
struct TStreamPair {
  const QdMediaStream& p;  // of the first file
  const QdMediaStream& q;  // of the second file
  bool video;
  bool audio;
  std::string word;  // the first stream's type, as labels name it
};

// What every container's rows begin with: the counts and, when the counts agree and the
// comparison named a stream pair, its types. The pair when it did name one, so the
// container's own rows may compare it.
std::optional<TStreamPair> AddStreamPairRows(const QdMISameChk& chk, TDifferenceRows& rows);

}  // namespace korvel
