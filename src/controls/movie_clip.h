#pragma once
// The tile of one clip on the clip panel: a 60 x 45 thumbnail at its left, two text lines to
// its right (repeated along a wide tile), and a dotted frame while it is selected in a list
// that has the focus. Its width follows the clip's duration on the time ruler.
#include <QColor>
#include <QFrame>
#include <QPixmap>
#include <QString>
#include <functional>

namespace korvel {

class TMovieClip : public QFrame {
  Q_OBJECT

public:
  // The thumbnail box, in tile coordinates.
  static constexpr int kPicLeft = 8;
  static constexpr int kPicTop = 12;
  static constexpr int kPicWidth = 60;
  static constexpr int kPicHeight = 45;

  explicit TMovieClip(QWidget* parent = nullptr);

  // Called after the tile has painted itself.
  std::function<void(TMovieClip& tile, QPainter& painter)> OnPaint;

  const QPixmap& Picture() const { return picture_; }
  void SetPicture(const QPixmap& picture);
  // Texts from files: always drawn as they stand, never as markup.
  const QString& Text1() const { return text1_; }
  void SetText1(const QString& text);
  const QString& Text2() const { return text2_; }
  void SetText2(const QString& text);
  bool Selected() const { return selected_; }
  void SetSelected(bool selected);
  bool ParentFocused() const { return parentFocused_; }
  void SetParentFocused(bool focused);
  QColor ColorText1() const { return colorText1_; }
  void SetColorText1(const QColor& color);
  QColor ColorText2() const { return colorText2_; }
  void SetColorText2(const QColor& color);
  QColor ColorSelected() const { return colorSelected_; }
  void SetColorSelected(const QColor& color);
  // Stretch the thumbnail into its box; otherwise its middle is shown unscaled.
  bool PicStretch() const { return picStretch_; }
  void SetPicStretch(bool stretch);
  // The colour behind the texts.
  QColor Color() const { return color_; }
  void SetColor(const QColor& color);

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  template <typename T>
  void Change(T& field, const T& value);
  void PaintPicture(QPainter& painter) const;

  QPixmap picture_;
  QString text1_;
  QString text2_;
  bool selected_ = false;
  bool parentFocused_ = false;
  QColor colorText1_ = Qt::black;
  QColor colorText2_ = Qt::black;
  QColor colorSelected_ = QColor(255, 255, 0);
  bool picStretch_ = true;
  QColor color_ = Qt::lightGray;
};

}  // namespace korvel
