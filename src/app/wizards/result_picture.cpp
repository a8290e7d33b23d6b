#include "app/wizards/result_picture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMovie>

namespace korvel {

TResultPicture::TResultPicture(QWidget* parent) : QLabel(parent) {
  setObjectName("ResultPicture");
  setAlignment(Qt::AlignCenter);
}

void TResultPicture::Play(const QString& fileName) {
  Clear();
  const QString path = QDir(QCoreApplication::applicationDirPath()).filePath(fileName);
  if (!QFileInfo(path).isFile()) return;
  movie_ = new QMovie(path, QByteArray(), this);
  if (!movie_->isValid()) {
    Clear();
    return;
  }
  // A GIF without a loop extension plays once; the wizard keeps it going.
  connect(movie_, &QMovie::finished, movie_, &QMovie::start);
  setMovie(movie_);
  movie_->start();
  show();
}

void TResultPicture::Clear() {
  if (movie_) {
    movie_->stop();
    setMovie(nullptr);
    delete movie_;
    movie_ = nullptr;
  }
  QLabel::clear();
}

QString TResultPicture::Playing() const { return movie_ ? QFileInfo(movie_->fileName()).fileName() : QString(); }

}  // namespace korvel
