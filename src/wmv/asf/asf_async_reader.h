#pragma once
// The asynchronous reader, for analysis only: it opens a file on a thread of its own and says
// so through a status callback, gives the profile and header information, and closes. Every
// Open reports exactly one WMT_OPENED with its result, even when it fails at once; every Close
// exactly one WMT_CLOSED; nothing is reported after that and no samples are delivered.
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include "base/hresult.h"
#include "wmv/asf/asf_header_info.h"
#include "wmv/asf/asf_profile.h"

namespace korvel::asf {

enum WMT_STATUS : uint32_t { WMT_OPENED = 1, WMT_CLOSED = 13 };

class IAsfStatusCallback {
public:
  virtual ~IAsfStatusCallback() = default;
  // Called on the reader's thread (WMT_OPENED) or the closing thread (WMT_CLOSED).
  virtual void OnStatus(WMT_STATUS status, HRESULT result) = 0;
};

class AsfAsyncReader {
public:
  AsfAsyncReader() = default;
  ~AsfAsyncReader();
  AsfAsyncReader(const AsfAsyncReader&) = delete;
  AsfAsyncReader& operator=(const AsfAsyncReader&) = delete;

  // The callback must outlive the reader's last report. E_INVALIDARG without one.
  HRESULT Open(const std::filesystem::path& file, IAsfStatusCallback* callback);
  HRESULT Close();

  // Null unless the open succeeded; valid once WMT_OPENED arrived, until Close.
  const AsfProfile* Profile();
  const AsfHeaderInfo* HeaderInfo();

private:
  struct Opened {
    AsfProfile profile;
    AsfHeaderInfo headerInfo;
  };
  void WaitForOpen();

  std::mutex mutex_;
  std::thread opener_;
  IAsfStatusCallback* callback_ = nullptr;
  std::unique_ptr<Opened> opened_;
};

std::shared_ptr<AsfAsyncReader> CreateAsyncReader();

}  // namespace korvel::asf
