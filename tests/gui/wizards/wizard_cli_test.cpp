// The produce wizard over the real engines: what it writes is what korvel-cli produce writes for
// the same project, its log says what the command line says, and a stop keeps what an engine
// keeps.
#include <QCheckBox>
#include <QProgressBar>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "app/wizards/pdce_wizard.h"
#include "app/wizards/result_picture.h"
#include "base/file_read.h"
#include "base/ini_file.h"
#include "gui/support/gui_test_main.h"
#include "gui/wizards/wizard_driver.h"
#include "project/project_file.h"
#include "support/cli_run.h"
#include "support/temp_dir.h"

namespace korvel::test {

namespace fs = std::filesystem;

namespace {

// What ffprobe reads of every packet, its data included, or nothing when it cannot read the file.
std::optional<std::string> Packets(const fs::path& file) {
  const CliRun run = RunCommand("ffprobe -v error -show_data_hash CRC32 -show_entries "
                                "packet=stream_index,pts,dts,duration,flags,data_hash -of compact " +
                                Quoted(file));
  if (run.exitCode != 0) return std::nullopt;
  return run.out;
}

std::optional<std::vector<uint8_t>> Bytes(const fs::path& file) { return ReadWholeFile(file, size_t{1} << 26); }

// A project of the given clips of one file, with a source length the player might have
// reported: the engines take the analysed one.
fs::path WriteProject(const fs::path& folder, const fs::path& source, std::initializer_list<std::pair<int, int>> clips) {
  const fs::path project = folder / "clips.korvelproj";
  std::ofstream out(project);
  out << "[Clip]\r\nClipCount=" << clips.size() << "\r\n";
  int i = 0;
  for (const auto& [start, end] : clips)
    out << "[Clip" << i++ << "]\r\nFileName=" << source.string() << "\r\nTotalTime=" << end + 777
        << "\r\nStartTime=" << start << "\r\nEndTime=" << end << "\r\n";
  return project;
}

std::unique_ptr<TClipList> ReadProject(const fs::path& project) {
  auto clips = std::make_unique<TClipList>();
  clips->Analyzer = nullptr;
  const std::optional<IniFile> ini = IniFile::Load(project);
  if (ini) AddProjectClips(*ini, *clips);
  return clips;
}

// Outputs go to folder: the proposal treats the source's folder as one that cannot be written.
void WriteInto(TPdceWizardW& wizard, const fs::path& folder) {
  DestinationRules rules = DestinationRules::ForThisSystem(folder / "");
  rules.isOnReadOnlyStorage = [](const fs::path&) { return true; };
  wizard.SetDestinationRules(rules);
}

}  // namespace

class WizardCliTest : public QObject {
  Q_OBJECT

  EnglishWords words_;

private slots:
  void TheWizardWritesWhatTheCommandLineWrites_data() {
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<bool>("byteForByte");  // false: the format holds a creation time or a random id
    QTest::newRow("AVI") << "avi_xvid_mp3.avi" << true;
    QTest::newRow("MP4") << "mp4_h264_aac.mp4" << false;
    QTest::newRow("program stream") << "ps_mpeg2_mp2.mpg" << true;
    QTest::newRow("transport stream") << "ts_h264_aac.ts" << true;
    QTest::newRow("WMV") << "asf_wmv2.wmv" << false;
  }

  void TheWizardWritesWhatTheCommandLineWrites() {
    QFETCH(QString, fixture);
    QFETCH(bool, byteForByte);
    TempDir dir;
    const fs::path source = Fixture(fixture.toStdString());
    const fs::path project = WriteProject(dir.path(), source, {{200, 1200}, {900, 1900}});
    const auto clips = ReadProject(project);
    QCOMPARE(clips->Count(), 2);

    TPdceWizardW wizard;
    WriteInto(wizard, dir / "wizard");
    fs::create_directories(dir / "wizard");
    wizard.SetClipList(clips.get());
    const fs::path ours = wizard.Destination();
    QVERIFY(!ours.empty());
    ProduceFromDest(wizard);
    QVERIFY(WaitForEnd(wizard));
    QVERIFY2(wizard.Succeeded(), qPrintable(LogLines(wizard).join('\n')));

    fs::create_directories(dir / "cli");
    const fs::path theirs = dir / "cli" / ours.filename();
    const CliRun cli = RunCli("produce -q " + Quoted(project) + " -o " + Quoted(theirs), false);
    QCOMPARE(cli.exitCode, 0);

    if (byteForByte) {
      const auto a = Bytes(ours);
      const auto b = Bytes(theirs);
      QVERIFY(a && b);
      QVERIFY2(*a == *b, qPrintable(QString("%1 and %2 bytes").arg(a->size()).arg(b->size())));
    } else {
      const auto a = Packets(ours);
      const auto b = Packets(theirs);
      QVERIFY(a && b);
      QCOMPARE(*a, *b);
    }
    QStringList cliLines = QString::fromStdString(cli.out).split('\n');
    if (!cliLines.isEmpty() && cliLines.back().isEmpty()) cliLines.removeLast();
    QCOMPARE(RunLines(wizard), cliLines);
  }

  void StopAtTheFirstProgressKeepsAShorterReadableFile_data() {
    QTest::addColumn<QString>("fixture");
    QTest::newRow("AVI") << "avi_xvid_sparse_keys.avi";
    QTest::newRow("MP4") << "mp4_h264_sparse_keys.mp4";
    QTest::newRow("program stream") << "ps_mpeg2_long.mpg";
    QTest::newRow("transport stream") << "ts_h264_sparse_keys.ts";
    QTest::newRow("WMV") << "asf_wmv2_long.wmv";
  }

  void StopAtTheFirstProgressKeepsAShorterReadableFile() {
    QFETCH(QString, fixture);
    TempDir dir;
    const fs::path source = Fixture(fixture.toStdString());
    const fs::path project = WriteProject(dir.path(), source, {{0, 60000}});
    const auto clips = ReadProject(project);
    fs::create_directories(dir / "full");

    TPdceWizardW wizard;
    WriteInto(wizard, dir / "wizard");
    fs::create_directories(dir / "wizard");
    wizard.SetClipList(clips.get());
    const fs::path whole = dir / "full" / wizard.Destination().filename();
    QCOMPARE(RunCli("produce -q " + Quoted(project) + " -o " + Quoted(whole), false).exitCode, 0);

    // The worker waits while its progress is shown, so the stop comes before it goes on.
    auto* bar = Part<QProgressBar>(wizard, "ProgressBar2");
    connect(bar, &QProgressBar::valueChanged, this, [&](int value) {
      if (value > 0 && Button(wizard, "BtnStop")->isEnabled()) Click(wizard, "BtnStop");
    });
    ProduceFromDest(wizard);
    QVERIFY(WaitForEnd(wizard));
    disconnect(bar, nullptr, this, nullptr);

    QVERIFY(!wizard.Succeeded());
    QVERIFY(RunLines(wizard).contains("Stopped by the user."));
    const fs::path kept = wizard.Destination();
    const bool wmv = kept.extension() == ".wmv";
    // WMV keeps an output of 20480 bytes or more; every other engine keeps what it copied.
    if (!wmv || fs::exists(kept)) {
      QVERIFY(fs::exists(kept));
      QVERIFY(!wmv || fs::file_size(kept) >= 20480);
      QVERIFY2(fs::file_size(kept) < fs::file_size(whole),
               qPrintable(QString("%1 of %2 bytes").arg(fs::file_size(kept)).arg(fs::file_size(whole))));
      QVERIFY(Packets(kept).has_value());
      QVERIFY(LogLines(wizard).back().endsWith(QString::fromStdString(kept.string())));
    }
    QVERIFY(Button(wizard, "BtnProduce")->isEnabled());
    QVERIFY(Button(wizard, "BtnClose")->isEnabled());
    QVERIFY(!Button(wizard, "BtnStop")->isEnabled());
    QVERIFY(!Part<QCheckBox>(wizard, "CheckOpen")->isEnabled());
    QCOMPARE(Part<TResultPicture>(wizard, "ResultPicture")->Playing(), QString("PdceFail.gif"));
  }
};

}  // namespace korvel::test

KORVEL_GUI_TEST_MAIN(korvel::test::WizardCliTest)
#include "wizard_cli_test.moc"
