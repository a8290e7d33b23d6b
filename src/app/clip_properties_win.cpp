#include "app/clip_properties_win.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

#include "app/clip_picture.h"
#include "app/wizards/qt_text.h"
#include "lang/lang.h"
#include "project/clip_command_texts.h"
#include "project/clip_item.h"

namespace korvel {

namespace {

// The thumbnail stretched into the box, or the missing-file picture centred in it unscaled.
QPixmap BoxPicture(const TClipPicture& picture, int width, int height) {
  if (picture.Stretch) return picture.Picture.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  QPixmap box(width, height);
  box.fill(Qt::transparent);
  QPainter painter(&box);
  painter.drawPixmap((width - picture.Picture.width()) / 2, (height - picture.Picture.height()) / 2, picture.Picture);
  return box;
}

QLineEdit* ReadOnlyField(const QString& text, QWidget* parent) {
  auto* field = new QLineEdit(text, parent);
  field->setReadOnly(true);
  field->setCursorPosition(0);
  return field;
}

QLabel* Caption(const std::string& key, QWidget* parent) {
  auto* label = new QLabel(ToQt(LangStr("Base", key) + " :"), parent);
  label->setTextFormat(Qt::PlainText);
  return label;
}

}  // namespace

TClipPropertiesWin::TClipPropertiesWin(const TClipItem& item, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                         Qt::MSWindowsFixedSizeDialogHint),
      imageClip_(new QLabel(this)),
      fileFull_(ReadOnlyField(ToQt(item.FileName()), this)),
      fileName_(ReadOnlyField(ToQt(item.FileName().filename()), this)),
      duration_(new QLabel(ToQt(ClipDurationLine(item)), this)),
      btnClose_(new QPushButton(ToQt(LangStr("Base", "Close")), this)) {
  setWindowTitle(ToQt(LangStr("Korvel1", "Clip") + " " + LangStr("Base", "Properties")));
  imageClip_->setObjectName("ImageClip");
  fileFull_->setObjectName("FileFull");
  fileName_->setObjectName("FileName");
  duration_->setObjectName("Duration");
  btnClose_->setObjectName("BtnClose");

  imageClip_->setFixedSize(kImageWidth, kImageHeight);
  imageClip_->setPixmap(BoxPicture(ClipPicture(item), kImageWidth, kImageHeight));
  duration_->setTextFormat(Qt::PlainText);
  fileFull_->setMinimumWidth(360);

  auto* fields = new QGridLayout;
  fields->addWidget(Caption("FileName", this), 0, 0);
  fields->addWidget(fileFull_, 0, 1);
  fields->addWidget(fileName_, 1, 1);
  fields->addWidget(Caption("Duration", this), 2, 0);
  fields->addWidget(duration_, 2, 1);

  auto* top = new QHBoxLayout;
  top->addWidget(imageClip_, 0, Qt::AlignTop);
  top->addLayout(fields, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnClose_);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  // Close is also what Esc does.
  btnClose_->setDefault(true);
  connect(btnClose_, &QPushButton::clicked, this, &QDialog::reject);
}

}  // namespace korvel
