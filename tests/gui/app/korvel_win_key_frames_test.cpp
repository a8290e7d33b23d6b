// The key frames in the real window: the marks the seek bar shows are ffprobe's key frames of the
// open file, and the real start the strip tells for a start mark is where the output of that clip
// begins: its first picture is the source's picture at that time.
#include <QAction>
#include <QLabel>
#include <QSettings>
#include <QTest>
#include <cmath>
#include <filesystem>

#include "app/korvel_win.h"
#include "app/play_strip.h"
#include "base/time_text.h"
#include "controls/qd_track_bar.h"
#include "gui/support/gui_test_main.h"
#include "playback/seek_bar_values.h"
#include "player/mpv_player_engine.h"
#include "player/preview_player.h"
#include "project/clip_list.h"
#include "project/project_file.h"
#include "support/cli_run.h"
#include "support/key_frame_probe.h"
#include "support/temp_dir.h"

namespace korvel::test {

namespace fs = std::filesystem;

class KorvelWinKeyFramesTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TKorvelWin> window_;

  QAction* Action(TKorvelCommand command) const { return window_->Actions().Get(command); }

private slots:
  void init() {
    std::error_code ignored;
    fs::remove(DefaultWorkStatePath(), ignored);
    QSettings("Quendar", "Korvel").clear();
    window_ = std::make_unique<TKorvelWin>(
        TKorvelWinSetup{.Engine = std::make_unique<MpvPlayerEngine>(MpvPlayerEngine::Options{.audioOutput = "null"}),
                        .LanguageFolder = KORVEL_LANGUAGE_SOURCE_DIR});
    window_->Player().ErrorBox = false;
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    QTRY_VERIFY(window_->Restored());
  }
  void cleanup() { window_.reset(); }

  void TheMarksAreTheKeyFramesAndTheRealStartIsWhereTheOutputBegins_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("avi");
    QTest::newRow("AVI") << "avi_xvid_mp3.avi" << true;
    QTest::newRow("ASF") << "asf_wmv2.wmv" << false;
    QTest::newRow("MP4 with B frames") << "mp4_h264_bframes.mp4" << false;
    QTest::newRow("transport stream") << "ts_h264_aac.ts" << false;
    QTest::newRow("program stream, open GOPs") << "vcd_mpeg1_mp2.mpg" << false;
  }
  void TheMarksAreTheKeyFramesAndTheRealStartIsWhereTheOutputBegins() {
    QFETCH(QString, name);
    QFETCH(bool, avi);
    const fs::path source = Fixture(name.toStdString());
    auto* strip = window_->findChild<TPlayStrip*>();
    QVERIFY(strip);
    QVERIFY(window_->OpenMediaFile(source));
    TPreviewPlayer& player = window_->Player();
    QTRY_VERIFY(player.IsOpen() && player.Duration() > 0);

    const std::vector<int64_t> probed = ProbedKeyFrames(source, avi);
    QVERIFY(probed.size() > 2);
    QTRY_VERIFY(!strip->SeekTrack->KeyFrameMarks().empty());
    const std::vector<int32_t>& marks = strip->SeekTrack->KeyFrameMarks();
    QCOMPARE(marks.size(), probed.size());
    // A key frame the decoder shows without a time (the last of a disc-authored stream) only counts.
    for (size_t i = 0; i < probed.size(); ++i)
      if (probed[i] >= 0)
        QCOMPARE(marks[i], SeekBarValue(probed[i] / 1e6, player.Duration(), strip->SeekTrack->maximum()));

    // Three frames and a quarter after the second key frame.
    Action(TKorvelCommand::Pause)->trigger();
    const double frame = 1.0 / player.FramesPerSecond();
    QVERIFY(player.SetPosition(probed[1] / 1e6 + 3.25 * frame));
    Action(TKorvelCommand::SetSelStart)->trigger();
    QTRY_VERIFY(!strip->RealStartCap->text().isEmpty());
    const QString caption = strip->RealStartCap->text();

    Action(TKorvelCommand::AddClip)->trigger();
    QCOMPARE(window_->ClipList().Count(), 1);
    const TClipItem& clip = *window_->ClipList().Get(0);
    const TempDir dir;
    const fs::path out = dir / ("clip" + source.extension().string());
    const CliRun run = RunCli("join -q -o " + Quoted(out) + " " +
                              Quoted(source.string() + "@" + std::to_string(clip.StartTime()) + "-" +
                                     std::to_string(clip.EndTime())));
    QVERIFY2(run.exitCode == 0, run.out.c_str());

    const std::vector<Picture> written = Pictures(out);
    QVERIFY(!written.empty());
    const std::vector<Picture> pictures = Pictures(source);
    const auto first = std::ranges::find(pictures, written.front().digest, &Picture::digest);
    QVERIFY(first != pictures.end());
    QVERIFY(std::abs(first->timeUs - probed[1]) <= 1000);
    const QString time = QString::fromStdString(TimeToTextCs(static_cast<int32_t>(first->timeUs / 1000)));
    QCOMPARE(caption, QStringLiteral("Real start %1, 3 frames earlier").arg(time));
  }
};

}  // namespace korvel::test

KORVEL_GUI_TEST_MAIN(korvel::test::KorvelWinKeyFramesTest)
#include "korvel_win_key_frames_test.moc"
