// The preview player's logic against a scripted engine: the edge cases a real file rarely shows.
#include <QAction>
#include <QLabel>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <memory>

#include "controls/qd_track_bar.h"
#include "gui/player/fake_player_engine.h"
#include "gui/support/gui_test_main.h"
#include "playback/player_steps.h"
#include "player/preview_player.h"
#include "player/video_panel.h"

namespace korvel::test {

namespace {

// A window with every control the player works on.
struct PlayerWindow {
  explicit PlayerWindow(FakeMedia media = {}) {
    auto engineOwned = std::make_unique<FakePlayerEngine>(media);
    engine = engineOwned.get();
    player = std::make_unique<TPreviewPlayer>(std::move(engineOwned));
    player->AutoPlay = false;
    player->ErrorBox = false;
    auto* layout = new QVBoxLayout(&window);
    controls.StateLabel = new QLabel;
    controls.PositionLabel = new QLabel;
    controls.Container = new QScrollArea;
    controls.VideoPanel = new TVideoPanel;
    controls.SeekBar = new TQdTrackBar;
    controls.FineSeekBar = new TQdTrackBar;
    controls.FullScreenMenuItem = new QAction(&window);
    for (QWidget* w : std::initializer_list<QWidget*>{controls.StateLabel, controls.PositionLabel, controls.Container,
                                                     controls.SeekBar, controls.FineSeekBar}) {
      layout->addWidget(w);
    }
    window.resize(400, 400);
    player->SetControls(controls);
    player->InstallHooks();
    window.show();
  }

  QWidget window;
  TPreviewPlayerControls controls;
  FakePlayerEngine* engine = nullptr;
  std::unique_ptr<TPreviewPlayer> player;
};

}  // namespace

class PreviewPlayerLogicTest : public QObject {
  Q_OBJECT

private slots:
  void aVideoSizeLearnedWithTheFirstPictureFitsThePanel() {
    PlayerWindow w(FakeMedia{.videoSize = QSize()});
    QVERIFY(w.player->OpenFile("/media/late size.mp4"));
    QCOMPARE(w.controls.VideoPanel->size(), QSize(1, 1));
    w.engine->media_.videoSize = QSize(160, 120);
    w.engine->handlers.pictureChanged();
    const QSize area = w.controls.Container->viewport()->size();
    const QSize panel = w.controls.VideoPanel->size();
    QVERIFY(panel.width() == area.width() || panel.height() == area.height());
    QVERIFY(qAbs(panel.width() * 3 - panel.height() * 4) <= 4);
  }

  void noAudioSelectsNoneAndKeepsTheChosenIndex() {
    PlayerWindow w(FakeMedia{.audioTracks = 0});
    w.player->SelectedAudioIndex = 2;
    QVERIFY(w.player->OpenFile("/media/silent.mp4"));
    QCOMPARE(w.engine->selectedAudio, std::vector<int>{-1});
    QCOMPARE(w.player->SelectedAudioIndex, 2);

    w.engine->media_.audioTracks = 2;
    QVERIFY(w.player->OpenFile("/media/two tracks.mp4"));
    QCOMPARE(w.engine->selectedAudio.back(), 1);
  }

  void zeroDurationRefusesSeekingAndMarking() {
    PlayerWindow w(FakeMedia{.duration = 0.0});
    w.player->AutoPlay = true;
    QVERIFY(w.player->OpenFile("/media/still.mp4"));
    QCOMPARE(w.player->State(), kPlayerStopped);
    QVERIFY(!w.player->SetPosition(1.0));
    QVERIFY(!w.player->CanStep());
    QVERIFY(!w.player->MarkSelStart());
    QVERIFY(!w.player->MarkSelEnd());
    QVERIFY(!w.player->SelectionValid());
    w.player->StepForward(kStepSecond);
    w.player->UpdatePosition();
    QVERIFY(w.engine->seeks.empty());
    QVERIFY(!w.controls.SeekBar->ThumbVisible());
    QVERIFY(!w.controls.SeekBar->HasSelection());
    QCOMPARE(w.controls.PositionLabel->text(), QStringLiteral("0:00:00.00 / 0:00:00.00"));
  }

  void defaultMarksSitAtTheEndsOfBothBars() {
    PlayerWindow w(FakeMedia{.duration = 30.0});
    QVERIFY(w.player->OpenFile("/media/a.mp4"));
    QCOMPARE(w.player->SelStart(), 0.0);
    QCOMPARE(w.player->SelEnd(), 30.0);
    w.player->UpdatePosition();
    // At 0 the fine bar's left half-window is empty, at the duration its right one.
    for (const bool atEnd : {false, true}) {
      if (atEnd) w.player->GoToEnd();
      QVERIFY(w.controls.SeekBar->HasSelection());
      QCOMPARE(w.controls.SeekBar->SelStart(), 0);
      QCOMPARE(w.controls.SeekBar->SelEnd(), w.controls.SeekBar->maximum());
      QVERIFY(w.controls.FineSeekBar->HasSelection());
      QCOMPARE(w.controls.FineSeekBar->SelStart(), 0);
      QCOMPARE(w.controls.FineSeekBar->SelEnd(), w.controls.FineSeekBar->maximum());
    }
    QVERIFY2(!w.player->MarkSelStart(), "no start mark at the duration");
    QVERIFY(w.player->MarkSelEnd());
    QCOMPARE(w.player->SelEnd(), 30.0);
    w.player->GoToStart();
    QVERIFY2(!w.player->MarkSelEnd(), "no end mark at 0");
    QVERIFY(w.player->MarkSelStart());
    QCOMPARE(w.player->SelStart(), 0.0);
  }

  void markRulesMoveTheOtherMark() {
    PlayerWindow w(FakeMedia{.duration = 20.0});
    QVERIFY(w.player->OpenFile("/media/a.mp4"));
    w.player->SetPosition(5.005);
    QVERIFY(w.player->MarkSelEnd());
    w.player->SetPosition(5.0);
    QVERIFY(w.player->MarkSelStart());
    QCOMPARE(w.player->SelEnd(), 20.0);
    w.player->SetPosition(3.0);
    QVERIFY(w.player->MarkSelEnd());
    QCOMPARE(w.player->SelStart(), 0.0);
    QCOMPARE(w.player->SelEnd(), 3.0);
  }

  void positionBetweenFramesIsThePositionAskedFor() {
    PlayerWindow w;
    QVERIFY(w.player->OpenFile("/media/a.mp4"));
    w.player->SetPosition(1.0);
    w.player->StepBack(kStepHundredth);
    // The engine shows the frame at 0.96; the player is at 0.99 all the same.
    QCOMPARE(w.engine->Position().value(), 0.96);
    QCOMPARE(w.player->GetPosition().value(), 0.99);
    w.player->StepBack(kStepHundredth);
    QCOMPARE(w.player->GetPosition().value(), 0.98);
    QVERIFY(w.player->MarkSelStart());
    QCOMPARE(w.player->SelStart(), 0.98);
    w.player->StepBack(kStepFrame);
    QVERIFY(qAbs(w.player->GetPosition().value() - 0.94) < 1e-9);
  }

  void keyTable_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<double>("expected");
    QTest::newRow("page down") << int(Qt::Key_PageDown) << 0 << 4.0;
    QTest::newRow("page up") << int(Qt::Key_PageUp) << 0 << 6.0;
    QTest::newRow("left") << int(Qt::Key_Left) << 0 << 4.96;
    QTest::newRow("ctrl left") << int(Qt::Key_Left) << int(Qt::ControlModifier) << 4.0;
    QTest::newRow("right") << int(Qt::Key_Right) << 0 << 5.04;
    QTest::newRow("ctrl right") << int(Qt::Key_Right) << int(Qt::ControlModifier) << 6.0;
    QTest::newRow("down") << int(Qt::Key_Down) << 0 << 4.99;
    QTest::newRow("up") << int(Qt::Key_Up) << 0 << 5.01;
  }

  void keyTable() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(double, expected);
    PlayerWindow w;
    QVERIFY(w.player->OpenFile("/media/a.mp4"));
    w.player->SetPosition(5.0);
    QTest::keyClick(w.controls.SeekBar, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QVERIFY(qAbs(w.player->GetPosition().value() - expected) < 1e-9);
    QCOMPARE(w.controls.SeekBar->value(), int(expected / 10.0 * 10000));
  }

  void otherKeysPlayAndPauseUnlessModified() {
    PlayerWindow w;
    QVERIFY(w.player->OpenFile("/media/a.mp4"));
    QTest::keyClick(w.controls.SeekBar, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(w.player->State(), kPlayerStopped);
    QTest::keyClick(w.controls.SeekBar, Qt::Key_Space);
    QCOMPARE(w.player->State(), kPlayerPlaying);
    QTest::keyClick(w.controls.FineSeekBar, Qt::Key_Space);
    QCOMPARE(w.player->State(), kPlayerPaused);
  }

  void fineBarHomeAndEndStepTenSeconds() {
    PlayerWindow w(FakeMedia{.duration = 60.0});
    QVERIFY(w.player->OpenFile("/media/a.mp4"));
    w.player->SetPosition(30.0);
    QTest::keyClick(w.controls.FineSeekBar, Qt::Key_Home);
    QCOMPARE(w.player->GetPosition().value(), 20.0);
    QTest::keyClick(w.controls.FineSeekBar, Qt::Key_End);
    QTest::keyClick(w.controls.FineSeekBar, Qt::Key_End);
    QCOMPARE(w.player->GetPosition().value(), 40.0);
    QTest::keyClick(w.controls.SeekBar, Qt::Key_Home);
    QCOMPARE(w.player->GetPosition().value(), 0.0);
  }

  void fullScreenOnAndOff() {
    PlayerWindow w;
    QWidget* const viewport = w.controls.Container->viewport();
    QVERIFY(w.player->OpenFile("/media/a.mp4"));
    w.player->SetFullScreen(true);
    QVERIFY(w.player->IsFullScreen());
    QVERIFY(w.controls.VideoPanel->isWindow());
    // In full screen the panel takes the keys: Esc leaves it, the panel back in its place.
    QTest::keyClick(w.controls.VideoPanel, Qt::Key_Escape);
    QVERIFY(!w.player->IsFullScreen());
    QVERIFY(!w.controls.VideoPanel->isWindow());
    QCOMPARE(w.controls.VideoPanel->parentWidget(), viewport);
    QVERIFY(w.controls.VideoPanel->isVisible());

    // Full screen left on carries over to the next file once it plays.
    w.player->AutoPlay = true;
    w.player->SetFullScreen(true);
    QVERIFY(w.player->OpenFile("/media/b.mp4"));
    QVERIFY(w.player->IsFullScreen());
    w.player->SetFullScreen(false);
    QVERIFY(w.player->OpenFile("/media/c.mp4"));
    QVERIFY(!w.player->IsFullScreen());
  }

  void escOnASeekBarRunsTheCloseFullScreenCommand() {
    PlayerWindow w;
    QSignalSpy triggered(w.controls.FullScreenMenuItem, &QAction::triggered);
    w.controls.FullScreenMenuItem->setEnabled(false);
    QTest::keyClick(w.controls.SeekBar, Qt::Key_Escape);
    QCOMPARE(triggered.count(), 1);
    QVERIFY(w.controls.FullScreenMenuItem->isEnabled());
  }

  void playingToTheEndMarkEndsOnceAtTheStartMark() {
    PlayerWindow w;
    int ends = 0;
    w.player->OnEnd = [&](TPreviewPlayer&) { ++ends; };
    QVERIFY(w.player->OpenFile("/media/a.mp4"));
    w.player->SetPosition(2.0);
    QVERIFY(w.player->MarkSelEnd());
    w.player->SetPosition(1.0);
    QVERIFY(w.player->MarkSelStart());
    w.player->Play();
    QCOMPARE(w.player->State(), kPlayerPlaying);
    QCOMPARE(w.engine->stopTime, std::optional<double>(2.0));
    QCOMPARE(w.player->CheckPlayEnd(), std::make_pair(true, 50));
    w.engine->position = 2.0;
    QCOMPARE(w.player->CheckPlayEnd(), std::make_pair(false, 1000));
    w.engine->ReachEnd();  // the engine's own end, a moment later
    QCOMPARE(ends, 1);
    QCOMPARE(w.player->State(), kPlayerStopped);
    QCOMPARE(w.player->GetPosition().value(), 1.0);
    QCOMPARE(w.engine->stopTime, std::nullopt);

    // Play at or after the end mark only goes back to the start mark.
    w.player->GoToSelEnd();
    w.player->Play();
    QCOMPARE(w.player->State(), kPlayerStopped);
    QCOMPARE(w.player->GetPosition().value(), 1.0);
  }

  void stateLabelShowsTheFileNameAsPlainText() {
    PlayerWindow w;
    w.player->AutoPlay = true;
    QVERIFY(w.player->OpenFile("/media/<b>x &amp; y.mp4 "));
    QCOMPARE(w.player->FileName(), std::filesystem::path("/media/<b>x &amp; y.mp4 "));
    QCOMPARE(w.controls.StateLabel->textFormat(), Qt::PlainText);
    QCOMPARE(w.controls.StateLabel->text(), QStringLiteral("<b>x &amp; y.mp4  : Playing..."));
    QCOMPARE(w.controls.PositionLabel->text(), QStringLiteral("0:00:00.00 / 0:00:10.00"));
    w.player->CloseFile();
    QCOMPARE(w.controls.StateLabel->text(), QString());
    QCOMPARE(w.player->State(), kPlayerClosed);
  }

  void aFileThatCannotSeekOnlyGoesToItsStart() {
    PlayerWindow w(FakeMedia{.canSeek = false});
    QVERIFY(w.player->OpenFile("/media/a.ts"));
    QVERIFY(!w.player->CanStep());
    QVERIFY(!w.player->CanMarkStart());
    QVERIFY(w.player->CanMarkEnd());
    QVERIFY(!w.player->SetPosition(3.0));
    QVERIFY(w.player->SetPosition(0.0));
    // The end mark comes from where the seek bar stands.
    w.controls.SeekBar->setValue(2500);
    QVERIFY(w.player->MarkSelEnd());
    QCOMPARE(w.player->SelEnd(), 2.5);
  }

  void wheelMovesTheSeekBarByTheFileLength() {
    PlayerWindow w;
    QVERIFY(w.player->OpenFile("/media/a.mp4"));
    w.controls.SeekBar->setValue(1000);
    const auto turn = [&](int delta) {
      const QPointF centre = w.controls.SeekBar->rect().center();
      QWheelEvent wheel(centre, w.controls.SeekBar->mapToGlobal(centre), QPoint(), QPoint(0, delta), Qt::NoButton,
                        Qt::NoModifier, Qt::NoScrollPhase, false);
      QApplication::sendEvent(w.controls.SeekBar, &wheel);
    };
    turn(120);
    QCOMPARE(w.controls.SeekBar->value(), 1120);
    turn(-120);
    QCOMPARE(w.controls.SeekBar->value(), 1120 - 67);
  }

  void aFileThatDoesNotOpenLeavesThePlayerClosed() {
    PlayerWindow w(FakeMedia{.opens = false});
    QVERIFY(!w.player->OpenFile("/media/broken.mp4"));
    QCOMPARE(w.player->State(), kPlayerClosed);
    QVERIFY(w.player->FileName().empty());
    QVERIFY(!w.player->CanPlay());
  }
};

}  // namespace korvel::test

KORVEL_GUI_TEST_MAIN(korvel::test::PreviewPlayerLogicTest)
#include "preview_player_logic_test.moc"
