#include "app/wizards/wizard_frame.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <system_error>

#include "app/job_shutdown.h"
#include "app/wizards/qt_text.h"
#include "app/wizards/wizard_widgets.h"
#include "base/time_text.h"
#include "controls/my_msg_box_win.h"
#include "lang/lang.h"
#include "produce/check_clip_files.h"
#include "produce/progress_text.h"
#include "project/project_file.h"
#include "produce/wizard_summary.h"

namespace korvel {
namespace {

namespace fs = std::filesystem;

// How long a window that goes waits for a stopped engine to end.
constexpr std::chrono::seconds kWorkerEndBound(30);

std::optional<fs::file_time_type> WriteTimeOf(const fs::path& file) {
  std::error_code error;
  const fs::file_time_type time = fs::last_write_time(file, error);
  if (error) return std::nullopt;
  return time;
}

QPushButton* MakeButton(const char* name, const std::string& caption, QWidget* parent) {
  auto* button = new QPushButton(ToQt(caption), parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

TWizardFrame::TWizardFrame(QWidget* parent, const TEngineTable& engines)
    : QDialog(parent), rules_(DestinationRules::ForThisSystem(DefaultProjectFolder())),
      mainThread_(std::make_unique<TQtMainThread>()), engines_(engines) {
  setModal(true);
  PageCtl = new QStackedWidget(this);
  PageCtl->setObjectName("PageCtl");

  auto* panOk = new QWidget(this);
  panOk->setObjectName("PanOk");
  panOk->setAutoFillBackground(true);
  QPalette palette = panOk->palette();
  palette.setColor(QPalette::Window, QColor(0x90, 0x90, 0xA0));
  panOk->setPalette(palette);
  BtnBack = MakeButton("BtnBack", "< " + LangStr("Base", "Move_Back"), panOk);
  BtnNext = MakeButton("BtnNext", LangStr("Base", "Move_Next") + " >", panOk);
  BtnProduce = MakeButton("BtnProduce", LangStr("Korvel1", "Produce"), panOk);
  BtnStop = MakeButton("BtnStop", LangStr("Base", "Stop"), panOk);
  BtnClose = MakeButton("BtnClose", LangStr("Base", "Close"), panOk);
  auto* buttons = new QHBoxLayout(panOk);
  buttons->addWidget(BtnBack);
  buttons->addWidget(BtnNext);
  buttons->addStretch();
  buttons->addWidget(BtnProduce);
  buttons->addWidget(BtnStop);
  buttons->addWidget(BtnClose);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(PageCtl, 1);
  layout->addWidget(panOk);

  PdceStatusDetail = Memo("PdceStatusDetail");
  ElapsedLabel = new QLabel(ToQt(LangStr("Base", "ElapsedTime") + " :"));
  ElapsedTime = new QLabel(ToQt(TimeToTextCs(0)));
  ElapsedTime->setObjectName("ElapsedTime");

  connect(BtnBack, &QPushButton::clicked, this, [this] { MoveBy(-1); });
  connect(BtnNext, &QPushButton::clicked, this, [this] { MoveBy(1); });
  connect(BtnStop, &QPushButton::clicked, this, [this] { Stop(); });
  connect(BtnClose, &QPushButton::clicked, this, [this] { close(); });
  // Quitting the program with a run going: the worker is stopped and waited for while the
  // event loop can still carry its last hand-overs.
  connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, [this] { EndRunAndWait(); });
}

TWizardFrame::~TWizardFrame() { EndRunAndWait(); }

void TWizardFrame::EndRunAndWait() {
  if (!job_) return;
  // The window or the program is going: nothing of the run is shown any more, and the job
  // stays until its worker has let go of it.
  closing_ = true;
  if (!StopJobAndWaitForEnd(*job_, kWorkerEndBound)) {
    // An engine that does not stop keeps handing its events over until it ends; the job's
    // end below detaches them from this window, and the hand-over must outlive the window.
    (void)mainThread_.release();
  }
  job_.reset();
}

void TWizardFrame::SetLastProjectFolder(const fs::path& folder) { rules_.lastProjectFolder = folder; }

std::optional<fs::path> TWizardFrame::AskDestination(const fs::path& current, const std::string& extension,
                                                     const std::vector<fs::path>& sources, bool sourceReadOnly) {
  QFileDialog dialog(this);
  dialog.setObjectName("SaveDg");
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(ToQt("*." + extension));
  dialog.setDefaultSuffix(ToQt(extension));
  dialog.setDirectory(ToQt(current.parent_path()));
  dialog.selectFile(ToQt(current.filename()));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const fs::path chosen = PathFromQt(dialog.selectedFiles().front());
  if (std::ranges::any_of(sources, [&](const fs::path& source) { return IsSameFile(chosen, source); })) {
    ShowMsgBox(this, windowTitle(), ToQt(LangStr("Korvel1", "DestIsSource")), std::nullopt, kMsgBoxWarning,
               ToQt(LangStr("Base", "OK")));
    return std::nullopt;
  }
  if (sourceReadOnly && !rules_.isOnReadOnlyStorage(chosen)) rules_.lastProjectFolder = chosen.parent_path() / "";
  return chosen;
}

void TWizardFrame::done(int result) {
  // Close, Esc and the window's own close button all end here.
  if (Busy()) return;
  QDialog::done(result);
}

void TWizardFrame::closeEvent(QCloseEvent* event) {
  if (Busy()) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void TWizardFrame::AddPage(QWidget* page) { PageCtl->addWidget(page); }

void TWizardFrame::AddInfoPage() {
  auto* page = new QWidget;
  page->setObjectName("TabPrdcInfo");
  ProduceInfo = Memo("ProduceInfo");
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(ProduceInfo);
  AddPage(page);
  connect(PageCtl, &QStackedWidget::currentChanged, this, [this](int shown) {
    if (shown == kPageInfo) SetLines(ProduceInfo, InfoLines());
  });
}

TWizardFrame::TPage TWizardFrame::CurrentPage() const { return static_cast<TPage>(PageCtl->currentIndex()); }

void TWizardFrame::ShowPage(TPage page) {
  PageCtl->setCurrentIndex(page);
  UpdateButtons();
}

void TWizardFrame::MoveBy(int step) {
  const int page = PageCtl->currentIndex() + step;
  if (page < kPageDest || page > kPageInfo || Busy()) return;
  ShowPage(static_cast<TPage>(page));
}

void TWizardFrame::UpdateButtons() {
  const TPage page = CurrentPage();
  const bool producing = page == kPageProducing;
  BtnBack->setEnabled(page == kPageInfo);
  BtnNext->setEnabled(page == kPageDest && !Destination().empty());
  BtnProduce->setEnabled(page == kPageInfo || (producing && !Busy() && !succeeded_));
  BtnStop->setEnabled(producing && Busy());
  BtnClose->setEnabled(!Busy());
  UpdateOwnControls();
}

void TWizardFrame::SetLines(QPlainTextEdit* memo, const std::vector<std::string>& lines) {
  memo->clear();
  for (const std::string& line : lines) memo->appendPlainText(ToQt(line));
}

void TWizardFrame::AppendLog(const std::string& line) { PdceStatusDetail->appendPlainText(ToQt(line)); }

void TWizardFrame::AddProgressView(QProgressBar* bar, QLabel* caption) {
  bar->setRange(0, 100);
  bar->setValue(0);
  bar->setTextVisible(false);
  caption->setText(ToQt(ProgressCaption(0)));
  progressViews_.emplace_back(bar, caption);
}

void TWizardFrame::ShowProgress(int32_t perMille) {
  for (auto [bar, caption] : progressViews_) {
    bar->setValue(ProgressBarPosition(perMille));
    caption->setText(ToQt(ProgressCaption(perMille)));
    caption->repaint();
  }
}

void TWizardFrame::UpdateElapsedTime() {
  const qint64 elapsed = startTick_.isValid() ? startTick_.elapsed() : 0;
  ElapsedTime->setText(ToQt(TimeToTextCs(static_cast<int32_t>(std::min<qint64>(elapsed, INT32_MAX)))));
}

void TWizardFrame::RunStatus(const std::string&) {}

void TWizardFrame::RunFinished(bool) {}

void TWizardFrame::RunRefused() {}

void TWizardFrame::StartRun(std::unique_ptr<TWorkRoot> job, const std::vector<std::string>& summary) {
  if (Busy()) return;
  succeeded_ = false;
  SetLines(PdceStatusDetail, summary);
  AppendLog(kSummarySeparator);
  AppendLog("");
  ShowProgress(0);
  startTick_.start();
  destinationBefore_ = WriteTimeOf(job->DestName);
  job->OnStatus = [this](const std::string& line) {
    if (closing_) return;
    AppendLog(line);
    RunStatus(line);
    UpdateElapsedTime();
  };
  job->OnProgress = [this](int32_t perMille) {
    if (closing_) return;
    ShowProgress(perMille);
    UpdateElapsedTime();
  };
  job->OnFinished = [this](TWorkRoot& finished) { Finished(finished); };
  job_ = std::move(job);
  ShowPage(kPageProducing);
  if (job_->Run()) {
    RunStarted();
  } else {
    job_.reset();
    AppendLog(LangStr("Base", "Failure"));
    RunRefused();
    UpdateButtons();
  }
  UpdateElapsedTime();
}

void TWizardFrame::RefuseRun(const std::vector<std::string>& summary, const std::string& reason) {
  if (Busy()) return;
  succeeded_ = false;
  SetLines(PdceStatusDetail, summary);
  AppendLog(kSummarySeparator);
  AppendLog("");
  AppendLog(LangStr("Base", "Failure") + " : " + reason);
  ShowProgress(0);
  startTick_.invalidate();
  ShowPage(kPageProducing);
  RunRefused();
  UpdateElapsedTime();
}

void TWizardFrame::Stop() {
  if (job_) job_->Stop();
}

void TWizardFrame::Finished(TWorkRoot& job) {
  if (closing_) return;
  succeeded_ = job.Result() >= 0;
  if (!succeeded_) NoteKeptOutput();
  RunFinished(succeeded_);
  // The core calls this handler through a copy, so the job may go while it runs.
  job_.reset();
  UpdateButtons();
  UpdateElapsedTime();
  PdceStatusDetail->verticalScrollBar()->setValue(PdceStatusDetail->verticalScrollBar()->maximum());
}

void TWizardFrame::NoteKeptOutput() {
  const std::optional<fs::file_time_type> now = WriteTimeOf(job_->DestName);
  if (!now || now == destinationBefore_) return;
  AppendLog("");
  AppendLog("The output written so far was kept : " + job_->DestName.string());
}

}  // namespace korvel
