// The playback controls of the main window against a scripted engine: enabling, timers, seek
// bars, the marks that edit the linked clip, thumbnails and the clip commands.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>
#include <QVBoxLayout>
#include <memory>

#include "app/korvel_actions.h"
#include "app/play_controls.h"
#include "app/play_strip.h"
#include "base/time_text.h"
#include "controls/qd_track_bar.h"
#include "gui/player/fake_player_engine.h"
#include "gui/support/gui_test_main.h"
#include "player/mpv_player_engine.h"
#include "player/preview_player.h"
#include "player/video_panel.h"
#include "project/bitmap.h"
#include "project/clip_list.h"

namespace korvel::test {

namespace {

using enum TKorvelCommand;

// A colour of its own for every tenth of a second.
QColor ColourAt(double seconds) {
  const int tenth = static_cast<int>(seconds * 10 + 0.5);
  return QColor(tenth % 8 * 32, tenth / 8 % 8 * 32, 128);
}

QImage PictureAt(double seconds) {
  QImage picture(160, 120, QImage::Format_RGB32);
  picture.fill(ColourAt(seconds));
  return picture;
}

// The window's side: the video area, the strip, the commands and the clip list.
struct StripWindow {
  explicit StripWindow(FakeMedia media = {}) {
    auto fake = std::make_unique<FakePlayerEngine>(media);
    engine = fake.get();
    engine->pictureAt = PictureAt;
    Make(std::move(fake));
  }

  explicit StripWindow(std::unique_ptr<IPlayerEngine> playerEngine) { Make(std::move(playerEngine)); }

  void Make(std::unique_ptr<IPlayerEngine> playerEngine) {
    player = std::make_unique<TPreviewPlayer>(std::move(playerEngine));
    player->ErrorBox = false;
    clipList.Analyzer = [](const std::filesystem::path&, QdMediaInfo&) { return false; };

    auto* layout = new QVBoxLayout(&window);
    auto* playArea = new QWidget;
    auto* playLayout = new QVBoxLayout(playArea);
    video.Container = new QScrollArea;
    video.Panel = new TVideoPanel;
    strip = new TPlayStrip;
    elsewhere = new QPushButton(QStringLiteral("elsewhere"));
    playLayout->addWidget(video.Container, 1);
    playLayout->addWidget(strip);
    layout->addWidget(playArea, 1);
    layout->addWidget(elsewhere);
    actions.AttachShortcuts(&window, elsewhere, playArea);
    controls = std::make_unique<TPlayControls>(*player, clipList, *strip, video, actions);
    clipList.OnCurrentClip = [this](TClipList&, TClipItem*) { controls->UpdateEnabled(); };
    clipList.OnListChanged = [this](TClipList&) { controls->UpdateEnabled(); };
    player->AutoPlay = false;
    window.resize(900, 500);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
  }

  QAction* Act(TKorvelCommand command) const { return actions.Get(command); }

  // Opens a file held at its start, with the selection from start to end.
  void Open(double start, double end, double at) {
    QVERIFY(player->OpenFile("/media/clip source.mp4"));
    QVERIFY(player->SetPosition(end));
    QVERIFY(player->MarkSelEnd());
    QVERIFY(player->SetPosition(start));
    QVERIFY(player->MarkSelStart());
    QVERIFY(player->SetPosition(at));
  }

  // A clip of the open file with these times, linked to the player.
  TClipItem& LinkClip(int32_t startMs, int32_t endMs) {
    auto item = std::make_unique<TClipItem>();
    item->SetFileName(player->FileName());
    item->SetTotalTime(PlayerTimeToMs(player->Duration()));
    item->SetStartTime(startMs);
    item->SetEndTime(endMs);
    TClipItem& added = *item;
    clipList.Add(std::move(item));
    clipList.SetCurrent(&added);
    return added;
  }

  QWidget window;
  TVideoArea video;
  TPlayStrip* strip = nullptr;
  // A control outside the strip and the video that leaves Home and End alone.
  QPushButton* elsewhere = nullptr;
  // Null on libmpv.
  FakePlayerEngine* engine = nullptr;
  std::unique_ptr<TPreviewPlayer> player;
  TClipList clipList;
  TKorvelActions actions{&window};
  std::unique_ptr<TPlayControls> controls;
};

// The centre of a clip's thumbnail.
QColor ThumbnailColour(const TClipItem& item) {
  const auto bitmap = DecodeBmpFile(item.ClipImage.MakePicture());
  if (!bitmap) return {};
  const BgrPixel pixel = bitmap->At(bitmap->Width() / 2, bitmap->Height() / 2);
  return QColor(pixel.r, pixel.g, pixel.b);
}

// The colour of frame n of the player fixtures.
QColor FixtureFrameColour(int n) { return QColor(n % 4 * 85, n / 4 % 4 * 85, n / 16 % 4 * 85); }

bool NearColour(const QColor& a, const QColor& b) {
  return a.isValid() && qAbs(a.red() - b.red()) <= 24 && qAbs(a.green() - b.green()) <= 24 && qAbs(a.blue() - b.blue()) <= 24;
}

}  // namespace

class PlayControlsTest : public QObject {
  Q_OBJECT

private slots:
  void enablingFollowsEachPlayerState() {
    StripWindow w;
    TPlayStrip& s = *w.strip;
    QCOMPARE(s.CurrentTimeCap->text(), QStringLiteral("00:00:00.00/00:00:00.00"));
    struct Expect {
      bool play, pause, steps, marks;
    };
    const auto check = [&](const Expect& e) {
      QCOMPARE(w.Act(Play)->isEnabled(), e.play);
      QCOMPARE(s.BtnPlay->isEnabled(), e.play);
      QCOMPARE(w.Act(Pause)->isEnabled(), e.pause);
      QCOMPARE(s.BtnPause->isEnabled(), e.pause);
      for (QAbstractButton* button : {s.BtnHome, s.BtnPrior, s.BtnNext, s.BtnEnd}) QCOMPARE(button->isEnabled(), e.steps);
      for (QAction* action : {w.Act(Last), w.Act(Back), w.Act(BackSec), w.Act(Next), w.Act(NextSec)}) {
        QCOMPARE(action->isEnabled(), e.steps);
      }
      for (QAbstractButton* button : {s.BtnSelStart, s.BtnGoToSelStart, s.BtnGoToSelEnd, s.BtnSelEnd, s.BtnMediaClose,
                                      s.BtnFullScreen, s.BtnAddClip}) {
        QCOMPARE(button->isEnabled(), e.marks);
      }
    };
    check({.play = false, .pause = false, .steps = false, .marks = false});
    QVERIFY(!s.BtnUnlinkClip->isEnabled());
    QVERIFY(!s.BtnCopyClip->isEnabled());
    QVERIFY(!s.BtnProduceMda2->isEnabled());
    QVERIFY(s.BtnHideFile->isEnabled());

    QVERIFY(w.player->OpenFile("/media/a.mp4"));
    check({.play = true, .pause = false, .steps = true, .marks = true});
    QTest::mouseClick(s.BtnPlay, Qt::LeftButton);
    QCOMPARE(w.player->State(), kPlayerPlaying);
    check({.play = false, .pause = true, .steps = false, .marks = true});
    QTest::mouseClick(s.BtnPause, Qt::LeftButton);
    QCOMPARE(w.player->State(), kPlayerPaused);
    check({.play = true, .pause = false, .steps = true, .marks = true});
    QVERIFY(w.Act(Stop)->isEnabled());

    w.LinkClip(1000, 2000);
    QVERIFY(s.BtnUnlinkClip->isEnabled());
    QVERIFY(s.BtnCopyClip->isEnabled());
    QVERIFY(s.BtnProduceMda2->isEnabled());
    QTest::mouseClick(s.BtnMediaClose, Qt::LeftButton);
    QCOMPARE(w.player->State(), kPlayerClosed);
    QVERIFY(!w.clipList.CurrentItem());
    check({.play = false, .pause = false, .steps = false, .marks = false});
    QVERIFY(!s.BtnUnlinkClip->isEnabled());
    QCOMPARE(s.CurrentTimeCap->text(), QStringLiteral("00:00:00.00/00:00:00.00"));
  }

  void aCommandWhoseConditionNoLongerHoldsDoesNothing() {
    StripWindow w;
    w.Open(1.0, 4.0, 2.0);
    w.Act(Play)->trigger();
    QCOMPARE(w.player->State(), kPlayerPlaying);
    // Enabled while paused, then run by a shortcut after play began: the step is refused.
    w.Act(Back)->setEnabled(true);
    w.Act(Back)->trigger();
    QCOMPARE(w.engine->seeks.back(), 2.0);
    w.Act(AddClip)->setEnabled(true);
    w.Act(CloseMedia)->trigger();
    w.Act(AddClip)->trigger();
    QCOMPARE(w.clipList.Count(), 0);
  }

  void playTimersRunOnlyWhilePlaying() {
    StripWindow w;
    w.Open(0.0, 10.0, 2.0);
    QVERIFY(!w.controls->PlayPosTimer().isActive());
    w.Act(Play)->trigger();
    QVERIFY(w.controls->PlayPosTimer().isActive());
    QCOMPARE(w.controls->PlayPosTimer().interval(), 300);
    QVERIFY(w.controls->ChkPlayEndTimer().isActive());
    QCOMPARE(w.controls->ChkPlayEndTimer().interval(), 50);
    w.engine->position = 3.0;
    QTRY_COMPARE(w.strip->CurrentTimeCap->text().left(10), QStringLiteral("0:00:03.00"));

    w.Act(Pause)->trigger();
    QVERIFY(!w.controls->PlayPosTimer().isActive());
    QVERIFY(!w.controls->ChkPlayEndTimer().isActive());
    const QString shown = w.strip->CurrentTimeCap->text();
    w.engine->position = 6.0;
    QTest::qWait(700);
    QCOMPARE(w.strip->CurrentTimeCap->text(), shown);
  }

  void theEndCheckStopsPlayingAtTheEndMark() {
    StripWindow w;
    w.Open(1.0, 4.0, 1.0);
    w.Act(Play)->trigger();
    w.engine->position = 4.0;
    QTRY_COMPARE(w.player->State(), kPlayerStopped);
    QVERIFY(!w.controls->ChkPlayEndTimer().isActive());
    QCOMPARE(w.player->GetPosition().value(), 1.0);
  }

  void setStartAfterTheEndMarkUnlinksAndTheClipKeepsItsTimes() {
    StripWindow w;
    w.Open(1.0, 5.0, 6.0);
    TClipItem& clip = w.LinkClip(1000, 5000);
    w.Act(SetSelStart)->trigger();
    QCOMPARE(w.player->SelStart(), 6.0);
    QCOMPARE(w.player->SelEnd(), w.player->Duration());
    QVERIFY(!w.clipList.CurrentItem());
    QCOMPARE(clip.StartTime(), 1000);
    QCOMPARE(clip.EndTime(), 5000);
  }

  void setStartRegrabsTheThumbnailOnlyWhenTheMillisecondMoves_data() {
    QTest::addColumn<double>("position");
    QTest::addColumn<int>("startMs");
    QTest::addColumn<bool>("grabbed");
    QTest::newRow("12.3454 s is still 12345 ms") << 12.3454 << 12345 << false;
    QTest::newRow("12.3458 s is 12346 ms") << 12.3458 << 12346 << true;
  }

  void setStartRegrabsTheThumbnailOnlyWhenTheMillisecondMoves() {
    QFETCH(double, position);
    QFETCH(int, startMs);
    QFETCH(bool, grabbed);
    StripWindow w(FakeMedia{.duration = 30.0});
    w.Open(12.345, 15.0, position);
    TClipItem& clip = w.LinkClip(12345, 14000);
    w.Act(SetSelStart)->trigger();
    QCOMPARE(w.clipList.CurrentItem(), &clip);
    QCOMPARE(clip.StartTime(), startMs);
    QCOMPARE(clip.EndTime(), 15000);
    QCOMPARE(!clip.ClipImage.Text().empty(), grabbed);
    QCOMPARE(w.player->GetPosition().value(), position);
  }

  void marksLessThanAMillisecondApartUnlink() {
    StripWindow w;
    w.Open(5.0, 8.0, 5.0004);
    TClipItem& clip = w.LinkClip(5000, 8000);
    w.Act(SetSelEnd)->trigger();
    QCOMPARE(w.player->SelEnd(), 5.0004);
    QVERIFY(!w.clipList.CurrentItem());
    QCOMPARE(clip.StartTime(), 5000);
    QCOMPARE(clip.EndTime(), 8000);
  }

  void setEndInsideTheFileEditsTheLinkedClip() {
    StripWindow w;
    w.Open(2.0, 8.0, 6.5);
    TClipItem& clip = w.LinkClip(2000, 8000);
    w.clipList.SetChanged(false);
    w.Act(SetSelEnd)->trigger();
    QCOMPARE(w.clipList.CurrentItem(), &clip);
    QCOMPARE(clip.EndTime(), 6500);
    QVERIFY(w.clipList.Changed());
    // Before the start mark: the mark resets the start, and the clip lets go.
    QVERIFY(w.player->SetPosition(1.0));
    w.Act(SetSelEnd)->trigger();
    QVERIFY(!w.clipList.CurrentItem());
    QCOMPARE(clip.StartTime(), 2000);
    QCOMPARE(clip.EndTime(), 6500);
  }

  void draggingTheFineBarToItsLeftEndSeeksTenSecondsBack_data() {
    QTest::addColumn<double>("centre");
    QTest::addColumn<double>("target");
    QTest::newRow("30 s") << 30.0 << 20.0;
    QTest::newRow("4 s") << 4.0 << 0.0;
  }

  void draggingTheFineBarToItsLeftEndSeeksTenSecondsBack() {
    QFETCH(double, centre);
    QFETCH(double, target);
    StripWindow w(FakeMedia{.duration = 60.0});
    w.Open(0.0, 60.0, centre);
    w.player->UpdatePosition();
    TQdTrackBar* bar = w.strip->Seek2Track;
    QCOMPARE(bar->value(), bar->maximum() / 2);
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(1, bar->height() / 2));
    QCOMPARE(bar->value(), 0);
    QCOMPARE(w.engine->position, target);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(1, bar->height() / 2));
    QCOMPARE(w.player->GetPosition().value(), target);
  }

  void draggingTheSeekBarSeeksAndTheBarsOwnMovesDoNot() {
    StripWindow w(FakeMedia{.duration = 60.0});
    w.Open(0.0, 60.0, 0.0);
    TQdTrackBar* bar = w.strip->SeekTrack;
    const size_t seeks = w.engine->seeks.size();
    bar->setValue(2000);
    QCOMPARE(w.engine->seeks.size(), seeks);
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() / 2));
    QVERIFY(qAbs(w.engine->position - 30.0) < 0.5);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() / 2));
  }

  void thumbnailIsTheSelectionStartAndThePlayerGoesBack() {
    StripWindow w;
    w.Open(1.5, 4.0, 3.0);
    TClipItem item;
    QVERIFY(w.controls->GrabThumbnail(item));
    QCOMPARE(ThumbnailColour(item), ColourAt(1.5));
    QCOMPARE(w.engine->position, 3.0);
    QCOMPARE(w.player->GetPosition().value(), 3.0);

    // No frame to be had: the thumbnail stays as it was, the player still goes back.
    w.engine->pictureAt = nullptr;
    const std::string before = item.ClipImage.Text();
    QVERIFY(!w.controls->GrabThumbnail(item));
    QCOMPARE(item.ClipImage.Text(), before);
    QCOMPARE(w.engine->position, 3.0);
  }

  void addClipTakesTheSelectionAndMovesItOn() {
    StripWindow w;
    int clipPanelShown = 0;
    w.controls->ShowClipPanel = [&] { ++clipPanelShown; };
    w.Open(2.0, 4.0, 3.0);
    QTest::mouseClick(w.strip->BtnAddClip, Qt::LeftButton);
    QCOMPARE(w.clipList.Count(), 1);
    const TClipItem& clip = *w.clipList.Get(0);
    QCOMPARE(clip.FileName(), std::filesystem::path("/media/clip source.mp4"));
    QCOMPARE(clip.TotalTime(), 10000);
    QCOMPARE(clip.StartTime(), 2000);
    QCOMPARE(clip.EndTime(), 4000);
    QCOMPARE(ThumbnailColour(clip), ColourAt(2.0));
    QCOMPARE(clipPanelShown, 1);
    // The next selection begins where this one ended.
    QCOMPARE(w.player->SelStart(), 4.0);
    QCOMPARE(w.player->SelEnd(), 10.0);
    QVERIFY(w.strip->BtnProduceMda2->isEnabled());

    // Within the last second there is no next selection.
    QVERIFY(w.player->SetPosition(9.5));
    w.Act(SetSelEnd)->trigger();
    w.Act(AddClip)->trigger();
    QCOMPARE(w.clipList.Count(), 2);
    QCOMPARE(w.player->SelStart(), 4.0);
    QCOMPARE(w.player->SelEnd(), 9.5);
  }

  void addClipWhileLinkedLeavesACopyAndMovesTheLinkedClipToTheEnd() {
    StripWindow w;
    w.Open(1.0, 3.0, 1.0);
    auto first = std::make_unique<TClipItem>();
    first->SetFileName("/media/other.mp4");
    first->SetStartTime(0);
    first->SetEndTime(500);
    w.clipList.Add(std::move(first));
    TClipItem& linked = w.LinkClip(1000, 3000);
    auto last = std::make_unique<TClipItem>();
    last->SetFileName("/media/other.mp4");
    last->SetStartTime(500);
    last->SetEndTime(900);
    w.clipList.Add(std::move(last));

    w.Act(AddClip)->trigger();
    QCOMPARE(w.clipList.Count(), 4);
    QCOMPARE(w.clipList.Get(3), &linked);
    QCOMPARE(w.clipList.CurrentItem(), &linked);
    QCOMPARE(w.clipList.Get(1)->StartTime(), 1000);
    QCOMPARE(w.clipList.Get(1)->EndTime(), 3000);
    QVERIFY(w.clipList.Get(1) != &linked);
  }

  void copyAndUnlinkActOnTheLinkedClip() {
    StripWindow w;
    w.Open(1.0, 3.0, 1.0);
    TClipItem& linked = w.LinkClip(1000, 3000);
    QTest::mouseClick(w.strip->BtnCopyClip, Qt::LeftButton);
    QCOMPARE(w.clipList.Count(), 2);
    QCOMPARE(w.clipList.Get(1), &linked);
    QCOMPARE(w.clipList.Get(0)->EndTime(), 3000);
    QTest::mouseClick(w.strip->BtnUnlinkClip, Qt::LeftButton);
    QVERIFY(!w.clipList.CurrentItem());
    QVERIFY(!w.strip->BtnCopyClip->isEnabled());
    w.Act(CopyClip)->trigger();
    QCOMPARE(w.clipList.Count(), 2);
  }

  void stripKeysActOnlyWhereTheFocusIsInTheStripOrTheVideo() {
    StripWindow w(FakeMedia{.duration = 60.0});
    w.Open(0.0, 60.0, 30.0);
    w.elsewhere->setFocus();
    QTest::keyClick(w.elsewhere, Qt::Key_Home);
    QCOMPARE(w.player->GetPosition().value(), 30.0);

    w.strip->SeekTrack->setFocus();
    QTest::keyClick(w.strip->SeekTrack, Qt::Key_Home);
    QCOMPARE(w.player->GetPosition().value(), 0.0);
    QTest::keyClick(w.strip->SeekTrack, Qt::Key_End);
    QCOMPARE(w.player->GetPosition().value(), 60.0);
    QTest::keyClick(w.strip->SeekTrack, Qt::Key_Left);
    QCOMPARE(w.player->GetPosition().value(), 59.96);

    // The fine bar keeps Home and End for its ten-second steps.
    QVERIFY(w.player->SetPosition(30.0));
    w.strip->Seek2Track->setFocus();
    QTest::keyClick(w.strip->Seek2Track, Qt::Key_Home);
    QCOMPARE(w.player->GetPosition().value(), 20.0);
    QTest::keyClick(w.strip->Seek2Track, Qt::Key_End);
    QCOMPARE(w.player->GetPosition().value(), 30.0);
  }

  void clickOnTheVideoPlaysAndPausesAndFocusesTheSeekBar() {
    StripWindow w;
    w.Open(0.0, 10.0, 1.0);
    w.elsewhere->setFocus();
    QTest::mouseClick(w.video.Container->viewport(), Qt::LeftButton);
    QCOMPARE(w.player->State(), kPlayerPlaying);
    QVERIFY(w.strip->SeekTrack->hasFocus());
    QTest::mouseClick(w.video.Container->viewport(), Qt::LeftButton);
    QCOMPARE(w.player->State(), kPlayerPaused);
  }

  void seekBarFocusReturnsTwice() {
    StripWindow w;
    w.elsewhere->setFocus();
    w.controls->StartSeekBarFocus();
    QTRY_VERIFY(w.strip->SeekTrack->hasFocus());
    w.elsewhere->setFocus();
    QTRY_VERIFY(w.strip->SeekTrack->hasFocus());
    QTRY_VERIFY(!w.controls->SeekTrkFocusTimer().isActive());
    w.elsewhere->setFocus();
    QTest::qWait(500);
    QVERIFY(w.elsewhere->hasFocus());
  }

  void onLibmpvAClipFromTheStripHasTheTimesAndThePictureOfItsStart() {
    StripWindow w(std::make_unique<MpvPlayerEngine>(MpvPlayerEngine::Options{.audioOutput = "null"}));
    QVERIFY(w.player->OpenFile(KORVEL_FIXTURE_DIR "/player_colours.avi"));
    QTest::mouseClick(w.strip->BtnPlay, Qt::LeftButton);
    QCOMPARE(w.player->State(), kPlayerPlaying);
    QTRY_VERIFY_WITH_TIMEOUT(w.player->GetPosition().value_or(0) > 0.3, 10000);
    QTest::mouseClick(w.strip->BtnPause, Qt::LeftButton);
    QCOMPARE(w.player->State(), kPlayerPaused);
    // Frame 12 (0.48 s), reached by frame steps from a seek just after frame 10's time.
    QVERIFY(w.player->SetPosition(0.401));
    QTest::mousePress(w.strip->BtnNext, Qt::LeftButton);
    QTest::mouseRelease(w.strip->BtnNext, Qt::LeftButton);
    QTest::mousePress(w.strip->BtnNext, Qt::LeftButton);
    QTest::mouseRelease(w.strip->BtnNext, Qt::LeftButton);
    QTest::mouseClick(w.strip->BtnSelStart, Qt::LeftButton);
    QVERIFY(w.player->SetPosition(0.9));
    QTest::mouseClick(w.strip->BtnSelEnd, Qt::LeftButton);
    QTest::mouseClick(w.strip->BtnAddClip, Qt::LeftButton);

    QCOMPARE(w.clipList.Count(), 1);
    const TClipItem& clip = *w.clipList.Get(0);
    QCOMPARE(clip.StartTime(), 481);
    QCOMPARE(clip.EndTime(), 900);
    QCOMPARE(clip.TotalTime(), 2000);
    const QColor thumbnail = ThumbnailColour(clip);
    QVERIFY2(NearColour(thumbnail, FixtureFrameColour(12)), qPrintable(thumbnail.name()));
    // The player went back to the end mark and took it as the next start.
    QCOMPARE(w.player->SelStart(), 0.9);
    QCOMPARE(w.player->GetPosition().value(), 0.9);
  }

  void theVideosMenuOffersWhatThePlayerCanDo() {
    StripWindow w;
    w.Open(0.0, 10.0, 1.0);
    QWidget* video = w.video.Container->viewport();
    QContextMenuEvent request(QContextMenuEvent::Mouse, video->rect().center(), video->mapToGlobal(video->rect().center()));
    QApplication::sendEvent(video, &request);
    QMenu& menu = w.controls->VideoMenu();
    QTRY_VERIFY(menu.isVisible());
    QVERIFY(menu.actions().contains(w.Act(Play)));
    QVERIFY(w.Act(Play)->isEnabled());
    QVERIFY(!w.Act(Pause)->isEnabled());
    QVERIFY(w.Act(AddClip)->isEnabled());
    QVERIFY(!w.Act(UnlinkClip)->isEnabled());
    menu.hide();
  }

  void closeFullScreenOutsideFullScreenShowsTheBrowserOfTheCompactLayout() {
    StripWindow w;
    bool compact = true;
    int browserShown = 0;
    w.controls->IsCompact = [&] { return compact; };
    w.controls->ShowBrowser = [&] {
      ++browserShown;
      compact = false;
    };
    w.controls->UpdateEnabled();
    QVERIFY(w.Act(CloseFullScreen)->isEnabled());
    w.Act(CloseFullScreen)->trigger();
    QCOMPARE(browserShown, 1);
    w.controls->UpdateEnabled();
    QVERIFY(!w.Act(CloseFullScreen)->isEnabled());
  }
};

}  // namespace korvel::test

KORVEL_GUI_TEST_MAIN(korvel::test::PlayControlsTest)
#include "play_controls_test.moc"
