#pragma once
// The dialog that shows why a file cannot join the clip list: a message, then each property
// that differs with its value in the list's reference file and in the new file, and the choice
// to start a new project instead.
#include <QDialog>
#include <optional>

#include "base/dialog_placement.h"
#include "mediainfo/difference_rows.h"

class QLabel;
class QPushButton;
class QScrollArea;

namespace korvel {

class TDiffMdaInfoWin final : public QDialog {
  Q_OBJECT

public:
  // Texts from files are shown as plain text.
  TDiffMdaInfoWin(QWidget* owner, const QString& caption, const QString& message, const TDifferenceRows& rows);

  // Lays the dialog out for its texts (never wider than its screen; a wider table scrolls),
  // beeps and places it. Done by ShowFormatDifferences before the dialog is shown.
  void Prepare(const std::optional<TDlgPlacement>& placement);

  bool NewProjectChosen() const { return newProject_; }
  QLabel* Msg() const { return msg_; }
  QScrollArea* PanMainBg() const { return panMainBg_; }
  // The label, first value and second value column of row i (row 0 is the heading row).
  QLabel* Cell(int row, int column) const;
  int RowCount() const { return rowCount_; }
  QPushButton* BtnNewProject() const { return btnNewProject_; }
  QPushButton* BtnOk() const { return btnOk_; }

private:
  QLabel* msg_;
  QScrollArea* panMainBg_;
  QWidget* table_;
  int rowCount_ = 0;
  QPushButton* btnNewProject_;
  QPushButton* btnOk_;
  bool newProject_ = false;
};

// Shows the differences chk found, modally over owner; true when the user chose a new project.
// Without chk or either of its descriptions it shows nothing and returns false.
bool ShowFormatDifferences(QWidget* owner, const QString& caption, const QString& message,
                           const std::optional<TDlgPlacement>& placement, const QdMISameChk* chk);

}  // namespace korvel
