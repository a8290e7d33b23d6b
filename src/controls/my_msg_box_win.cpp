#include "controls/my_msg_box_win.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <vector>

#include "base/message_box_layout.h"

namespace korvel {

namespace {

constexpr int kIconSize = 32;
constexpr QPoint kIconPlace{10, 10};
constexpr QPoint kMessagePlace{56, 16};

QLabel* MakeIcon(QWidget* parent, QStyle::StandardPixmap which) {
  auto* image = new QLabel(parent);
  image->setPixmap(parent->style()->standardIcon(which).pixmap(kIconSize, kIconSize));
  image->setGeometry(QRect(kIconPlace, QSize(kIconSize, kIconSize)));
  image->hide();
  return image;
}

QRect ScreenArea(const QWidget* form) {
  const QScreen* screen = form->screen() ? form->screen() : QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

PlacedRect ToPlaced(const QRect& r) { return {r.left(), r.top(), r.width(), r.height()}; }

}  // namespace

TMyMsgBoxWin::TMyMsgBoxWin(QWidget* owner, const QString& caption, const QString& message, const QString& text1,
                           const QString& text2, const QString& text3)
    : QDialog(owner),
      panMsg_(new QWidget(this)),
      msg_(new QLabel(message, panMsg_)),
      imageAsk_(MakeIcon(panMsg_, QStyle::SP_MessageBoxQuestion)),
      imageInfo_(MakeIcon(panMsg_, QStyle::SP_MessageBoxInformation)),
      imageError_(MakeIcon(panMsg_, QStyle::SP_MessageBoxCritical)),
      panOk_(new QWidget(this)),
      btn1_(new QPushButton(text1, panOk_)),
      btn2_(new QPushButton(text2, panOk_)),
      btn3_(new QPushButton(text3, panOk_)) {
  setWindowTitle(caption);
  msg_->setTextFormat(Qt::PlainText);
  msg_->move(kMessagePlace);
  btn3_->setVisible(!text3.isEmpty());
  btn2_->setVisible(!text2.isEmpty());
  connect(btn1_, &QPushButton::clicked, this, [this] { done(kMsgBoxBtn1); });
  connect(btn2_, &QPushButton::clicked, this, [this] { done(kMsgBoxBtn2); });
  connect(btn3_, &QPushButton::clicked, this, [this] { done(kMsgBoxBtn3); });
  btn1_->setDefault(true);
}

void TMyMsgBoxWin::Prepare(const std::optional<TDlgPlacement>& placement, int flags) {
  LayOut();
  ShowIcon(flags);
  PlaceForm(this, placement);
}

void TMyMsgBoxWin::LayOut() {
  msg_->adjustSize();
  MsgBoxLayoutInputs inputs;
  for (QPushButton* button : {btn1_, btn2_, btn3_}) {
    FitButton(this, button);
    if (!button->isHidden()) inputs.ButtonWidths.push_back(button->width());
  }
  inputs.MessageLeft = msg_->x();
  inputs.MessageTop = msg_->y();
  inputs.MessageWidth = msg_->width();
  inputs.MessageHeight = msg_->height();
  const QRect screen = ScreenArea(this);
  inputs.ScreenWidth = screen.width();
  inputs.ScreenHeight = screen.height();
  const MsgBoxLayout layout = LayOutMsgBox(inputs);

  setFixedSize(layout.FormWidth, layout.ClientHeight);
  panOk_->setGeometry(0, layout.ClientHeight - kMsgBoxButtonPanelHeight, layout.FormWidth, kMsgBoxButtonPanelHeight);
  panMsg_->setGeometry(0, 0, layout.FormWidth, layout.ClientHeight - kMsgBoxButtonPanelHeight);
  size_t next = 0;
  for (QPushButton* button : {btn1_, btn2_, btn3_}) {
    if (button->isHidden()) continue;
    button->move(layout.ButtonLefts[next++], (kMsgBoxButtonPanelHeight - button->height()) / 2);
  }
}

void TMyMsgBoxWin::ShowIcon(int flags) {
  QLabel* image = nullptr;
  if (flags & kMsgBoxQuestion)
    image = imageAsk_;
  else if (flags & (kMsgBoxInformation | kMsgBoxWarning))
    image = imageInfo_;
  else if (flags & kMsgBoxError)
    image = imageError_;
  if (!image) return;
  image->show();
  QApplication::beep();
}

int ShowMsgBox(QWidget* owner, const QString& caption, const QString& message,
               const std::optional<TDlgPlacement>& placement, int flags, const QString& text3, const QString& text2,
               const QString& text1) {
  if (!owner || message.isEmpty() || text1.isEmpty()) return 0;
  TMyMsgBoxWin box(owner, caption, message, text1, text2, text3);
  box.Prepare(placement, flags);
  return box.exec();
}

int ShowMsgBox(QWidget* owner, const QString& caption, const QString& message,
               const std::optional<TDlgPlacement>& placement, int flags, const QString& text1) {
  return ShowMsgBox(owner, caption, message, placement, flags, QString(), QString(), text1);
}

int ShowMsgBox(QWidget* owner, const QString& caption, const QString& message,
               const std::optional<TDlgPlacement>& placement, int flags, const QString& text2, const QString& text1) {
  return ShowMsgBox(owner, caption, message, placement, flags, QString(), text2, text1);
}

void FitButton(QWidget* form, QPushButton* button) {
  const QFontMetrics metrics(form->font());
  const int textWidth = metrics.size(Qt::TextShowMnemonic, button->text()).width();
  const ButtonSize size = FitButtonSize(textWidth, metrics.height());
  button->resize(size.Width, size.Height);
}

void PlaceForm(QWidget* form, const std::optional<TDlgPlacement>& placement) {
  const QRect desktop = ScreenArea(form);
  QRect place(QPoint(0, 0), form->size());
  const QWidget* owner = form->parentWidget();
  if (owner) {
    place.moveCenter(owner->mapToGlobal(owner->rect().center()) - QPoint(0, 25));
  } else {
    place.moveCenter(desktop.center());
  }
  const QPoint cursor = QCursor::pos();
  const PlacedRect placed = PlaceDialog({ToPlaced(place), placement, cursor.x(), cursor.y(), ToPlaced(desktop)});
  form->move(placed.Left, placed.Top);
}

}  // namespace korvel
