#include "app/wizards/tool_comm_wizard.h"

#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "app/wizards/qt_text.h"
#include "app/wizards/user_folder_names.h"
#include "app/wizards/wizard_widgets.h"
#include "lang/lang.h"
#include "mediainfo/analyze_media_file.h"
#include "mediainfo/container_kind.h"
#include "produce/wizard_summary.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

}  // namespace

TToolCommW::TToolCommW(QWidget* parent, const TEngineTable& engines) : TWizardFrame(parent, engines) {
  setObjectName("ToolCommW");
  AddPage(MakeDestPage());
  AddInfoPage();
  AddPage(MakeProducingPage());
  connect(BtnProduce, &QPushButton::clicked, this, [this] { Produce(); });
  connect(BtnSetSrcFile, &QPushButton::clicked, this, [this] { ChooseSource(); });
  connect(BtnSetNewFile, &QPushButton::clicked, this, [this] { ChooseDestination(); });
  ApplyCaptions();
  resize(560, 420);
  ShowPage(kPageDest);
}

QWidget* TToolCommW::MakeDestPage() {
  auto* page = new QWidget;
  page->setObjectName("TabSetDest");
  SrcFileFull = ReadOnlyEdit("SrcFileFull");
  SrcFileName = ReadOnlyEdit("SrcFileName");
  BtnSetSrcFile = ChooserButton("BtnSetSrcFile");
  NewFileFull = ReadOnlyEdit("NewFileFull");
  NewFileName = ReadOnlyEdit("NewFileName");
  BtnSetNewFile = ChooserButton("BtnSetNewFile");
  DestInfo = Memo("DestInfo");
  auto* form = new QFormLayout;
  form->addRow(ToQt(LangStr("Base", "FileName") + " :"), NameRow(SrcFileName, BtnSetSrcFile));
  form->addRow(QString(), SrcFileFull);
  form->addRow(ToQt(LangStr("Base", "New") + " " + LangStr("Base", "FileName") + " :"),
               NameRow(NewFileName, BtnSetNewFile));
  form->addRow(QString(), NewFileFull);
  auto* layout = new QVBoxLayout(page);
  layout->addLayout(form);
  layout->addWidget(DestInfo, 1);
  return page;
}

QWidget* TToolCommW::MakeProducingPage() {
  auto* page = new QWidget;
  page->setObjectName("TabProducing");
  ProgressBar2 = new QProgressBar;
  ProgressBar2->setObjectName("ProgressBar2");
  ProgressCap2 = new QLabel;
  ProgressCap2->setObjectName("ProgressCap2");
  AddProgressView(ProgressBar2, ProgressCap2);
  auto* layout = new QGridLayout(page);
  layout->addWidget(PdceStatusDetail, 0, 0, 1, 3);
  layout->addWidget(ProgressBar2, 1, 0, 1, 2);
  layout->addWidget(ProgressCap2, 1, 2);
  layout->addWidget(ElapsedLabel, 2, 0);
  layout->addWidget(ElapsedTime, 2, 1);
  layout->setColumnStretch(1, 1);
  return page;
}

void TToolCommW::ApplyCaptions() {
  setWindowTitle(ToQt(LangStr("Korvel1", "Wizard")));
  BtnProduce->setText(ToQt(LangStr("Korvel1", "Produce")));
  if (mode_ != kModeMediaFile) return;
  setWindowTitle(ToQt(ReconstructModeText() + " " + LangStr("Korvel1", "Wizard")));
  BtnProduce->setText(ToQt(LangStr("Korvel2", "Reconstruct")));
}

void TToolCommW::SetSource(int32_t mode, const fs::path& file) {
  mode_ = mode;
  source_ = file;
  if (!source_.empty()) {
    BtnSetSrcFile->setEnabled(false);
    BtnSetSrcFile->hide();
  }
  ApplyCaptions();
  ProposeDestination();
}

std::vector<std::string> TToolCommW::ModeLinesNow() const {
  return ModeLines(mode_ == kModeMediaFile ? ReconstructModeText() : "", kind_, subKind_);
}

void TToolCommW::ProposeDestination() {
  kind_ = 0;
  subKind_ = 0;
  extension_.clear();
  destination_.clear();
  sourceReadOnly_ = false;
  if (!source_.empty()) {
    QdMediaInfo info;
    AnalyzeMediaFile(source_, info);
    // The kind counts even when the description failed: a damaged file is what this repairs.
    kind_ = info.Kind;
    subKind_ = info.SubKind;
    extension_ = KindExtension(kind_, subKind_);
  }
  if (kind_ != 0 && !extension_.empty()) {
    sourceReadOnly_ = Rules().isOnReadOnlyStorage(source_);
    destination_ = ProposeReconstructDestination(source_, extension_, Rules());
  }
  ShowPaths();
}

void TToolCommW::ShowPaths() {
  const std::vector<TNamedFolder> folders = UserFolderNames();
  const std::string source = source_.empty() ? "" : DisplayPath(source_, folders);
  SrcFileFull->setText(ToQt(DisplayFolder(source)));
  SrcFileName->setText(ToQt(source_.filename()));
  const std::string destination = destination_.empty() ? "" : DisplayPath(destination_, folders);
  NewFileFull->setText(ToQt(DisplayFolder(destination)));
  NewFileName->setText(ToQt(destination_.filename()));
  SetLines(DestInfo, ModeLinesNow());
  UpdateButtons();
}

std::vector<std::string> TToolCommW::InfoLines() const {
  const std::vector<TNamedFolder> folders = UserFolderNames();
  std::vector<std::string> lines = ModeLinesNow();
  for (const auto& more : {PathLines(LangStr("Base", "Source"), DisplayPath(source_, folders)),
                           PathLines(LangStr("Korvel1", "Destination"), DisplayPath(destination_, folders))})
    lines.insert(lines.end(), more.begin(), more.end());
  return lines;
}

void TToolCommW::UpdateOwnControls() {
  BtnSetNewFile->setEnabled(kind_ != 0 && !extension_.empty() && !Busy());
  BtnSetSrcFile->setEnabled(!Busy() && BtnSetSrcFile->isVisibleTo(this));
}

void TToolCommW::ChooseSource() {
  if (Busy()) return;
  QFileDialog dialog(this);
  dialog.setObjectName("OpenDg");
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilter("avi asf wmv mpg vob (*.avi *.asf *.wmv *.mpg *.vob)");
  if (!source_.empty()) {
    dialog.setDirectory(ToQt(source_.parent_path()));
    dialog.selectFile(ToQt(source_.filename()));
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  source_ = PathFromQt(dialog.selectedFiles().front());
  ProposeDestination();
}

void TToolCommW::ChooseDestination() {
  if (Busy() || extension_.empty()) return;
  if (const auto chosen = AskDestination(destination_.empty() ? source_ : destination_, extension_, {source_},
                                         sourceReadOnly_)) {
    destination_ = *chosen;
    ShowPaths();
  }
}

void TToolCommW::Produce() {
  if (Busy() || destination_.empty()) return;
  auto job = std::make_unique<TWorkToolComm>(MainThread(), Engines());
  if (mode_ == kModeMediaFile) job->Tool = TWorkToolComm::ToolForKind(kind_);
  job->SourceName = source_;
  job->DestName = destination_;
  StartRun(std::move(job), InfoLines());
}

}  // namespace korvel
