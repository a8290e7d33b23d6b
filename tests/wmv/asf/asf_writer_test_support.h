#pragma once
// Writing samples into an ASF file with our writer and reading them back with our reader, for
// the writer's tests.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "base/hresult.h"
#include "wmv/asf/asf_header_info.h"
#include "wmv/asf/asf_profile.h"
#include "wmv/asf/asf_sample.h"
#include "wmv/asf/asf_sync_reader.h"

namespace korvel::asf_test {

// A reader on the file; null (with a test failure) when it does not open.
std::shared_ptr<asf::AsfSyncReader> OpenAsf(const std::filesystem::path& file);
// Every sample to the end; a read error fails the test.
std::vector<asf::AsfSample> ReadSamples(asf::AsfSyncReader& reader);

// Writes samples (with their extensions) through a writer set up with profile and, when given,
// the attributes of info that a writer may store. The first failing step's result.
HRESULT WriteAsf(const std::filesystem::path& file, const asf::AsfProfile& profile,
                 const std::vector<asf::AsfSample>& samples, const asf::AsfHeaderInfo* info = nullptr);

// The same streams in the same order: numbers, bit rates, buffer windows, data unit extensions,
// byte-identical media types and the same stream properties ("_VBRENABLED", "_RMAX", "_BMAX").
void ExpectSameProfile(const asf::AsfProfile& actual, const asf::AsfProfile& expected);

// Same count and, sample by sample, stream, time, duration, flags and bytes.
void ExpectSameSamples(const std::vector<asf::AsfSample>& actual, const std::vector<asf::AsfSample>& expected);

}  // namespace korvel::asf_test
