// The repair wizard driven as a person drives it: its captions, the "_Re" proposal, the tool
// each kind of file gets, and the result it hands back.
#include <QLineEdit>
#include <QTest>
#include <array>
#include <filesystem>

#include "app/wizards/tool_comm_wizard.h"
#include "gui/support/gui_test_main.h"
#include "gui/wizards/gated_engine.h"
#include "gui/wizards/wizard_driver.h"
#include "produce/fake_engine.h"
#include "support/temp_dir.h"

namespace korvel::test {

namespace fs = std::filesystem;

class ToolCommWizardTest : public QObject {
  Q_OBJECT

  EnglishWords words_;

private slots:
  void CaptionsNameTheRepair() {
    TempDir dir;
    CopyFixture("avi_xvid_mp3_noidx1.avi", dir / "a.avi");
    TToolCommW wizard;
    wizard.SetSource(TToolCommW::kModeMediaFile, dir / "a.avi");
    QCOMPARE(wizard.windowTitle(), QString("Media File Reconstruction Wizard"));
    QCOMPARE(Button(wizard, "BtnProduce")->text(), QString("Reconstruct"));
    QCOMPARE(Button(wizard, "BtnBack")->text(), QString("< Back"));
    QCOMPARE(Button(wizard, "BtnNext")->text(), QString("Next >"));
    QVERIFY(!Button(wizard, "BtnSetSrcFile")->isVisibleTo(&wizard));
    QCOMPARE(Part<QLineEdit>(wizard, "SrcFileName")->text(), QString("a.avi"));
  }

  void ProposesReThenCountsUp() {
    TempDir dir;
    CopyFixture("vob_mpeg2_ac3.vob", dir / "clip.vob");
    const char* expected[] = {"clip_Re.mpg", "clip_Re1.mpg", "clip_Re2.mpg"};
    for (const char* name : expected) {
      TToolCommW wizard;
      wizard.SetSource(TToolCommW::kModeMediaFile, dir / "clip.vob");
      QCOMPARE(wizard.Destination(), dir / name);
      QCOMPARE(Part<QLineEdit>(wizard, "NewFileName")->text(), QString(name));
      WriteFileBytes(dir / name, std::array<uint8_t, 1>{0});
    }
  }

  void AFileNoAnalyzerKnowsGetsNoDestination() {
    TempDir dir;
    WriteFileBytes(dir / "noise.avi", std::array<uint8_t, 4>{1, 2, 3, 4});
    TToolCommW wizard;
    wizard.SetSource(TToolCommW::kModeMediaFile, dir / "noise.avi");
    QVERIFY(wizard.Destination().empty());
    QVERIFY(!Button(wizard, "BtnNext")->isEnabled());
    QVERIFY(!Button(wizard, "BtnSetNewFile")->isEnabled());
  }

  void EachKindGetsItsTool() {
    const struct {
      const char* fixture;
      std::vector<TEngine> engines;
    } cases[] = {
        {"avi_xvid_mp3.avi", {TEngine::AviReindex}},
        {"asf_wmv2.wmv", {TEngine::WmvReconstruct}},
        {"ps_mpeg2_mp2.mpg", {TEngine::FfmReconstruct}},
        {"ts_h264_aac.ts", {TEngine::FfmReconstruct}},
        {"mp4_h264_aac.mp4", {}},  // the MP4 family has no repair tool
    };
    for (const auto& c : cases) {
      TempDir dir;
      const fs::path source = dir.path() / fs::path(c.fixture).filename();
      CopyFixture(c.fixture, source);
      FakeScript script;
      FakeEngines engines(script);
      TToolCommW wizard(nullptr, engines.Table);
      wizard.SetSource(TToolCommW::kModeMediaFile, source);
      ProduceFromDest(wizard);
      QVERIFY(WaitForEnd(wizard));
      if (!c.engines.empty()) QTRY_VERIFY(script.ThreadGone->load());
      QCOMPARE(engines.Created, c.engines);
      QCOMPARE(wizard.Succeeded(), !c.engines.empty());
      if (c.engines.empty()) QCOMPARE(RunLines(wizard), QStringList{"Failure"});
      // Success is final; a failure may be tried again.
      QCOMPARE(Button(wizard, "BtnProduce")->isEnabled(), c.engines.empty());
    }
  }

  void TheResultIsTheRepairedFileOnlyAfterASuccess() {
    TempDir dir;
    CopyFixture("avi_xvid_mp3.avi", dir / "a.avi");
    {
      FakeScript script;
      FakeEngines engines(script);
      TToolCommW wizard(nullptr, engines.Table);
      wizard.SetSource(TToolCommW::kModeMediaFile, dir / "a.avi");
      QVERIFY(wizard.Result().empty());
      ProduceFromDest(wizard);
      QVERIFY(WaitForEnd(wizard));
      QTRY_VERIFY(script.ThreadGone->load());
      QCOMPARE(wizard.Result(), dir / "a_Re.avi");
    }
    GatedScript script;
    const TEngineTable engines = GatedEngines(script);
    TToolCommW wizard(nullptr, engines);
    wizard.SetSource(TToolCommW::kModeMediaFile, dir / "a.avi");
    ProduceFromDest(wizard);
    QTRY_COMPARE(Part<QLabel>(wizard, "ProgressCap2")->text(), QString("0.1 %"));
    QVERIFY(!wizard.close());
    Click(wizard, "BtnStop");
    QVERIFY(WaitForEnd(wizard));
    QTRY_VERIFY(script.ThreadGone->load());
    QVERIFY(RunLines(wizard).contains("Stopped by the user."));
    QVERIFY(wizard.Result().empty());
    QVERIFY(Button(wizard, "BtnProduce")->isEnabled());
    QVERIFY(Button(wizard, "BtnClose")->isEnabled());
    QVERIFY(!Button(wizard, "BtnStop")->isEnabled());
  }
};

}  // namespace korvel::test

KORVEL_GUI_TEST_MAIN(korvel::test::ToolCommWizardTest)
#include "tool_comm_wizard_test.moc"
