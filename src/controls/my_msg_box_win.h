#pragma once
// The program's own message box: a caption, a message with an optional icon and one to three
// buttons with free captions, sized and placed by the program. Callers ask their questions with
// ShowMsgBox and compare the answer with kMsgBoxBtn1..3.
#include <QDialog>
#include <QString>
#include <optional>

#include "base/dialog_placement.h"

class QLabel;
class QPushButton;

namespace korvel {

inline constexpr int kMsgBoxBtn1 = 134501;
inline constexpr int kMsgBoxBtn2 = 134502;
inline constexpr int kMsgBoxBtn3 = 134503;

// The icon flags; the first one set, in this order, chooses the icon and the sound.
inline constexpr int kMsgBoxQuestion = 1;
inline constexpr int kMsgBoxInformation = 2;
inline constexpr int kMsgBoxWarning = 4;
inline constexpr int kMsgBoxError = 8;

class TMyMsgBoxWin final : public QDialog {
  Q_OBJECT

public:
  // Button captions come leftmost first; an empty text2 or text3 hides that button.
  TMyMsgBoxWin(QWidget* owner, const QString& caption, const QString& message, const QString& text1,
               const QString& text2, const QString& text3);

  // Sizes the box and its buttons, shows the icon the flags ask for, plays its sound and places
  // the box. Done by ShowMsgBox before the box is shown.
  void Prepare(const std::optional<TDlgPlacement>& placement, int flags);

  QLabel* Msg() const { return msg_; }
  QLabel* ImageAsk() const { return imageAsk_; }
  QLabel* ImageInfo() const { return imageInfo_; }
  QLabel* ImageError() const { return imageError_; }
  QWidget* PanOk() const { return panOk_; }
  QPushButton* Btn1() const { return btn1_; }
  QPushButton* Btn2() const { return btn2_; }
  QPushButton* Btn3() const { return btn3_; }

private:
  void LayOut();
  void ShowIcon(int flags);

  QWidget* panMsg_;
  QLabel* msg_;
  QLabel* imageAsk_;
  QLabel* imageInfo_;
  QLabel* imageError_;
  QWidget* panOk_;
  QPushButton* btn1_;
  QPushButton* btn2_;
  QPushButton* btn3_;
};

// Shows the box modally over owner and returns kMsgBoxBtn1, 2 or 3 for the button pressed, or 0
// when it was closed otherwise (Esc, the close box). Shows nothing and returns 0 when owner is
// null or message or text1 is empty. The message is plain text.
int ShowMsgBox(QWidget* owner, const QString& caption, const QString& message,
               const std::optional<TDlgPlacement>& placement, int flags, const QString& text3,
               const QString& text2, const QString& text1);
// One button.
int ShowMsgBox(QWidget* owner, const QString& caption, const QString& message,
               const std::optional<TDlgPlacement>& placement, int flags, const QString& text1);
// Two buttons: text1, the last argument, is the leftmost.
int ShowMsgBox(QWidget* owner, const QString& caption, const QString& message,
               const std::optional<TDlgPlacement>& placement, int flags, const QString& text2,
               const QString& text1);

// Sizes button for its caption in form's font (the caption's "&" marks no width).
void FitButton(QWidget* form, QPushButton* button);

// Places form: centred on its screen, or over its owner's client area and 25 pixels higher;
// then as placement asks; then onto the desktop (PlaceDialog).
void PlaceForm(QWidget* form, const std::optional<TDlgPlacement>& placement);

}  // namespace korvel
