// The difference dialog: its rows from the comparison, its texts as plain text, its width
// kept on the screen, and the choice it reports.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTest>

#include "app/format_differences_win.h"
#include "gui/app/browser_test_support.h"
#include "gui/support/gui_test_main.h"
#include "mediainfo/container_kind.h"

namespace korvel::test {

class FormatDifferencesWinTest : public QObject {
  Q_OBJECT

  EnglishWords words_;
  QWidget owner_;

  static QdMediaInfo Described(const char* file, uint8_t kind) {
    QdMediaInfo info;
    info.FileName = file;
    info.Kind = kind;
    info.SubKind = kind == kKindMp4Family ? kSubKindMp4 : 0;
    return info;
  }

  static QString Row(const TDiffMdaInfoWin& dialog, int row) {
    return dialog.Cell(row, 0)->text() + dialog.Cell(row, 1)->text() + dialog.Cell(row, 2)->text();
  }

private slots:
  void AnAviAgainstAnMp4ShowsTheKindsAndNoContainerRows() {
    const QdMediaInfo avi = Described("/v/clips <b>one<i>.avi", kKindAvi);
    const QdMediaInfo mp4 = Described("/v/new.mp4", kKindMp4Family);
    QdMISameChk chk{"Clips", "Open", &avi, &mp4};
    TDiffMdaInfoWin dialog(&owner_, "Korvel", "The format differs.", FormatDifferenceRows(chk));
    dialog.Prepare(std::nullopt);
    QCOMPARE(dialog.RowCount(), 3);
    QCOMPARE(Row(dialog, 0), QString("Clips  :  Open"));
    QCOMPARE(Row(dialog, 1), QString("File name = clips <b>one<i>.avi  :  new.mp4"));
    QCOMPARE(Row(dialog, 2), QString("Media Format = AVI  :  MP4"));
    // Names from files are text, never markup.
    QCOMPARE(dialog.Cell(1, 1)->textFormat(), Qt::PlainText);
    QCOMPARE(dialog.Msg()->textFormat(), Qt::PlainText);
    QVERIFY(dialog.Cell(0, 0)->text().isEmpty());
  }

  void NeverGrowsWiderThanTheScreen() {
    const QdMediaInfo a = Described(("/v/" + std::string(3000, 'a') + ".avi").c_str(), kKindAvi);
    const QdMediaInfo b = Described("/v/b.mp4", kKindMp4Family);
    QdMISameChk chk{"Clips", "Open", &a, &b};
    TDiffMdaInfoWin dialog(&owner_, "Korvel", QString(2000, 'm'), FormatDifferenceRows(chk));
    dialog.Prepare(std::nullopt);
    const int screenWidth = QApplication::primaryScreen()->availableGeometry().width();
    QVERIFY2(dialog.width() <= screenWidth, qPrintable(QString::number(dialog.width())));
    QVERIFY(dialog.PanMainBg()->widget()->sizeHint().width() > dialog.width());  // the table scrolls instead

    // A short table keeps its own width: the buttons' row and a margin.
    TDiffMdaInfoWin narrow(&owner_, "Korvel", "x", TDifferenceRows{});
    narrow.Prepare(std::nullopt);
    QVERIFY(narrow.width() >= narrow.BtnNewProject()->width() + narrow.BtnOk()->width() + 15 + 50);
    QVERIFY(narrow.BtnOk()->width() >= 120);
  }

  void ReportsWhetherANewProjectWasChosen() {
    const QdMediaInfo avi = Described("/v/a.avi", kKindAvi);
    const QdMediaInfo mp4 = Described("/v/b.mp4", kKindMp4Family);
    const QdMISameChk chk{"Clips", "Open", &avi, &mp4};
    const std::pair<ModalScript::Answer, bool> cases[] = {
        {[](QWidget& modal) { dynamic_cast<TDiffMdaInfoWin&>(modal).BtnNewProject()->click(); }, true},
        {[](QWidget& modal) { dynamic_cast<TDiffMdaInfoWin&>(modal).BtnOk()->click(); }, false},
        {[](QWidget& modal) { QTest::keyClick(&modal, Qt::Key_Escape); }, false},
        {[](QWidget& modal) { QTest::keyClick(&modal, Qt::Key_Return); }, false}};
    for (const auto& [answer, chosen] : cases) {
      const ModalScript script({answer});
      QCOMPARE(ShowFormatDifferences(&owner_, "Korvel", "Differs.", std::nullopt, &chk), chosen);
      QCOMPARE(script.Messages(), std::vector<QString>{"Differs."});
    }
    const QdMISameChk half{"Clips", "Open", &avi, nullptr};
    QVERIFY(!ShowFormatDifferences(&owner_, "Korvel", "Differs.", std::nullopt, &half));
    QVERIFY(!ShowFormatDifferences(&owner_, "Korvel", "Differs.", std::nullopt, nullptr));
  }
};

}  // namespace korvel::test

KORVEL_GUI_TEST_MAIN(korvel::test::FormatDifferencesWinTest)
#include "format_differences_win_test.moc"
