#include "app/wizards/pdce_wizard.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/wizards/qt_text.h"
#include "app/wizards/result_picture.h"
#include "app/wizards/user_folder_names.h"
#include "app/wizards/wizard_widgets.h"
#include "lang/lang.h"
#include "mediainfo/analyze_media_file.h"
#include "mediainfo/container_kind.h"
#include "produce/join_plan.h"
#include "produce/wizard_summary.h"
#include "project/clip_list.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

void Append(std::vector<std::string>& lines, const std::vector<std::string>& more) {
  lines.insert(lines.end(), more.begin(), more.end());
}

}  // namespace

TPdceWizardW::TPdceWizardW(QWidget* parent, const TEngineTable& engines) : TWizardFrame(parent, engines) {
  setObjectName("PdceWizardW");
  setWindowTitle(ToQt(LangStr("Base", "Media") + " " + LangStr("Korvel1", "Production") + " " +
                      LangStr("Korvel1", "Wizard")));
  AddPage(MakeDestPage());
  AddInfoPage();
  AddPage(MakeProducingPage());
  connect(BtnProduce, &QPushButton::clicked, this, [this] { Produce(); });
  connect(BtnSetNewFile, &QPushButton::clicked, this, [this] { ChooseDestination(); });
  resize(560, 420);
  ShowPage(kPageDest);
}

QWidget* TPdceWizardW::MakeDestPage() {
  auto* page = new QWidget;
  page->setObjectName("TabSetDest");
  NewFileFull = ReadOnlyEdit("NewFileFull");
  NewFileName = ReadOnlyEdit("NewFileName");
  BtnSetNewFile = ChooserButton("BtnSetNewFile");
  DestInfo = Memo("DestInfo");
  auto* form = new QFormLayout;
  form->addRow(ToQt(LangStr("Korvel1", "Destination") + " " + LangStr("Base", "Path") + " :"), NewFileFull);
  form->addRow(ToQt(LangStr("Korvel1", "Destination") + " " + LangStr("Base", "File") + " :"), NameRow(NewFileName, BtnSetNewFile));
  auto* layout = new QVBoxLayout(page);
  layout->addLayout(form);
  layout->addWidget(DestInfo, 1);
  return page;
}

QWidget* TPdceWizardW::MakeProducingPage() {
  auto* status = new QWidget;
  status->setObjectName("TabStatus");
  auto* statusLayout = new QGridLayout(status);
  for (int i = 0; i < 3; ++i) {
    StatusLine[i] = new QLabel;
    StatusLine[i]->setObjectName(QString("StatusLine%1").arg(i + 1));
    // The lines come from the engines and name files: never rich text.
    StatusLine[i]->setTextFormat(Qt::PlainText);
    statusLayout->addWidget(StatusLine[i], i, 0, 1, 3);
  }
  QFont bold = StatusLine[2]->font();
  bold.setBold(true);
  StatusLine[2]->setFont(bold);
  ProgressBar1 = new QProgressBar;
  ProgressBar1->setObjectName("ProgressBar1");
  ProgressCap1 = new QLabel;
  ProgressCap1->setObjectName("ProgressCap1");
  statusLayout->addWidget(ProgressBar1, 3, 0, 1, 2);
  statusLayout->addWidget(ProgressCap1, 3, 2);
  statusLayout->addWidget(ElapsedLabel, 4, 0);
  statusLayout->addWidget(ElapsedTime, 4, 1);
  ResultPicture = new TResultPicture;
  ResultPicture->setMinimumSize(64, 64);
  statusLayout->addWidget(ResultPicture, 5, 0, 1, 3);
  CheckOpen = new QCheckBox(ToQt(LangStr("Korvel1", "OpenOutputFile")));
  CheckOpen->setObjectName("CheckOpen");
  CheckOpen->setChecked(true);
  CheckOpen->setEnabled(false);
  statusLayout->addWidget(CheckOpen, 6, 0, 1, 3);
  statusLayout->setRowStretch(5, 1);
  statusLayout->setColumnStretch(1, 1);

  auto* details = new QWidget;
  details->setObjectName("TabDetails");
  ProgressBar2 = new QProgressBar;
  ProgressBar2->setObjectName("ProgressBar2");
  ProgressCap2 = new QLabel;
  ProgressCap2->setObjectName("ProgressCap2");
  auto* detailsLayout = new QGridLayout(details);
  detailsLayout->addWidget(PdceStatusDetail, 0, 0, 1, 2);
  detailsLayout->addWidget(ProgressBar2, 1, 0);
  detailsLayout->addWidget(ProgressCap2, 1, 1);
  detailsLayout->setColumnStretch(0, 1);

  AddProgressView(ProgressBar1, ProgressCap1);
  AddProgressView(ProgressBar2, ProgressCap2);
  PdceTabs = new QTabWidget;
  PdceTabs->setObjectName("PdceTabs");
  PdceTabs->addTab(status, ToQt(LangStr("Base", "Status")));
  PdceTabs->addTab(details, ToQt(LangStr("Base", "Details")));
  auto* page = new QWidget;
  page->setObjectName("TabProducing");
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(PdceTabs);
  return page;
}

void TPdceWizardW::SetClipList(const TClipList* clips) {
  clips_ = clips;
  kind_ = 0;
  subKind_ = 0;
  extension_.clear();
  source_.clear();
  sourceReadOnly_ = false;
  destination_.clear();
  for (int32_t i = 0; clips_ && i < clips_->Count() && source_.empty(); ++i) {
    std::error_code error;
    if (fs::is_regular_file(clips_->Get(i)->FileName(), error)) source_ = clips_->Get(i)->FileName();
  }
  if (!source_.empty()) {
    QdMediaInfo info;
    if (AnalyzeMediaFile(source_, info)) {
      kind_ = info.Kind;
      subKind_ = info.SubKind;
    }
    extension_ = KindExtension(kind_, subKind_);
  }
  if (kind_ != 0 && !extension_.empty()) {
    sourceReadOnly_ = Rules().isOnReadOnlyStorage(source_);
    destination_ = ProposeProduceDestination(source_, extension_, Rules());
  }
  ShowDestination();
}

void TPdceWizardW::ShowDestination() {
  const std::string shown = destination_.empty() ? "" : DisplayPath(destination_, UserFolderNames());
  NewFileFull->setText(ToQt(DisplayFolder(shown)));
  NewFileName->setText(ToQt(destination_.filename()));
  std::vector<std::string> lines = ModeLines(ProduceModeText(), kind_, subKind_);
  if (clips_) Append(lines, ClipSummaryLines(*clips_));
  SetLines(DestInfo, lines);
  UpdateButtons();
}

std::vector<std::string> TPdceWizardW::SummaryLines() const {
  std::vector<std::string> lines = ModeLines(ProduceModeText(), kind_, subKind_);
  Append(lines, PathLines(LangStr("Korvel1", "Destination"), DisplayPath(destination_, UserFolderNames())));
  if (clips_) Append(lines, ClipSummaryLines(*clips_));
  return lines;
}

std::vector<std::string> TPdceWizardW::InfoLines() const { return SummaryLines(); }

void TPdceWizardW::UpdateOwnControls() { BtnSetNewFile->setEnabled(kind_ != 0 && !extension_.empty() && !Busy()); }

void TPdceWizardW::ChooseDestination() {
  if (Busy() || extension_.empty()) return;
  std::vector<fs::path> sources;
  for (int32_t i = 0; clips_ && i < clips_->Count(); ++i) sources.push_back(clips_->Get(i)->FileName());
  const fs::path current = destination_.empty() ? source_ : destination_;
  if (const auto chosen = AskDestination(current, extension_, sources, sourceReadOnly_)) {
    destination_ = *chosen;
    ShowDestination();
  }
}

bool TPdceWizardW::OpenOutputFile() const { return CheckOpen->isEnabled() && CheckOpen->isChecked(); }

void TPdceWizardW::Produce() {
  if (Busy() || !clips_ || destination_.empty()) return;
  for (QLabel* line : StatusLine) line->clear();
  CheckOpen->setEnabled(false);
  ResultPicture->Clear();
  PdceTabs->setCurrentIndex(0);
  // Every clip must take the first one's streams before anything is written.
  const TJoinPlan plan = PlanJoin(*clips_);
  if (!plan.Joinable()) {
    RefuseRun(SummaryLines(), plan.Problem);
    return;
  }
  auto job = std::make_unique<TWorkLossless>(MainThread(), Engines());
  job->ClipList = clips_;
  job->Follow(plan);
  job->DestName = destination_;
  StartRun(std::move(job), SummaryLines());
}

void TPdceWizardW::PushStatusLine(const QString& text) {
  StatusLine[0]->setText(StatusLine[1]->text());
  StatusLine[1]->setText(StatusLine[2]->text());
  StatusLine[2]->setText(text);
}

void TPdceWizardW::RunStarted() { ResultPicture->Play("PdceLLess.gif"); }

void TPdceWizardW::RunStatus(const std::string& line) {
  // Only the summary is trimmed; the log keeps the line as the engine wrote it.
  const QString trimmed = ToQt(line).trimmed();
  if (!trimmed.isEmpty()) PushStatusLine(trimmed);
}

void TPdceWizardW::RunFinished(bool succeeded) {
  CheckOpen->setEnabled(succeeded);
  if (succeeded) {
    // The third line keeps the final "Completed".
    StatusLine[0]->clear();
    StatusLine[1]->clear();
  }
  ResultPicture->Play(succeeded ? "PdceSucc.gif" : "PdceFail.gif");
}

void TPdceWizardW::RunRefused() {
  PushStatusLine(ToQt(LangStr("Base", "Failure")));
  ResultPicture->Play("PdceFail.gif");
}

}  // namespace korvel
