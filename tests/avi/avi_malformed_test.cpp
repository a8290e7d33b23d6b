// Damaged input of every kind opens or fails cleanly: cut at many lengths, bytes flipped all
// over the headers and the index, with and without rebuilding the index.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

#include "avi/avi_test_files.h"
#include "avi/avi_test_probe.h"
#include "support/temp_dir.h"

namespace korvel::test {
namespace {

Bytes FileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

// Opens (plain and rebuilt) and reads every stream to the end.
void OpenAndReadAll(const std::filesystem::path& file) {
  for (const bool force : {false, true}) {
    const auto opened = OpenAvi(file, force);
    if (opened.result != S_OK) continue;
    AviFileInfo info;
    (void)opened.handler->GetFileInfo(info);
    for (int32_t n = 0;; ++n) {
      auto stream = opened.handler->GetStream(0, n);
      if (!stream) break;
      (void)ReadWholeStream(*stream);
      (void)stream->NearestKeyFrame(stream->End() / 2);
      (void)stream->PrevKeyFrame(stream->End());
      (void)stream->NextKeyFrame(0);
    }
  }
}

TEST(AviMalformed, CutAtAnyLength) {
  TempDir dir;
  const Bytes whole = FileBytes(Fixture("avi_xvid_mp3.avi"));
  ASSERT_GT(whole.size(), 10000u);
  for (size_t length = 0; length < whole.size(); length += length < 12000 ? 97 : 2999) {
    SCOPED_TRACE(length);
    WriteFileBytes(dir / "cut.avi", std::span(whole.data(), length));
    OpenAndReadAll(dir / "cut.avi");
  }
}

TEST(AviMalformed, FlippedBytes) {
  TempDir dir;
  const Bytes whole = FileBytes(Fixture("avi_div3_pcm.avi"));
  std::mt19937 random(7);
  // The headers are in the first few kilobytes, the index in the last ones.
  std::uniform_int_distribution<size_t> head(0, 12000);
  std::uniform_int_distribution<size_t> tail(whole.size() - 2400, whole.size() - 1);
  for (int round = 0; round < 150; ++round) {
    Bytes damaged = whole;
    for (int i = 0; i < 4; ++i) {
      damaged[head(random)] ^= static_cast<uint8_t>(1u << (random() % 8));
      damaged[tail(random)] = static_cast<uint8_t>(random());
    }
    WriteFileBytes(dir / "flipped.avi", damaged);
    OpenAndReadAll(dir / "flipped.avi");
  }
}

}  // namespace
}  // namespace korvel::test
