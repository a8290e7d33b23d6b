#pragma once
// The synchronous sample reader: opens a program-supplied stream, gives the file's profile and
// header information, and hands out the compressed samples of the selected streams merged in
// time order. Damaged data is reported with NS_E_INVALID_DATA, NS_E_CORRUPTED_DATA_UNIT or
// NS_E_FILE_CORRUPTED and reading can go on after it; the end is NS_E_NO_MORE_SAMPLES.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "base/hresult.h"
#include "wmv/asf/asf_byte_stream.h"
#include "wmv/asf/asf_file.h"
#include "wmv/asf/asf_header_info.h"
#include "wmv/asf/asf_object_assembler.h"
#include "wmv/asf/asf_profile.h"
#include "wmv/asf/asf_sample.h"
#include "wmv/asf/asf_sample_timing.h"

namespace korvel::asf {

enum WMT_STREAM_SELECTION : uint32_t { WMT_OFF = 0, WMT_CLEANPOINT_ONLY = 1, WMT_ON = 2 };

class AsfSyncReader {
public:
  AsfSyncReader() = default;
  AsfSyncReader(const AsfSyncReader&) = delete;
  AsfSyncReader& operator=(const AsfSyncReader&) = delete;

  // Reads the header and the index; every stream is selected and the whole file is the range.
  HRESULT OpenStream(std::shared_ptr<AsfByteStream> stream);
  HRESULT Close();

  // Null until opened. The profile is the reader's own; callers change copies of it.
  const AsfProfile* Profile() const { return open_ ? &state_->profile : nullptr; }
  AsfHeaderInfo* HeaderInfo() { return open_ ? &state_->headerInfo : nullptr; }

  HRESULT SetStreamsSelected(uint16_t count, const uint16_t* numbers, const WMT_STREAM_SELECTION* selections);
  // Samples always come compressed; asking for anything else fails with E_INVALIDARG.
  HRESULT SetReadStreamSamples(uint16_t number, bool compressed);

  // start and duration in 100 ns. (0, 0): the whole file. Otherwise reading starts at the latest
  // clean point of the video stream at or before start, and ends after start + duration
  // (duration 0: at the end of the file). Fails when start lies past the last sample.
  HRESULT SetRange(uint64_t start, uint64_t duration);

  // The next sample of any selected stream; its bytes are the caller's. Damage is reported after
  // the whole samples read before it; samples read after it that belong before one already handed
  // out are dropped.
  HRESULT GetNextSample(AsfSample& sample);

private:
  struct Pending {
    uint32_t presentationTimeMs;  // aligned
    uint64_t order;
    AsfSample sample;
    // Heap order: the earliest time (then the earliest read) on top.
    bool operator<(const Pending& o) const {
      return sample.time != o.sample.time ? sample.time > o.sample.time : order > o.order;
    }
  };
  struct OpenState {
    AsfFile file;
    AsfProfile profile;
    AsfHeaderInfo headerInfo;
    AsfSampleTiming timing;
    AsfObjectAssembler assembler;
  };

  bool Selected(uint16_t number) const;
  uint16_t KeyStream() const;
  // Reading starts at firstPacket; the range's own data (its clean point) at rangePacket.
  void Restart(uint64_t firstPacket, uint64_t rangePacket, uint64_t cleanTime, uint64_t end);
  // Reads the next packet's objects into the queue; a damaged packet's code, else S_OK.
  HRESULT ReadMore();
  void NoteSent(const AsfPacket& packet);
  // How far (aligned ms) the packets of every group of streams have been sent.
  uint64_t SentMs() const;
  // hr, or S_OK for damage in a packet read ahead of the range's own first packet.
  HRESULT DamageInRange(uint64_t packet, HRESULT hr);
  bool CanRelease() const;

  bool open_ = false;
  std::unique_ptr<OpenState> state_;
  std::vector<uint16_t> selected_;
  uint64_t nextPacket_ = 0;
  uint64_t rangePacket_ = 0;  // packets before it are read only for objects sent early
  uint64_t rangeStart_ = 0;  // no sample before this
  uint64_t rangeEnd_ = UINT64_MAX;
  // Per shift group (see AsfSampleTiming::ShiftGroups), the latest aligned send time read.
  std::map<uint32_t, uint64_t> sentMs_;
  bool atEnd_ = false;
  bool finished_ = false;
  HRESULT damage_ = S_OK;  // met while reading, reported when the samples before it have gone
  uint64_t lastTime_ = 0;
  uint64_t order_ = 0;
  uint64_t pendingBytes_ = 0;
  std::vector<Pending> pending_;  // a heap
  std::vector<uint8_t> packetBuffer_;
};

// The factory the engines call; the reader closes itself when the last reference goes.
std::shared_ptr<AsfSyncReader> CreateSyncReader();

}  // namespace korvel::asf
