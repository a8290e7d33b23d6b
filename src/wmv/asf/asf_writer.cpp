#include "wmv/asf/asf_writer.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <optional>
#include <random>
#include <vector>

#include "base/byte_appender.h"
#include "wmv/asf/asf_errors.h"
#include "wmv/asf/asf_guids.h"
#include "wmv/asf/asf_header_from_profile.h"
#include "wmv/asf/asf_header_room.h"
#include "wmv/asf/asf_header_serialize.h"
#include "wmv/asf/asf_header_store.h"
#include "wmv/asf/asf_index_writer.h"
#include "wmv/asf/asf_metadata_editor.h"
#include "wmv/asf/asf_output_file.h"
#include "wmv/asf/asf_packet_writer.h"
#include "wmv/asf/asf_payload_extension_data.h"
#include "wmv/asf/asf_sample.h"

namespace korvel::asf {
namespace {

constexpr uint64_t kDataObjectHead = 50;  // head, file id, packet count, reserved word
constexpr uint16_t kDataObjectReserved = 0x0101;
constexpr uint32_t kBroadcastFlag = 0x1;
constexpr uint32_t kSeekableFlag = 0x2;
constexpr uint32_t kStreamSeekableFlag = 0x2;  // of the extended stream properties
// Seconds from 1601-01-01, where file times start, to 1970-01-01.
constexpr uint64_t kFileTimeEpochOffset = 11644473600;

// A random (version 4) GUID: the file id ties the data object and the index to the header.
Guid NewFileId() {
  std::random_device random;
  Guid id;
  for (size_t i = 0; i < id.bytes.size(); i += 4) {
    const uint32_t r = random();
    for (size_t k = 0; k < 4; ++k) id.bytes[i + k] = static_cast<uint8_t>(r >> (8 * k));
  }
  id.bytes[7] = static_cast<uint8_t>((id.bytes[7] & 0x0F) | 0x40);
  id.bytes[8] = static_cast<uint8_t>((id.bytes[8] & 0x3F) | 0x80);
  return id;
}

// Now in 100 ns since 1601.
uint64_t FileTimeNow() {
  const auto since1970 = std::chrono::system_clock::now().time_since_epoch();
  const auto ticks = std::chrono::duration_cast<std::chrono::duration<int64_t, std::ratio<1, 10'000'000>>>(since1970);
  return static_cast<uint64_t>(std::max<int64_t>(ticks.count(), 0)) + kFileTimeEpochOffset * 10'000'000;
}

std::vector<uint8_t> DataObjectHead(const Guid& fileId, uint64_t size, uint64_t packets) {
  return ByteAppender().Id(kDataObject).U64(size).Id(fileId).U64(packets).U16(kDataObjectReserved).Take();
}

// Scripts and markers for a finished file go in through the header editor, which rewrites it.
HRESULT StoreThroughEditor(const std::filesystem::path& file, const std::vector<AsfScript>& scripts,
                           const std::vector<AsfMarkerEntry>& markers) {
  AsfMetadataEditor editor;
  HRESULT hr = editor.Open(file);
  for (size_t i = 0; Succeeded(hr) && i < scripts.size(); ++i) hr = editor.AddScript(scripts[i]);
  for (size_t i = 0; Succeeded(hr) && i < markers.size(); ++i) hr = editor.AddMarker(markers[i]);
  if (Succeeded(hr)) hr = editor.Flush();
  const HRESULT closed = editor.Close();
  return Failed(hr) ? hr : closed;
}

struct StreamState {
  bool video = false;
  uint8_t nextObject = 0;
  uint32_t largestObject = 0;
  std::vector<AsfPayloadExtensionSystem> extensions;
  AsfIndexWriter index;
  bool indexed = false;  // a key frame was written
};

enum class Phase { kSetup, kWriting, kEnded };

}  // namespace

struct AsfWriter::State {
  Phase phase = Phase::kSetup;
  std::optional<AsfProfile> profile;
  std::filesystem::path output;
  AsfHeaderInfo info;
  // Added while writing: they go into the header when EndWriting finds room for them.
  std::vector<AsfScript> lateScripts;
  std::vector<AsfMarkerEntry> lateMarkers;

  AsfHeader header;
  uint64_t headerSize = 0;
  std::unique_ptr<AsfOutputFile> file;
  std::unique_ptr<AsfPacketWriter> packets;
  std::map<uint16_t, StreamState> streams;
  uint64_t endTime = 0;           // 100 ns without preroll: the latest sample end
  uint64_t lastPresentation = 0;  // 100 ns with preroll: the latest sample start as stored
  HRESULT failure = S_OK;         // the first failed write; the file is unusable after it
  bool ended = false;             // EndWriting completed the file
  uint64_t fileSize = 0;          // of the completed file
  // Once the header editor has rewritten the file, our header no longer describes it.
  bool edited = false;

  HRESULT Begin();
  HRESULT Write(uint16_t number, uint64_t time, uint64_t duration, uint32_t flags, std::span<const uint8_t> bytes,
                std::span<const uint8_t> extensions);
  HRESULT End();
  // The header with what stored holds, padded to the size written at the start; nothing when
  // it does not fit.
  std::optional<std::vector<uint8_t>> HeaderFor(const AsfHeaderInfo& stored);
  // A script or marker for the finished file: into the header's room in place while it fits,
  // else through the header editor.
  HRESULT AddToFinished(const std::vector<AsfScript>& scripts, const std::vector<AsfMarkerEntry>& markers);
};

HRESULT AsfWriter::State::Begin() {
  if (!profile) return NS_E_INVALID_REQUEST;
  if (output.empty()) return E_INVALIDARG;
  streams.clear();
  HRESULT hr = HeaderFromProfile(*profile, header);
  if (Failed(hr)) return hr;
  for (const auto& stream : header.streams) {
    StreamState& s = streams[stream.streamNumber];
    s.video = stream.streamType == kVideoMedia;
    if (const auto* ext = header.ExtendedStream(stream.streamNumber)) s.extensions = ext->payloadExtensions;
    if (!MadeUpExtensionSize(s.extensions)) return E_INVALIDARG;
  }
  AsfFileProperties& props = header.file;
  props.fileId = NewFileId();
  props.creationDate = FileTimeNow();
  props.minPacketSize = props.maxPacketSize = kPacketSize;
  // Until EndWriting states sizes and durations, the file says they are unknown, as a live
  // stream's would: a file cut short by a crash stays playable.
  props.flags = kBroadcastFlag;
  hr = StoreHeaderInfo(info, header);
  if (Failed(hr)) return hr;
  AddVbrAttributes(*profile, header);
  std::vector<uint8_t> headerBytes = SerializeAsfHeader(header);
  AddHeaderRoom(headerBytes);
  headerSize = headerBytes.size();

  file = AsfOutputFile::Create(output);
  if (!file) return E_FAIL;
  packets = std::make_unique<AsfPacketWriter>(props.minPacketSize, static_cast<uint32_t>(props.preroll),
                                               [this](std::span<const uint8_t> packet) { return file->Append(packet); });
  if (!file->Append(headerBytes) || !file->Append(DataObjectHead(props.fileId, 0, 0))) {
    file.reset();
    std::error_code ignored;
    std::filesystem::remove(output, ignored);
    return E_FAIL;
  }
  return S_OK;
}

HRESULT AsfWriter::State::Write(uint16_t number, uint64_t time, uint64_t duration, uint32_t flags,
                                std::span<const uint8_t> bytes, std::span<const uint8_t> extensions) {
  const auto it = streams.find(number);
  if (it == streams.end() || bytes.size() > UINT32_MAX) return E_INVALIDARG;
  StreamState& s = it->second;
  // Stored in whole ms with the preroll added; a time that field cannot hold is refused.
  const uint64_t ms = NearestMs(time) + header.file.preroll;
  if (ms > UINT32_MAX) return E_INVALIDARG;
  if (Failed(failure)) return failure;
  const std::vector<uint8_t> extensionData =
      s.extensions.empty() ? std::vector<uint8_t>() : PayloadExtensionData(s.extensions, extensions, duration);
  AsfPacketObject object;
  object.streamNumber = static_cast<uint8_t>(number);
  object.objectNumber = s.nextObject++;
  object.keyFrame = (flags & WM_SF_CLEANPOINT) != 0;
  object.presentationTimeMs = static_cast<uint32_t>(ms);
  object.extensions = extensionData;
  object.bytes = bytes;
  AsfObjectPlacement placement;
  if (!packets->Add(object, placement)) {
    failure = E_FAIL;
    return failure;
  }
  if (s.video && object.keyFrame) {
    s.index.AddKeyFrame(ms * 10000, placement);
    s.indexed = true;
  }
  s.largestObject = std::max(s.largestObject, static_cast<uint32_t>(bytes.size()));
  endTime = std::max(endTime, duration > UINT64_MAX - time ? UINT64_MAX : time + duration);
  lastPresentation = std::max(lastPresentation, ms * 10000);
  return S_OK;
}

std::optional<std::vector<uint8_t>> AsfWriter::State::HeaderFor(const AsfHeaderInfo& stored) {
  if (Failed(StoreHeaderInfo(stored, header))) return std::nullopt;
  AddVbrAttributes(*profile, header);
  std::vector<uint8_t> bytes = SerializeAsfHeader(header);
  if (!FillHeaderRoom(bytes, headerSize)) return std::nullopt;
  return bytes;
}

HRESULT AsfWriter::State::AddToFinished(const std::vector<AsfScript>& scripts, const std::vector<AsfMarkerEntry>& markers) {
  AsfHeaderInfo next = info;
  for (const auto& s : scripts) next.AddScript(s.type, s.command, s.time);
  for (const auto& m : markers) next.AddMarker(m.name, m.time);
  const auto bytes = edited ? std::nullopt : HeaderFor(next);
  auto reopened = bytes ? AsfOutputFile::Reopen(output, fileSize) : nullptr;
  if (reopened) {
    const bool written = reopened->WriteAt(0, *bytes);
    if (!reopened->SyncAndClose() || !written) return E_FAIL;
    info = std::move(next);
    return S_OK;
  }
  edited = true;
  return StoreThroughEditor(output, scripts, markers);
}

HRESULT AsfWriter::State::End() {
  if (!packets->Finish()) failure = E_FAIL;
  const uint64_t packetCount = packets->PacketCount();
  uint64_t indexBytes = 0;
  bool indexed = false;
  for (const auto& stream : header.streams) {
    StreamState& s = streams[stream.streamNumber];
    if (!s.indexed || packetCount == 0) continue;
    const auto index = s.index.Build(header.file.fileId, lastPresentation);
    if (!file->Append(index)) failure = E_FAIL;
    indexBytes += index.size();
    indexed = true;
  }
  const uint64_t packetSize = header.file.minPacketSize;
  const uint64_t dataSize = kDataObjectHead + packetCount * packetSize;
  const uint64_t preroll = header.file.preroll * 10000;
  AsfFileProperties& props = header.file;
  props.fileSize = headerSize + dataSize + indexBytes;
  props.dataPacketsCount = packetCount;
  props.playDuration = endTime > UINT64_MAX - preroll ? UINT64_MAX : endTime + preroll;
  props.sendDuration = packets->SendEndMs() * 10000;
  props.flags = indexed ? kSeekableFlag : 0;
  for (auto& ext : header.extendedStreams) {
    const StreamState& s = streams[ext.streamNumber];
    ext.maximumObjectSize = s.largestObject;
    if (s.indexed) ext.flags |= kStreamSeekableFlag;
  }
  AsfHeaderInfo withLate = info;
  for (const auto& s : lateScripts) withLate.AddScript(s.type, s.command, s.time);
  for (const auto& m : lateMarkers) withLate.AddMarker(m.name, m.time);
  auto headerBytes = HeaderFor(withLate);
  const bool lateStored = headerBytes.has_value();
  if (lateStored) info = std::move(withLate);
  if (!headerBytes) headerBytes = HeaderFor(info);
  if (!headerBytes) failure = E_FAIL;
  if (Succeeded(failure) && (!file->WriteAt(0, *headerBytes) ||
                             !file->WriteAt(headerSize, DataObjectHead(props.fileId, dataSize, packetCount)))) {
    failure = E_FAIL;
  }
  if (!file->SyncAndClose()) failure = E_FAIL;
  file.reset();
  if (Failed(failure)) return failure;
  ended = true;
  fileSize = props.fileSize;
  if (lateStored) return S_OK;
  edited = true;
  return StoreThroughEditor(output, lateScripts, lateMarkers);
}

AsfWriter::AsfWriter() : state_(std::make_unique<State>()) {}

// Releasing a writer that is still writing completes its file, as EndWriting would: what was
// written stays playable and seekable. There is no one left to tell about a failure.
AsfWriter::~AsfWriter() {
  if (state_->phase == Phase::kWriting) (void)EndWriting();
}

HRESULT AsfWriter::SetProfile(const AsfProfile& profile) {
  if (state_->phase != Phase::kSetup) return NS_E_INVALID_REQUEST;
  state_->profile = profile;
  return S_OK;
}

HRESULT AsfWriter::SetOutputFilename(const std::filesystem::path& file) {
  if (state_->phase != Phase::kSetup) return NS_E_INVALID_REQUEST;
  if (file.empty()) return E_INVALIDARG;
  state_->output = file;
  return S_OK;
}

uint32_t AsfWriter::GetInputCount() const { return state_->profile ? state_->profile->GetStreamCount() : 0; }

HRESULT AsfWriter::GetInputProps(uint32_t input, AsfStreamConfig& config) const {
  if (!state_->profile) return E_INVALIDARG;
  return state_->profile->GetStream(input, config);
}

HRESULT AsfWriter::SetInputCompressed(uint32_t input) { return input < GetInputCount() ? S_OK : E_INVALIDARG; }

HRESULT AsfWriter::SetInputSetting(uint32_t input, std::string_view name, WMT_ATTR_DATATYPE type, const uint8_t* value,
                                   uint32_t length) {
  (void)type;
  if (input >= GetInputCount() || name.empty() || (!value && length != 0)) return E_INVALIDARG;
  return S_OK;
}

AsfHeaderInfo* AsfWriter::HeaderInfo() { return state_->phase == Phase::kSetup ? &state_->info : nullptr; }

HRESULT AsfWriter::AddScript(const AsfScript& script) {
  State& st = *state_;
  switch (st.phase) {
    case Phase::kSetup: st.info.AddScript(script.type, script.command, script.time); return S_OK;
    case Phase::kWriting: st.lateScripts.push_back(script); return S_OK;
    case Phase::kEnded: break;
  }
  return st.ended ? st.AddToFinished({script}, {}) : NS_E_INVALID_REQUEST;
}

HRESULT AsfWriter::AddMarker(const AsfMarkerEntry& marker) {
  State& st = *state_;
  switch (st.phase) {
    case Phase::kSetup: st.info.AddMarker(marker.name, marker.time); return S_OK;
    case Phase::kWriting: st.lateMarkers.push_back(marker); return S_OK;
    case Phase::kEnded: break;
  }
  return st.ended ? st.AddToFinished({}, {marker}) : NS_E_INVALID_REQUEST;
}

HRESULT AsfWriter::BeginWriting() {
  State& st = *state_;
  if (st.phase != Phase::kSetup) return NS_E_INVALID_REQUEST;
  // A failed start leaves the writer in setup: it may be corrected and writing begun again.
  const HRESULT hr = st.Begin();
  if (Succeeded(hr)) st.phase = Phase::kWriting;
  return hr;
}

HRESULT AsfWriter::WriteStreamSample(uint16_t streamNumber, uint64_t time, uint64_t duration, uint32_t flags,
                                     std::span<const uint8_t> bytes, std::span<const uint8_t> extensions) {
  if (state_->phase != Phase::kWriting) return NS_E_INVALID_REQUEST;
  return state_->Write(streamNumber, time, duration, flags, bytes, extensions);
}

HRESULT AsfWriter::EndWriting() {
  State& st = *state_;
  if (st.phase != Phase::kWriting) return NS_E_INVALID_REQUEST;
  st.phase = Phase::kEnded;
  return st.End();
}

std::shared_ptr<AsfWriter> CreateWriter() { return std::make_shared<AsfWriter>(); }

}  // namespace korvel::asf
