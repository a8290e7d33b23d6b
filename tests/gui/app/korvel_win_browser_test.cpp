// The browser in the main window: a file dragged from the list onto the video opens in the
// player, and every way of opening a file passes the browser's checks.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QScrollArea>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>
#include <memory>

#include "app/korvel_win.h"
#include "app/media_browser.h"
#include "controls/j_dir_tree2.h"
#include "gui/app/browser_test_support.h"
#include "gui/player/fake_player_engine.h"
#include "gui/support/gui_test_main.h"
#include "player/preview_player.h"

namespace korvel::test {

namespace fs = std::filesystem;

class KorvelWinBrowserTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TKorvelWin> window_;
  fs::path folder_;

  QTreeWidget* List() const { return window_->Browser().FileList(); }
  void Select(const fs::path& name) {
    window_->Browser().SelectFileInBrowser(folder_ / name);
    QVERIFY(List()->currentItem());
    QCOMPARE(TJDirTree2::ItemPath(List()->currentItem()), folder_ / name);
  }
  void Drop(QMimeData& data) {
    QWidget* target = window_->VideoArea()->viewport();
    const QPoint centre = target->rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(centre, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &drop);
  }

private slots:
  void init() {
    folder_ = TestUserFolders().Home() / "Videos" / "window";
    fs::create_directories(folder_);
    window_ = std::make_unique<TKorvelWin>(TKorvelWinSetup{.Engine = std::make_unique<FakePlayerEngine>(),
                                                           .LanguageFolder = KORVEL_LANGUAGE_SOURCE_DIR});
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    QTRY_VERIFY(window_->Restored());
  }
  void cleanup() {
    window_->ClipList().Clear();
    window_->ClipList().SetChanged(false);
    window_.reset();
    fs::remove_all(folder_);
  }

  void AFileDraggedFromTheListOntoTheVideoOpensAfterTheRepairQuestion() {
    fs::copy_file(FixturePath("avi_xvid_mp3_noidx1.avi"), folder_ / "broken.avi");
    window_->Browser().RefreshFileList();
    Select("broken.avi");
    std::unique_ptr<QMimeData> data(List()->model()->mimeData(List()->selectionModel()->selectedIndexes()));
    const ModalScript script({PressButton(2)});
    Drop(*data);
    QCOMPARE(script.Messages().size(), size_t{1});
    QCOMPARE(window_->Player().FileName(), folder_ / "broken.avi");
  }

  void AFileDroppedFromElsewhereIsCheckedToo() {
    WriteText(folder_ / "noise.avi", std::string(64, '\x5A'));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString((folder_ / "noise.avi").string()))});
    const ModalScript script({PressButton(1)});
    Drop(data);
    QTRY_COMPARE(script.Messages(), std::vector<QString>{"The format of this file is not supported."});
    QVERIFY(window_->Player().FileName().empty());
  }

  void TheColourChosenInTheFileListMenuIsKept() {
    window_->Actions().Get(TKorvelCommand::BackgroundSilver)->trigger();
    QCOMPARE(window_->Browser().ColourIndex(), 3);
    QVERIFY(window_->Actions().Get(TKorvelCommand::BackgroundSilver)->isChecked());
    window_->close();
    QCOMPARE(window_->Settings().BrowserColorIndex, 3);
  }
};

}  // namespace korvel::test

KORVEL_GUI_TEST_MAIN(korvel::test::KorvelWinBrowserTest)
#include "korvel_win_browser_test.moc"
