#include "wmv/asf/asf_writer_test_support.h"

#include <gtest/gtest.h>

#include <string>

#include "wmv/asf/asf_errors.h"
#include "wmv/asf/asf_writer.h"

namespace korvel::asf_test {

using namespace korvel::asf;

std::shared_ptr<AsfSyncReader> OpenAsf(const std::filesystem::path& file) {
  std::shared_ptr<AsfByteStream> stream;
  EXPECT_EQ(OpenFileByteStream(file, stream), S_OK) << file;
  if (!stream) return nullptr;
  auto reader = CreateSyncReader();
  const HRESULT hr = reader->OpenStream(stream);
  EXPECT_EQ(hr, S_OK) << file;
  return Succeeded(hr) ? reader : nullptr;
}

std::vector<AsfSample> ReadSamples(AsfSyncReader& reader) {
  std::vector<AsfSample> out;
  for (;;) {
    AsfSample s;
    const HRESULT hr = reader.GetNextSample(s);
    if (hr == NS_E_NO_MORE_SAMPLES) break;
    EXPECT_EQ(hr, S_OK) << "after sample " << out.size();
    if (Failed(hr)) break;
    out.push_back(std::move(s));
  }
  return out;
}

// Every attribute of every stream that a writer accepts; the derived ones it refuses.
void CopyAttributes(const AsfHeaderInfo& from, AsfHeaderInfo& to) {
  for (uint16_t stream = 0; stream <= 127; ++stream) {
    for (const auto& a : from.Attributes(stream)) {
      const HRESULT hr = to.SetAttribute(stream, a.name, a.type, a.value.data(), static_cast<uint32_t>(a.value.size()));
      if (AsfHeaderInfo::IsDerivedAttribute(a.name)) {
        EXPECT_EQ(hr, E_INVALIDARG) << a.name;
      } else {
        EXPECT_EQ(hr, S_OK) << a.name;
      }
    }
  }
}

HRESULT WriteAsf(const std::filesystem::path& file, const AsfProfile& profile, const std::vector<AsfSample>& samples,
                 const AsfHeaderInfo* info) {
  auto writer = CreateWriter();
  HRESULT hr = writer->SetProfile(profile);
  if (Succeeded(hr)) hr = writer->SetOutputFilename(file);
  if (Failed(hr)) return hr;
  if (info) CopyAttributes(*info, *writer->HeaderInfo());
  for (uint32_t i = 0; Succeeded(hr) && i < writer->GetInputCount(); ++i) hr = writer->SetInputCompressed(i);
  if (Succeeded(hr)) hr = writer->BeginWriting();
  for (size_t i = 0; Succeeded(hr) && i < samples.size(); ++i) {
    const AsfSample& s = samples[i];
    hr = writer->WriteStreamSample(s.streamNumber, s.time, s.duration, s.flags, s.bytes, s.extensions);
  }
  return Succeeded(hr) ? writer->EndWriting() : hr;
}

// A stream property's type and bytes; "missing" when the stream has none.
std::string Property(const AsfStreamConfig& config, std::string_view name) {
  WMT_ATTR_DATATYPE type{};
  std::vector<uint8_t> value(8);
  uint32_t size = static_cast<uint32_t>(value.size());
  if (Failed(config.GetPropertyByName(name, &type, value.data(), &size))) return "missing";
  value.resize(size);
  std::string text = std::to_string(type) + ":";
  for (const uint8_t b : value) text += std::to_string(b) + " ";
  return text;
}

void ExpectSameProfile(const AsfProfile& actual, const AsfProfile& expected) {
  ASSERT_EQ(actual.GetStreamCount(), expected.GetStreamCount());
  for (uint32_t i = 0; i < expected.GetStreamCount(); ++i) {
    AsfStreamConfig a, e;
    ASSERT_EQ(actual.GetStream(i, a), S_OK);
    ASSERT_EQ(expected.GetStream(i, e), S_OK);
    SCOPED_TRACE(::testing::Message() << "stream " << e.GetStreamNumber());
    EXPECT_EQ(a.GetStreamNumber(), e.GetStreamNumber());
    EXPECT_EQ(a.GetBitrate(), e.GetBitrate());
    EXPECT_EQ(a.GetBufferWindow(), e.GetBufferWindow());
    EXPECT_TRUE(a.MediaType() == e.MediaType());
    ASSERT_EQ(a.GetDataUnitExtensionCount(), e.GetDataUnitExtensionCount());
    for (uint16_t k = 0; k < e.GetDataUnitExtensionCount(); ++k) {
      AsfDataUnitExtension x, y;
      ASSERT_EQ(a.GetDataUnitExtension(k, x), S_OK);
      ASSERT_EQ(e.GetDataUnitExtension(k, y), S_OK);
      EXPECT_TRUE(x.system == y.system);
      EXPECT_EQ(x.size, y.size);
      EXPECT_EQ(x.info, y.info);
    }
    for (const char* name : {"_VBRENABLED", "_RMAX", "_BMAX"}) EXPECT_EQ(Property(a, name), Property(e, name)) << name;
  }
}

void ExpectSameSamples(const std::vector<AsfSample>& actual, const std::vector<AsfSample>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < actual.size(); ++i) {
    SCOPED_TRACE(::testing::Message() << "sample " << i);
    EXPECT_EQ(actual[i].streamNumber, expected[i].streamNumber);
    EXPECT_EQ(actual[i].time, expected[i].time);
    EXPECT_EQ(actual[i].duration, expected[i].duration);
    EXPECT_EQ(actual[i].flags, expected[i].flags);
    EXPECT_TRUE(actual[i].bytes == expected[i].bytes) << actual[i].bytes.size() << " bytes, expected "
                                                       << expected[i].bytes.size();
  }
}

}  // namespace korvel::asf_test
