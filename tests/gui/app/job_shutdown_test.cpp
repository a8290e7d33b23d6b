// Closing a window while its job runs: the job stops, its events keep arriving until its worker
// is gone, and only then is the window freed. A stuck worker cannot hang the close.
#include "app/job_shutdown.h"

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <future>

#include "app/qt_main_thread.h"
#include "gui/support/gui_test_main.h"
#include "mediainfo/container_kind.h"
#include "produce/fake_engine.h"
#include "produce/work_root.h"
#include "project/clip_item.h"
#include "project/clip_list.h"
#include "support/temp_dir.h"

namespace korvel::test {

namespace {

using namespace std::chrono_literals;

// A window that shows its job's status lines, as a wizard does, and waits for the job when closed.
class JobWindow final : public QLabel {
public:
  JobWindow(IMainThread& mainThread, const TEngineTable& engines, const TClipList& clips,
            const std::filesystem::path& dest, std::chrono::milliseconds bound)
      : job_(mainThread, engines), bound_(bound) {
    job_.ClipList = &clips;
    job_.Kind = kKindAvi;
    job_.DestName = dest;
    job_.OnStatus = [this](const std::string& line) {
      offGuiThread |= QThread::currentThread() != thread();
      ++lines;
      if (closing) ++linesWhileClosing;
      setText(QString::fromStdString(line));
    };
    job_.OnFinished = [this](TWorkRoot&) { ++finished; };
  }

  TWorkLossless& Job() { return job_; }
  int lines = 0;
  int linesWhileClosing = 0;
  int finished = 0;
  bool offGuiThread = false;
  bool closing = false;
  bool workerEndedAtClose = false;

protected:
  void closeEvent(QCloseEvent* event) override {
    closing = true;
    workerEndedAtClose = StopJobAndWaitForEnd(job_, bound_);
    closing = false;
    event->accept();
  }

private:
  TWorkLossless job_;
  std::chrono::milliseconds bound_;
};

}  // namespace

class JobShutdownTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TempDir> dir_;
  std::unique_ptr<TClipList> clips_;
  std::unique_ptr<FakeScript> script_;
  std::unique_ptr<FakeEngines> engines_;
  std::unique_ptr<TQtMainThread> mainThread_;

private slots:
  void init() {
    dir_ = std::make_unique<TempDir>();
    const std::array<uint8_t, 3> bytes{1, 2, 3};
    WriteFileBytes(*dir_ / "a.avi", bytes);
    clips_ = std::make_unique<TClipList>();
    auto clip = std::make_unique<TClipItem>();
    clip->SetFileName(*dir_ / "a.avi");
    clip->SetTotalTime(5000);
    clip->SetStartTime(0);
    clip->SetEndTime(1000);
    clips_->Add(std::move(clip));
    script_ = std::make_unique<FakeScript>();
    engines_ = std::make_unique<FakeEngines>(*script_);
    mainThread_ = std::make_unique<TQtMainThread>();
  }

  void cleanup() {
    // Whatever a test left running ends before the objects its events reach go away.
    QVERIFY(QTest::qWaitFor([&] { return script_->ThreadGone->load() || engines_->Created.empty(); }, 10000));
    mainThread_.reset();
    engines_.reset();
    script_.reset();
    clips_.reset();
    dir_.reset();
  }

  void ClosingWhileTheJobRunsStopsItAndWaitsForItsWorker() {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    script_->BeforeCreate = [released] { released.wait_for(10s); };
    script_->ClipSteps.assign(200, 0);
    for (int i = 0; i < 200; ++i) script_->ClipSteps[i] = i * 5;

    auto window = std::make_unique<JobWindow>(*mainThread_, engines_->Table, *clips_, *dir_ / "out.avi", 10s);
    window->show();
    QVERIFY(window->Job().Run());
    // The worker goes on only once the window is closing, so that its events must come through
    // the closing window's wait.
    QTimer::singleShot(0, [&] { release.set_value(); });
    window->close();

    QVERIFY(window->workerEndedAtClose);
    QVERIFY(script_->ThreadGone->load());
    QVERIFY(script_->SawStop);
    QCOMPARE(window->finished, 1);
    QVERIFY(window->linesWhileClosing >= 2);  // the stop line, then the worker's own lines
    QVERIFY(!window->offGuiThread);
    QCOMPARE(window->Job().Result(), E_FAIL);
    window.reset();
    QTest::qWait(20);  // nothing is left to arrive for the freed window
  }

  void AStuckWorkerCannotHangTheClose() {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    script_->BeforeCreate = [released] { released.wait_for(30s); };

    auto window = std::make_unique<JobWindow>(*mainThread_, engines_->Table, *clips_, *dir_ / "out.avi", 200ms);
    window->show();
    QVERIFY(window->Job().Run());
    QElapsedTimer closing;
    closing.start();
    window->close();
    QVERIFY(!window->workerEndedAtClose);
    QVERIFY(closing.elapsed() < 5000);
    QVERIFY(!script_->ThreadGone->load());

    // Once the worker moves again, a second wait sees it out.
    release.set_value();
    QVERIFY(StopJobAndWaitForEnd(window->Job(), 10s));
    QVERIFY(script_->ThreadGone->load());
    QCOMPARE(window->finished, 1);
  }

  void AJobThatHasEndedNeedsNoWait() {
    auto window = std::make_unique<JobWindow>(*mainThread_, engines_->Table, *clips_, *dir_ / "out.avi", 10s);
    QVERIFY(StopJobAndWaitForEnd(window->Job(), 0ms));
    QVERIFY(window->Job().Run());
    QVERIFY(QTest::qWaitFor([&] { return script_->ThreadGone->load(); }, 10000));
    QCOMPARE(window->Job().Result(), S_OK);
    const int lines = window->lines;
    QVERIFY(StopJobAndWaitForEnd(window->Job(), 0ms));
    QCOMPARE(window->lines, lines);  // no stop line for a job that is over
  }
};

}  // namespace korvel::test

KORVEL_GUI_TEST_MAIN(korvel::test::JobShutdownTest)
#include "job_shutdown_test.moc"
