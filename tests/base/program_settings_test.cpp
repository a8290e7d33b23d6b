#include "base/program_settings.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <variant>

#include "support/temp_dir.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

// Values as a store holds them: a read of the other type fails, as an unreadable value does.
class MapStore final : public ISettingsStore {
public:
  std::optional<int32_t> ReadInteger(std::string_view name) override {
    const auto found = values.find(std::string(name));
    if (found == values.end() || !std::holds_alternative<int32_t>(found->second)) return std::nullopt;
    return std::get<int32_t>(found->second);
  }
  std::optional<std::string> ReadString(std::string_view name) override {
    const auto found = values.find(std::string(name));
    if (found == values.end() || !std::holds_alternative<std::string>(found->second)) return std::nullopt;
    return std::get<std::string>(found->second);
  }
  void WriteInteger(std::string_view name, int32_t value) override {
    values[std::string(name)] = value;
    order.emplace_back(name);
  }
  void WriteString(std::string_view name, const std::string& value) override {
    values[std::string(name)] = value;
    order.emplace_back(name);
  }

  std::map<std::string, std::variant<int32_t, std::string>> values;
  std::vector<std::string> order;
};

class ProgramSettingsTest : public testing::Test {
protected:
  ProgramSettings Read() {
    return ReadProgramSettings(store, [this] {
      ++defaultAsked;
      return defaultFolder;
    });
  }

  test::TempDir temp;
  fs::path defaultFolder = temp / "Documents" / "Korvel";
  int defaultAsked = 0;
  MapStore store;
};

TEST_F(ProgramSettingsTest, NothingStoredGivesTheDefaultsAndWritesAllEightNamesInOrder) {
  const ProgramSettings settings = Read();
  EXPECT_EQ(settings.NameColumnWidth, 150);
  EXPECT_EQ(settings.SizeColumnWidth, 80);
  EXPECT_EQ(settings.DateColumnWidth, 80);
  EXPECT_EQ(settings.LanguagePath, fs::path());
  EXPECT_EQ(settings.BrowserPanelWidth, 350);
  EXPECT_EQ(settings.BrowserColorIndex, 0);
  EXPECT_EQ(settings.LastProjectFolder, defaultFolder);
  EXPECT_TRUE(fs::is_directory(defaultFolder));
  EXPECT_EQ(settings.CurrentDirectory, fs::path());

  WriteProgramSettings(store, settings);
  const std::vector<std::string> expectedOrder{
      "548913297981021049432169579132", "349809716513197034973196106543", "642319756102197894613493180479",
      "786910348943184351031898764315", "678913219790561345324897905498", "236549547416913557039287053406",
      "807075747577261888153505418894", "548722135498456021687915464221"};
  EXPECT_EQ(store.order, expectedOrder);
  EXPECT_EQ(store.ReadInteger(setting_name::kNameColumnWidth), 150);
  EXPECT_EQ(store.ReadString(setting_name::kLastProjectFolder), defaultFolder.string());
  EXPECT_EQ(store.ReadString(setting_name::kCurrentDirectory), "");
}

struct WidthCase {
  std::string_view name;
  int32_t stored;
  int32_t expected;
  int32_t ProgramSettings::*field;
};

TEST_F(ProgramSettingsTest, WidthsAreRaisedToTheirMinimums) {
  const WidthCase cases[] = {
      {setting_name::kNameColumnWidth, 20, 50, &ProgramSettings::NameColumnWidth},
      {setting_name::kNameColumnWidth, 51, 51, &ProgramSettings::NameColumnWidth},
      {setting_name::kSizeColumnWidth, -7, 30, &ProgramSettings::SizeColumnWidth},
      {setting_name::kDateColumnWidth, 29, 30, &ProgramSettings::DateColumnWidth},
      {setting_name::kDateColumnWidth, 300, 300, &ProgramSettings::DateColumnWidth},
      {setting_name::kBrowserPanelWidth, 100, 150, &ProgramSettings::BrowserPanelWidth},
      {setting_name::kBrowserPanelWidth, 400, 400, &ProgramSettings::BrowserPanelWidth},
  };
  for (const WidthCase& c : cases) {
    store.values = {{std::string(c.name), c.stored}};
    EXPECT_EQ(Read().*c.field, c.expected) << c.name << " stored as " << c.stored;
  }
}

TEST_F(ProgramSettingsTest, AColourIndexOutsideTheFiveColoursBecomesTheFirst) {
  for (const auto& [stored, expected] : {std::pair{0, 0}, {4, 4}, {5, 0}, {-1, 0}, {INT32_MIN, 0}, {2, 2}}) {
    store.values = {{std::string(setting_name::kBrowserColorIndex), stored}};
    EXPECT_EQ(Read().BrowserColorIndex, expected) << stored;
  }
}

TEST_F(ProgramSettingsTest, AnUnreadableValueFallsBackAloneAndTheOthersAreStillRead) {
  store.values = {{std::string(setting_name::kNameColumnWidth), std::string("wide")},
                  {std::string(setting_name::kSizeColumnWidth), 90},
                  {std::string(setting_name::kLanguagePath), 7},
                  {std::string(setting_name::kBrowserPanelWidth), 500}};
  const ProgramSettings settings = Read();
  EXPECT_EQ(settings.NameColumnWidth, 150);
  EXPECT_EQ(settings.SizeColumnWidth, 90);
  EXPECT_EQ(settings.LanguagePath, fs::path());
  EXPECT_EQ(settings.BrowserPanelWidth, 500);
}

TEST_F(ProgramSettingsTest, AnExistingProjectFolderIsKeptWithoutAskingForTheDefault) {
  const fs::path kept = temp / "projects";
  fs::create_directory(kept);
  store.values = {{std::string(setting_name::kLastProjectFolder), kept.string()}};
  EXPECT_EQ(Read().LastProjectFolder, kept);
  EXPECT_EQ(defaultAsked, 0);
  EXPECT_FALSE(fs::exists(defaultFolder));
}

TEST_F(ProgramSettingsTest, AProjectFolderThatHasGoneFallsBackToTheDefaultAndIsNotMadeAgain) {
  const fs::path gone = temp / "unplugged" / "projects";
  const fs::path file = temp / "a-file";
  test::WriteFileBytes(file, std::vector<uint8_t>{1});
  for (const fs::path& stored : {gone, file}) {
    store.values = {{std::string(setting_name::kLastProjectFolder), stored.string()}};
    EXPECT_EQ(Read().LastProjectFolder, defaultFolder) << stored;
  }
  EXPECT_FALSE(fs::exists(temp / "unplugged"));
  EXPECT_TRUE(fs::is_directory(defaultFolder));
}

TEST_F(ProgramSettingsTest, TheCurrentDirectoryIsKeptOnlyWhileItIsAFolder) {
  const fs::path folder = temp / "videos";
  fs::create_directory(folder);
  for (const auto& [stored, expected] : {std::pair{folder, folder}, {temp / "gone", fs::path()}, {fs::path(), fs::path()}}) {
    store.values = {{std::string(setting_name::kCurrentDirectory), stored.string()}};
    EXPECT_EQ(Read().CurrentDirectory, expected) << stored;
  }
}

TEST(ForceFoldersTest, CreatesEveryMissingLevelAndFailsWhereALevelIsAFile) {
  const test::TempDir temp;
  EXPECT_TRUE(ForceFolders(temp / "A" / "B" / "C"));
  EXPECT_TRUE(fs::is_directory(temp / "A" / "B" / "C"));
  EXPECT_TRUE(ForceFolders(temp / "A" / "B" / "C" / ""));
  EXPECT_TRUE(ForceFolders(temp.path()));

  test::WriteFileBytes(temp / "file", std::vector<uint8_t>{1});
  EXPECT_FALSE(ForceFolders(temp / "file" / "sub"));
  EXPECT_FALSE(ForceFolders(temp / "file"));
  EXPECT_FALSE(ForceFolders(fs::path()));
}

}  // namespace
}  // namespace korvel
