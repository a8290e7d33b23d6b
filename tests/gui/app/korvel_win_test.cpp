// The main window as a person meets it: a first start, the previous run's work state coming
// back, the save question when closing, and which keys act where.
#include "app/korvel_win.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QTreeWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QScrollArea>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/clip_panel.h"
#include "app/media_browser.h"
#include "app/play_controls.h"
#include "app/play_strip.h"
#include "app/wizards/pdce_wizard.h"
#include "base/file_read.h"
#include "controls/movie_time_bar.h"
#include "controls/my_msg_box_win.h"
#include "gui/support/gui_test_main.h"
#include "gui/support/modal_answer.h"
#include "gui/wizards/wizard_driver.h"
#include "player/mpv_player_engine.h"
#include "player/preview_player.h"
#include "project/clip_list.h"
#include "project/project_file.h"
#include "support/cli_run.h"
#include "support/temp_dir.h"

namespace korvel::test {

namespace {

namespace fs = std::filesystem;

const fs::path kFixture = fs::path(KORVEL_FIXTURE_DIR) / "player_colours.avi";

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A work state of an untitled list with unsaved changes: two clips of the file and, between
// them, one whose start equals its end, which no project may hold.
void SeedWorkState(const fs::path& source = kFixture) {
  const fs::path path = DefaultWorkStatePath();
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  const std::string file = source.string();
  out << "[Clip]\nClipCount=3\n"
      << "[Clip0]\nFileName=" << file << "\nTotalTime=4000\nStartTime=500\nEndTime=1500\n"
      << "[Clip1]\nFileName=" << file << "\nTotalTime=4000\nStartTime=2000\nEndTime=2000\n"
      << "[Clip2]\nFileName=" << file << "\nTotalTime=4000\nStartTime=2000\nEndTime=3000\n"
      << "[Temp]\nChanged=1\nPjFileName=\n";
}

// Sends a desktop file manager's drop of files onto target.
void DropFiles(QWidget* target, const QList<QUrl>& urls) {
  QMimeData data;
  data.setUrls(urls);
  const QPoint at = target->rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
}

// The real program, on the offscreen platform, in this suite's user folders.
std::unique_ptr<QProcess> StartProgram() {
  auto program = std::make_unique<QProcess>();
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  program->setProcessEnvironment(environment);
  program->start(QStringLiteral(KORVEL_PROGRAM_PATH), {});
  return program;
}

}  // namespace

class KorvelWinTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TKorvelWin> window_;

  // The window as the program shows it, once the work state has come back.
  void ShowWindow() {
    window_ = std::make_unique<TKorvelWin>(
        TKorvelWinSetup{.Engine = std::make_unique<MpvPlayerEngine>(MpvPlayerEngine::Options{.audioOutput = "null"}),
                        .LanguageFolder = KORVEL_LANGUAGE_SOURCE_DIR});
    window_->Player().ErrorBox = false;
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    QTRY_VERIFY(window_->Restored());
    // The seek bar takes the focus twice after the restored clip is shown; a test that moves the
    // focus itself must not race those steps.
    QTRY_VERIFY(!window_->PlayControls().SeekTrkFocusTimer().isActive());
  }
  QAction* Action(TKorvelCommand command) const { return window_->Actions().Get(command); }

private slots:
  void init() {
    std::error_code ignored;
    fs::remove(DefaultWorkStatePath(), ignored);
    QSettings("Quendar", "Korvel").clear();
  }
  void cleanup() { window_.reset(); }

  void AFirstStartShowsAnEmptyUntitledProject() {
    ShowWindow();
    QCOMPARE(window_->windowTitle(), QStringLiteral("Korvel 0.1"));
    QCOMPARE(window_->minimumSize(), QSize(760, 560));
    QCOMPARE(window_->ProjectNameLabel()->text(), QStringLiteral("Untitled"));
    QCOMPARE(window_->PlayStrip()->CurrentTimeCap->text(), QStringLiteral("00:00:00.00/00:00:00.00"));
    QCOMPARE(window_->ClipList().Count(), 0);
    using enum TKorvelCommand;
    for (const TKorvelCommand command : {Play, Pause, Stop, First, Last, Back, Next, SetSelStart, SetSelEnd, GoToSelStart,
                                         GoToSelEnd, CloseMedia, FullScreen, UnlinkClip, AddClip, CopyClip,
                                         EditSelectedClip, CopySelectedClip, DeleteSelectedClip, ClearClipList,
                                         ClipProperties, SaveProject, Produce})
      QVERIFY2(!Action(command)->isEnabled(), qPrintable(Action(command)->text()));
    for (const TKorvelCommand command : {NewProject, OpenProject, SaveProjectAs, OpenMediaFile, Exit})
      QVERIFY2(Action(command)->isEnabled(), qPrintable(Action(command)->text()));
  }

  void TheCaptionsComeFromTheLanguage() {
    ShowWindow();
    using enum TKorvelCommand;
    QCOMPARE(Action(NewProject)->text(), QStringLiteral("New Project (&N)"));
    QCOMPARE(Action(SaveProjectAs)->text(), QStringLiteral("Save as (Project) (&A) ..."));
    QCOMPARE(Action(Produce)->text(), QStringLiteral("Produce Media File (&P) ..."));
    QCOMPARE(Action(Produce)->toolTip(), QStringLiteral("Produce Media File ..."));
    QCOMPARE(Action(SetSelStart)->text(), QStringLiteral("Set Selection Start Position"));
    QCOMPARE(Action(GoToSelEnd)->text(), QStringLiteral("Go to : End Position"));
    QCOMPARE(Action(DeleteSelectedClip)->text(), QStringLiteral("Delete Selected Clip (&D)"));
    QCOMPARE(Action(DeleteSelectedClip)->shortcut(), QKeySequence(Qt::Key_Delete));
    QCOMPARE(Action(SaveProjectAs)->shortcut(), QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_S));
  }

  void TheWorkStateComesBackWithoutTheEmptyClip() {
    SeedWorkState();
    ShowWindow();
    QCOMPARE(window_->ClipList().Count(), 2);
    QCOMPARE(window_->ClipList().Get(0)->StartTime(), 500);
    QCOMPARE(window_->ClipList().Get(1)->StartTime(), 2000);
    QVERIFY(window_->ClipList().Changed());
    QVERIFY(window_->Actions().Get(TKorvelCommand::SaveProject)->isEnabled());
    QVERIFY(window_->Actions().Get(TKorvelCommand::Produce)->isEnabled());
    // The first clip was shown in the player, then unlinked.
    QCOMPARE(window_->Player().FileName(), kFixture);
    QVERIFY(window_->Player().IsOpen());
    QCOMPARE(window_->Player().SelStart(), 0.5);
    QCOMPARE(window_->Player().SelEnd(), 1.5);
    QVERIFY(window_->ClipList().CurrentItem() == nullptr);
  }

  void CancellingTheSaveQuestionKeepsTheWindowAndTheWorkState() {
    SeedWorkState();
    ShowWindow();
    const std::string before = ReadBytes(DefaultWorkStatePath());
    QString asked;
    ModalAnswer cancel([&](QWidget& modal) {
      auto* box = qobject_cast<TMyMsgBoxWin*>(&modal);
      QVERIFY(box);
      asked = box->Msg()->text();
      QCOMPARE(box->Btn3()->text(), QStringLiteral("Cancel (&C)"));
      QTest::mouseClick(box->Btn3(), Qt::LeftButton);
    });
    QVERIFY(!window_->close());
    QVERIFY(cancel.Answered());
    QVERIFY2(asked.contains(QStringLiteral("Do you want to save the project?")), qPrintable(asked));
    QVERIFY(window_->isVisible());
    QCOMPARE(window_->ClipList().Count(), 2);
    QVERIFY(window_->ClipList().Changed());
    QCOMPARE(ReadBytes(DefaultWorkStatePath()), before);
  }

  void DeleteRemovesClipsOnlyFromTheClipPanel() {
    SeedWorkState();
    ShowWindow();
    // The browser's file list, with nothing selected, and a stand-in for the clip panel, each
    // holding the focus in turn.
    QWidget* fileList = window_->Browser().FileList();
    auto* clipPanel = new QListWidget;
    window_->ClipPanelPlace()->layout()->addWidget(clipPanel);
    window_->ClipList().SetAnchor(window_->ClipList().Get(0));
    window_->RefreshCommands();
    QSignalSpy deleted(Action(TKorvelCommand::DeleteSelectedClip), &QAction::triggered);

    fileList->setFocus();
    QTRY_VERIFY(fileList->hasFocus());
    QTest::keyClick(fileList, Qt::Key_Delete);
    QCOMPARE(deleted.size(), 0);
    QCOMPARE(window_->ClipList().Count(), 2);

    clipPanel->setFocus();
    QTRY_VERIFY(clipPanel->hasFocus());
    // The clip panel asks before it deletes.
    const ModalAnswer no([](QWidget& question) { question.close(); });
    QTest::keyClick(clipPanel, Qt::Key_Delete);
    QCOMPARE(deleted.size(), 1);
    QVERIFY(no.Answered());
    QCOMPARE(window_->ClipList().Count(), 2);
  }

  void AShortcutChecksItsConditionWhenPressed() {
    ShowWindow();
    // As a menu opened while the list still held clips would have left it.
    Action(TKorvelCommand::Produce)->setEnabled(true);
    bool wizardShown = false;
    ModalAnswer watch([&](QWidget& modal) {
      wizardShown = true;
      modal.close();
    });
    QTest::keyClick(window_.get(), Qt::Key_P, Qt::ControlModifier);
    QTest::qWait(100);
    QVERIFY(!wizardShown);
  }

  void TheLanguageMenuSwitchesEveryCaptionAtOnce() {
    ShowWindow();
    QMenu* languages = window_->Menu(TKorvelMenu::Language);
    QVERIFY(languages);
    const auto entry = [&](const char* file) -> QAction* {
      for (QAction* action : languages->actions())
        if (action->text().endsWith(QLatin1String(file))) return action;
      return nullptr;
    };
    QVERIFY(entry("g0409_eng.ini") && entry("g0409_eng.ini")->isChecked());
    QAction* japanese = entry("g0411_jpn.ini");
    QVERIFY(japanese);
    const QString english = Action(TKorvelCommand::NewProject)->text();
    japanese->trigger();
    QVERIFY(Action(TKorvelCommand::NewProject)->text() != english);
    QVERIFY(Action(TKorvelCommand::NewProject)->text().endsWith(QStringLiteral("(&N)")));
    QVERIFY(window_->Menu(TKorvelMenu::File)->title() != QStringLiteral("File"));
    QVERIFY(entry("g0411_jpn.ini")->isChecked());
    entry("g0409_eng.ini")->trigger();
    QCOMPARE(Action(TKorvelCommand::NewProject)->text(), english);
    QCOMPARE(window_->Menu(TKorvelMenu::File)->title(), QStringLiteral("File"));
  }

  void HidingTheFileListInAMaximizedWindowTakesTheMenuAndTheFrame() {
    ShowWindow();
    window_->showMaximized();
    QTRY_VERIFY(window_->isMaximized());
    QTest::keyClick(window_.get(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(!window_->BrowserShown());
    QVERIFY(!window_->menuBar()->isVisible());
    QVERIFY(window_->windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(!Action(TKorvelCommand::FileList)->isChecked());
    // The menu is gone, its shortcut still works.
    QTRY_VERIFY(window_->isVisible());
    QTest::keyClick(window_.get(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(window_->BrowserShown());
    QVERIFY(window_->menuBar()->isVisible());
    QVERIFY(!(window_->windowFlags() & Qt::FramelessWindowHint));
    QVERIFY(Action(TKorvelCommand::FileList)->isChecked());
  }

  void TheStripsZoomButtonsZoomTheClipPanel() {
    SeedWorkState();
    ShowWindow();
    window_->resize(1000, 700);
    TPlayStrip& strip = *window_->PlayStrip();
    // Without the browser the strip is wide enough for the zoom buttons beside the group.
    QTest::keyClick(window_.get(), Qt::Key_F, Qt::ControlModifier);
    QTRY_VERIFY(strip.BtnZoomOut->isVisible());
    const TMovieTimeBar& ruler = *window_->ClipPanel()->MovieTimeBar();
    const int fitted = ruler.TickTimeSec();
    QTest::mouseClick(strip.BtnZoomOut, Qt::LeftButton);
    QVERIFY2(ruler.TickTimeSec() > fitted, qPrintable(QString::number(ruler.TickTimeSec())));
    const int zoomedOut = ruler.TickTimeSec();
    QTest::mouseClick(strip.BtnZoomIn, Qt::LeftButton);
    QVERIFY(ruler.TickTimeSec() < zoomedOut);
    QTest::mouseClick(strip.BtnZoomOut, Qt::LeftButton);
    QTest::mouseClick(strip.BtnZoomFit, Qt::LeftButton);
    QCOMPARE(ruler.TickTimeSec(), fitted);
  }

  void AFileDroppedOnTheVideoOpensInThePlayer() {
    ShowWindow();
    QWidget* video = window_->VideoArea()->viewport();
    DropFiles(video, {QUrl::fromLocalFile(QDir(KORVEL_FIXTURE_DIR).filePath("notes.txt")),
                      QUrl(QStringLiteral("https://example.org/a.avi"))});
    QTest::qWait(50);
    QVERIFY(!window_->Player().IsOpen());
    DropFiles(video, {QUrl::fromLocalFile(QString::fromStdString(kFixture.string()))});
    QTRY_VERIFY(window_->Player().IsOpen());
    QCOMPARE(window_->Player().FileName(), kFixture);
  }

  void ProduceWritesWhatTheCommandLineWritesForTheSavedProject() {
    TempDir dir;
    CopyFixture("avi_xvid_mp3.avi", dir / "a.avi");
    SeedWorkState(dir / "a.avi");
    ShowWindow();
    const fs::path project = dir / "clips.korvelproj";
    QVERIFY(window_->ProjectFile().SaveProject(project));
    fs::path produced;
    bool succeeded = false;
    WhenModal<TPdceWizardW>([&](TPdceWizardW* wizard) {
      produced = wizard->Destination();
      ProduceFromDest(*wizard);
      WaitForEnd(*wizard);
      succeeded = wizard->Succeeded();
      Click(*wizard, "BtnClose");
      return true;
    });
    QTest::keyClick(window_.get(), Qt::Key_P, Qt::ControlModifier);
    QVERIFY(succeeded);
    QCOMPARE(produced.parent_path(), dir.path());
    // The wizard's "Open Output File" was on: the output is in the player.
    QCOMPARE(window_->Player().FileName(), produced);

    const fs::path theirs = dir / "cli" / produced.filename();
    fs::create_directories(theirs.parent_path());
    QCOMPARE(RunCli("produce -q " + Quoted(project) + " -o " + Quoted(theirs), false).exitCode, 0);
    const auto ours = ReadWholeFile(produced, size_t{1} << 26);
    const auto cli = ReadWholeFile(theirs, size_t{1} << 26);
    QVERIFY(ours && cli);
    QVERIFY(*ours == *cli);
  }

  void ASecondProgramLeavesAndOneStartsAgainOnceTheFirstIsKilled() {
    const std::unique_ptr<QProcess> first = StartProgram();
    QVERIFY(first->waitForStarted());
    const QString lock = QDir(qEnvironmentVariable("XDG_RUNTIME_DIR")).filePath("korvel.lock");
    QTRY_VERIFY(QFile::exists(lock));
    QTest::qWait(300);
    QCOMPARE(first->state(), QProcess::Running);

    const std::unique_ptr<QProcess> second = StartProgram();
    QVERIFY(second->waitForFinished(5000));
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);
    QCOMPARE(first->state(), QProcess::Running);

    // Killed, the first leaves its lock behind; the next start takes it over.
    first->kill();
    QVERIFY(first->waitForFinished(5000));
    QVERIFY(QFile::exists(lock));
    const std::unique_ptr<QProcess> third = StartProgram();
    QVERIFY(third->waitForStarted());
    QVERIFY(!third->waitForFinished(1500));
    third->kill();
    third->waitForFinished(5000);
  }
};

}  // namespace korvel::test

KORVEL_GUI_TEST_MAIN(korvel::test::KorvelWinTest)
#include "korvel_win_test.moc"
