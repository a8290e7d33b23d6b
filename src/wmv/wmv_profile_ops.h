#pragma once
// Profile changes the WMV producers make before they hand a source's profile to the writer:
// rates a writer cannot work with raised, the video rate of a join set for its fastest clip,
// the streams to read chosen, and interlaced content kept interlaced.
#include <cstdint>
#include <vector>

#include "base/guid.h"
#include "base/hresult.h"
#include "wmv/asf/asf_profile.h"
#include "wmv/asf/asf_sync_reader.h"
#include "wmv/asf/asf_writer.h"

namespace korvel {

// The video rate written for a stream that declares almost none, the largest the field takes
// with room to double.
inline constexpr uint32_t kUnknownVideoRate = 99999000;
inline constexpr uint32_t kUnknownAudioRate = 9999000;
// The frame duration assumed for video that does not state one (60 frames per second).
inline constexpr uint32_t kDefaultFrameDuration = 166666;

// Buffer windows below 1 s become 5 s (video) or 1.5 s (audio); bit rates below 1000 become
// kUnknownVideoRate or kUnknownAudioRate.
void RaiseLowRates(asf::AsfProfile& profile);
// The bit rate and frame duration (0 when the format does not say) of video stream number.
// E_FAIL when there is no such stream or its rate is 0.
HRESULT GetVideoRate(const asf::AsfProfile& profile, uint16_t number, uint32_t& bitrate, uint32_t& frameDuration);
HRESULT SetVideoRate(asf::AsfProfile& profile, uint16_t number, uint32_t bitrate);
// A video stream without a frame duration may be of variable frame rate: its rate is doubled.
void DoubleVideoRate(asf::AsfProfile& profile, uint16_t number);
// Selects (or deselects) every stream of profile on reader, compressed.
HRESULT SelectStreams(const asf::AsfProfile& profile, asf::AsfSyncReader& reader, bool on);
// Keeps of the audio and of the video streams only the one of the highest bit rate (the later on
// ties); other streams go too when removeOthers is set.
HRESULT KeepBestStreams(asf::AsfProfile& profile, bool removeOthers);
// The major type and number of each stream, in profile order.
void GetStreamTable(const asf::AsfProfile& profile, std::vector<Guid>& types, std::vector<uint16_t>& numbers);
// Inputs whose stream carries the content-type payload extension are coded interlaced.
HRESULT SetInterlaceSettings(asf::AsfWriter& writer);

// The audio and video stream a producer follows: the highest bit rate of each kind (the later on
// ties), and the video's frame duration.
struct TWmvStreamChoice {
  uint16_t audio = 0;
  uint16_t video = 0;
  uint32_t frameDuration = 0;
};
// E_FAIL when the profile has neither audio nor video.
HRESULT ChooseStreams(const asf::AsfProfile& profile, TWmvStreamChoice& choice);

}  // namespace korvel
