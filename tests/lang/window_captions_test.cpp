#include "lang/window_captions.h"

#include <gtest/gtest.h>

#include <string>

#include "lang/language.h"
#include "support/temp_dir.h"

namespace korvel {
namespace {

// The program's own English file, and a language whose verbs follow their objects.
class LangWindowCaptionsTest : public testing::Test {
protected:
  void SetUp() override {
    std::filesystem::copy_file(std::filesystem::path(KORVEL_LANGUAGE_SOURCE_DIR) / "g0409_eng.ini", dir_ / "g0409_eng.ini");
    const std::string ov =
        "[Information]\nLanguage=Verbs last\nWordOrder2=OV\n[Base]\nOpen=open\nClear=clear\nSave=save\n";
    test::WriteFileBytes(dir_ / "g0407_ov.ini", {reinterpret_cast<const uint8_t*>(ov.data()), ov.size()});
  }
  test::TempDir dir_;
};

TEST_F(LangWindowCaptionsTest, EnglishCaptionsAreBuiltFromTheWords) {
  TLanguage language(dir_.path());
  ASSERT_TRUE(language.SelectLanguage("g0409_eng.ini"));
  using enum TKorvelCommand;
  const std::pair<TKorvelCommand, std::string> expected[] = {
      {NewProject, "New Project (&N)"},
      {OpenProject, "Open Project (&O) ..."},
      {SaveProject, "Save Project (&S)"},
      {SaveProjectAs, "Save as (Project) (&A) ..."},
      {OpenMediaFile, "Open Media File ..."},
      {Produce, "Produce Media File (&P) ..."},
      {Exit, "Exit (&X)"},
      {BackSec, "Back (sec)"},
      {SetSelEnd, "Set Selection End Position"},
      {GoToSelStart, "Go to : Start Position"},
      {CloseFullScreen, "Close Full screen"},
      {EditSelectedClip, "Edit Selected Clip (&E)"},
      {ClearClipList, "Clear Clip List"},
      {FileList, "Folder/File List"},
      {ReconstructVob, "Reconstruct VOB ..."},
      {BackgroundSilver, "Silver"},
  };
  for (const auto& [command, caption] : expected) EXPECT_EQ(CommandCaption(command), caption);
  EXPECT_EQ(MenuCaption(TKorvelMenu::BackgroundColor), "Background Color");
}

TEST_F(LangWindowCaptionsTest, AVerbFollowsItsObjectWhereTheLanguageSaysSo) {
  TLanguage language(dir_.path());
  ASSERT_TRUE(language.SelectLanguage("g0407_ov.ini"));
  EXPECT_EQ(CommandCaption(TKorvelCommand::OpenProject), "Project open (&O) ...");
  EXPECT_EQ(CommandCaption(TKorvelCommand::ClearClipList), "Clip List clear");
}

TEST(LangWindowCaptions, AHintDropsTheAcceleratorPart) {
  EXPECT_EQ(WithoutAccelerator("Produce Media File (&P) ..."), "Produce Media File ...");
  EXPECT_EQ(WithoutAccelerator("Save as (Project) (&A) ..."), "Save as (Project) ...");
  EXPECT_EQ(WithoutAccelerator("Clear Clip List"), "Clear Clip List");
  EXPECT_EQ(WithoutAccelerator("Broken (&"), "Broken (&");
}

TEST(LangWindowCaptions, AmpersandsOfNamesAreDoubled) {
  EXPECT_EQ(EscapeMenuText("Tom & Jerry -> g0409_t&j.ini"), "Tom && Jerry -> g0409_t&&j.ini");
  EXPECT_EQ(EscapeMenuText("plain"), "plain");
}

}  // namespace
}  // namespace korvel
