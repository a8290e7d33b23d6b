#include "app/environment.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QMessageBox>
#include <QWidget>

namespace korvel {

QString ApplicationTitle() { return QStringLiteral("Korvel"); }

void SetUiFont(QFont& font) {
  const QString family = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
  if (!family.isEmpty()) font.setFamily(family);
  font.setPointSize(9);
}

namespace {

struct BoxKind {
  QMessageBox::Icon icon;
  QMessageBox::StandardButtons buttons;
  QMessageBox::StandardButton escape;
};

BoxKind KindOf(int type) {
  switch (type) {
    case kMsgError: return {QMessageBox::Critical, QMessageBox::Ok, QMessageBox::Ok};
    case kMsgInformation: return {QMessageBox::Information, QMessageBox::Ok, QMessageBox::Ok};
    case kMsgOkCancel: return {QMessageBox::Question, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel};
    case kMsgYesNo: return {QMessageBox::Question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No};
    default:
      return {QMessageBox::Question, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel};
  }
}

int AnswerCode(QMessageBox::StandardButton button) {
  switch (button) {
    case QMessageBox::Ok: return kIdOk;
    case QMessageBox::Yes: return kIdYes;
    case QMessageBox::No: return kIdNo;
    default: return kIdCancel;
  }
}

}  // namespace

int SystemMessageBox(const QString& caption, const QString& text, int type) {
  QWidget* owner = QApplication::activeWindow();
  if (owner) {
    if (owner->isMinimized()) owner->showNormal();
    owner->raise();
    owner->activateWindow();
  }
  const BoxKind kind = KindOf(type);
  QString title = caption.trimmed();
  if (type == kMsgError) title += QStringLiteral(" : Error");

  QMessageBox box(kind.icon, title, text, kind.buttons, owner);
  box.setTextFormat(Qt::PlainText);
  box.setEscapeButton(kind.escape);
  box.exec();
  QAbstractButton* clicked = box.clickedButton();
  return AnswerCode(clicked ? box.standardButton(clicked) : kind.escape);
}

}  // namespace korvel
