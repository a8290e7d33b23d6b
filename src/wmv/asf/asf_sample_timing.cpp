#include "wmv/asf/asf_sample_timing.h"

#include <algorithm>

#include "base/byte_view.h"
#include "wmv/asf/asf_field_cursor.h"
#include "wmv/asf/asf_guids.h"
#include "wmv/asf/asf_stream_shift.h"

namespace korvel::asf {
namespace {

constexpr uint16_t kVariableSize = 0xFFFF;

// The sample-duration extension's value (ms) inside a payload's extension bytes.
std::optional<uint64_t> ExtensionDurationMs(const std::vector<AsfPayloadExtensionSystem>& systems,
                                            const std::vector<uint8_t>& bytes) {
  FieldCursor c{ByteView(bytes)};
  for (const auto& system : systems) {
    std::optional<uint32_t> size = system.dataSize;
    if (system.dataSize == kVariableSize) size = c.U16();
    const auto data = size ? c.Bytes(*size) : std::nullopt;
    if (!data) return std::nullopt;
    if (system.id == kPayloadExtensionSampleDuration && data->size() == 2) return *data->U16LE(0);
  }
  return std::nullopt;
}

}  // namespace

AsfSampleTiming::AsfSampleTiming(const AsfFile& file) : preroll_(file.PrerollTime()), shifts_(LateStreamShifts(file)) {
  for (const auto& s : file.header.streams) {
    StreamTiming t;
    if (const auto* ext = file.header.ExtendedStream(s.streamNumber)) {
      t.extensions = ext->payloadExtensions;
      if (s.streamType == kVideoMedia) t.frameTime = ext->averageTimePerFrame;
    }
    if (s.streamType == kAudioMedia) t.bytesPerSecond = ByteView(s.typeData).U32LE(8).value_or(0);
    streams_[static_cast<uint8_t>(s.streamNumber)] = t;
  }
}

uint32_t AsfSampleTiming::ShiftOf(uint8_t stream) const {
  const auto it = shifts_.find(stream);
  return it == shifts_.end() ? 0 : it->second;
}

std::vector<uint32_t> AsfSampleTiming::ShiftGroups() const {
  std::vector<uint32_t> groups;
  for (const auto& [stream, shift] : shifts_)
    if (std::ranges::find(groups, shift) == groups.end()) groups.push_back(shift);
  if (groups.empty()) groups.push_back(0);
  return groups;
}

uint32_t AsfSampleTiming::AlignedMs(uint8_t stream, uint32_t presentationTimeMs) const {
  const uint32_t shift = ShiftOf(stream);
  return presentationTimeMs > shift ? presentationTimeMs - shift : 0;
}

uint64_t AsfSampleTiming::TimeOf(uint8_t stream, uint32_t presentationTimeMs) const {
  const uint64_t t = uint64_t{AlignedMs(stream, presentationTimeMs)} * 10000;
  return t > preroll_ ? t - preroll_ : 0;
}

uint64_t AsfSampleTiming::DurationOf(const AsfMediaObject& object, const StreamTiming& timing) const {
  if (const auto ms = ExtensionDurationMs(timing.extensions, object.extensions)) return *ms * 10000;
  if (timing.frameTime != 0) return timing.frameTime;
  if (timing.bytesPerSecond != 0) return uint64_t{object.bytes.size()} * 10000000 / timing.bytesPerSecond;
  return 0;
}

AsfSample AsfSampleTiming::ToSample(AsfMediaObject object) const {
  AsfSample s;
  s.streamNumber = object.streamNumber;
  s.time = TimeOf(object.streamNumber, object.presentationTimeMs);
  const auto it = streams_.find(object.streamNumber);
  s.duration = it == streams_.end() ? 0 : DurationOf(object, it->second);
  s.flags = object.keyFrame ? WM_SF_CLEANPOINT : 0;
  s.bytes = std::move(object.bytes);
  s.extensions = std::move(object.extensions);
  return s;
}

}  // namespace korvel::asf
