#pragma once
// The small pieces the wizards' pages are made of, named as the wizards' code and tests find them.
class QHBoxLayout;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace korvel {

// A line that shows a name or a folder; the user changes it only through its chooser.
QLineEdit* ReadOnlyEdit(const char* name);
// Lines of text, shown as plain text and never wrapped.
QPlainTextEdit* Memo(const char* name);
// The "...." button that opens a file dialog.
QPushButton* ChooserButton(const char* name);
// A file name with its chooser beside it.
QHBoxLayout* NameRow(QLineEdit* name, QPushButton* chooser);

}  // namespace korvel
