// The browser as a person uses it, on folders inside the suite's own home: listing, opening
// with its checks, renaming, deleting to the trash, and dragging a file onto the video.
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <ctime>
#include <memory>

#include "app/format_differences_win.h"
#include "app/media_browser.h"
#include "base/file_list_text.h"
#include "controls/j_dir_tree2.h"
#include "gui/app/browser_test_support.h"
#include "gui/support/gui_test_main.h"
#include "gui/wizards/wizard_driver.h"

namespace korvel::test {

namespace fs = std::filesystem;

class MediaBrowserTest : public QObject {
  Q_OBJECT

  EnglishWords words_;
  std::unique_ptr<FakeBrowserHost> host_;
  std::unique_ptr<TMediaBrowser> browser_;
  fs::path folder_;

  fs::path Videos() const { return TestUserFolders().Home() / "Videos"; }
  fs::path Trash() const { return TestUserFolders().Home() / ".local/share/Trash"; }

  // A fresh folder inside the user's videos, shown by a fresh browser.
  void ShowFolder(const std::string& name) {
    folder_ = Videos() / name;
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void StartBrowser() {
    host_ = std::make_unique<FakeBrowserHost>();
    browser_ = std::make_unique<TMediaBrowser>(*host_);
    host_->browser = browser_.get();
    browser_->resize(300, 500);
    browser_->show();
    browser_->Init(folder_);
  }
  QTreeWidget* List() const { return browser_->FileList(); }
  QTreeWidgetItem* Item(const fs::path& name) const {
    for (int i = 0; i < List()->topLevelItemCount(); ++i)
      if (TJDirTree2::ItemPath(List()->topLevelItem(i)) == folder_ / name) return List()->topLevelItem(i);
    return nullptr;
  }
  QStringList Captions() const {
    QStringList captions;
    for (int i = 0; i < List()->topLevelItemCount(); ++i) captions << List()->topLevelItem(i)->text(0);
    captions.sort();
    return captions;
  }
  void Focus(const fs::path& name) {
    QTreeWidgetItem* item = Item(name);
    QVERIFY2(item, name.c_str());
    List()->setFocus();
    List()->setCurrentItem(item);
  }
  void DoubleClick(const fs::path& name) {
    Focus(name);
    const QRect place = List()->visualItemRect(Item(name));
    QTest::mousePress(List()->viewport(), Qt::LeftButton, {}, place.center());
    QTest::mouseRelease(List()->viewport(), Qt::LeftButton, {}, place.center());
    QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, place.center());
  }
  void AddClip(const fs::path& file) {
    auto clip = std::make_unique<TClipItem>();
    clip->SetFileName(file);
    clip->SetTotalTime(5000);
    clip->SetEndTime(1000);
    host_->clips.Add(std::move(clip));
  }
  void Copy(const std::string& fixture, const fs::path& name) { fs::copy_file(FixturePath(fixture), folder_ / name); }

private slots:
  void initTestCase() { fs::create_directories(Videos()); }

  void ListsExactlyTheMediaFilesWithTheirSizesAndDates() {
    ShowFolder("listing");
    for (const char* name : {"clip.avi", "CLIP.WMV", "a.Mp4", "b.m2t", "x.m2ts", "y.mkv", "z.avi.bak", ".h.avi", "noext"})
      WriteText(folder_ / name, "x");
    WriteText(folder_ / "clip.avi", std::string(1536, 'a'));
    fs::create_directory(folder_ / "sub");
    std::tm march{};
    march.tm_year = 2024 - 1900;
    march.tm_mon = 2;
    march.tm_mday = 7;
    march.tm_hour = 12;
    march.tm_isdst = -1;
    const utimbuf times{std::mktime(&march), std::mktime(&march)};
    ::utime((folder_ / "clip.avi").c_str(), &times);
    StartBrowser();

    QCOMPARE(Captions(), (QStringList{"CLIP.WMV", "a.Mp4", "b.m2t", "clip.avi", "x.m2ts"}));
    QCOMPARE(browser_->FolderInfo()->text(), QString("Videos/listing (5)"));
    QCOMPARE(Item("clip.avi")->text(1), QString("2 KB"));
    QCOMPARE(Item("clip.avi")->text(2), QString("03/07/2024"));
    QCOMPARE(Item("a.Mp4")->text(1), QString("0 KB"));
    // The folder shows in the tree, the files do not.
    QTreeWidgetItem* node = browser_->Tree()->currentItem();
    QCOMPARE(TJDirTree2::ItemPath(node), folder_);
    browser_->Tree()->expandItem(node);
    QCOMPARE(node->childCount(), 1);
    QCOMPARE(node->child(0)->text(0), QString("sub"));
  }

  void ItemsCarryTheirExactPaths() {
    ShowFolder("exact");
    const std::string odd = "  pad \xFF.avi";  // leading blanks, and a byte that is no UTF-8
    WriteText(folder_ / odd, "x");
    StartBrowser();
    QCOMPARE(List()->topLevelItemCount(), 1);
    Focus(odd);
    QCOMPARE(browser_->FocusedFile(), folder_ / odd);
  }

  void AFolderBesideTheVideosFolderIsNotInsideIt() {
    ShowFolder("unused");
    const fs::path beside = TestUserFolders().Home() / "Videos2" / "trip";
    fs::create_directories(beside);
    StartBrowser();
    browser_->Tree()->SetCurrentPath(beside);
    QCOMPARE(browser_->Tree()->CurrentPath(), beside / "");
    QCOMPARE(browser_->Tree()->DisplayPath(), QString::fromStdString((beside / "").string()));
    browser_->Tree()->SetCurrentPath(Videos() / "unused");
    QCOMPARE(browser_->Tree()->DisplayPath(), QString("Videos/unused/"));
  }

  void TheComputerNodeListsNothingAndOffersNoFileCommands() {
    ShowFolder("computer");
    WriteText(folder_ / "a.avi", "x");
    StartBrowser();
    QCOMPARE(List()->topLevelItemCount(), 1);
    browser_->Tree()->setCurrentItem(browser_->Tree()->ComputerNode());
    QCOMPARE(List()->topLevelItemCount(), 0);
    QVERIFY(browser_->Tree()->CurrentPath().empty());
    browser_->OpenSelectedFile();
    browser_->DeleteSelectedFiles();
    QVERIFY(host_->opened.empty());
    QVERIFY(fs::exists(folder_ / "a.avi"));
  }

  void AnAviWithoutItsIndexIsOfferedForRepairAndNoOpensItAsItIs() {
    ShowFolder("noindex");
    Copy("avi_xvid_mp3_noidx1.avi", "broken.avi");
    StartBrowser();
    const ModalScript script({PressButton(2)});
    DoubleClick("broken.avi");
    QCOMPARE(script.Messages().size(), size_t{1});
    QCOMPARE(script.Messages()[0], QString("The index of this file is missing or damaged.\n\nDo you want to reconstruct it now?"));
    QCOMPARE(host_->opened, std::vector<fs::path>{folder_ / "broken.avi"});
    QVERIFY(host_->pauses > 0);
  }

  void TheRepairedFileOpensOnceTheRepairHasSucceeded() {
    ShowFolder("repair");
    Copy("avi_xvid_mp3_noidx1.avi", "broken.avi");
    StartBrowser();
    bool ended = false;
    const ModalScript script({PressButton(1), [&](QWidget& modal) {
                                auto& wizard = dynamic_cast<TWizardFrame&>(modal);
                                ProduceFromDest(wizard);
                                ended = WaitForEnd(wizard);
                                wizard.close();
                              }});
    DoubleClick("broken.avi");
    QCOMPARE(script.Messages().size(), size_t{2});
    QVERIFY(ended);
    QCOMPARE(host_->opened, std::vector<fs::path>{folder_ / "broken_Re.avi"});
    // The browser shows the repaired file, selected.
    QCOMPARE(TJDirTree2::ItemPath(List()->currentItem()), folder_ / "broken_Re.avi");
  }

  void ClosingTheRepairQuestionOpensNothing() {
    ShowFolder("noindex-closed");
    Copy("avi_xvid_mp3_noidx1.avi", "broken.avi");
    StartBrowser();
    const ModalScript script({[](QWidget& modal) { modal.close(); }});
    DoubleClick("broken.avi");
    QCOMPARE(script.Messages().size(), size_t{1});
    QVERIFY(host_->opened.empty());
  }

  void FilesThatCannotBeDescribedSayWhy() {
    ShowFolder("unreadable");
    WriteText(folder_ / "noise.avi", std::string("\x13\x57\x9B\xDF not a movie at all", 24));
    fs::create_symlink("loop.avi", folder_ / "loop.avi");
    WriteText(folder_ / "locked.avi", "x");
    fs::permissions(folder_ / "locked.avi", fs::perms::none);
    StartBrowser();
    struct Case {
      const char* file;
      QString message;
    };
    std::vector<Case> cases{{"noise.avi", "The format of this file is not supported."},
                            {"loop.avi", "The file could not be read.\n\nToo many levels of symbolic links"}};
    // The superuser reads every file whatever its permissions say.
    if (::geteuid() != 0) cases.push_back({"locked.avi", "The file could not be read.\n\nPermission denied"});
    for (const Case& c : cases) {
      const ModalScript script({PressButton(1)});
      Focus(c.file);
      QTest::keyClick(List(), Qt::Key_Return);
      QCOMPARE(script.Messages(), std::vector<QString>{c.message});
    }
    QVERIFY(host_->opened.empty());
  }

  void AFileOfAnotherFormatThanTheClipsShowsTheDifferences() {
    ShowFolder("differences");
    Copy("avi_xvid_mp3.avi", "clips.avi");
    Copy("avi_xvid_mp3.avi", "same.avi");
    Copy("mp4_h264_aac.mp4", "other.mp4");
    StartBrowser();
    AddClip(folder_ / "clips.avi");
    QCOMPARE(host_->clips.RefInfo().FileName, folder_ / "clips.avi");

    // A file like the clips' opens without a word.
    DoubleClick("same.avi");
    QCOMPARE(host_->opened, std::vector<fs::path>{folder_ / "same.avi"});

    QString kinds;
    const ModalScript declined({[&](QWidget& modal) {
      auto& dialog = dynamic_cast<TDiffMdaInfoWin&>(modal);
      kinds = dialog.Cell(2, 0)->text() + dialog.Cell(2, 1)->text() + dialog.Cell(2, 2)->text();
      dialog.BtnOk()->click();
    }});
    DoubleClick("other.mp4");
    QCOMPARE(declined.Messages().size(), size_t{1});
    QCOMPARE(kinds, QString("Media Format = AVI  :  MP4"));
    QCOMPARE(host_->opened.size(), size_t{1});
    QCOMPARE(host_->clips.Count(), 1);
    QCOMPARE(host_->newProjects, 0);

    const ModalScript accepted({[](QWidget& modal) { dynamic_cast<TDiffMdaInfoWin&>(modal).BtnNewProject()->click(); }});
    DoubleClick("other.mp4");
    QCOMPARE(accepted.Messages().size(), size_t{1});
    QCOMPARE(host_->newProjects, 1);
    QCOMPARE(host_->clips.Count(), 0);
    QCOMPARE(host_->opened.back(), folder_ / "other.mp4");
  }

  void RenamingOntoAnExistingNameChangesNeitherFile() {
    ShowFolder("rename-taken");
    WriteText(folder_ / "a.avi", "first");
    WriteText(folder_ / "b.avi", "second");
    StartBrowser();
    Focus("a.avi");
    QTest::keyClick(List(), Qt::Key_F2);
    auto* editor = List()->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, "b.avi");
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(Item("a.avi")->text(0), QString("a.avi"));
    const std::vector<uint8_t> first{'f', 'i', 'r', 's', 't'};
    const std::vector<uint8_t> second{'s', 'e', 'c', 'o', 'n', 'd'};
    QCOMPARE(FileBytes(folder_ / "a.avi"), first);
    QCOMPARE(FileBytes(folder_ / "b.avi"), second);
    for (const QString refused : {"", "  ", "..", "x/y.avi"}) {
      browser_->RenameFile(Item("a.avi"), refused);
      QCOMPARE(Item("a.avi")->text(0), QString("a.avi"));
      QVERIFY(fs::exists(folder_ / "a.avi"));
    }
  }

  void RenamingAFileTakesItsClipsAlong() {
    ShowFolder("rename-clips");
    WriteText(folder_ / "a.avi", "first");
    StartBrowser();
    // The clip names the file through another spelling of its folder.
    AddClip(Videos() / "." / "rename-clips" / ".." / "rename-clips" / "a.avi");
    AddClip(folder_ / "a.avi");
    host_->playerFile = folder_ / "a.avi";
    Item("a.avi")->setText(0, "  take two.avi ");
    QVERIFY(!fs::exists(folder_ / "a.avi"));
    QVERIFY(fs::exists(folder_ / "take two.avi"));
    QVERIFY(Item("take two.avi"));
    QCOMPARE(host_->clips.Get(0)->FileName(), folder_ / "take two.avi");
    QCOMPARE(host_->clips.Get(1)->FileName(), folder_ / "take two.avi");
    QVERIFY(host_->clips.Changed());
    QVERIFY(host_->playerFile.empty());  // the player let go of the file first
  }

  void DeletingToTheTrashRemovesTheFilesClips() {
    ShowFolder("trash");
    WriteText(folder_ / "used.avi", "used");
    WriteText(folder_ / "other.avi", "other");
    StartBrowser();
    AddClip(folder_ / "used.avi");
    AddClip(folder_ / "other.avi");
    AddClip(folder_ / "used.avi");
    Focus("used.avi");
    Item("used.avi")->setSelected(true);
    const ModalScript script({PressButton(1)});
    QTest::keyClick(List(), Qt::Key_Delete);
    QCOMPARE(script.Messages().size(), size_t{1});
    QVERIFY(script.Messages()[0].startsWith(QString::fromStdString((folder_ / "used.avi").string()) + "\n\n" +
                                            "Clips in the clip list use these files."));
    QVERIFY(script.Messages()[0].endsWith("Do you want to delete the selected files?"));
    QVERIFY(!fs::exists(folder_ / "used.avi"));
    QCOMPARE(FileBytes(Trash() / "files" / "used.avi"), (std::vector<uint8_t>{'u', 's', 'e', 'd'}));
    QVERIFY(fs::exists(Trash() / "info" / "used.avi.trashinfo"));
    QCOMPARE(host_->clips.Count(), 1);
    QCOMPARE(host_->clips.Get(0)->FileName(), folder_ / "other.avi");
    QCOMPARE(Captions(), QStringList{"other.avi"});
    QCOMPARE(browser_->FolderInfo()->text(), QString("Videos/trash (1)"));
  }

  void WhenTheTrashFailsOnlyAYesDeletesForGood() {
    ShowFolder("no-trash");
    WriteText(folder_ / "keep.avi", "keep");
    WriteText(folder_ / "gone.avi", "gone");
    StartBrowser();
    AddClip(folder_ / "keep.avi");
    // A file where the trash folder belongs: nothing can be moved there.
    fs::remove_all(Trash());
    WriteText(Trash(), "");
    {
      Focus("keep.avi");
      const ModalScript script({PressButton(1), PressButton(1)});
      QTest::keyClick(List(), Qt::Key_Delete);
      QCOMPARE(script.Messages().size(), size_t{2});
      QVERIFY(script.Messages()[1].endsWith("The file could not be moved to the trash.\n\nDo you want to delete it permanently?"));
      QVERIFY(fs::exists(folder_ / "keep.avi"));
      QVERIFY(Item("keep.avi"));
      QCOMPARE(host_->clips.Count(), 1);
    }
    {
      List()->clearSelection();
      Focus("gone.avi");
      const ModalScript script({PressButton(1), PressButton(2)});
      QTest::keyClick(List(), Qt::Key_Delete);
      QCOMPARE(script.Messages().size(), size_t{2});
      QVERIFY(!fs::exists(folder_ / "gone.avi"));
      QVERIFY(!Item("gone.avi"));
    }
    fs::remove(Trash());
  }

  void DraggingAFileOntoTheVideoOpensIt() {
    ShowFolder("drag");
    Copy("avi_xvid_mp3.avi", "drag.avi");
    StartBrowser();
    QWidget video;
    video.resize(200, 150);
    video.show();
    browser_->AcceptDropsOn(&video);
    Focus("drag.avi");
    Item("drag.avi")->setSelected(true);
    // What the list hands to the drag it starts.
    std::unique_ptr<QMimeData> data(List()->model()->mimeData(List()->selectionModel()->selectedIndexes()));
    QVERIFY(TMediaBrowser::IsBrowserDrag(data.get()));
    QDragEnterEvent enter(QPoint(100, 75), Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(&video, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(100, 75), Qt::CopyAction | Qt::MoveAction, data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(&video, &drop);
    QCOMPARE(host_->opened, std::vector<fs::path>{folder_ / "drag.avi"});
    // Other drops stay the video's own business.
    QMimeData text;
    text.setText("hello");
    QDragEnterEvent other(QPoint(100, 75), Qt::CopyAction, &text, Qt::LeftButton, {});
    other.ignore();
    QApplication::sendEvent(&video, &other);
    QVERIFY(!other.isAccepted());
  }

  void ThePopupOffersRepairOnlyForFilesThatCanBeRepaired() {
    ShowFolder("popup");
    Copy("avi_xvid_mp3.avi", "a.avi");
    Copy("mp4_h264_aac.mp4", "b.mp4");
    StartBrowser();
    List()->setCurrentItem(nullptr);
    List()->clearSelection();
    QMetaObject::invokeMethod(List(), "customContextMenuRequested", Q_ARG(QPoint, QPoint(5, 5)));
    browser_->FilePopup()->hide();
    QVERIFY(!browser_->PfOpen()->isEnabled());
    QVERIFY(!browser_->PfDelete()->isEnabled());
    QVERIFY(!browser_->PfReconstruct()->isEnabled());
    for (const auto& [file, repairable] : {std::pair{"a.avi", true}, std::pair{"b.mp4", false}}) {
      Focus(file);
      Item(file)->setSelected(true);
      QMetaObject::invokeMethod(List(), "customContextMenuRequested", Q_ARG(QPoint, QPoint(5, 5)));
      browser_->FilePopup()->hide();
      QVERIFY(browser_->PfOpen()->isEnabled());
      QVERIFY(browser_->PfDelete()->isEnabled());
      QCOMPARE(browser_->PfReconstruct()->isEnabled(), repairable);
    }
  }

  void cleanup() {
    browser_.reset();
    host_.reset();
  }
};

}  // namespace korvel::test

KORVEL_GUI_TEST_MAIN(korvel::test::MediaBrowserTest)
#include "media_browser_test.moc"
