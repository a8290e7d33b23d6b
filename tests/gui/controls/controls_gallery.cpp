// The program's own controls in the gallery of scripts/screenshot.
#include <QLabel>
#include <QVBoxLayout>
#include <vector>

#include "controls/my_msg_box_win.h"
#include "controls/qd_track_bar.h"
#include "gui/gallery/gallery.h"

namespace korvel::test {

namespace {

std::unique_ptr<QWidget> MessageBoxWindow(const std::function<void()>& ready) {
  auto box = std::make_unique<TMyMsgBoxWin>(nullptr, "Korvel",
                                            "The project \"Holiday <2024>.korvelproj\" has changed.\n"
                                            "Save the changes before closing?",
                                            "Yes (&Y)", "No (&N)", "Cancel");
  box->Prepare(std::nullopt, kMsgBoxQuestion);
  ready();
  return box;
}

// Two bars as the player shows them: the whole file with a selection and its key frames, and the fine bar of ten
// seconds either side with its ticks.
std::unique_ptr<QWidget> TrackBarWindow(const std::function<void()>& ready) {
  auto window = MakeDarkGalleryWindow();
  auto* layout = new QVBoxLayout(window.get());
  auto* seek = new TQdTrackBar;
  seek->setRange(0, 10000);
  seek->setPageStep(500);
  seek->setValue(3600);
  seek->SetSelection(2500, 6200);
  // A key frame every two seconds of a long film, and a few sparse ones at the end.
  std::vector<int32_t> keyFrames;
  for (int32_t value = 0; value < 8000; value += 150) keyFrames.push_back(value);
  for (const int32_t value : {8400, 9100, 9900}) keyFrames.push_back(value);
  seek->SetKeyFrameMarks(keyFrames);
  auto* fine = new TQdTrackBar;
  fine->setRange(0, 10000);
  fine->setValue(5000);
  fine->SetDrawTick(true);
  fine->SetTickCount(19);
  fine->SetSelection(2000, 10000);
  auto* fineRow = new QHBoxLayout;
  fineRow->addWidget(new QLabel("- 10 sec"));
  fineRow->addWidget(fine, 1);
  fineRow->addWidget(new QLabel("+ 10 sec"));
  layout->addWidget(seek);
  layout->addLayout(fineRow);
  window->resize(560, 90);
  ready();
  return window;
}

}  // namespace

KORVEL_GALLERY_WINDOW({"msgbox", "the program's message box with three buttons", 1, MessageBoxWindow});
KORVEL_GALLERY_WINDOW({"trackbar", "the two seek bars with a selection, key frames and ticks", 2, TrackBarWindow});

}  // namespace korvel::test
