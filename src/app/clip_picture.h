#pragma once
// The picture a clip shows on its tile and in its properties: its thumbnail, or, while its
// file is missing, a warning picture shown unscaled.
#include <QPixmap>

namespace korvel {

class TClipItem;

struct TClipPicture {
  QPixmap Picture;
  bool Stretch = true;
};

TClipPicture ClipPicture(const TClipItem& item);

// A warning sign on a dark ground, smaller than the thumbnail box so it stands centred in it.
QPixmap WarnNoFilePicture();

}  // namespace korvel
