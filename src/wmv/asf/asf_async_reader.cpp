#include "wmv/asf/asf_async_reader.h"

#include "wmv/asf/asf_errors.h"
#include "wmv/asf/asf_file.h"

namespace korvel::asf {

std::shared_ptr<AsfAsyncReader> CreateAsyncReader() { return std::make_shared<AsfAsyncReader>(); }

AsfAsyncReader::~AsfAsyncReader() { WaitForOpen(); }

void AsfAsyncReader::WaitForOpen() {
  std::lock_guard lock(mutex_);
  // A callback asking from inside its report must not wait for itself.
  if (opener_.joinable() && opener_.get_id() != std::this_thread::get_id()) opener_.join();
}

HRESULT AsfAsyncReader::Open(const std::filesystem::path& file, IAsfStatusCallback* callback) {
  if (!callback) return E_INVALIDARG;
  WaitForOpen();
  std::lock_guard lock(mutex_);
  if (callback_) {
    // Already open: the refusal is reported like any other result of an open.
    callback->OnStatus(WMT_OPENED, NS_E_INVALID_REQUEST);
    return NS_E_INVALID_REQUEST;
  }
  callback_ = callback;
  opener_ = std::thread([this, file, callback] {
    std::shared_ptr<AsfByteStream> stream;
    AsfFile asf;
    HRESULT hr = OpenFileByteStream(file, stream);
    if (Succeeded(hr)) hr = OpenAsfFile(stream, asf);
    if (Succeeded(hr)) {
      AsfProfile profile = ProfileOf(asf);
      AsfHeaderInfo info = HeaderInfoOf(asf, profile);
      opened_ = std::make_unique<Opened>(Opened{std::move(profile), std::move(info)});
    }
    callback->OnStatus(WMT_OPENED, hr);
  });
  return S_OK;
}

HRESULT AsfAsyncReader::Close() {
  WaitForOpen();
  IAsfStatusCallback* callback = nullptr;
  {
    std::lock_guard lock(mutex_);
    callback = callback_;
    callback_ = nullptr;
    opened_.reset();
  }
  if (!callback) return NS_E_INVALID_REQUEST;
  callback->OnStatus(WMT_CLOSED, S_OK);
  return S_OK;
}

const AsfProfile* AsfAsyncReader::Profile() {
  WaitForOpen();
  return opened_ ? &opened_->profile : nullptr;
}

const AsfHeaderInfo* AsfAsyncReader::HeaderInfo() {
  WaitForOpen();
  return opened_ ? &opened_->headerInfo : nullptr;
}

}  // namespace korvel::asf
