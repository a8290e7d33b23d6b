#include "wmv/wmv_output_checks.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/cli_run.h"
#include "wmv/asf/asf_errors.h"
#include "wmv/asf/asf_writer_test_support.h"

namespace korvel::test {
namespace {

uint32_t Fnv1a(const std::vector<uint8_t>& bytes) {
  uint32_t hash = 2166136261u;
  for (const uint8_t byte : bytes) hash = (hash ^ byte) * 16777619u;
  return hash;
}

WmvFrame FrameOf(const asf::AsfSample& sample) {
  return {sample.streamNumber, sample.time, (sample.flags & asf::WM_SF_CLEANPOINT) != 0, Fnv1a(sample.bytes)};
}

}  // namespace

std::vector<WmvFrame> ReadWmvFrames(const std::filesystem::path& file) {
  std::vector<WmvFrame> frames;
  const auto reader = asf_test::OpenAsf(file);
  if (!reader) return frames;
  for (const asf::AsfSample& sample : asf_test::ReadSamples(*reader)) frames.push_back(FrameOf(sample));
  return frames;
}

std::vector<WmvFrame> FramesKeptPastDamage(const std::filesystem::path& file, uint16_t stream) {
  std::vector<WmvFrame> frames;
  const auto reader = asf_test::OpenAsf(file);
  if (!reader) return frames;
  bool waitForKey = false;
  for (size_t guard = 0; guard < 1000000; ++guard) {
    asf::AsfSample sample;
    const HRESULT hr = reader->GetNextSample(sample);
    if (hr == asf::NS_E_NO_MORE_SAMPLES) return frames;
    if (Failed(hr)) {
      EXPECT_TRUE(asf::IsDamagedDataResult(hr)) << hr;
      waitForKey = true;
      continue;
    }
    if (sample.streamNumber != stream) continue;
    const WmvFrame frame = FrameOf(sample);
    waitForKey = waitForKey && !frame.key;
    if (!waitForKey) frames.push_back(frame);
  }
  ADD_FAILURE() << "the reader never ended";
  return frames;
}

std::vector<WmvFrame> StreamFrames(const std::vector<WmvFrame>& frames, uint16_t stream) {
  std::vector<WmvFrame> out;
  for (const WmvFrame& frame : frames)
    if (frame.stream == stream) out.push_back(frame);
  return out;
}

std::vector<uint32_t> Checksums(const std::vector<WmvFrame>& frames) {
  std::vector<uint32_t> out;
  for (const WmvFrame& frame : frames) out.push_back(frame.checksum);
  return out;
}

double ProbedDuration(const std::filesystem::path& file) {
  const CliRun run = RunCommand("ffprobe -v error -show_entries format=duration -of csv=p=0 " + Quoted(file));
  try {
    return std::stod(run.out);
  } catch (const std::exception&) {
    return 0;
  }
}

double FirstVideoPacketAfterSeek(const std::filesystem::path& file, double start) {
  std::ostringstream command;
  command << "ffprobe -v error -select_streams v:0 -read_intervals " << start
          << "%+1 -show_entries packet=pts_time -of csv=p=0 " << Quoted(file);
  const CliRun run = RunCommand(command.str());
  try {
    return std::stod(run.out.substr(0, run.out.find('\n')));
  } catch (const std::exception&) {
    return -1;
  }
}

}  // namespace korvel::test
