// The main window from a media file to a saved project, as a person does it: open the file, play,
// pause, step, mark the start and the end, add the clip and save. The fixture has a colour per
// frame, so the thumbnail in the project file tells which frame it shows.
#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QSettings>
#include <QTest>
#include <cmath>
#include <filesystem>

#include "app/korvel_win.h"
#include "app/play_strip.h"
#include "base/ini_file.h"
#include "base/time_text.h"
#include "controls/qd_track_bar.h"
#include "gui/support/gui_test_main.h"
#include "player/mpv_player_engine.h"
#include "player/preview_player.h"
#include "project/bitmap.h"
#include "project/clip_image.h"
#include "project/clip_list.h"
#include "project/project_commands.h"
#include "project/project_file.h"
#include "support/temp_dir.h"

namespace korvel::test {

namespace {

namespace fs = std::filesystem;

// The colour of frame n of the player fixtures.
QColor FrameColour(int n) { return QColor(n % 4 * 85, n / 4 % 4 * 85, n / 16 % 4 * 85); }

// The centre of a thumbnail as the project file holds it.
QColor ThumbnailColour(const std::string& text) {
  TClipImage image;
  image.SetText(text);
  const auto bitmap = DecodeBmpFile(image.MakePicture());
  if (!bitmap) return {};
  const BgrPixel pixel = bitmap->At(bitmap->Width() / 2, bitmap->Height() / 2);
  return QColor(pixel.r, pixel.g, pixel.b);
}

bool NearColour(const QColor& a, const QColor& b) {
  return a.isValid() && qAbs(a.red() - b.red()) <= 24 && qAbs(a.green() - b.green()) <= 24 && qAbs(a.blue() - b.blue()) <= 24;
}

}  // namespace

class KorvelWinPlayTest : public QObject {
  Q_OBJECT

private slots:
  void init() {
    std::error_code ignored;
    fs::remove(DefaultWorkStatePath(), ignored);
    QSettings("Quendar", "Korvel").clear();
  }

  void aClipMarkedInThePlayerIsSavedWithItsTimesAndItsFirstFrame() {
    TKorvelWin window(
        TKorvelWinSetup{.Engine = std::make_unique<MpvPlayerEngine>(MpvPlayerEngine::Options{.audioOutput = "null"}),
                        .LanguageFolder = KORVEL_LANGUAGE_SOURCE_DIR});
    window.Player().ErrorBox = false;
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTRY_VERIFY(window.Restored());
    TPlayStrip& strip = *window.PlayStrip();
    QCOMPARE(strip.CurrentTimeCap->text(), QStringLiteral("00:00:00.00/00:00:00.00"));

    // Opening plays at once.
    QVERIFY(window.OpenMediaFile(Fixture("player_colours.avi")));
    QCOMPARE(window.Player().State(), kPlayerPlaying);
    QTRY_VERIFY_WITH_TIMEOUT(window.Player().GetPosition().value_or(0) > 0.2, 10000);
    QTest::mouseClick(strip.BtnPause, Qt::LeftButton);
    QCOMPARE(window.Player().State(), kPlayerPaused);
    const double paused = window.Player().GetPosition().value();
    QVERIFY(paused < 0.8);

    // Three frames on with the arrow key on the seek bar, then the start mark.
    strip.SeekTrack->setFocus();
    for (int i = 0; i < 3; ++i) QTest::keyClick(strip.SeekTrack, Qt::Key_Right);
    QVERIFY(qAbs(window.Player().GetPosition().value() - (paused + 0.12)) < 1e-9);
    QTest::mouseClick(strip.BtnSelStart, Qt::LeftButton);
    const double start = window.Player().SelStart();
    QCOMPARE(start, window.Player().GetPosition().value());
    // A second on with Ctrl+Right, then the end mark with Alt+Right.
    QTest::keyClick(strip.SeekTrack, Qt::Key_Right, Qt::ControlModifier);
    QTest::keyClick(strip.SeekTrack, Qt::Key_Right, Qt::AltModifier);
    const double end = window.Player().SelEnd();
    QVERIFY(qAbs(end - (start + 1.0)) < 1e-9);

    QTest::mouseClick(strip.BtnAddClip, Qt::LeftButton);
    QCOMPARE(window.ClipList().Count(), 1);

    TempDir folder;
    const fs::path project = folder / "marked.korvelproj";
    window.ProjectCommands().ChooseFile = [&](const TFileDialogRequest&) { return project; };
    window.Actions().Get(TKorvelCommand::SaveProject)->trigger();
    QVERIFY(fs::exists(project));

    const auto saved = IniFile::Load(project);
    QVERIFY(saved);
    QCOMPARE(saved->ReadInteger("Clip", "ClipCount", 0), 1);
    QCOMPARE(saved->ReadString("Clip0", "FileName", ""), Fixture("player_colours.avi").string());
    QCOMPARE(saved->ReadInteger("Clip0", "StartTime", 0), PlayerTimeToMs(start));
    QCOMPARE(saved->ReadInteger("Clip0", "EndTime", 0), PlayerTimeToMs(end));
    QCOMPARE(saved->ReadInteger("Clip0", "TotalTime", 0), 2000);
    // The frame on screen at the start mark: the one whose time the mark is.
    const int frame = static_cast<int>(std::lround(start * 25));
    const QColor thumbnail = ThumbnailColour(saved->ReadString("Clip0", "ClipImage", ""));
    QVERIFY2(NearColour(thumbnail, FrameColour(frame)),
             qPrintable(QStringLiteral("thumbnail %1, frame %2 is %3").arg(thumbnail.name()).arg(frame).arg(FrameColour(frame).name())));
  }
};

}  // namespace korvel::test

KORVEL_GUI_TEST_MAIN(korvel::test::KorvelWinPlayTest)
#include "korvel_win_play_test.moc"
