// Linking a clip to the player, as the window does when the list's current clip changes: the
// clip's file is loaded unless it is open already, the clip's times become the selection and
// the player waits paused at the clip's start; a missing file is reported.
#include "app/clip_link.h"

#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QVBoxLayout>
#include <fstream>

#include "gui/player/fake_player_engine.h"
#include "gui/support/gui_test_main.h"
#include "gui/support/modal_answer.h"
#include "player/preview_player.h"
#include "project/clip_item.h"
#include "support/temp_dir.h"

namespace korvel::test {

namespace fs = std::filesystem;

class ClipLinkTest : public QObject {
  Q_OBJECT

  TempDir folder_;
  FakePlayerEngine* engine_ = nullptr;
  std::unique_ptr<TPreviewPlayer> player_;
  std::unique_ptr<QWidget> window_;
  TClipLinkPorts ports_;
  std::vector<fs::path> browsed_;
  int seekBarFocus_ = 0;

  fs::path File(const char* name) {
    const fs::path file = folder_ / name;
    if (!fs::exists(file)) std::ofstream(file) << "media";
    return file;
  }

  static std::unique_ptr<TClipItem> Clip(const fs::path& file, int32_t startMs, int32_t endMs) {
    auto item = std::make_unique<TClipItem>();
    item->SetFileName(file);
    item->SetStartTime(startMs);
    item->SetEndTime(endMs);
    return item;
  }

private slots:
  void init() {
    auto engine = std::make_unique<FakePlayerEngine>(FakeMedia{.duration = 20.0});
    engine_ = engine.get();
    player_ = std::make_unique<TPreviewPlayer>(std::move(engine));
    player_->ErrorBox = false;
    player_->AutoPlay = false;
    window_ = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(window_.get());
    auto* video = new QWidget;
    auto* strip = new QLabel("strip");
    layout->addWidget(video, 1);
    layout->addWidget(strip);
    window_->resize(400, 300);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    browsed_.clear();
    seekBarFocus_ = 0;
    ports_ = TClipLinkPorts{};
    ports_.Player = player_.get();
    ports_.PlayArea = video;
    ports_.ControlStrip = strip;
    ports_.SelectFileInBrowser = [this](const fs::path& file) { browsed_.push_back(file); };
    ports_.StartSeekBarFocus = [this] { ++seekBarFocus_; };
  }

  void cleanup() {
    window_.reset();
    player_.reset();
  }

  void AClipOfAnotherFileIsLoadedPausedAtItsStart() {
    QVERIFY(player_->OpenFile(File("first.mp4")));
    const auto clip = Clip(File("second <b>.mp4"), 2500, 7250);
    LinkClipToPlayer(clip.get(), ports_);
    QCOMPARE(player_->FileName(), File("second <b>.mp4"));
    QVERIFY(player_->IsOpen());
    QVERIFY(!player_->IsPlaying());
    QCOMPARE(player_->SelStart(), 2.5);
    QCOMPARE(player_->SelEnd(), 7.25);
    QCOMPARE(player_->GetPosition().value_or(-1), 2.5);
    QCOMPARE(browsed_, std::vector<fs::path>{File("second <b>.mp4")});
    QCOMPARE(seekBarFocus_, 1);
    // the player's auto-play setting is its own again
    QVERIFY(!player_->AutoPlay);
    // the cover over the play area goes once the file is up
    QTRY_VERIFY(window_->findChildren<QLabel*>().size() == 1);
  }

  void AClipOfTheOpenFileOnlyTakesItsTimes() {
    QVERIFY(player_->OpenFile(File("first.mp4")));
    QVERIFY(player_->SetPosition(9.0));
    engine_->seeks.clear();
    const auto clip = Clip(File("first.mp4"), 1000, 4000);
    LinkClipToPlayer(clip.get(), ports_);
    QVERIFY(player_->IsOpen());
    QCOMPARE(player_->SelStart(), 1.0);
    QCOMPARE(player_->SelEnd(), 4.0);
    QCOMPARE(player_->GetPosition().value_or(-1), 1.0);
    QCOMPARE(browsed_, std::vector<fs::path>{File("first.mp4")});
    QCOMPARE(window_->findChildren<QLabel*>().size(), 1);
  }

  void TimesBeyondTheFileStayWithinIt() {
    const auto clip = Clip(File("short.mp4"), 15000, 60000);
    LinkClipToPlayer(clip.get(), ports_);
    QCOMPARE(player_->SelStart(), 15.0);
    QCOMPARE(player_->SelEnd(), 20.0);
  }

  void AMissingFileLeavesThePlayerClosedAndSaysSo() {
    QVERIFY(player_->OpenFile(File("first.mp4")));
    const fs::path missing = folder_ / "gone.mp4";
    QString told;
    const ModalAnswer answer([&](QWidget& modal) {
      told = dynamic_cast<QMessageBox&>(modal).text();
      modal.close();
    });
    const auto clip = Clip(missing, 0, 1000);
    LinkClipToPlayer(clip.get(), ports_);
    QVERIFY(answer.Answered());
    QVERIFY2(told.endsWith("\n\n" + QString::fromStdString(missing.string())), qPrintable(told));
    QVERIFY(!player_->IsOpen());
    QVERIFY(browsed_.empty());
  }

  void UnlinkingLeavesThePlayerAlone() {
    QVERIFY(player_->OpenFile(File("first.mp4")));
    LinkClipToPlayer(nullptr, ports_);
    QVERIFY(player_->IsOpen());
    QCOMPARE(player_->FileName(), File("first.mp4"));
    QVERIFY(browsed_.empty());
  }
};

}  // namespace korvel::test

KORVEL_GUI_TEST_MAIN(korvel::test::ClipLinkTest)
#include "clip_link_test.moc"
