#pragma once
// What both WMV producers share: the two private tag options their threads hand over, the
// thread that hands them over, and the steps that complete a finished output's header with
// the script commands and markers of the stretches copied into it.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "base/hresult.h"
#include "produce/producer_base.h"
#include "produce/producer_thread.h"
#include "wmv/asf/asf_header_info.h"
#include "wmv/asf/asf_header_target.h"
#include "wmv/asf/asf_profile.h"
#include "wmv/asf/asf_sync_reader.h"
#include "wmv/wmv_script_list.h"

namespace korvel {

// A stretch of a source in the output: its header's entries timed in [start, end] (source
// time, end 0: no end) land at base + time - start. Times in 100 ns.
struct TWmvHeaderSpan {
  const asf::AsfHeaderInfo* header = nullptr;
  uint64_t base = 0;
  uint64_t start = 0;
  uint64_t end = 0;
};

// A source opened for reading its samples.
struct TWmvSource {
  std::shared_ptr<asf::AsfSyncReader> reader;
  // The reader's profile, copied so that the producer may change it.
  asf::AsfProfile profile;
  const asf::AsfHeaderInfo& Header() const { return *reader->HeaderInfo(); }
};

// The file must be a regular file holding ASF; the reader's failure otherwise.
HRESULT OpenWmvSource(const std::filesystem::path& file, TWmvSource& source);

class TProducerWmvRoot : public TProducerBase {
public:
  // Written into the output's private attributes (see WriteTagAttributes).
  std::string TagText;
  uint64_t TagFlags = 0;

protected:
  // Each stores its entries into the finished file and shows its failure line; a step with
  // nothing to store leaves the file alone.
  HRESULT StoreHeaderScripts(const std::filesystem::path& file, std::span<const TWmvHeaderSpan> spans);
  HRESULT StoreStreamScripts(const std::filesystem::path& file, CWmvScriptList& scripts);
  HRESULT StoreMarkers(const std::filesystem::path& file, std::span<const TWmvHeaderSpan> spans);
  void StatusFailure(const std::string& tail);

private:
  using TSpanCopy = HRESULT (*)(asf::AsfHeaderTarget&, const asf::AsfHeaderInfo&, uint64_t, uint64_t, uint64_t);
  // Each span's entries, copied with copy, through one editor on the finished file.
  HRESULT StoreSpans(const std::filesystem::path& file, std::span<const TWmvHeaderSpan> spans, TSpanCopy copy);
};

class TProducerWmvRootThread : public TProducerThread {
public:
  using TProducerThread::TProducerThread;

  std::string TagText;
  uint64_t TagFlags = 0;

protected:
  // The tag text without leading and trailing blanks, and the flags.
  void HandOverTags(TProducerWmvRoot& producer) const;
};

}  // namespace korvel
