#include "avi/bitstream/mpeg4_vol.h"

#include <bit>
#include <cstdint>

namespace korvel {
namespace {

constexpr uint32_t kExtendedPar = 15;
constexpr uint32_t kShapeRectangular = 0;
constexpr uint32_t kShapeBinary = 1;
constexpr uint32_t kShapeBinaryOnly = 2;
constexpr uint32_t kShapeGrayscale = 3;
constexpr uint32_t kSpriteStatic = 1;
constexpr uint32_t kSpriteGmc = 2;
constexpr unsigned kQuantMatrixEntries = 64;

void SkipVbvParameters(BitReader& reader) {
  // bit rate 15+1+15+1, buffer size 15+1+3, occupancy 11+1+15+1
  reader.Skip(32 + 19 + 28);
}

// A loaded matrix lists up to 64 values in zig-zag order; a zero ends it early.
void SkipQuantMatrix(BitReader& reader) {
  for (unsigned i = 0; i < kQuantMatrixEntries && !reader.Overrun(); ++i) {
    if (reader.Read(8) == 0) return;
  }
}

// Bits needed for values below the resolution; at least one.
unsigned TimeIncrementBits(uint32_t resolution) {
  return resolution <= 1 ? 1u : static_cast<unsigned>(std::bit_width(resolution - 1));
}

void SkipSprite(BitReader& reader, uint32_t sprite) {
  if (sprite != kSpriteGmc) reader.Skip(4 * (13 + 1));  // size and left/top coordinates with markers
  reader.Skip(6 + 2 + 1);  // warping points, warping accuracy, brightness change
  if (sprite != kSpriteGmc) reader.Skip(1);  // low-latency sprite
}

void SkipScalability(BitReader& reader, uint32_t shape) {
  const bool hierarchyTemporal = reader.ReadFlag();
  reader.Skip(4 + 1 + 4 * 5 + 1);  // reference layer, direction, sampling factors, enhancement type
  if (shape == kShapeBinary && !hierarchyTemporal) reader.Skip(1 + 1 + 4 * 5);
}

}  // namespace

void SkipVideoObjectLayer(BitReader& reader) {
  reader.Skip(1 + 8);  // random accessible, object type
  uint32_t verid = 1;
  if (reader.ReadFlag()) {
    verid = reader.Read(4);
    reader.Skip(3);  // priority
  }
  if (reader.Read(4) == kExtendedPar) reader.Skip(8 + 8);
  if (reader.ReadFlag()) {  // control parameters
    reader.Skip(2 + 1);     // chroma format, low delay
    if (reader.ReadFlag()) SkipVbvParameters(reader);
  }
  const uint32_t shape = reader.Read(2);
  if (shape == kShapeGrayscale) return;
  reader.Skip(1);  // marker
  const uint32_t resolution = reader.Read(16);
  reader.Skip(1);  // marker
  if (reader.ReadFlag()) reader.Skip(TimeIncrementBits(resolution));  // fixed VOP time increment

  if (shape == kShapeBinaryOnly) {
    if (verid != 1 && reader.ReadFlag()) return;  // scalable binary-shape layer
    reader.Skip(1);  // resync marker disable
    return;
  }
  if (shape == kShapeRectangular) reader.Skip(1 + 13 + 1 + 13 + 1);  // width and height with markers
  reader.Skip(1 + 1);  // interlaced, OBMC disable
  const uint32_t sprite = reader.Read(verid == 1 ? 1 : 2);
  if (sprite == kSpriteStatic || sprite == kSpriteGmc) SkipSprite(reader, sprite);
  if (verid != 1 && shape != kShapeRectangular) reader.Skip(1);  // SA-DCT disable
  if (reader.ReadFlag()) reader.Skip(4 + 4);  // not 8-bit: quant precision, bits per pixel
  if (reader.ReadFlag()) {                    // MPEG quantisation
    if (reader.ReadFlag()) SkipQuantMatrix(reader);  // intra
    if (reader.ReadFlag()) SkipQuantMatrix(reader);  // non-intra
  }
  if (verid != 1) reader.Skip(1);  // quarter sample
  if (!reader.ReadFlag()) return;  // complexity estimation header follows
  reader.Skip(1);                  // resync marker disable
  if (reader.ReadFlag()) reader.Skip(1);  // data partitioned: reversible VLC
  if (verid != 1) {
    if (reader.ReadFlag()) reader.Skip(2 + 1);  // newpred: upstream message type, segment type
    reader.Skip(1);                             // reduced resolution VOP
  }
  if (reader.ReadFlag()) SkipScalability(reader, shape);
}

}  // namespace korvel
