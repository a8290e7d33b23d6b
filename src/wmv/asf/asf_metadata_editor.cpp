#include "wmv/asf/asf_metadata_editor.h"

#include <algorithm>
#include <vector>

#include "base/atomic_file.h"
#include "wmv/asf/asf_errors.h"
#include "wmv/asf/asf_file.h"
#include "wmv/asf/asf_header_serialize.h"
#include "wmv/asf/asf_header_store.h"

namespace korvel::asf {
namespace {

// The data object's head before its first packet: object head, file id, packet count, reserved.
constexpr uint64_t kDataObjectHead = 50;
constexpr size_t kCopyChunk = 1 << 20;

// The new header: the stored information, the objects we do not model as they were, and a
// file size that counts the new header.
std::vector<uint8_t> NewHeader(const AsfFile& file, const AsfUnmodelledObjects& kept, const AsfHeaderInfo& info,
                               uint64_t oldHeaderSize, HRESULT& hr) {
  AsfHeader header = file.header;
  hr = StoreHeaderInfo(info, header);
  if (Failed(hr)) return {};
  // The file size field has a fixed width, so writing it does not change the header's size.
  const uint64_t rest = file.fileSize - oldHeaderSize;
  if (!header.file.Broadcast()) header.file.fileSize = SerializeAsfHeader(header, kept).size() + rest;
  return SerializeAsfHeader(header, kept);
}

// Everything after the header, byte for byte: the data object and the index objects. Nothing
// there depends on where the data object starts: the simple index holds packet numbers, the
// other indexes count their offsets from the first packet, and marker offsets (in the header)
// count from the data object.
bool CopyAfterHeader(AsfByteStream& stream, uint64_t from, uint64_t to, const ByteSink& put) {
  std::vector<uint8_t> chunk(static_cast<size_t>(std::min<uint64_t>(kCopyChunk, to > from ? to - from : 0)));
  for (uint64_t at = from; at < to;) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(chunk.size(), to - at));
    if (ReadExactAt(stream, at, std::span(chunk.data(), n)) != ReadOutcome::kComplete) return false;
    if (!put(std::span<const uint8_t>(chunk.data(), n))) return false;
    at += n;
  }
  return true;
}

}  // namespace

struct AsfMetadataEditor::State {
  std::filesystem::path path;
  AsfFile file;
  uint64_t headerSize = 0;
  AsfUnmodelledObjects kept;
  AsfHeaderInfo info;
};

AsfMetadataEditor::AsfMetadataEditor() = default;
AsfMetadataEditor::~AsfMetadataEditor() = default;

HRESULT AsfMetadataEditor::Open(const std::filesystem::path& path) {
  if (state_) return NS_E_INVALID_REQUEST;
  std::shared_ptr<AsfByteStream> stream;
  if (Failed(OpenFileByteStream(path, stream))) return E_FAIL;
  auto state = std::make_unique<State>();
  const HRESULT hr = OpenAsfFile(std::move(stream), state->file);
  if (Failed(hr)) return hr;
  state->path = path;
  state->headerSize = state->file.firstPacketOffset - kDataObjectHead;
  // OpenAsfFile has checked the header's size against the file and kMaxHeaderBytes.
  std::vector<uint8_t> headerBytes(static_cast<size_t>(state->headerSize));
  if (ReadExactAt(*state->file.stream, 0, headerBytes) != ReadOutcome::kComplete) return E_FAIL;
  state->kept = UnmodelledObjectsOf(ByteView(headerBytes));
  state->info = HeaderInfoOf(state->file, ProfileOf(state->file));
  state_ = std::move(state);
  return S_OK;
}

AsfHeaderInfo* AsfMetadataEditor::HeaderInfo() { return state_ ? &state_->info : nullptr; }

HRESULT AsfMetadataEditor::AddScript(const AsfScript& script) {
  if (!state_) return NS_E_INVALID_REQUEST;
  state_->info.AddScript(script.type, script.command, script.time);
  return S_OK;
}

HRESULT AsfMetadataEditor::AddMarker(const AsfMarkerEntry& marker) {
  if (!state_) return NS_E_INVALID_REQUEST;
  state_->info.AddMarker(marker.name, marker.time);
  return S_OK;
}

HRESULT AsfMetadataEditor::Flush() {
  if (!state_) return NS_E_INVALID_REQUEST;
  // The encryption objects are not modelled; writing the header again would drop them and
  // leave the data unreadable.
  if (state_->file.header.protectedContent) return NS_E_INVALID_REQUEST;
  HRESULT hr = S_OK;
  const auto header = NewHeader(state_->file, state_->kept, state_->info, state_->headerSize, hr);
  if (Failed(hr)) return hr;
  // Our own reader refuses headers this large.
  if (header.size() > kMaxHeaderBytes) return E_INVALIDARG;
  const bool written = WriteFileAtomically(state_->path, [&](const ByteSink& put) {
    return put(header) && CopyAfterHeader(*state_->file.stream, state_->headerSize, state_->file.fileSize, put);
  });
  if (!written) return E_FAIL;
  // Further changes start from the file as it now is.
  const std::filesystem::path path = state_->path;
  state_.reset();
  return Open(path);
}

HRESULT AsfMetadataEditor::Close() {
  if (!state_) return NS_E_INVALID_REQUEST;
  state_.reset();
  return S_OK;
}

std::shared_ptr<AsfMetadataEditor> CreateEditor() { return std::make_shared<AsfMetadataEditor>(); }

}  // namespace korvel::asf
