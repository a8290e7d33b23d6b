#pragma once
// The control strip under the video: the play state and position captions, the whole-file and
// the fine seek bar, and one row of transport, selection and clip buttons kept centred as a
// group, with the clip panel's zoom buttons at the right end where there is room for them.
#include <QWidget>

class QAbstractButton;
class QAction;
class QLabel;

namespace korvel {

class TQdTrackBar;

class TPlayStrip : public QWidget {
  Q_OBJECT

public:
  explicit TPlayStrip(QWidget* parent = nullptr);

  // Left to right.
  QAbstractButton* BtnHideFile = nullptr;
  QAbstractButton* BtnHideClips = nullptr;
  QAbstractButton* BtnMediaClose = nullptr;
  QAbstractButton* BtnPause = nullptr;
  QAbstractButton* BtnPlay = nullptr;
  QAbstractButton* BtnFullScreen = nullptr;
  QAbstractButton* BtnHome = nullptr;
  QAbstractButton* BtnPrior = nullptr;
  QAbstractButton* BtnNext = nullptr;
  QAbstractButton* BtnEnd = nullptr;
  QAbstractButton* BtnUnlinkClip = nullptr;
  QAbstractButton* BtnSelStart = nullptr;
  QAbstractButton* BtnGoToSelStart = nullptr;
  QAbstractButton* BtnGoToSelEnd = nullptr;
  QAbstractButton* BtnSelEnd = nullptr;
  QAbstractButton* BtnAddClip = nullptr;
  QAbstractButton* BtnCopyClip = nullptr;
  QAbstractButton* BtnProduceMda2 = nullptr;
  // The clip panel's zoom, at the strip's right end while there is room beside the group.
  QAbstractButton* BtnZoomIn = nullptr;
  QAbstractButton* BtnZoomFit = nullptr;
  QAbstractButton* BtnZoomOut = nullptr;

  // The player's state label: the file name and what it does.
  QLabel* PlayStateMsg = nullptr;
  // The player's position label: position / duration.
  QLabel* CurrentTimeCap = nullptr;
  // Where a clip from the selection start really begins: the key frame at or before it.
  QLabel* RealStartCap = nullptr;
  // The whole file, and ten seconds either side of the position.
  TQdTrackBar* SeekTrack = nullptr;
  TQdTrackBar* Seek2Track = nullptr;

  // The position caption while nothing is open.
  void ShowNoPosition();

  // The button runs the command and follows its enabled state and its hint.
  // onPress: it acts when it goes down rather than on the click.
  static void BindButton(QAbstractButton& button, QAction& action, bool onPress = false);

private:
  class ButtonRow;
  ButtonRow* buttonRow_ = nullptr;
};

}  // namespace korvel
