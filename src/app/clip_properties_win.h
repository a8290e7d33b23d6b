#pragma once
// A clip's properties: its thumbnail, its file and its times. Shown modally over the window;
// it takes what it shows when it is made and holds no reference to the clip.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace korvel {

class TClipItem;

class TClipPropertiesWin : public QDialog {
  Q_OBJECT

public:
  static constexpr int kImageWidth = 80;
  static constexpr int kImageHeight = 60;

  TClipPropertiesWin(const TClipItem& item, QWidget* owner);

  QLabel* ImageClip() const { return imageClip_; }
  QLineEdit* FileFull() const { return fileFull_; }
  QLineEdit* FileName() const { return fileName_; }
  QLabel* Duration() const { return duration_; }
  QPushButton* BtnClose() const { return btnClose_; }

private:
  QLabel* imageClip_;
  QLineEdit* fileFull_;
  QLineEdit* fileName_;
  QLabel* duration_;
  QPushButton* btnClose_;
};

}  // namespace korvel
