#pragma once
// The Media Production Wizard: turns the clip list into a new file without re-encoding. It
// proposes a destination beside the first clip's file, shows what will be produced, runs the
// join and reports its status, progress, elapsed time and result.
#include <filesystem>
#include <string>
#include <vector>

#include "app/wizards/wizard_frame.h"

class QCheckBox;
class QLineEdit;
class QTabWidget;

namespace korvel {

class TClipList;
class TResultPicture;

class TPdceWizardW final : public TWizardFrame {
  Q_OBJECT

public:
  explicit TPdceWizardW(QWidget* parent = nullptr, const TEngineTable& engines = BuiltEngines());

  // The list to produce (not owned; it must outlive the wizard) and the destination proposed
  // for it. Called once before the window is shown.
  void SetClipList(const TClipList* clips);

  // Results for the caller once the window has closed.
  const std::filesystem::path& Destination() const override { return destination_; }
  // "Open Output File" is both enabled and checked.
  bool OpenOutputFile() const;

protected:
  std::vector<std::string> InfoLines() const override;
  void UpdateOwnControls() override;
  void RunStarted() override;
  void RunStatus(const std::string& line) override;
  void RunFinished(bool succeeded) override;
  void RunRefused() override;

private:
  QWidget* MakeDestPage();
  QWidget* MakeProducingPage();
  void ShowDestination();
  void ChooseDestination();
  void Produce();
  // The three status lines scroll up; the newest is the third, in bold.
  void PushStatusLine(const QString& text);
  std::vector<std::string> SummaryLines() const;

  const TClipList* clips_ = nullptr;
  uint8_t kind_ = 0;
  uint8_t subKind_ = 0;
  std::string extension_;
  std::filesystem::path source_;
  bool sourceReadOnly_ = false;
  std::filesystem::path destination_;

  QLineEdit* NewFileFull;
  QLineEdit* NewFileName;
  QPushButton* BtnSetNewFile;
  QPlainTextEdit* DestInfo;
  QTabWidget* PdceTabs;
  QLabel* StatusLine[3];
  QProgressBar* ProgressBar1;
  QLabel* ProgressCap1;
  QProgressBar* ProgressBar2;
  QLabel* ProgressCap2;
  TResultPicture* ResultPicture;
  QCheckBox* CheckOpen;
};

}  // namespace korvel
