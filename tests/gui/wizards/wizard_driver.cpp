#include "gui/wizards/wizard_driver.h"

#include <QDeadlineTimer>
#include <QLineEdit>
#include <QTest>

#include "produce/wizard_summary.h"
#include "support/temp_dir.h"

namespace korvel::test {

bool Click(QWidget& wizard, const char* name) {
  QPushButton* button = Button(wizard, name);
  if (!button) return false;
  QTest::mouseClick(button, Qt::LeftButton);
  return true;
}

void ProduceFromDest(QWidget& wizard) {
  Click(wizard, "BtnNext");
  Click(wizard, "BtnProduce");
}

bool WaitForEnd(const TWizardFrame& wizard, int timeoutMs) {
  QDeadlineTimer deadline(timeoutMs);
  while (wizard.Busy() && !deadline.hasExpired()) QTest::qWait(10);
  return !wizard.Busy();
}

QStringList LogLines(QWidget& wizard) {
  return Part<QPlainTextEdit>(wizard, "PdceStatusDetail")->toPlainText().split('\n');
}

QStringList RunLines(QWidget& wizard) {
  const QStringList lines = LogLines(wizard);
  const qsizetype separator = lines.indexOf(kSummarySeparator);
  return separator < 0 ? QStringList() : lines.mid(separator + 2);
}

std::unique_ptr<TClipList> MakeClips(const std::vector<ClipSpec>& clips) {
  auto list = std::make_unique<TClipList>();
  list->Analyzer = nullptr;
  for (const ClipSpec& clip : clips) {
    auto item = std::make_unique<TClipItem>();
    item->SetFileName(clip.file);
    item->SetTotalTime(clip.end + 1);
    item->SetStartTime(clip.start);
    item->SetEndTime(clip.end);
    list->Add(std::move(item));
  }
  return list;
}

void CopyFixture(const char* fixture, const std::filesystem::path& dest) {
  std::filesystem::create_directories(dest.parent_path());
  std::filesystem::copy_file(Fixture(fixture), dest, std::filesystem::copy_options::overwrite_existing);
}

void ChooseInFileDialog(QFileDialog& dialog, const std::filesystem::path& file) {
  const QString name = QString::fromStdString(file.string());
  dialog.selectFile(name);
  // selectFile leaves the name field alone while it has the focus, so the name is typed there
  // too, whole, as a person may.
  if (auto* field = dialog.findChild<QLineEdit*>("fileNameEdit")) field->setText(name);
  static_cast<QDialog&>(dialog).accept();  // as the Save button does
}

}  // namespace korvel::test
