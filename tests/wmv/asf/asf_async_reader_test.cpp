// The asynchronous reader's promise: one opened and one closed report per open and close,
// whatever the file, and the profile in between.
#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <vector>

#include "wmv/asf/asf_async_reader.h"
#include "wmv/asf/asf_errors.h"

namespace korvel::asf {
namespace {

class Recorder : public IAsfStatusCallback {
public:
  void OnStatus(WMT_STATUS status, HRESULT result) override {
    std::lock_guard lock(mutex_);
    reports_.push_back({status, result});
    changed_.notify_all();
  }
  std::vector<std::pair<WMT_STATUS, HRESULT>> WaitFor(size_t count) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return reports_.size() >= count; });
    return reports_;
  }

private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::pair<WMT_STATUS, HRESULT>> reports_;
};

const std::filesystem::path kFixtures(KORVEL_FIXTURE_DIR);

TEST(AsfAsyncReader, ReportsOneOpenAndOneClose) {
  struct Case {
    std::filesystem::path file;
    HRESULT opened;
    uint32_t streams;
  };
  const Case cases[] = {
      {kFixtures / "asf_wmv2.wmv", S_OK, 2},
      {kFixtures / "avi_wmv2.avi", NS_E_INVALID_INPUT_FORMAT, 0},
      {kFixtures / "no such file.wmv", E_FAIL, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file.string());
    Recorder recorder;
    {
      auto reader = CreateAsyncReader();
      ASSERT_EQ(reader->Open(c.file, &recorder), S_OK);
      EXPECT_EQ(recorder.WaitFor(1).front(), std::pair(WMT_OPENED, c.opened));
      EXPECT_EQ(reader->Profile() ? reader->Profile()->GetStreamCount() : 0u, c.streams);
      EXPECT_EQ(reader->HeaderInfo() != nullptr, c.streams != 0);
      EXPECT_EQ(reader->Close(), S_OK);
      EXPECT_EQ(reader->Profile(), nullptr);
      EXPECT_EQ(reader->Close(), NS_E_INVALID_REQUEST);  // nothing open: nothing to report
    }
    EXPECT_EQ(recorder.WaitFor(2), (std::vector<std::pair<WMT_STATUS, HRESULT>>{{WMT_OPENED, c.opened}, {WMT_CLOSED, S_OK}}));
  }
}

TEST(AsfAsyncReader, SecondOpenIsRefusedWithAReport) {
  Recorder recorder;
  auto reader = CreateAsyncReader();
  ASSERT_EQ(reader->Open(kFixtures / "asf_wmv2.wmv", &recorder), S_OK);
  recorder.WaitFor(1);
  EXPECT_EQ(reader->Open(kFixtures / "asf_wmv2.wmv", &recorder), NS_E_INVALID_REQUEST);
  EXPECT_EQ(recorder.WaitFor(2).back(), std::pair(WMT_OPENED, NS_E_INVALID_REQUEST));
  EXPECT_EQ(reader->Open(kFixtures / "asf_wmv2.wmv", nullptr), E_INVALIDARG);
}

}  // namespace
}  // namespace korvel::asf
