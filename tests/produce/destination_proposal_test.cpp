#include "produce/destination_proposal.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace korvel {
namespace {

namespace fs = std::filesystem;

// A made-up file system: which files exist, whether the source's medium is read-only, its label.
struct FakeDisk {
  std::set<std::string> files;
  bool readOnly = false;
  std::string label;
  bool full = false;  // every name exists

  DestinationRules Rules() const {
    return {"/home/ann/Documents/Korvel/", [this](const fs::path&) { return readOnly; },
            [this](const fs::path&) { return label; },
            [this](const fs::path& p) { return full || files.count(p.string()) > 0; }};
  }
};

TEST(DestinationProposalTest, ProduceTakesTheFirstFreeNumber) {
  FakeDisk disk;
  EXPECT_EQ(ProposeProduceDestination("/v/a.avi", "avi", disk.Rules()), "/v/a_S01.avi");
  disk.files = {"/v/a_S01.avi"};
  EXPECT_EQ(ProposeProduceDestination("/v/a.avi", "avi", disk.Rules()), "/v/a_S02.avi");
  for (int n = 1; n <= 99; ++n) disk.files.insert("/v/a_S" + std::string(n < 10 ? "0" : "") + std::to_string(n) + ".avi");
  EXPECT_EQ(ProposeProduceDestination("/v/a.avi", "avi", disk.Rules()), "/v/a_S100.avi");
}

TEST(DestinationProposalTest, ExtensionComesFromTheKindNotTheSource) {
  FakeDisk disk;
  EXPECT_EQ(ProposeProduceDestination("/v/clip.VOB", "mpg", disk.Rules()), "/v/clip_S01.mpg");
  EXPECT_EQ(ProposeProduceDestination("/v/noext", "ts", disk.Rules()), "/v/noext_S01.ts");
  // A dot in a folder name is not an extension, nor is the leading dot of a hidden file.
  EXPECT_EQ(ProposeProduceDestination("/v/my.films/noext", "mp4", disk.Rules()), "/v/my.films/noext_S01.mp4");
  EXPECT_EQ(ProposeProduceDestination("/v/.hidden", "mp4", disk.Rules()), "/v/.hidden_S01.mp4");
}

TEST(DestinationProposalTest, ReadOnlyMediaWriteToTheProjectFolderWithTheDiscLabel) {
  FakeDisk disk;
  disk.readOnly = true;
  disk.label = "MOVIE (E:)";
  EXPECT_EQ(ProposeProduceDestination("/media/dvd/VIDEO_TS/VTS_01_1.VOB", "mpg", disk.Rules()),
            "/home/ann/Documents/Korvel/MOVIE_VTS_01_1_S01.mpg");
  EXPECT_EQ(ProposeReconstructDestination("/media/dvd/VIDEO_TS/VTS_01_1.VOB", "mpg", disk.Rules()),
            "/home/ann/Documents/Korvel/MOVIE_VTS_01_1_Re.mpg");
  // Only DVD title files carry the label; characters unfit for a file name are dropped.
  EXPECT_EQ(ProposeProduceDestination("/media/cd/trip.avi", "avi", disk.Rules()),
            "/home/ann/Documents/Korvel/trip_S01.avi");
  disk.label = "  A:B*C?  ";
  EXPECT_EQ(ProposeProduceDestination("/media/dvd/VIDEO_TS/VTS_02_1.vob", "mpg", disk.Rules()),
            "/home/ann/Documents/Korvel/ABC_VTS_02_1_S01.mpg");
  disk.label = "";
  EXPECT_EQ(ProposeProduceDestination("/media/dvd/VIDEO_TS/VTS_02_1.VOB", "mpg", disk.Rules()),
            "/home/ann/Documents/Korvel/VTS_02_1_S01.mpg");
}

TEST(DestinationProposalTest, ReconstructCountsUpInPlainDecimal) {
  FakeDisk disk;
  EXPECT_EQ(ProposeReconstructDestination("/video/clip.vob", "mpg", disk.Rules()), "/video/clip_Re.mpg");
  disk.files = {"/video/clip_Re.mpg"};
  EXPECT_EQ(ProposeReconstructDestination("/video/clip.vob", "mpg", disk.Rules()), "/video/clip_Re1.mpg");
  disk.files.insert("/video/clip_Re1.mpg");
  EXPECT_EQ(ProposeReconstructDestination("/video/clip.vob", "mpg", disk.Rules()), "/video/clip_Re2.mpg");
}

TEST(DestinationProposalTest, NothingIsProposedWhenEveryNameIsTaken) {
  FakeDisk disk;
  disk.full = true;
  EXPECT_TRUE(ProposeProduceDestination("/v/a.avi", "avi", disk.Rules()).empty());
  EXPECT_TRUE(ProposeReconstructDestination("/v/a.avi", "avi", disk.Rules()).empty());
}

}  // namespace
}  // namespace korvel
