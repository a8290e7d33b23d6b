#pragma once
// What the preview player needs from whatever decodes and shows the media: the program uses
// libmpv (MpvPlayerEngine), the tests also a scripted engine of their own.
#include <QImage>
#include <QSize>
#include <filesystem>
#include <functional>
#include <optional>

namespace korvel {

class IPlayerEngine {
public:
  struct Handlers {
    // Playing reached the stop time or the end of the file (the engine holds there).
    std::function<void()> playEnded;
    // The engine waits for data (true) or plays on again (false).
    std::function<void(bool)> bufferingChanged;
    // A new picture is ready: CurrentPicture() shows it.
    std::function<void()> pictureChanged;
  };

  virtual ~IPlayerEngine() = default;
  // The handlers run on the thread that owns the engine (the GUI thread), never inside a call
  // made to the engine.
  virtual void SetHandlers(Handlers handlers) = 0;

  // Opens a local media file, held at its start. Waits, with a bound, until the file is loaded;
  // false when it cannot be played. Whatever was open before is closed first.
  virtual bool Open(const std::filesystem::path& file) = 0;
  virtual void Close() = 0;

  // Facts of the open file; 0 or empty when unknown.
  virtual double Duration() const = 0;
  virtual bool CanSeek() const = 0;
  virtual QSize VideoSize() const = 0;
  virtual double FramesPerSecond() const = 0;
  virtual int AudioTrackCount() const = 0;
  // Plays the audio track of that index (from 0); a negative index plays none.
  virtual bool SelectAudioTrack(int index) = 0;

  virtual bool Run() = 0;
  virtual bool Hold() = 0;
  // An exact seek: the frame shown afterwards is the one on screen at that time.
  virtual bool Seek(double seconds) = 0;
  // The time of the frame shown.
  virtual std::optional<double> Position() const = 0;
  // Playing holds when it reaches this time; with none, at the end of the file.
  virtual bool SetStopTime(std::optional<double> seconds) = 0;

  // The picture shown last (null before the first).
  virtual QImage CurrentPicture() const = 0;
  // The picture once the last seek has landed; waits with a bound, null when it does not land.
  virtual QImage WaitForSettledPicture() = 0;
};

}  // namespace korvel
