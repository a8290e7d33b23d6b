// The produce wizard driven as a person drives it, over engines that write no media: the
// proposal, the pages and buttons, the run's lines, progress, stop, close and result.
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/wizards/pdce_wizard.h"
#include "app/wizards/result_picture.h"
#include "controls/my_msg_box_win.h"
#include "gui/support/gui_test_main.h"
#include "gui/wizards/gated_engine.h"
#include "gui/wizards/wizard_driver.h"
#include "lang/lang.h"
#include "produce/fake_engine.h"
#include "support/temp_dir.h"

namespace korvel::test {

namespace fs = std::filesystem;

class PdceWizardTest : public QObject {
  Q_OBJECT

  EnglishWords words_;

  // The rules of a disk on which the source's folder cannot be written.
  static DestinationRules ReadOnlySource(const fs::path& projectFolder, std::string label = "") {
    DestinationRules rules = DestinationRules::ForThisSystem(projectFolder / "");
    rules.isOnReadOnlyStorage = [](const fs::path&) { return true; };
    rules.volumeLabelOf = [label](const fs::path&) { return label; };
    return rules;
  }

  static QString ShownName(TPdceWizardW& wizard) { return Part<QLineEdit>(wizard, "NewFileName")->text(); }

  // One clip of an AVI file in a fresh folder.
  struct OneClip {
    TempDir dir;
    std::unique_ptr<TClipList> clips;
    OneClip() {
      CopyFixture("avi_xvid_mp3.avi", dir / "a.avi");
      clips = MakeClips({{dir / "a.avi", 0, 1000}});
    }
  };

  // A wizard over engines that write no media, for one clip.
  struct FakeRun : OneClip {
    FakeScript script;
    FakeEngines engines{script};
    TPdceWizardW wizard{nullptr, engines.Table};
    FakeRun() { wizard.SetClipList(clips.get()); }
    // Produce, and wait for the run and its worker to end.
    bool Run() {
      ProduceFromDest(wizard);
      if (!WaitForEnd(wizard)) return false;
      return QTest::qWaitFor([&] { return script.ThreadGone->load(); });
    }
  };

  // A wizard over the gated engine, for one clip.
  struct GatedRun : OneClip {
    GatedScript script;
    TEngineTable engines = GatedEngines(script);
    std::unique_ptr<TPdceWizardW> wizard = std::make_unique<TPdceWizardW>(nullptr, engines);
    GatedRun() { wizard->SetClipList(clips.get()); }
    // Produce, and wait until the first progress step is shown.
    bool StartHeld() {
      ProduceFromDest(*wizard);
      return QTest::qWaitFor([&] { return Part<QLabel>(*wizard, "ProgressCap1")->text() == "0.1 %"; });
    }
    bool WorkerGone() { return QTest::qWaitFor([&] { return script.ThreadGone->load(); }); }
  };

private slots:
  void ProposesTheFirstFreeNameBesideTheSource() {
    TempDir dir;
    CopyFixture("mp4_h264_aac.mp4", dir / "a.mp4");
    const auto clips = MakeClips({{dir / "a.mp4", 0, 1000}});
    {
      TPdceWizardW wizard;
      wizard.SetClipList(clips.get());
      QCOMPARE(wizard.Destination(), dir / "a_S01.mp4");
      QCOMPARE(ShownName(wizard), QString("a_S01.mp4"));
      QVERIFY(Button(wizard, "BtnNext")->isEnabled());
    }
    WriteFileBytes(dir / "a_S01.mp4", std::array<uint8_t, 1>{0});
    TPdceWizardW wizard;
    wizard.SetClipList(clips.get());
    QCOMPARE(wizard.Destination(), dir / "a_S02.mp4");
  }

  void AnExtensionlessProgramStreamInADottedFolderGetsTheKindsExtension() {
    TempDir dir;
    CopyFixture("ps_mpeg2_mp2.mpg", dir / "my.films" / "clip");
    const auto clips = MakeClips({{dir / "my.films" / "clip", 0, 1000}});
    TPdceWizardW wizard;
    wizard.SetClipList(clips.get());
    QCOMPARE(wizard.Destination(), dir / "my.films" / "clip_S01.mpg");
  }

  void ASourceFolderThatCannotBeWrittenSendsTheOutputToTheProjectFolder() {
    TempDir dir;
    CopyFixture("vob_mpeg2_ac3.vob", dir / "dvd" / "VIDEO_TS" / "VTS_01_1.VOB");
    CopyFixture("avi_xvid_mp3.avi", dir / "cd" / "trip.avi");
    const auto dvd = MakeClips({{dir / "dvd" / "VIDEO_TS" / "VTS_01_1.VOB", 0, 1000}});
    const auto cd = MakeClips({{dir / "cd" / "trip.avi", 0, 1000}});
    TPdceWizardW wizard;
    wizard.SetDestinationRules(ReadOnlySource(dir / "projects", "MOVIE (sr0)"));
    wizard.SetClipList(dvd.get());
    QCOMPARE(wizard.Destination(), dir / "projects" / "MOVIE_VTS_01_1_S01.mpg");
    wizard.SetClipList(cd.get());
    QCOMPARE(wizard.Destination(), dir / "projects" / "trip_S01.avi");
  }

  void NothingIsProposedWhenEveryNameIsTaken() {
    OneClip clip;
    TPdceWizardW wizard;
    DestinationRules rules = DestinationRules::ForThisSystem(clip.dir / "");
    rules.exists = [](const fs::path&) { return true; };
    wizard.SetDestinationRules(rules);
    wizard.SetClipList(clip.clips.get());
    QVERIFY(wizard.Destination().empty());
    QVERIFY(ShownName(wizard).isEmpty());
    QVERIFY(!Button(wizard, "BtnNext")->isEnabled());
    Click(wizard, "BtnNext");
    QVERIFY(Part<QWidget>(wizard, "TabSetDest")->isVisibleTo(&wizard));
  }

  void ARunShowsItsLinesAndEndsInSuccess() {
    FakeRun run;
    TPdceWizardW& wizard = run.wizard;
    wizard.show();
    QVERIFY(!Button(wizard, "BtnBack")->isEnabled());
    QVERIFY(!Button(wizard, "BtnProduce")->isEnabled());
    Click(wizard, "BtnNext");
    QVERIFY(Button(wizard, "BtnBack")->isEnabled());
    QVERIFY(!Button(wizard, "BtnNext")->isEnabled());
    QVERIFY(Part<QPlainTextEdit>(wizard, "ProduceInfo")->toPlainText().contains("Destination File : a_S01.avi"));
    Click(wizard, "BtnBack");
    QVERIFY(run.Run());

    QVERIFY(wizard.Succeeded());
    QCOMPARE(run.engines.Created, std::vector<TEngine>{TEngine::AviLossless});
    // The analysis gave the clip its file's length.
    QVERIFY(std::abs(run.script.SeenJobs.at(0).Total - 2000) < 150);
    const QStringList lines = RunLines(wizard);
    QCOMPARE(lines.front(), QString("Initialization ..."));
    QCOMPARE(lines.back(), QString("Completed"));
    QCOMPARE(Part<QLabel>(wizard, "StatusLine3")->text(), QString("Completed"));
    QVERIFY(Part<QLabel>(wizard, "StatusLine1")->text().isEmpty());
    QCOMPARE(Part<TResultPicture>(wizard, "ResultPicture")->Playing(), QString("PdceSucc.gif"));
    QVERIFY(!Button(wizard, "BtnProduce")->isEnabled());
    QVERIFY(!Button(wizard, "BtnStop")->isEnabled());
    QVERIFY(Button(wizard, "BtnClose")->isEnabled());
    QVERIFY(wizard.OpenOutputFile());
    Part<QCheckBox>(wizard, "CheckOpen")->setChecked(false);
    QVERIFY(!wizard.OpenOutputFile());
    QVERIFY(fs::exists(wizard.Destination()));
  }

  // The status lines are trimmed for the summary; the log keeps the indentation.
  void TheLogKeepsEveryLineAsTheEngineWroteIt() {
    FakeRun run;
    QVERIFY(run.Run());
    const QStringList lines = RunLines(run.wizard);
    QVERIFY(lines.contains("Clip 1"));
    QVERIFY(lines.contains("            00:01 (0:00:00 - 0:00:01)  a.avi"));
  }

  void ProgressShowsAsABarAndAPercentage() {
    GatedRun run;
    TPdceWizardW& wizard = *run.wizard;
    ProduceFromDest(wizard);
    const struct {
      int bar;
      const char* caption;
    } shown[] = {{1, "0.1 %"}, {100, "99.5 %"}, {100, "100.0 %"}};
    for (const auto& step : shown) {
      QTRY_COMPARE(Part<QLabel>(wizard, "ProgressCap1")->text(), QString(step.caption));
      for (const char* bar : {"ProgressBar1", "ProgressBar2"}) QCOMPARE(Part<QProgressBar>(wizard, bar)->value(), step.bar);
      QCOMPARE(Part<QLabel>(wizard, "ProgressCap2")->text(), QString(step.caption));
      run.script.StepGate.Open();
    }
    QVERIFY(WaitForEnd(wizard));
    QVERIFY(run.WorkerGone());
    QVERIFY(wizard.Succeeded());
  }

  void StopAtInitializationLeavesNoFileAndEndsInFailure() {
    FakeRun run;
    TPdceWizardW& wizard = run.wizard;
    // The worker waits while its line is shown, so the stop arrives before it goes on.
    auto* log = Part<QPlainTextEdit>(wizard, "PdceStatusDetail");
    connect(log, &QPlainTextEdit::textChanged, this, [&] {
      if (log->toPlainText().endsWith("Initialization ...")) Click(wizard, "BtnStop");
    });
    QVERIFY(run.Run());
    disconnect(log, nullptr, this, nullptr);

    QVERIFY(!wizard.Succeeded());
    QVERIFY(RunLines(wizard).contains("Stopped by the user."));
    QCOMPARE(RunLines(wizard).back(), QString("Failure"));
    QVERIFY(!fs::exists(wizard.Destination()));
    QVERIFY(!LogLines(wizard).join('\n').contains("kept"));
    QVERIFY(Button(wizard, "BtnProduce")->isEnabled());
    QVERIFY(Button(wizard, "BtnClose")->isEnabled());
    QVERIFY(!Button(wizard, "BtnStop")->isEnabled());
    QVERIFY(!Part<QCheckBox>(wizard, "CheckOpen")->isEnabled());
    QVERIFY(!wizard.OpenOutputFile());
    QCOMPARE(Part<TResultPicture>(wizard, "ResultPicture")->Playing(), QString("PdceFail.gif"));
  }

  // A failed run that leaves a partial file says where it is instead of claiming it gone.
  void AFailedRunNamesTheOutputItKept() {
    FakeRun run;
    run.script.KeepOutput = true;
    run.script.Result = E_FAIL;
    QVERIFY(run.Run());
    QVERIFY(!run.wizard.Succeeded());
    QVERIFY(fs::exists(run.wizard.Destination()));
    QCOMPARE(LogLines(run.wizard).back(),
             QString::fromStdString("The output written so far was kept : " + run.wizard.Destination().string()));
  }

  void WhileBusyCloseAndEscapeLeaveTheWindowOpen() {
    GatedRun run;
    TPdceWizardW& wizard = *run.wizard;
    wizard.show();
    QVERIFY(QTest::qWaitForWindowExposed(&wizard));
    QVERIFY(run.StartHeld());
    QCOMPARE(Part<TResultPicture>(wizard, "ResultPicture")->Playing(), QString("PdceLLess.gif"));
    QVERIFY(!Button(wizard, "BtnClose")->isEnabled());
    QTest::keyClick(&wizard, Qt::Key_Escape);
    QVERIFY(!wizard.close());
    wizard.reject();
    QVERIFY(wizard.isVisible());

    Click(wizard, "BtnStop");
    QVERIFY(WaitForEnd(wizard));
    QVERIFY(run.WorkerGone());
    QVERIFY(run.script.SawStop.load());
    Click(wizard, "BtnClose");
    QVERIFY(!wizard.isVisible());
  }

  // The window going (as when the program quits) stops its run and waits for the worker.
  void DestroyingTheWindowWhileBusyStopsTheRunWithoutAHang() {
    GatedRun run;
    QVERIFY(run.StartHeld());
    run.wizard.reset();
    QVERIFY(run.script.SawStop.load());
    QVERIFY(run.WorkerGone());
  }

  // The program's event loop ending with a run going: the run is stopped and its worker waited
  // for before the loop returns.
  void QuittingTheProgramWhileBusyStopsTheRunWithoutAHang() {
    GatedRun run;
    bool held = false;
    QTimer::singleShot(0, [&] {
      held = run.StartHeld();
      QCoreApplication::quit();
    });
    QCoreApplication::exec();
    QVERIFY(held);
    QVERIFY(run.script.SawStop.load());
    QVERIFY(!run.wizard->Busy());
    QVERIFY(run.WorkerGone());
  }

  void ClipsThatCannotJoinAreRefusedWithTheDifference() {
    TempDir dir;
    CopyFixture("avi_xvid_mp3.avi", dir / "a.avi");
    CopyFixture("avi_h264.avi", dir / "b.avi");
    const auto clips = MakeClips({{dir / "a.avi", 0, 1000}, {dir / "b.avi", 0, 1000}});
    FakeScript script;
    FakeEngines engines(script);
    TPdceWizardW wizard(nullptr, engines.Table);
    wizard.SetClipList(clips.get());
    ProduceFromDest(wizard);
    QVERIFY(!wizard.Busy());
    QVERIFY(engines.Created.empty());
    const QStringList run = RunLines(wizard);
    QCOMPARE(run.size(), 1);
    QVERIFY2(run.front().startsWith("Failure : ") && run.front().contains("b.avi cannot join"), qPrintable(run.front()));
    QCOMPARE(Part<QLabel>(wizard, "StatusLine3")->text(), QString("Failure"));
    QVERIFY(Button(wizard, "BtnProduce")->isEnabled());
    QVERIFY(!fs::exists(wizard.Destination()));
  }

  void TheSaveDialogRefusesAClipsSource() {
    OneClip clip;
    const TempDir& dir = clip.dir;
    TPdceWizardW wizard;
    wizard.SetClipList(clip.clips.get());
    bool warned = false;
    WhenModal<QFileDialog>([&](QFileDialog* dialog) {
      if (dialog->objectName() != "SaveDg") return false;
      // An existing name is asked about first; the answer is yes, and then comes the refusal.
      WhenModal<QMessageBox>([&](QMessageBox* question) {
        if (!question->button(QMessageBox::Yes)) return false;
        question->button(QMessageBox::Yes)->click();
        WhenModal<TMyMsgBoxWin>([&](TMyMsgBoxWin* refusal) {
          if (!refusal->Msg()->text().contains("one of the source files")) return false;
          warned = true;
          refusal->Btn1()->click();
          return true;
        });
        return true;
      });
      ChooseInFileDialog(*dialog, dir / "a.avi");
      return true;
    });
    Click(wizard, "BtnSetNewFile");
    QVERIFY(warned);
    QCOMPARE(wizard.Destination(), dir / "a_S01.avi");
  }

  // A source on a disc: the folder chosen on a disk that can be written becomes the project
  // folder that later proposals use.
  void AFolderChosenForASourceThatCannotBeWrittenBecomesTheProjectFolder() {
    OneClip clip;
    const TempDir& dir = clip.dir;
    fs::create_directories(dir / "out");
    TPdceWizardW wizard;
    DestinationRules rules = ReadOnlySource(dir / "projects");
    rules.isOnReadOnlyStorage = [&](const fs::path& file) { return file.parent_path() == dir.path(); };
    wizard.SetDestinationRules(rules);
    wizard.SetClipList(clip.clips.get());
    QCOMPARE(wizard.Destination(), dir / "projects" / "a_S01.avi");
    WhenModal<QFileDialog>([&](QFileDialog* dialog) {
      ChooseInFileDialog(*dialog, dir / "out" / "trip.avi");
      return true;
    });
    Click(wizard, "BtnSetNewFile");
    QCOMPARE(wizard.Destination(), dir / "out" / "trip.avi");
    QCOMPARE(Part<QLineEdit>(wizard, "NewFileName")->text(), QString("trip.avi"));
    QCOMPARE(wizard.LastProjectFolder(), dir / "out" / "");
  }
};

}  // namespace korvel::test

KORVEL_GUI_TEST_MAIN(korvel::test::PdceWizardTest)
#include "pdce_wizard_test.moc"
