#pragma once
// Clips to put on a panel: real files in a folder of their own, each with a thumbnail of its
// own colour, so that a tile shows which clip it is.
#include <QColor>
#include <QString>
#include <filesystem>
#include <memory>
#include <string>

#include "project/clip_item.h"

namespace korvel::test {

// The thumbnail text of a 60 x 45 picture in this colour, darker towards the bottom.
std::string ThumbnailText(const QColor& colour);

// A clip of file (made empty when it is missing) from startMs to endMs, with a thumbnail of
// the given colour.
std::unique_ptr<TClipItem> SampleClip(const std::filesystem::path& file, int32_t startMs, int32_t endMs,
                                      const QColor& colour);

}  // namespace korvel::test
