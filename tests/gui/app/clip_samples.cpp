#include "gui/app/clip_samples.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <fstream>
#include <span>

namespace korvel::test {

std::string ThumbnailText(const QColor& colour) {
  QImage image(TClipImage::kWidth, TClipImage::kHeight, QImage::Format_RGB888);
  QPainter painter(&image);
  QLinearGradient shade(0, 0, 0, image.height());
  shade.setColorAt(0, colour);
  shade.setColorAt(1, colour.darker(250));
  painter.fillRect(image.rect(), shade);
  painter.end();
  QBuffer bmp;
  bmp.open(QIODevice::WriteOnly);
  image.save(&bmp, "BMP");
  TClipImage thumbnail;
  thumbnail.EncodeStream(std::span(reinterpret_cast<const uint8_t*>(bmp.data().constData()), bmp.data().size()));
  return thumbnail.Text();
}

std::unique_ptr<TClipItem> SampleClip(const std::filesystem::path& file, int32_t startMs, int32_t endMs,
                                      const QColor& colour) {
  if (!std::filesystem::exists(file)) std::ofstream{file};
  auto item = std::make_unique<TClipItem>();
  item->SetFileName(file);
  item->SetTotalTime(endMs + 60000);
  item->SetStartTime(startMs);
  item->SetEndTime(endMs);
  item->ClipImage.SetText(ThumbnailText(colour));
  return item;
}

}  // namespace korvel::test
