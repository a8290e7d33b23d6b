#pragma once
// The panel the preview player shows its pictures on, scaled to the panel.
#include <QImage>
#include <QWidget>

namespace korvel {

class TVideoPanel : public QWidget {
  Q_OBJECT

public:
  explicit TVideoPanel(QWidget* parent = nullptr);

  void SetPicture(const QImage& picture);
  const QImage& Picture() const { return picture_; }

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  QImage picture_;
};

}  // namespace korvel
