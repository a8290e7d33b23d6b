// The reader over streams that behave badly: reads that return a few bytes at a time, and reads
// that start failing part-way through the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "base/file_read.h"
#include "wmv/asf/asf_errors.h"
#include "wmv/asf/asf_sync_reader.h"

namespace korvel::asf {
namespace {

// Hands out at most 7 bytes per read, and fails every read that starts at or after failFrom.
class AwkwardStream : public AsfByteStream {
public:
  AwkwardStream(std::vector<uint8_t> bytes, uint64_t failFrom)
      : inner_(MakeMemoryByteStream(std::move(bytes))), failFrom_(failFrom) {}
  HRESULT Read(std::span<uint8_t> out, size_t* got) override {
    if (position_ >= failFrom_) return E_FAIL;
    const HRESULT hr = inner_->Read(out.first(std::min<size_t>(out.size(), 7)), got);
    position_ += *got;
    return hr;
  }
  HRESULT Seek(int64_t offset, SeekOrigin origin, uint64_t* newPosition) override {
    uint64_t at = 0;
    const HRESULT hr = inner_->Seek(offset, origin, &at);
    if (Succeeded(hr)) {
      position_ = at;
      if (newPosition) *newPosition = at;
    }
    return hr;
  }
  HRESULT Size(uint64_t* size) override { return inner_->Size(size); }

private:
  std::shared_ptr<AsfByteStream> inner_;
  uint64_t failFrom_;
  uint64_t position_ = 0;
};

const std::filesystem::path kFixture = std::filesystem::path(KORVEL_FIXTURE_DIR) / "asf_wmv2.wmv";

struct Counts {
  size_t samples = 0;
  std::vector<HRESULT> errors;
};

Counts ReadAll(std::shared_ptr<AsfByteStream> stream) {
  Counts c;
  auto reader = CreateSyncReader();
  EXPECT_EQ(reader->OpenStream(std::move(stream)), S_OK);
  for (int guard = 0; guard < 10000; ++guard) {
    AsfSample s;
    const HRESULT hr = reader->GetNextSample(s);
    if (hr == NS_E_NO_MORE_SAMPLES) return c;
    if (Failed(hr)) {
      c.errors.push_back(hr);
    } else {
      ++c.samples;
    }
  }
  ADD_FAILURE() << "never ended";
  return c;
}

TEST(AsfByteStream, ShortReadsChangeNothing) {
  const auto bytes = ReadWholeFile(kFixture, 16 << 20).value();
  const Counts whole = ReadAll(MakeMemoryByteStream(bytes));
  const Counts dribbled = ReadAll(std::make_shared<AwkwardStream>(bytes, UINT64_MAX));
  EXPECT_TRUE(dribbled.errors.empty());
  EXPECT_EQ(dribbled.samples, whole.samples);
}

TEST(AsfByteStream, FailingReadsAreDamageNotTheEnd) {
  const auto bytes = ReadWholeFile(kFixture, 16 << 20).value();
  const Counts whole = ReadAll(MakeMemoryByteStream(bytes));
  // Reads fail from the middle of the file on: every packet from there is reported (and the
  // object that packet cut short).
  const Counts failing = ReadAll(std::make_shared<AwkwardStream>(bytes, bytes.size() / 2));
  EXPECT_GT(std::count(failing.errors.begin(), failing.errors.end(), NS_E_FILE_CORRUPTED), 10);
  for (const HRESULT hr : failing.errors) EXPECT_TRUE(IsDamagedDataResult(hr));
  EXPECT_LT(failing.samples, whole.samples);
  EXPECT_GT(failing.samples, 0u);
}

TEST(AsfByteStream, FileStreamRefusesWhatIsNotAFile) {
  std::shared_ptr<AsfByteStream> stream;
  EXPECT_EQ(OpenFileByteStream(kFixture.parent_path(), stream), E_FAIL);
  EXPECT_EQ(OpenFileByteStream(kFixture.parent_path() / "missing.wmv", stream), E_FAIL);
  ASSERT_EQ(OpenFileByteStream(kFixture, stream), S_OK);
  uint64_t size = 0, at = 0;
  ASSERT_EQ(stream->Size(&size), S_OK);
  EXPECT_EQ(size, std::filesystem::file_size(kFixture));
  EXPECT_EQ(stream->Seek(-10, SeekOrigin::kEnd, &at), S_OK);
  EXPECT_EQ(at, size - 10);
  EXPECT_EQ(stream->Seek(-1, SeekOrigin::kBegin, &at), E_INVALIDARG);
}

}  // namespace
}  // namespace korvel::asf
