// The two-flag RIFF probe on hand-made layouts and on an AVI file as ffmpeg writes it (with
// OpenDML indexes beside idx1).
#include "avi/avi_structure_probe.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace korvel {
namespace {

using test::Fixture;

std::string Le32(uint32_t value) {
  return {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
          static_cast<char>(value >> 24)};
}

// A chunk as stored: no pad byte is added, so a case can leave it out. size defaults to the data's.
std::string Chunk(const std::string& id, const std::string& data, std::optional<uint32_t> size = {}) {
  return id + Le32(size.value_or(static_cast<uint32_t>(data.size()))) + data;
}

std::string Form(const std::string& type, const std::string& contents, std::optional<uint32_t> size = {}) {
  return Chunk("RIFF", type + contents, size);
}

const std::string kHeaders = Chunk("LIST", "hdrl" + Chunk("avih", std::string(56, '\0')));
const std::string kMovie = Chunk("LIST", "movi" + Chunk("00dc", "frame!"));
const std::string kIndex = Chunk("idx1", std::string(16, '\1'));

struct ProbeCase {
  const char* name;
  std::string bytes;
  bool isRiffAvi;
  bool hasIdx1;
};

void PrintTo(const ProbeCase& c, std::ostream* os) { *os << c.name; }

class ProbeLayoutTest : public testing::TestWithParam<ProbeCase> {};

TEST_P(ProbeLayoutTest, FindsTheFormAndItsIndex) {
  const ProbeCase& c = GetParam();
  test::TempDir dir;
  const auto file = dir / "probe.avi";
  test::WriteFileBytes(file, std::vector<uint8_t>(c.bytes.begin(), c.bytes.end()));
  const AviStructure found = ProbeAviStructure(file);
  EXPECT_EQ(found.isRiffAvi, c.isRiffAvi);
  EXPECT_EQ(found.hasIdx1, c.hasIdx1);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ProbeLayoutTest,
    testing::Values(
        ProbeCase{"plain AVI", Form("AVI ", kHeaders + kMovie + kIndex), true, true},
        ProbeCase{"no index", Form("AVI ", kHeaders + kMovie), true, false},
        ProbeCase{"OpenDML with idx1 in the first segment",
                  Form("AVI ", kHeaders + kMovie + kIndex) + Form("AVIX", kMovie), true, true},
        ProbeCase{"OpenDML index only: idx1 inside a later segment is not looked for",
                  Form("AVI ", kHeaders + kMovie) + Form("AVIX", kMovie + kIndex), true, false},
        ProbeCase{"other top-level chunk first", Chunk("JUNK", "pad!") + Form("AVI ", kHeaders + kIndex), true, true},
        ProbeCase{"odd chunk with its pad byte", Form("AVI ", Chunk("JUNK", "abc") + "\0" + kIndex), true, true},
        ProbeCase{"odd chunk without its pad byte", Form("AVI ", Chunk("JUNK", "abc") + kIndex), true, true},
        ProbeCase{"RIFF size too small to hold the index", Form("AVI ", kHeaders + kMovie + kIndex, 4), true, true},
        ProbeCase{"empty chunk ends the lenient walk", Form("AVI ", Chunk("JUNK", "") + kIndex, 0), true, false},
        ProbeCase{"chunk size past the end of the file",
                  Form("AVI ", kHeaders + Chunk("LIST", "movi", 0xFFFFFFF0u) + kIndex, 8), true, false},
        ProbeCase{"RIFF of another form", Form("WAVE", Chunk("fmt ", std::string(16, '\0')) + kIndex), false, false},
        ProbeCase{"too short for a chunk header", "RIFF", false, false}));

TEST(ProbeAviStructureTest, UnopenableFilesHaveNeitherFlag) {
  test::TempDir dir;
  for (const auto& file : {dir / "missing.avi", dir.path()}) {
    const AviStructure found = ProbeAviStructure(file);
    EXPECT_FALSE(found.isRiffAvi) << file;
    EXPECT_FALSE(found.hasIdx1) << file;
  }
}

TEST(ProbeAviStructureTest, FfmpegOpenDmlAviHasItsIdx1) {
  const AviStructure found = ProbeAviStructure(Fixture("avi_xvid_mp3.avi"));
  EXPECT_TRUE(found.isRiffAvi);
  EXPECT_TRUE(found.hasIdx1);
}

}  // namespace
}  // namespace korvel
