#pragma once
// The picture a wizard shows for its run: an animation while it runs, then its outcome. The
// pictures are files beside the program; a missing one shows nothing.
#include <QLabel>
#include <QString>

class QMovie;

namespace korvel {

class TResultPicture final : public QLabel {
  Q_OBJECT

public:
  explicit TResultPicture(QWidget* parent = nullptr);

  // Plays the picture of that name from the program's folder, over and over: one that does
  // not loop by itself starts again when it ends.
  void Play(const QString& fileName);
  void Clear();
  // The file playing, or "" when none is.
  QString Playing() const;
  QMovie* Movie() const { return movie_; }

private:
  QMovie* movie_ = nullptr;
};

}  // namespace korvel
