#pragma once
// The preview player's state and the conditions that enable its operations (and the owner's
// buttons and menu items).
#include <cstdint>

namespace korvel {

enum PlayerState : int32_t {
  kPlayerClosed = 0,
  kPlayerStopped = 1,
  kPlayerPaused = 2,
  kPlayerPlaying = 3,
};

struct PlayerStatus {
  int32_t state = kPlayerClosed;
  bool noDuration = true;
  bool canSeek = false;
  double duration = 0.0;
  double selStart = 0.0;
  double selEnd = 0.0;

  bool IsOpen() const { return state != kPlayerClosed; }
  bool IsPlaying() const { return state == kPlayerPlaying; }
  bool CanPlay() const { return state == kPlayerStopped || state == kPlayerPaused; }
  bool CanStop() const { return state == kPlayerPaused || state == kPlayerPlaying; }
  bool CanRewind() const { return !noDuration && CanPlay(); }
  bool CanStep() const { return !noDuration && canSeek && CanPlay(); }
  bool CanMarkStart() const { return !noDuration && canSeek && IsOpen(); }
  bool CanMarkEnd() const { return !noDuration && IsOpen(); }
  bool SelectionValid() const { return duration > 0 && selStart < selEnd; }
};

}  // namespace korvel
