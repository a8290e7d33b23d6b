#pragma once
// How the streams of a later clip are matched to the streams of the first clip, whose numbers
// the output keeps. Streams match when their media types agree apart from what legitimately
// differs between two encodings of one format: the declared bit rate of a video stream, the
// average bytes per second of variable-rate audio, and a frame duration rounded differently.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/hresult.h"
#include "wmv/asf/asf_media_type.h"
#include "wmv/asf/asf_profile.h"

namespace korvel {

// Row 0 holds the output stream numbers (the first clip's); row k, column i the number of clip
// k's stream that feeds output stream i.
class TWmStreamMap {
public:
  void Reset(size_t clips, size_t streams);
  size_t Streams() const { return streams_; }
  uint16_t At(size_t clip, size_t stream) const;
  void Set(size_t clip, size_t stream, uint16_t number);
  bool RowHas(size_t clip, uint16_t number) const;
  // The output stream clip's stream number feeds; 0 when none.
  uint16_t MapStream(uint16_t number, size_t clip) const;

private:
  size_t clips_ = 0;
  size_t streams_ = 0;
  std::vector<uint16_t> numbers_;
};

// Changes a's and b's format blocks as described above, then compares. vbr: the streams
// declare a variable bit rate.
bool SameMediaType(asf::WmMediaType& a, asf::WmMediaType& b, bool vbr);

class TWmStreamTable {
public:
  HRESULT Load(const asf::AsfProfile& profile);
  size_t Count() const { return streams_.size(); }
  uint16_t Number(size_t i) const { return streams_[i].number; }
  // Row 0 of the map := this table's stream numbers.
  void CopyNumbers(TWmStreamMap& map) const;
  // Fills rows 0 and clip; each of this table's streams takes the first unused stream of other
  // that matches it, and keeps the larger buffer window of the two. False when one finds none.
  bool Match(TWmStreamTable& other, TWmStreamMap& map, size_t clip);
  HRESULT ApplyBufferWindows(asf::AsfProfile& profile) const;

private:
  struct Entry {
    asf::WmMediaType mediaType;
    uint16_t number = 0;
    uint32_t bufferWindow = 0;  // ms
    int32_t vbr = 0;
  };
  std::vector<Entry> streams_;
};

}  // namespace korvel
