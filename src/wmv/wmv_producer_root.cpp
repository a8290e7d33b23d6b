#include "wmv/wmv_producer_root.h"

#include <algorithm>
#include <utility>

#include "lang/lang.h"
#include "wmv/wmv_header_copy.h"

namespace korvel {

HRESULT OpenWmvSource(const std::filesystem::path& file, TWmvSource& source) {
  std::shared_ptr<asf::AsfByteStream> stream;
  HRESULT result = asf::OpenFileByteStream(file, stream);
  if (Failed(result)) return result;
  source.reader = asf::CreateSyncReader();
  result = source.reader->OpenStream(std::move(stream));
  if (Failed(result)) return result;
  source.profile = *source.reader->Profile();
  return S_OK;
}

void TProducerWmvRoot::StatusFailure(const std::string& tail) { Status(LangStr("Base", "Failure") + tail); }

HRESULT TProducerWmvRoot::StoreHeaderScripts(const std::filesystem::path& file, std::span<const TWmvHeaderSpan> spans) {
  const auto first =
      std::ranges::find_if(spans, [](const TWmvHeaderSpan& span) { return span.header->GetScriptCount() > 0; });
  if (first == spans.end()) return S_OK;
  const HRESULT result = StoreSpans(file, {first, spans.end()}, CopyHeaderScripts);
  if (Failed(result)) StatusFailure(" : Could not copy scripts in header.");
  return result;
}

HRESULT TProducerWmvRoot::StoreStreamScripts(const std::filesystem::path& file, CWmvScriptList& scripts) {
  if (scripts.Empty()) return S_OK;
  StatusAnsi("");
  StatusAnsi("Copying scripts in script streams ...");
  const HRESULT result = WriteScripts(file, scripts);
  if (Failed(result)) StatusFailure(" : Could not copy scripts in script streams.");
  return result;
}

HRESULT TProducerWmvRoot::StoreMarkers(const std::filesystem::path& file, std::span<const TWmvHeaderSpan> spans) {
  const auto first =
      std::ranges::find_if(spans, [](const TWmvHeaderSpan& span) { return span.header->GetMarkerCount() > 0; });
  if (first == spans.end()) return S_OK;
  StatusAnsi("");
  StatusAnsi("Copying markers ...");
  const HRESULT result = StoreSpans(file, {first, spans.end()}, CopyMarkers);
  if (Failed(result)) StatusFailure(" : Could not copy markers.");
  return result;
}

HRESULT TProducerWmvRoot::StoreSpans(const std::filesystem::path& file, std::span<const TWmvHeaderSpan> spans,
                                     TSpanCopy copy) {
  return EditHeader(file, [spans, copy](asf::AsfHeaderTarget& target) {
    for (const TWmvHeaderSpan& span : spans) {
      const HRESULT copied = copy(target, *span.header, span.base, span.start, span.end);
      if (Failed(copied)) return copied;
    }
    return S_OK;
  });
}

void TProducerWmvRootThread::HandOverTags(TProducerWmvRoot& producer) const {
  producer.TagText = TrimBlanks(TagText);
  producer.TagFlags = TagFlags;
}

}  // namespace korvel
