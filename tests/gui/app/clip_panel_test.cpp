// The clip panel driven as a person would: clicks with Ctrl and Shift, drags that start or do
// not, drops on tiles and on the video, the delete and properties windows, and the zoom. Tile
// colours are read from the tiles' pixels.
#include "app/clip_panel.h"

#include <QApplication>
#include <QDrag>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>
#include <memory>
#include <optional>
#include <string>

#include "app/clip_properties_win.h"
#include "app/drag_mime.h"
#include "controls/movie_clip.h"
#include "controls/movie_time_bar.h"
#include "controls/my_msg_box_win.h"
#include "controls/qd_track_bar.h"
#include "gui/app/clip_samples.h"
#include "gui/support/gui_test_main.h"
#include "gui/support/modal_answer.h"
#include "lang/lang.h"
#include "lang/language.h"
#include "project/clip_list.h"
#include "support/temp_dir.h"

namespace korvel::test {

namespace {

namespace fs = std::filesystem;

// Sends what Qt sends a drop target while something is dragged onto it and let go at pos.
// True when the target accepted the drag.
bool DropOn(QWidget& target, QPoint pos, const QMimeData& mime) {
  QDragEnterEvent enter(pos, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&target, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(pos, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&target, &drop);
  return drop.isAccepted();
}

void MoveWithLeftHeld(QWidget& widget, QPoint pos) {
  QMouseEvent move(QEvent::MouseMove, pos, widget.mapToGlobal(pos), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&widget, &move);
}

QColor PixelAt(QWidget& widget, QPoint pos) { return widget.grab().toImage().pixelColor(pos); }

// Where no text, thumbnail or frame is drawn.
constexpr QPoint kBackgroundPixel{4, 6};

}  // namespace

class ClipPanelTest : public QObject {
  Q_OBJECT

  TLanguage language_{KORVEL_LANGUAGE_SOURCE_DIR};
  TempDir folder_;
  std::unique_ptr<TClipList> list_;
  std::unique_ptr<QWidget> window_;
  TClipPanel* panel_ = nullptr;
  QWidget* video_ = nullptr;
  std::vector<TClipItem*> linked_;

  // Clips a, b, c ... of the given seconds each.
  void AddClips(const std::string& names, int32_t seconds = 60) {
    for (const char name : names)
      list_->Add(SampleClip(folder_ / (std::string(1, name) + ".avi"), 0, seconds * 1000, QColor(40 * (name - 'a'), 120, 200)));
  }

  TClipItem& Clip(int index) { return *list_->Get(index); }
  TMovieClip& TileAt(int index) { return *panel_->TileOf(list_->Get(index)); }

  std::string Order() const {
    std::string order;
    for (int32_t i = 0; i < list_->Count(); ++i) order += list_->Get(i)->FileName().stem().string();
    return order;
  }

  std::string Selection() const {
    std::string selected;
    for (int32_t i = 0; i < list_->Count(); ++i)
      if (list_->Get(i)->Selected()) selected += list_->Get(i)->FileName().stem().string();
    return selected;
  }

  void Click(int index, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::mousePress(&TileAt(index), Qt::LeftButton, modifiers, QPoint(20, 20));
    QTest::mouseRelease(&TileAt(index), Qt::LeftButton, modifiers, QPoint(20, 20));
  }

private slots:
  void initTestCase() { language_.LoadLanguage(0x0409); }

  void init() {
    list_ = std::make_unique<TClipList>();
    list_->Analyzer = [](const fs::path&, QdMediaInfo&) { return false; };
    linked_.clear();
    list_->OnCurrentClip = [this](TClipList&, TClipItem* item) { linked_.push_back(item); };
    window_ = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(window_.get());
    layout->setContentsMargins(0, 0, 0, 0);
    video_ = new QWidget(window_.get());
    layout->addWidget(video_, 1);
    panel_ = new TClipPanel(*list_, window_.get());
    panel_->setFixedHeight(TClipPanel::kDefaultHeight);
    panel_->AcceptDropsOn(video_);
    layout->addWidget(panel_);
    window_->resize(800, 400);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }

  void cleanup() {
    window_.reset();
    list_.reset();
  }

  void CtrlAndShiftClicksSelectAsDesigned() {
    AddClips("abcde");
    Click(1);
    QCOMPARE(Selection(), std::string("b"));
    QCOMPARE(list_->Anchor(), &Clip(1));

    Click(3, Qt::ShiftModifier);
    QCOMPARE(Selection(), std::string("bcd"));
    QCOMPARE(list_->Anchor(), &Clip(1));

    // Ctrl toggles one tile and keeps the anchor
    Click(2, Qt::ControlModifier);
    QCOMPARE(Selection(), std::string("bd"));
    QCOMPARE(list_->Anchor(), &Clip(1));

    // the anchor toggled off passes to the last selected clip
    Click(1, Qt::ControlModifier);
    QCOMPARE(Selection(), std::string("d"));
    QCOMPARE(list_->Anchor(), &Clip(3));

    // Ctrl wins over Shift
    Click(0, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(Selection(), std::string("ad"));
    QCOMPARE(list_->Anchor(), &Clip(3));

    // a plain click selects one tile again
    Click(4);
    QCOMPARE(Selection(), std::string("e"));
    QCOMPARE(list_->Anchor(), &Clip(4));

    // the only selected tile Ctrl-clicked off leaves no anchor
    Click(4, Qt::ControlModifier);
    QCOMPARE(Selection(), std::string());
    QCOMPARE(list_->Anchor(), nullptr);
  }

  void ShiftClickWithoutAnchorSelectsOnlyTheTile() {
    AddClips("abc");
    Click(2, Qt::ShiftModifier);
    QCOMPARE(Selection(), std::string("c"));
    QCOMPARE(list_->Anchor(), &Clip(2));
  }

  void AClickGivesTheClipViewTheFocusAndFramesTheSelection() {
    AddClips("ab");
    Click(0);
    QVERIFY(panel_->ScrBoxClips()->hasFocus());
    QVERIFY(Clip(0).Focused() && Clip(1).Focused());
    QVERIFY(TileAt(0).Selected() && TileAt(0).ParentFocused());
    video_->setFocusPolicy(Qt::StrongFocus);
    video_->setFocus();
    QVERIFY(!Clip(0).Focused());
    QVERIFY(!TileAt(0).ParentFocused());
  }

  void DragStartsOnlyBeyondFivePixels_data() {
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<bool>("drags");
    QTest::newRow("5 right") << QPoint(25, 20) << false;
    QTest::newRow("5 up and left") << QPoint(15, 15) << false;
    QTest::newRow("6 right") << QPoint(26, 20) << true;
    QTest::newRow("6 down") << QPoint(20, 26) << true;
    QTest::newRow("6 left") << QPoint(14, 20) << true;
  }

  void DragStartsOnlyBeyondFivePixels() {
    QFETCH(QPoint, to);
    QFETCH(bool, drags);
    AddClips("ab");
    int started = 0;
    panel_->RunDrag = [&](QDrag& drag) {
      ++started;
      QVERIFY(drag.mimeData()->hasFormat(kClipTileMimeType));
      QCOMPARE(drag.hotSpot(), QPoint(20, 20));
      QVERIFY(!drag.pixmap().isNull());
    };
    QTest::mousePress(&TileAt(1), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    MoveWithLeftHeld(TileAt(1), to);
    QCOMPARE(started, drags ? 1 : 0);
    // the press selected the tile before any drag
    QCOMPARE(Selection(), std::string("b"));
  }

  void AMoveWithoutTheButtonEndsThePendingDrag() {
    AddClips("ab");
    int started = 0;
    panel_->RunDrag = [&](QDrag&) { ++started; };
    QTest::mousePress(&TileAt(0), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    QMouseEvent move(QEvent::MouseMove, QPointF(40, 20), TileAt(0).mapToGlobal(QPointF(40, 20)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&TileAt(0), &move);
    MoveWithLeftHeld(TileAt(0), QPoint(60, 20));
    QCOMPARE(started, 0);
  }

  void ADropOnATileMovesTheDraggedClipThere() {
    AddClips("abcd");
    TMovieClip& target = TileAt(1);
    panel_->RunDrag = [&](QDrag& drag) {
      // the dragged tile darkens while it is dragged
      QCOMPARE(PixelAt(TileAt(3), kBackgroundPixel), BgrColor(0x101010));
      // let go with the image's left edge just left of b's tile: d goes before b
      const QPoint onTarget(target.x() + 20 - 3, 20);
      QVERIFY(DropOn(*panel_->ClipListBar(), onTarget, *drag.mimeData()));
    };
    QTest::mousePress(&TileAt(3), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    MoveWithLeftHeld(TileAt(3), QPoint(40, 20));
    QCOMPARE(Order(), std::string("adbc"));
    QVERIFY(list_->Changed());
    // the tiles stand in the new order, and the moved one has its colour back
    QVERIFY(TileAt(1).x() < TileAt(2).x());
    QCOMPARE(TileAt(1).Text1(), QString("d.avi"));
    QCOMPARE(PixelAt(TileAt(1), kBackgroundPixel), BgrColor(0x484030));
  }

  void ADropBeyondTheLastTileMovesTheClipLast() {
    AddClips("abc");
    panel_->RunDrag = [&](QDrag& drag) {
      QVERIFY(DropOn(*panel_->ClipListBar(), QPoint(TileAt(2).geometry().right() + 40, 20), *drag.mimeData()));
    };
    QTest::mousePress(&TileAt(0), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    MoveWithLeftHeld(TileAt(0), QPoint(40, 20));
    QCOMPARE(Order(), std::string("bca"));
  }

  void DropsComeOnlyFromTheProgramsOwnDrags() {
    AddClips("ab");
    QMimeData foreign;
    foreign.setText("a.avi");
    QVERIFY(!DropOn(*panel_->ClipListBar(), QPoint(10, 10), foreign));
    QVERIFY(!DropOn(*video_, QPoint(10, 10), foreign));
    // a clip format with no drag of this panel running is refused too
    QMimeData stray;
    stray.setData(kClipTileMimeType, QByteArray());
    QVERIFY(!DropOn(*panel_->ClipListBar(), QPoint(10, 10), stray));
    QCOMPARE(Order(), std::string("ab"));
  }

  void ADropOnTheVideoLinksTheClip() {
    AddClips("abc");
    panel_->RunDrag = [&](QDrag& drag) { QVERIFY(DropOn(*video_, QPoint(50, 50), *drag.mimeData())); };
    QTest::mousePress(&TileAt(2), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    MoveWithLeftHeld(TileAt(2), QPoint(20, 40));
    QCOMPARE(list_->CurrentItem(), &Clip(2));
    QCOMPARE(linked_.back(), &Clip(2));
    QCOMPARE(Order(), std::string("abc"));
  }

  void DoubleClickLinksTheClip() {
    AddClips("ab");
    QTest::mouseDClick(&TileAt(1), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    QCOMPARE(list_->CurrentItem(), &Clip(1));
  }

  void TileColoursFollowTheClipsState() {
    AddClips("ab");
    QCOMPARE(PixelAt(TileAt(0), kBackgroundPixel), BgrColor(0x303030));
    Click(0);
    QCOMPARE(PixelAt(TileAt(0), kBackgroundPixel), BgrColor(0x484030));
    QCOMPARE(PixelAt(TileAt(1), kBackgroundPixel), BgrColor(0x303030));
    list_->SetCurrent(&Clip(0));
    QCOMPARE(PixelAt(TileAt(0), kBackgroundPixel), BgrColor(0x684030));
    Click(1);
    QCOMPARE(PixelAt(TileAt(0), kBackgroundPixel), BgrColor(0x503030));
    // selected but the list without the focus: plain
    video_->setFocusPolicy(Qt::StrongFocus);
    video_->setFocus();
    QCOMPARE(PixelAt(TileAt(1), kBackgroundPixel), BgrColor(0x303030));
  }

  void ATileShowsItsThumbnailOrTheMissingFilePicture() {
    AddClips("ab");
    // the thumbnail of a: red 0, green 120, blue 200 at its top row
    const QColor top = PixelAt(TileAt(0), QPoint(TMovieClip::kPicLeft + 30, TMovieClip::kPicTop));
    QVERIFY2(std::abs(top.green() - 120) < 8 && std::abs(top.blue() - 200) < 8, qPrintable(top.name()));

    fs::remove(Clip(1).FileName());
    list_->RefreshRefInfo();
    QVERIFY(!TileAt(1).PicStretch());
    QVERIFY(TileAt(1).Picture().width() < TMovieClip::kPicWidth);

    // a thumbnail grabbed again shows at once
    Clip(0).ClipImage.SetText(ThumbnailText(Qt::yellow));
    Clip(0).RefreshPicture();
    const QColor now = PixelAt(TileAt(0), QPoint(TMovieClip::kPicLeft + 30, TMovieClip::kPicTop));
    QVERIFY2(now.red() > 230 && now.green() > 230 && now.blue() < 20, qPrintable(now.name()));
  }

  void TextsFromFilesShowAsPlainText() {
    list_->Add(SampleClip(folder_ / "<b>bold<i> & co.avi", 1000, 61500, Qt::gray));
    TMovieClip& tile = TileAt(0);
    QCOMPARE(tile.Text1(), QString("<b>bold<i> & co.avi"));
    QCOMPARE(tile.Text2(), QString("0:00:01 - 0:01:01 (01:00)"));
    QVERIFY(tile.toolTip().contains("&lt;b&gt;bold&lt;i&gt; &amp; co.avi<br>"));
  }

  void TheDeleteQuestionCountsTheSelectedClips() {
    AddClips("abcd");
    Click(1);
    Click(3, Qt::ShiftModifier);
    QString asked;
    {
      const ModalAnswer answer([&](QWidget& modal) {
        auto& box = dynamic_cast<TMyMsgBoxWin&>(modal);
        asked = box.Msg()->text();
        QTest::mouseClick(box.Btn2(), Qt::LeftButton);
      });
      panel_->DeleteSelectedClip();
      QVERIFY(answer.Answered());
    }
    const QString selectedLine = QString("- %1 3 %2\n\n").arg(QString::fromStdString(LangStr("Base", "Selected")),
                                                              QString::fromStdString(LangStr("Korvel1", "Clips")));
    QVERIFY2(asked.startsWith("b.avi\n\n0:00:00 - 0:01:00 (01:00)\n\n" + selectedLine), qPrintable(asked));
    QCOMPARE(Order(), std::string("abcd"));

    const ModalAnswer yes([](QWidget& modal) { QTest::mouseClick(dynamic_cast<TMyMsgBoxWin&>(modal).Btn1(), Qt::LeftButton); });
    panel_->DeleteSelectedClip();
    QCOMPARE(Order(), std::string("a"));
    QTRY_COMPARE(panel_->ClipListBar()->findChildren<TMovieClip*>(QString(), Qt::FindDirectChildrenOnly).size(), 1);
  }

  void OneSelectedClipIsNotCounted() {
    AddClips("ab");
    Click(0);
    QString asked;
    const ModalAnswer answer([&](QWidget& modal) {
      asked = dynamic_cast<TMyMsgBoxWin&>(modal).Msg()->text();
      modal.close();
    });
    panel_->DeleteSelectedClip();
    QVERIFY(!asked.isEmpty());
    QVERIFY(!asked.contains("- " + QString::fromStdString(LangStr("Base", "Selected"))));
    QCOMPARE(Order(), std::string("ab"));
  }

  void CommandsWithoutWhatTheyNeedDoNothing() {
    int shown = 0;
    panel_->ShowClipPanel = [&] { ++shown; };
    const ModalAnswer never([](QWidget& modal) { modal.close(); });
    panel_->ClearClipList();
    AddClips("a");
    panel_->DeleteSelectedClip();
    panel_->ClipProperties();
    panel_->EditSelectedClip();
    panel_->CopySelectedClip();
    QTest::qWait(20);
    QVERIFY(!never.Answered());
    QCOMPARE(shown, 0);
    QCOMPARE(list_->Count(), 1);
  }

  void ClearAsksFirst() {
    AddClips("ab");
    const ModalAnswer yes([](QWidget& modal) { QTest::mouseClick(dynamic_cast<TMyMsgBoxWin&>(modal).Btn1(), Qt::LeftButton); });
    panel_->ClearClipList();
    QCOMPARE(list_->Count(), 0);
  }

  void EditAndCopySelectedActOnTheSelection() {
    AddClips("abc");
    Click(0);
    Click(1, Qt::ShiftModifier);
    panel_->CopySelectedClip();
    QCOMPARE(Order(), std::string("aabbc"));
    Click(4);
    panel_->EditSelectedClip();
    QCOMPARE(list_->CurrentItem(), &Clip(4));
    QCOMPARE(linked_.size(), size_t{2});
    QCOMPARE(linked_[0], nullptr);
  }

  void PropertiesShowTheAnchorAlone() {
    list_->Add(SampleClip(folder_ / "trip.avi", 1500, 62250, Qt::red));
    AddClips("b");
    Click(0);
    Click(1, Qt::ShiftModifier);
    QString duration;
    QString full;
    const ModalAnswer answer([&](QWidget& modal) {
      auto& properties = dynamic_cast<TClipPropertiesWin&>(modal);
      duration = properties.Duration()->text();
      full = properties.FileFull()->text();
      QCOMPARE(properties.FileName()->text(), QString("trip.avi"));
      QVERIFY(properties.FileFull()->isReadOnly());
      QTest::keyClick(&modal, Qt::Key_Escape);
    });
    panel_->ClipProperties();
    QVERIFY(answer.Answered());
    QCOMPARE(duration, QString("0:01:00.75 (0:00:01.50 - 0:01:02.25)"));
    QCOMPARE(full, QString::fromStdString((folder_ / "trip.avi").string()));
    QCOMPARE(Selection(), std::string("trip"));
  }

  void ZoomInOutAndFitChangeTheTick() {
    AddClips("a");
    const int client = panel_->ScrBoxClips()->viewport()->width();
    QCOMPARE(client, 800);
    // fitted: one minute in 3/4 of 800 pixels
    QCOMPARE(panel_->MovieTimeBar()->TickTimeSec(), 20);
    panel_->ZoomIn();
    QCOMPARE(panel_->MovieTimeBar()->TickTimeSec(), 10);
    QVERIFY(!list_->FitMode());
    QCOMPARE(TileAt(0).width(), 601);
    panel_->ZoomOut();
    panel_->ZoomOut();
    QCOMPARE(panel_->MovieTimeBar()->TickTimeSec(), 30);
    // outside fit mode a resize keeps the scale
    window_->resize(500, 400);
    QTRY_COMPARE(panel_->width(), 500);
    QCOMPARE(panel_->MovieTimeBar()->TickTimeSec(), 30);
    // 3/4 of 500 is 375: 301 pixels at 20 s fit, 601 at 10 s do not
    panel_->ZoomFit();
    QVERIFY(list_->FitMode());
    QCOMPARE(panel_->MovieTimeBar()->TickTimeSec(), 20);
    // in fit mode a resize chooses again: 3/4 of 1000 takes 601 pixels
    window_->resize(1000, 400);
    QTRY_COMPARE(panel_->MovieTimeBar()->TickTimeSec(), 10);
  }

  void ZoomInIsRefusedBeyondTheWidthLimit() {
    list_->Add(SampleClip(folder_ / "long.avi", 0, 328000, Qt::blue));
    for (int i = 0; i < 30; ++i) panel_->ZoomIn();
    QCOMPARE(panel_->MovieTimeBar()->TickTimeSec(), 2);
    QVERIFY(panel_->ClipListMain()->width() <= 32767 + 100);
  }

  void AHundredShortClipsStayWithinReach() {
    for (int i = 0; i < 100; ++i) list_->Add(SampleClip(folder_ / "s.avi", 0, 1000, Qt::darkCyan));
    TMovieClip& last = TileAt(99);
    QCOMPARE(last.width(), 10);
    QVERIFY(panel_->ClipListMain()->width() >= panel_->ClipListBar()->mapTo(panel_->ClipListMain(), last.geometry().bottomRight()).x());
    // scrolled to the far right, the last tile is in sight
    QScrollBar* bar = panel_->ScrBoxClips()->horizontalScrollBar();
    bar->setValue(bar->maximum());
    const QPoint lastInView = last.mapTo(panel_->ScrBoxClips()->viewport(), QPoint(last.width() - 1, 0));
    QVERIFY(lastInView.x() < panel_->ScrBoxClips()->viewport()->width());
  }

  void TheWheelScrollsSideways() {
    AddClips("abcdefghij");
    panel_->ZoomIn();
    panel_->ZoomIn();
    QScrollBar* bar = panel_->ScrBoxClips()->horizontalScrollBar();
    QVERIFY(bar->maximum() > 200);
    bar->setValue(0);
    QWidget* viewport = panel_->ScrBoxClips()->viewport();
    QWheelEvent wheel(QPointF(50, 50), viewport->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, 240), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
    QCOMPARE(bar->value(), 120);
  }
};

}  // namespace korvel::test

KORVEL_GUI_TEST_MAIN(korvel::test::ClipPanelTest)
#include "clip_panel_test.moc"
