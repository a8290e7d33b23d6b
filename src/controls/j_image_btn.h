#pragma once
// A picture that behaves as a button: one image each for the normal, hover, pressed and disabled
// states, so that the window's transport, zoom and clip buttons can look like the rest of its
// dark scheme instead of the style's push buttons. It sizes itself to the normal image and draws
// the images with their transparency.
#include <QAbstractButton>
#include <QPixmap>

namespace korvel {

// The image a button shows.
enum class TJImageBtnPic { Def, Over, Down, Dis };

class TJImageBtn : public QAbstractButton {
  Q_OBJECT

public:
  explicit TJImageBtn(QWidget* parent = nullptr);

  // Assigning copies the picture; the normal one is shown at once.
  const QPixmap& PicDef() const { return picDef_; }
  void SetPicDef(const QPixmap& picture);
  const QPixmap& PicOver() const { return picOver_; }
  void SetPicOver(const QPixmap& picture);
  const QPixmap& PicDown() const { return picDown_; }
  void SetPicDown(const QPixmap& picture);
  const QPixmap& PicDis() const { return picDis_; }
  void SetPicDis(const QPixmap& picture);

  // Which image shows now, chosen again on every change of state.
  TJImageBtnPic ShownPic() const;
  bool MouseOver() const { return over_; }
  bool Pressed() const { return pressed_; }

  QSize sizeHint() const override;

protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;

private:
  void SetPicture(QPixmap& field, const QPixmap& picture);
  const QPixmap& Shown() const;

  QPixmap picDef_;
  QPixmap picOver_;
  QPixmap picDown_;
  QPixmap picDis_;
  bool over_ = false;
  bool pressed_ = false;
};

}  // namespace korvel
