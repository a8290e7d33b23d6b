#pragma once
// The pictures of the play strip's buttons, drawn rather than loaded, so that they stay sharp at
// any screen scale: one symbol per command, in four states.
#include <QPixmap>

namespace korvel {

enum class TStripSymbol {
  HideFile,
  HideClips,
  MediaClose,
  Pause,
  Play,
  FullScreen,
  Home,
  Prior,
  Next,
  End,
  UnlinkClip,
  SelStart,
  GoToSelStart,
  GoToSelEnd,
  SelEnd,
  AddClip,
  CopyClip,
  Produce,
  ZoomIn,
  ZoomFit,
  ZoomOut,
};

struct TStripPictures {
  QPixmap Def;
  QPixmap Over;
  QPixmap Down;
  QPixmap Dis;
};

// The four states of a button showing symbol, `side` device-independent pixels square.
TStripPictures StripPictures(TStripSymbol symbol, int side, qreal devicePixelRatio);

}  // namespace korvel
