#pragma once
// What the produce and the repair wizards share: pages shown one at a time without tabs and
// walked with Back and Next, a bottom row of buttons, and one run of a job at a time with its
// log, progress, elapsed time and result. While a job runs the window cannot be closed.
#include <QDialog>
#include <QElapsedTimer>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/qt_main_thread.h"
#include "produce/destination_proposal.h"
#include "produce/engine_table.h"
#include "produce/work_root.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QStackedWidget;

namespace korvel {

class TWizardFrame : public QDialog {
  Q_OBJECT

public:
  enum TPage { kPageDest, kPageInfo, kPageProducing };

  // engines must outlive the wizard.
  TWizardFrame(QWidget* parent, const TEngineTable& engines);
  // A job still running is stopped, and its worker waited for, before the window goes.
  ~TWizardFrame() override;

  bool Busy() const { return job_ != nullptr; }
  // The last run ended with a result of 0 or more.
  bool Succeeded() const { return succeeded_; }

  void done(int result) override;

  // Where outputs go when nothing can be written beside the source; the save dialog may
  // change it, and the caller keeps it afterwards.
  void SetLastProjectFolder(const std::filesystem::path& folder);
  const std::filesystem::path& LastProjectFolder() const { return rules_.lastProjectFolder; }
  // The file systems the proposals look at: this machine's unless a caller gives others.
  // Takes effect at the next proposal.
  void SetDestinationRules(DestinationRules rules) { rules_ = std::move(rules); }

protected:
  void closeEvent(QCloseEvent* event) override;

  // Called once by the wizard's constructor, after it has built its pages.
  void AddPage(QWidget* page);
  // The Info page: the InfoLines, rebuilt each time it is shown.
  void AddInfoPage();
  void ShowPage(TPage page);
  TPage CurrentPage() const;

  // The destination the wizard writes; empty while there is none.
  virtual const std::filesystem::path& Destination() const = 0;
  // The Info page's lines, rebuilt each time it is shown.
  virtual std::vector<std::string> InfoLines() const = 0;
  // The wizard's own controls (its choosers) follow the run state.
  virtual void UpdateOwnControls() {}
  // A status line of the run, after it has been written to the log.
  virtual void RunStatus(const std::string& line);
  // The run has ended; the job still exists.
  virtual void RunFinished(bool succeeded);
  // The job's run did not start.
  virtual void RunRefused();

  // Starts job after writing summary, the separator and an empty line to the log, on the
  // Producing page. job gets its events here.
  void StartRun(std::unique_ptr<TWorkRoot> job, const std::vector<std::string>& summary);
  // Ends a run that never started: the log gets the reason after the summary, as a failure.
  void RefuseRun(const std::vector<std::string>& summary, const std::string& reason);
  // Bars and captions that show the run's progress.
  void AddProgressView(QProgressBar* bar, QLabel* caption);
  void UpdateButtons();
  void UpdateElapsedTime();
  void AppendLog(const std::string& line);
  static void SetLines(QPlainTextEdit* memo, const std::vector<std::string>& lines);

  // The save dialog, starting at current: the chosen path, or nothing when the user cancels or
  // picks one of sources (which the run would otherwise have to refuse). sourceReadOnly: the
  // chosen folder becomes the last project folder when it can be written.
  std::optional<std::filesystem::path> AskDestination(const std::filesystem::path& current,
                                                      const std::string& extension,
                                                      const std::vector<std::filesystem::path>& sources,
                                                      bool sourceReadOnly);

  IMainThread& MainThread() { return *mainThread_; }
  const TEngineTable& Engines() const { return engines_; }

  const DestinationRules& Rules() const { return rules_; }

  QStackedWidget* PageCtl;
  QPushButton* BtnBack;
  QPushButton* BtnNext;
  QPushButton* BtnProduce;
  QPushButton* BtnStop;
  QPushButton* BtnClose;
  // The run's whole log, every line as the engine wrote it.
  QPlainTextEdit* PdceStatusDetail;
  QLabel* ElapsedTime;
  QLabel* ElapsedLabel;
  QPlainTextEdit* ProduceInfo = nullptr;

private:
  void MoveBy(int step);
  void Stop();
  void Finished(TWorkRoot& job);
  void ShowProgress(int32_t perMille);
  // Called once the job has started.
  virtual void RunStarted() {}
  // Stops a running job and turns the event loop until its worker has ended; from then on the
  // run shows nothing.
  void EndRunAndWait();
  // After a failed run: says where a partly written output was kept.
  void NoteKeptOutput();

  DestinationRules rules_;
  std::unique_ptr<TQtMainThread> mainThread_;
  const TEngineTable& engines_;
  std::unique_ptr<TWorkRoot> job_;
  bool succeeded_ = false;
  // Set while the window goes: the run's events are no longer shown.
  bool closing_ = false;
  QElapsedTimer startTick_;
  std::vector<std::pair<QProgressBar*, QLabel*>> progressViews_;
  // The destination as it was before the run, to tell a file the run wrote from one it left.
  std::optional<std::filesystem::file_time_type> destinationBefore_;
};

}  // namespace korvel
