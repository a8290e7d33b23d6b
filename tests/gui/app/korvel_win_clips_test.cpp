// The whole job in the main window, as a person does it: open two files of one family, mark a
// selection in each and add three clips, drag the last tile to the front, save the project and
// produce it. The output must be what the command line makes of the saved project, and an
// independent reader must find the clips' length in it.
#include <QAction>
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QTest>
#include <QTreeWidget>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "app/clip_panel.h"
#include "app/korvel_win.h"
#include "app/media_browser.h"
#include "app/play_strip.h"
#include "app/wizards/pdce_wizard.h"
#include "controls/movie_clip.h"
#include "gui/support/gui_test_main.h"
#include "gui/wizards/wizard_driver.h"
#include "player/mpv_player_engine.h"
#include "player/preview_player.h"
#include "project/clip_list.h"
#include "project/project_commands.h"
#include "project/project_file.h"
#include "support/cli_run.h"
#include "support/temp_dir.h"

namespace korvel::test {

namespace fs = std::filesystem;

namespace {

std::optional<std::string> FileBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The container's duration as ffprobe reads it, in seconds; negative when it cannot.
double ProbedSeconds(const fs::path& file) {
  const CliRun run = RunCommand("ffprobe -v error -show_entries format=duration -of csv=p=0 '" + file.string() + "'");
  try {
    return std::stod(run.out);
  } catch (...) {
    return -1;
  }
}

}  // namespace

class KorvelWinClipsTest : public QObject {
  Q_OBJECT

  // Marks from..to in the open file with the strip's buttons and adds the clip.
  static void MarkAndAdd(TKorvelWin& window, double from, double to) {
    TPlayStrip& strip = *window.PlayStrip();
    window.Player().Pause();
    QVERIFY(window.Player().SetPosition(to));
    QTest::mouseClick(strip.BtnSelEnd, Qt::LeftButton);
    QVERIFY(window.Player().SetPosition(from));
    QTest::mouseClick(strip.BtnSelStart, Qt::LeftButton);
    QTest::mouseClick(strip.BtnAddClip, Qt::LeftButton);
  }

  // Finds the file in the browser and double-clicks it in the file list, as a person opens a file.
  static void OpenFromBrowser(TKorvelWin& window, const fs::path& file) {
    window.Browser().SelectFileInBrowser(file);
    QTreeWidget* list = window.Browser().FileList();
    QTreeWidgetItem* item = list->currentItem();
    QVERIFY(item);
    QCOMPARE(item->text(0), QString::fromStdString(file.filename().string()));
    const QPoint centre = list->visualItemRect(item).center();
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
    QTRY_VERIFY(window.Player().IsOpen() && window.Player().FileName() == file);
  }

private slots:
  void init() {
    std::error_code ignored;
    fs::remove(DefaultWorkStatePath(), ignored);
  }

  void ThreeClipsOfTwoFilesAreArrangedSavedAndProduced_data() {
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<bool>("byteForByte");  // false: the format holds a creation time
    QTest::newRow("AVI") << "avi_h264.avi" << true;
    QTest::newRow("MP4") << "mp4_h264_aac.mp4" << false;
    QTest::newRow("transport stream") << "ts_h264_aac.ts" << true;
  }

  void ThreeClipsOfTwoFilesAreArrangedSavedAndProduced() {
    QFETCH(QString, fixture);
    QFETCH(bool, byteForByte);
    TempDir dir;
    const fs::path source = Fixture(fixture.toStdString());
    const fs::path first = dir / ("first" + source.extension().string());
    const fs::path second = dir / ("second" + source.extension().string());
    fs::copy_file(source, first);
    fs::copy_file(source, second);

    TKorvelWin window(
        TKorvelWinSetup{.Engine = std::make_unique<MpvPlayerEngine>(MpvPlayerEngine::Options{.audioOutput = "null"}),
                        .LanguageFolder = KORVEL_LANGUAGE_SOURCE_DIR});
    window.Player().ErrorBox = false;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(window.Restored());

    OpenFromBrowser(window, first);
    MarkAndAdd(window, 0.0, 1.0);
    MarkAndAdd(window, 1.0, 2.0);
    OpenFromBrowser(window, second);
    MarkAndAdd(window, 0.5, 1.5);
    TClipList& list = window.ClipList();
    QCOMPARE(list.Count(), 3);
    TClipItem* last = list.Get(2);
    QCOMPARE(last->FileName(), second);

    // The last tile dragged by the mouse and let go over the front of the first one.
    TClipPanel& panel = *window.ClipPanel();
    TMovieClip* lastTile = panel.TileOf(last);
    int drags = 0;
    panel.RunDrag = [&](QDrag& drag) {
      ++drags;
      QWidget* bar = panel.ClipListBar();
      // the image's left edge, 2 pixels left of the pointer, lands left of the first tile
      const QPoint over(panel.TileOf(list.Get(0))->x() + 1, 10);
      QDragEnterEvent enter(over, Qt::MoveAction, drag.mimeData(), Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(bar, &enter);
      QDropEvent drop(over, Qt::MoveAction, drag.mimeData(), Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(bar, &drop);
      QVERIFY(drop.isAccepted());
    };
    QTest::mousePress(lastTile, Qt::LeftButton, Qt::NoModifier, QPoint(2, 10));
    QMouseEvent move(QEvent::MouseMove, QPointF(30, 10), lastTile->mapToGlobal(QPointF(30, 10)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(lastTile, &move);
    QCOMPARE(drags, 1);
    QCOMPARE(list.Get(0), last);

    const fs::path project = dir / "trip.korvelproj";
    window.ProjectCommands().ChooseFile = [&](const TFileDialogRequest&) { return project; };
    window.Actions().Get(TKorvelCommand::SaveProject)->trigger();
    QVERIFY(fs::exists(project));

    fs::path produced;
    bool succeeded = false;
    WhenModal<TPdceWizardW>([&](TPdceWizardW* wizard) {
      produced = wizard->Destination();
      ProduceFromDest(*wizard);
      succeeded = WaitForEnd(*wizard) && wizard->Succeeded();
      Click(*wizard, "BtnClose");
      wizard->close();
      return true;
    });
    window.Actions().Get(TKorvelCommand::Produce)->trigger();
    QVERIFY(succeeded);
    QVERIFY(fs::exists(produced));

    const fs::path theirs = dir / "cli" / produced.filename();
    fs::create_directories(theirs.parent_path());
    const CliRun cli = RunCli("produce -q '" + project.string() + "' -o '" + theirs.string() + "'", false);
    QCOMPARE(cli.exitCode, 0);
    if (byteForByte) {
      const auto a = FileBytes(produced);
      const auto b = FileBytes(theirs);
      QVERIFY(a && b);
      QVERIFY2(*a == *b, qPrintable(QString("%1 and %2 bytes").arg(a->size()).arg(b->size())));
    }
    // Three clips of a second each, each starting at or before its mark on a key frame.
    const double seconds = ProbedSeconds(produced);
    QVERIFY2(seconds >= 2.9 && std::abs(seconds - ProbedSeconds(theirs)) < 0.05, qPrintable(QString::number(seconds)));
  }
};

}  // namespace korvel::test

KORVEL_GUI_TEST_MAIN(korvel::test::KorvelWinClipsTest)
#include "korvel_win_clips_test.moc"
