#pragma once
// The wizard that repairs one media file by rewriting it into a new one: AVI files are indexed
// again, ASF files rebuilt, program and transport streams remuxed with continuous times.
#include <filesystem>
#include <string>
#include <vector>

#include "app/wizards/wizard_frame.h"

class QLineEdit;

namespace korvel {

class TToolCommW final : public TWizardFrame {
  Q_OBJECT

public:
  static constexpr int32_t kModeMediaFile = 0;

  explicit TToolCommW(QWidget* parent = nullptr, const TEngineTable& engines = BuiltEngines());

  // The file to repair and the destination proposed for it. A wizard given a file offers no
  // other. Called once before the window is shown.
  void SetSource(int32_t mode, const std::filesystem::path& file);

  const std::filesystem::path& Destination() const override { return destination_; }
  // For the caller once the window has closed: the repaired file when the last run
  // succeeded, else nothing, so that a failed or partial output is never opened as repaired.
  std::filesystem::path Result() const { return Succeeded() ? destination_ : std::filesystem::path(); }

protected:
  std::vector<std::string> InfoLines() const override;
  void UpdateOwnControls() override;

private:
  QWidget* MakeDestPage();
  QWidget* MakeProducingPage();
  void ApplyCaptions();
  void ProposeDestination();
  void ShowPaths();
  void ChooseSource();
  void ChooseDestination();
  void Produce();
  std::vector<std::string> ModeLinesNow() const;

  int32_t mode_ = kModeMediaFile;
  uint8_t kind_ = 0;
  uint8_t subKind_ = 0;
  std::string extension_;
  bool sourceReadOnly_ = false;
  std::filesystem::path source_;
  std::filesystem::path destination_;

  QLineEdit* SrcFileFull;
  QLineEdit* SrcFileName;
  QPushButton* BtnSetSrcFile;
  QLineEdit* NewFileFull;
  QLineEdit* NewFileName;
  QPushButton* BtnSetNewFile;
  QPlainTextEdit* DestInfo;
  QProgressBar* ProgressBar2;
  QLabel* ProgressCap2;
};

}  // namespace korvel
