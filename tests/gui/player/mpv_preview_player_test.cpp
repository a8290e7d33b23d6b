// The preview player on libmpv with real files whose every frame has a colour of its own: what it
// shows is compared with what the ffmpeg program decodes.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "gui/support/gui_test_main.h"
#include "playback/player_steps.h"
#include "player/mpv_player_engine.h"
#include "player/preview_player.h"

namespace korvel::test {

namespace {

QString Fixture(const char* name) { return QStringLiteral(KORVEL_FIXTURE_DIR "/") + QString::fromUtf8(name); }

std::unique_ptr<TPreviewPlayer> MakePlayer() {
  auto player = std::make_unique<TPreviewPlayer>(std::make_unique<MpvPlayerEngine>(MpvPlayerEngine::Options{.audioOutput = "null"}));
  player->AutoPlay = false;
  player->ErrorBox = false;
  return player;
}

bool Open(TPreviewPlayer& player, const QString& file) { return player.OpenFile(file.toStdString()); }

// The colour frame n of the fixtures was made with.
QColor FrameColour(int n) { return QColor(n % 4 * 85, n / 4 % 4 * 85, n / 16 % 4 * 85); }

// Which frame shows a colour: the nearest of the fixtures' colours; -1 for none.
int FrameIndex(const QColor& colour) {
  if (!colour.isValid()) return -1;
  const auto level = [](int value) { return qBound(0, (value + 42) / 85, 3); };
  return level(colour.red()) + 4 * level(colour.green()) + 16 * level(colour.blue());
}

// The centre of the frame the ffmpeg program decodes at `seconds`. It decodes from the start and
// drops what comes before: its seek on the input lands after the time in transport streams.
QColor ReferenceColour(const QString& file, double seconds) {
  QProcess ffmpeg;
  ffmpeg.start(QStringLiteral("ffmpeg"), {"-v", "error", "-i", file, "-ss", QString::number(seconds, 'f', 3), "-frames:v", "1",
                                          "-vf", "format=rgb24,crop=1:1:iw/2:ih/2", "-f", "rawvideo", "-"});
  if (!ffmpeg.waitForFinished(60000)) return {};
  const QByteArray rgb = ffmpeg.readAllStandardOutput();
  if (rgb.size() != 3) return {};
  return QColor(static_cast<uint8_t>(rgb[0]), static_cast<uint8_t>(rgb[1]), static_cast<uint8_t>(rgb[2]));
}

// The centre of the picture the player shows once its last seek has landed.
QColor ShownColour(TPreviewPlayer& player) {
  const QImage picture = player.GrabCurrentImage();
  if (picture.isNull()) return {};
  return picture.pixelColor(picture.width() / 2, picture.height() / 2);
}

// Neighbouring frames differ by 85 in at least one channel; decoders and colour conversions by a
// few steps.
bool SameFrameColour(const QColor& a, const QColor& b) {
  return a.isValid() && b.isValid() && qAbs(a.red() - b.red()) <= 24 && qAbs(a.green() - b.green()) <= 24 &&
         qAbs(a.blue() - b.blue()) <= 24;
}

// A time just before `nominal` (about a frame's own time) where the ffmpeg program shows one frame
// from 6 ms before to 2 ms after. Between two frames a decoder may take either one (libmpv takes
// a frame up to 5 ms late as on time); just before a frame's own time all agree. The frames of
// some files start a little after their audio, so the frame's own time is not always nominal.
double UnambiguousTime(const QString& file, double nominal) {
  for (const double offset : {-0.003, -0.023, 0.017}) {
    const double seconds = nominal + offset;
    if (SameFrameColour(ReferenceColour(file, seconds - 0.006), ReferenceColour(file, seconds + 0.002))) return seconds;
  }
  return nominal;
}

QByteArray Describe(const QColor& shown, const QColor& expected) {
  return QStringLiteral("shown %1, expected %2").arg(shown.name(), expected.name()).toUtf8();
}

void AddFixtureRows() {
  QTest::addColumn<QString>("file");
  for (const char* name : {"player_colours.avi", "player_colours_bframes.mp4", "player_colours.mpg", "player_colours.ts",
                           "player_colours.wmv"}) {
    QTest::newRow(name) << Fixture(name);
  }
}

}  // namespace

class MpvPreviewPlayerTest : public QObject {
  Q_OBJECT

private slots:
  void seekShowsTheFrameFfmpegDecodes_data() { AddFixtureRows(); }

  void seekShowsTheFrameFfmpegDecodes() {
    QFETCH(QString, file);
    auto player = MakePlayer();
    QVERIFY(Open(*player, file));
    QCOMPARE(player->State(), kPlayerStopped);
    QVERIFY(qAbs(player->Duration() - 2.0) < 0.1);
    for (const double nominal : {0.52, 1.0, 1.36, 0.2, 1.8}) {
      const double seconds = UnambiguousTime(file, nominal);
      QVERIFY(player->SetPosition(seconds));
      const QColor expected = ReferenceColour(file, seconds);
      const QColor shown = ShownColour(*player);
      QVERIFY2(SameFrameColour(shown, expected), Describe(shown, expected) + " at " + QByteArray::number(seconds));
    }
  }

  void frameStepsReachFrameKAndBack_data() { AddFixtureRows(); }

  void frameStepsReachFrameKAndBack() {
    QFETCH(QString, file);
    auto player = MakePlayer();
    QVERIFY(Open(*player, file));
    QVERIFY(qAbs(player->FrameDuration() - 0.04) < 1e-6);
    const double from = UnambiguousTime(file, 0.4);
    QVERIFY(player->SetPosition(from));
    const QColor start = ShownColour(*player);
    QVERIFY2(SameFrameColour(start, ReferenceColour(file, from)), Describe(start, ReferenceColour(file, from)));
    const int first = FrameIndex(start);
    constexpr int k = 7;
    for (int i = 0; i < k; ++i) player->StepForward(kStepFrame);
    QColor shown = ShownColour(*player);
    QVERIFY2(SameFrameColour(shown, FrameColour(first + k)), Describe(shown, FrameColour(first + k)));
    for (int i = 0; i < k; ++i) player->StepBack(kStepFrame);
    shown = ShownColour(*player);
    QVERIFY2(SameFrameColour(shown, FrameColour(first)), Describe(shown, FrameColour(first)));
  }

  void playingASelectionEndsPausedAtItsStartOnce() {
    const QString file = Fixture("player_colours_bframes.mp4");
    auto player = MakePlayer();
    int ends = 0;
    player->OnEnd = [&](TPreviewPlayer&) { ++ends; };
    QVERIFY(Open(*player, file));
    QVERIFY(player->SetPosition(1.5));
    QVERIFY(player->MarkSelEnd());
    QVERIFY(player->SetPosition(1.0));
    QVERIFY(player->MarkSelStart());
    // The owner's end-check timer runs as well as the engine's own end: one end all the same.
    QTimer endCheck;
    QObject::connect(&endCheck, &QTimer::timeout, [&] { player->CheckPlayEnd(); });
    endCheck.start(50);
    player->Play();
    QCOMPARE(player->State(), kPlayerPlaying);
    QTRY_COMPARE_WITH_TIMEOUT(ends, 1, 10000);
    QCOMPARE(player->State(), kPlayerStopped);
    QCOMPARE(player->GetPosition().value(), 1.0);
    const QColor shown = ShownColour(*player);
    QVERIFY2(SameFrameColour(shown, FrameColour(25)), Describe(shown, FrameColour(25)));
    QTest::qWait(500);
    QCOMPARE(ends, 1);
  }

  void thumbnailAfterMarkingShowsTheSelectionStart() {
    const QString file = Fixture("player_colours.ts");
    auto player = MakePlayer();
    QVERIFY(Open(*player, file));
    QVERIFY(player->SetPosition(1.6));
    QVERIFY(player->MarkSelEnd());
    const double start = UnambiguousTime(file, 0.84);
    QVERIFY(player->SetPosition(start));
    QVERIFY(player->MarkSelStart());
    player->Play();
    QTRY_VERIFY_WITH_TIMEOUT(player->GetPosition().value_or(0) > 1.0, 10000);
    // What the clip panel does for a thumbnail: pause, go to the start mark, grab.
    player->Pause();
    player->GoToSelStart();
    const QImage thumbnail = player->GrabCurrentImage();
    QVERIFY(!thumbnail.isNull());
    const QColor shown = thumbnail.pixelColor(thumbnail.width() / 2, thumbnail.height() / 2);
    const QColor expected = ReferenceColour(file, start);
    QVERIFY2(SameFrameColour(shown, expected), Describe(shown, expected));
  }

  void filesThatAreNoMediaOpenNothing_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing") << "missing";
    QTest::newRow("random bytes") << "random";
    QTest::newRow("playlist named .mp4") << "playlist";
    QTest::newRow("folder of media") << "folder";
  }

  void filesThatAreNoMediaOpenNothing() {
    QFETCH(QString, kind);
    QTcpServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QString file;
    if (kind == "missing") {
      file = folder.filePath("no such file.mp4");
    } else if (kind == "random") {
      file = Fixture("player_random_bytes.mp4");
    } else if (kind == "playlist") {
      // Entries a player following references would open: an address and a real local file.
      file = folder.filePath("clip.mp4");
      QFile playlist(file);
      QVERIFY(playlist.open(QIODevice::WriteOnly));
      playlist.write(QStringLiteral("#EXTM3U\n#EXTINF:2,a\nhttp://127.0.0.1:%1/a.mp4\n#EXTINF:2,b\n%2\n")
                         .arg(server.serverPort())
                         .arg(Fixture("player_colours.avi"))
                         .toUtf8());
    } else {
      QVERIFY(QFile::copy(Fixture("player_colours.avi"), folder.filePath("a.avi")));
      file = folder.path();
    }
    auto player = MakePlayer();
    QVERIFY(!Open(*player, file));
    QCOMPARE(player->State(), kPlayerClosed);
    QVERIFY(player->FileName().empty());
    QVERIFY(player->GrabCurrentImage().isNull());
    QVERIFY(!server.waitForNewConnection(300));
  }

  void openingAThenBLeavesBPlaying() {
    auto player = MakePlayer();
    player->AutoPlay = true;
    int ends = 0;
    player->OnEnd = [&](TPreviewPlayer&) { ++ends; };
    // A plays into its end just as B opens: its end must not stop B.
    QVERIFY(Open(*player, Fixture("player_colours.avi")));
    QCOMPARE(player->State(), kPlayerPlaying);
    player->Pause();
    QVERIFY(player->SetPosition(1.95));
    player->Play();
    QTRY_VERIFY_WITH_TIMEOUT(player->GetPosition().value_or(0) >= 1.95, 5000);
    const QString b = Fixture("player_colours.wmv");
    QVERIFY(Open(*player, b));
    ends = 0;
    QCOMPARE(player->FileName(), std::filesystem::path(b.toStdString()));
    QTRY_VERIFY_WITH_TIMEOUT(player->GetPosition().value_or(0) > 0.5, 10000);
    QCOMPARE(player->State(), kPlayerPlaying);
    QCOMPARE(ends, 0);
  }
};

}  // namespace korvel::test

KORVEL_GUI_TEST_MAIN(korvel::test::MpvPreviewPlayerTest)
#include "mpv_preview_player_test.moc"
