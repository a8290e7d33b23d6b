#pragma once
// An engine the tests script: a file is what the test says it is, and the position it reports is
// the time of the frame it would show (the frame at or before the position asked for).
#include <cmath>
#include <functional>
#include <vector>

#include "player/player_engine.h"

namespace korvel::test {

struct FakeMedia {
  double duration = 10.0;
  bool canSeek = true;
  double framesPerSecond = 25.0;
  QSize videoSize{160, 120};
  int audioTracks = 1;
  bool opens = true;
};

class FakePlayerEngine final : public IPlayerEngine {
public:
  explicit FakePlayerEngine(FakeMedia media = {}) : media_(media) {}

  FakeMedia media_;
  Handlers handlers;
  bool open = false;
  bool running = false;
  double position = 0.0;
  std::optional<double> stopTime;
  std::vector<int> selectedAudio;
  std::vector<double> seeks;
  // The picture a settled seek shows, by position; none without it.
  std::function<QImage(double)> pictureAt;

  // The file reached its stop time while running.
  void ReachEnd() {
    running = false;
    if (handlers.playEnded) handlers.playEnded();
  }

  void SetHandlers(Handlers h) override { handlers = std::move(h); }
  bool Open(const std::filesystem::path&) override {
    open = media_.opens;
    position = 0.0;
    stopTime.reset();
    return open;
  }
  void Close() override { open = running = false; }
  double Duration() const override { return open ? media_.duration : 0.0; }
  bool CanSeek() const override { return open && media_.canSeek; }
  QSize VideoSize() const override { return open ? media_.videoSize : QSize(); }
  double FramesPerSecond() const override { return open ? media_.framesPerSecond : 0.0; }
  int AudioTrackCount() const override { return open ? media_.audioTracks : 0; }
  bool SelectAudioTrack(int index) override {
    selectedAudio.push_back(index);
    return true;
  }
  bool Run() override { return running = open; }
  bool Hold() override {
    running = false;
    return open;
  }
  bool Seek(double seconds) override {
    seeks.push_back(seconds);
    position = seconds;
    return open;
  }
  std::optional<double> Position() const override {
    if (!open) return std::nullopt;
    const double frame = 1.0 / media_.framesPerSecond;
    return std::floor(position / frame + 1e-9) * frame;
  }
  bool SetStopTime(std::optional<double> seconds) override {
    stopTime = seconds;
    return open;
  }
  QImage CurrentPicture() const override { return {}; }
  QImage WaitForSettledPicture() override { return open && pictureAt ? pictureAt(position) : QImage(); }
};

}  // namespace korvel::test
