#include "app/wizards/wizard_widgets.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace korvel {

QLineEdit* ReadOnlyEdit(const char* name) {
  auto* edit = new QLineEdit;
  edit->setObjectName(name);
  edit->setReadOnly(true);
  return edit;
}

QPlainTextEdit* Memo(const char* name) {
  auto* memo = new QPlainTextEdit;
  memo->setObjectName(name);
  memo->setReadOnly(true);
  memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  return memo;
}

QPushButton* ChooserButton(const char* name) {
  auto* button = new QPushButton("....");
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

QHBoxLayout* NameRow(QLineEdit* name, QPushButton* chooser) {
  auto* row = new QHBoxLayout;
  row->addWidget(name, 1);
  row->addWidget(chooser);
  return row;
}

}  // namespace korvel
