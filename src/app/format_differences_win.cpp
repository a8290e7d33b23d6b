#include "app/format_differences_win.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "controls/my_msg_box_win.h"
#include "lang/lang.h"
#include "mediainfo/difference_cells.h"

namespace korvel {
namespace {

constexpr int kButtonGap = 15;
constexpr int kMinOkWidth = 120;

QLabel* PlainLabel(const std::string& text, Qt::Alignment alignment) {
  auto* label = new QLabel(QString::fromStdString(text));
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(alignment | Qt::AlignVCenter);
  return label;
}

}  // namespace

TDiffMdaInfoWin::TDiffMdaInfoWin(QWidget* owner, const QString& caption, const QString& message,
                                 const TDifferenceRows& rows)
    : QDialog(owner) {
  setWindowTitle(caption);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  msg_ = new QLabel(message);
  msg_->setTextFormat(Qt::PlainText);
  msg_->setContentsMargins(20, 15, 20, 15);
  layout->addWidget(msg_);

  table_ = new QWidget;
  auto* grid = new QGridLayout(table_);
  grid->setContentsMargins(5, 1, 5, 1);
  grid->setHorizontalSpacing(0);
  grid->setVerticalSpacing(1);
  const int rowHeight = fontMetrics().height() + 8;
  const TDifferenceRows cells = DifferenceCellTexts(rows);
  rowCount_ = static_cast<int>(cells.Labels.size());
  for (int i = 0; i < rowCount_; ++i) {
    grid->addWidget(PlainLabel(cells.Labels[i], Qt::AlignRight), i, 0);
    grid->addWidget(PlainLabel(cells.Values1[i], Qt::AlignRight), i, 1);
    grid->addWidget(PlainLabel(cells.Values2[i], Qt::AlignLeft), i, 2);
    grid->setRowMinimumHeight(i, rowHeight);
  }
  for (int column = 0; column < 3; ++column)
    for (int i = 0; i < rowCount_; ++i) Cell(i, column)->setContentsMargins(5, 0, 5, 0);
  panMainBg_ = new QScrollArea;
  panMainBg_->setFrameShape(QFrame::NoFrame);
  panMainBg_->setWidget(table_);
  panMainBg_->setWidgetResizable(true);
  panMainBg_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  layout->addWidget(panMainBg_);

  auto* panOk = new QWidget;
  auto* buttons = new QHBoxLayout(panOk);
  buttons->setContentsMargins(0, 10, 0, 10);
  buttons->setSpacing(kButtonGap);
  btnNewProject_ = new QPushButton(QString::fromStdString(LangStr("Base", "New") + " " + LangStr("Korvel1", "Project") + " (&N)"));
  btnOk_ = new QPushButton(QString::fromStdString(LangStr("Base", "OK")));
  // Enter answers OK, whichever button has the focus.
  btnNewProject_->setAutoDefault(false);
  btnOk_->setDefault(true);
  buttons->addStretch(1);
  buttons->addWidget(btnNewProject_);
  buttons->addWidget(btnOk_);
  buttons->addStretch(1);
  layout->addWidget(panOk);

  connect(btnNewProject_, &QPushButton::clicked, this, [this] {
    newProject_ = true;
    accept();
  });
  connect(btnOk_, &QPushButton::clicked, this, &QDialog::reject);
}

QLabel* TDiffMdaInfoWin::Cell(int row, int column) const {
  auto* grid = static_cast<QGridLayout*>(table_->layout());
  QLayoutItem* item = grid->itemAtPosition(row, column);
  return item ? static_cast<QLabel*>(item->widget()) : nullptr;
}

void TDiffMdaInfoWin::Prepare(const std::optional<TDlgPlacement>& placement) {
  FitButton(this, btnNewProject_);
  FitButton(this, btnOk_);
  btnNewProject_->setFixedSize(btnNewProject_->size());
  btnOk_->setFixedSize(std::max(btnOk_->width(), kMinOkWidth), btnOk_->height());
  const int buttonRow = btnNewProject_->width() + btnOk_->width() + kButtonGap;

  const QRect desktop = (screen() ? screen() : QApplication::primaryScreen())->availableGeometry();
  const int maxWidth = std::max(desktop.width() - 50, buttonRow + 50);
  const int tableWidth = table_->sizeHint().width() + 10;
  const int messageWidth = msg_->sizeHint().width() + 25;
  int width = std::max({buttonRow + 50, messageWidth, tableWidth});
  if (width > maxWidth) {
    // A long message wraps and a wide table scrolls rather than leave the screen.
    width = maxWidth;
    msg_->setWordWrap(messageWidth > maxWidth);
  }
  const int scrollBar = tableWidth > width ? panMainBg_->horizontalScrollBar()->sizeHint().height() : 0;
  panMainBg_->setFixedHeight(table_->sizeHint().height() + scrollBar);
  setFixedWidth(width);
  adjustSize();
  QApplication::beep();
  PlaceForm(this, placement);
}

bool ShowFormatDifferences(QWidget* owner, const QString& caption, const QString& message,
                           const std::optional<TDlgPlacement>& placement, const QdMISameChk* chk) {
  if (!chk || !chk->Info1 || !chk->Info2) return false;
  TDiffMdaInfoWin dialog(owner, caption, message, FormatDifferenceRows(*chk));
  dialog.Prepare(placement);
  dialog.exec();
  return dialog.NewProjectChosen();
}

}  // namespace korvel
