#pragma once
// The preview player's engine on libmpv: local files only, pictures drawn by libmpv's software
// renderer into a QImage, events taken on the GUI thread.
#include <QObject>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "player/player_engine.h"

struct mpv_handle;
struct mpv_render_context;
struct mpv_event;

namespace korvel {

class MpvPlayerEngine final : public QObject, public IPlayerEngine {
  Q_OBJECT

public:
  struct Options {
    // libmpv's audio output ("null" plays nothing); empty lets libmpv choose.
    std::string audioOutput;
    // How long opening a file may take before it counts as failed.
    std::chrono::milliseconds openBound{8000};
    // How long a seek may take to land before a picture is given up.
    std::chrono::milliseconds settleBound{3000};
  };

  MpvPlayerEngine() : MpvPlayerEngine(Options{}) {}
  explicit MpvPlayerEngine(Options options);
  ~MpvPlayerEngine() override;
  MpvPlayerEngine(const MpvPlayerEngine&) = delete;
  MpvPlayerEngine& operator=(const MpvPlayerEngine&) = delete;

  // False when libmpv could not be set up; every operation then fails.
  bool IsReady() const { return render_ != nullptr; }

  void SetHandlers(Handlers handlers) override { handlers_ = std::move(handlers); }
  bool Open(const std::filesystem::path& file) override;
  void Close() override;
  double Duration() const override;
  bool CanSeek() const override;
  QSize VideoSize() const override;
  double FramesPerSecond() const override;
  int AudioTrackCount() const override;
  bool SelectAudioTrack(int index) override;
  bool Run() override;
  bool Hold() override;
  bool Seek(double seconds) override;
  std::optional<double> Position() const override;
  bool SetStopTime(std::optional<double> seconds) override;
  QImage CurrentPicture() const override { return picture_; }
  QImage WaitForSettledPicture() override;

private:
  bool SetUp();
  void TearDown();
  // Takes every waiting event, then draws the picture that waited before them.
  void TakeEvents();
  void HandleEvent(const mpv_event& event);
  // Draws the picture libmpv holds.
  void DrawPicture();
  // Takes events until done() holds or the bound passes; false on the bound.
  bool IssueSeek(double seconds);
  bool TakeEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds bound);
  // Runs a handler after the current call has returned.
  void Notify(std::function<void()> call);
  double DoubleProperty(const char* name) const;
  int64_t IntProperty(const char* name) const;

  Options options_;
  mpv_handle* mpv_ = nullptr;
  mpv_render_context* render_ = nullptr;
  Handlers handlers_;
  QImage picture_;
  // The playlist entry of the file this engine opened last; events of other entries are left
  // over from a file closed before.
  int64_t entry_ = -1;
  bool entryStarted_ = false;
  bool loaded_ = false;
  bool failed_ = false;
  // One seek at a time: a later one waits for the one under way to land, so that each restart
  // libmpv reports belongs to the seek it answers. A seek that never lands stops holding others
  // back after the settle bound.
  bool seekPending_ = false;
  std::chrono::steady_clock::time_point seekIssued_;
  std::optional<double> nextSeek_;
  // The seek under way has begun: pictures drawn from now on show its position.
  bool seekStarted_ = false;
  bool pictureSinceSeek_ = false;
  // A seek landed without a new picture: the one libmpv holds is drawn again.
  bool redrawAfterRestart_ = false;
  bool atEnd_ = false;
  bool buffering_ = false;
  // A call to TakeEvents is already on its way to the GUI thread.
  std::atomic<bool> takePosted_ = false;
};

}  // namespace korvel
