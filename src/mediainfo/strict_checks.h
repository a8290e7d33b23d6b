#pragma once
// The strict half of the join check: the fields a stream and its partner must agree on, each
// with the name and the values the difference table shows when its other rows look alike.
#include <cstdint>
#include <span>
#include <string>

#include "mediainfo/same_format.h"

namespace korvel {

using StreamTest = bool (*)(const QdMediaStream& p, const QdMediaStream& q);

struct StrictCheck {
  const char* field;                            // the row's label
  bool (*applies)(const QdMediaStream& p);      // by the kind of the first file's stream
  StreamTest same;
  // The value of one side; other is the side it is compared with, so that two blocks of
  // bytes both show from where they first differ.
  std::string (*text)(const QdMediaStream& s, const QdMediaStream& other);
};

// The first check that applies to p and that p and q fail; null when they pass them all.
const StrictCheck* FirstFailedCheck(std::span<const StrictCheck> checks, const QdMediaStream& p,
                                    const QdMediaStream& q);

// The strict checks of each family, and of the family a description of this kind belongs to.
std::span<const StrictCheck> AviStrictChecks();
std::span<const StrictCheck> WmvStrictChecks();
std::span<const StrictCheck> Mp4StrictChecks();
std::span<const StrictCheck> FfmStrictChecks();
std::span<const StrictCheck> StrictChecksOfKind(uint8_t kind);

// Which streams a check applies to.
inline bool AnyStream(const QdMediaStream&) { return true; }
inline bool IsVideo(const QdMediaStream& s) { return s.StreamType == kStreamVideo; }
inline bool IsAudio(const QdMediaStream& s) { return s.StreamType == kStreamAudio; }
inline bool IsText(const QdMediaStream& s) { return s.StreamType == kStreamText; }
inline bool IsNotVideo(const QdMediaStream& s) { return !IsVideo(s); }
inline bool IsVideoOrAudio(const QdMediaStream& s) { return IsVideo(s) || IsAudio(s); }
inline bool IsVideoOrText(const QdMediaStream& s) { return IsVideo(s) || IsText(s); }

template <auto Field>
bool SameField(const QdMediaStream& p, const QdMediaStream& q) {
  return p.*Field == q.*Field;
}

// How the values of a field read in the table.
template <auto Field>
std::string NumberText(const QdMediaStream& s, const QdMediaStream&) {
  return std::to_string(+(s.*Field));
}
template <auto Field>
std::string PlainText(const QdMediaStream& s, const QdMediaStream&) {
  return s.*Field;
}
// "N bytes" when the sizes differ, else the bytes from the first that differs on, in hex.
std::string BytesText(std::span<const uint8_t> bytes, std::span<const uint8_t> other);
template <auto Field>
std::string BlockText(const QdMediaStream& s, const QdMediaStream& other) {
  return BytesText(s.*Field, other.*Field);
}
// Frames (or samples) per second with three decimals, as RateX1000 holds them.
std::string RateText(const QdMediaStream& s, const QdMediaStream&);

}  // namespace korvel
