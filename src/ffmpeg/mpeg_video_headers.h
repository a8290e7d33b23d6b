#pragma once
// Byte-level work on MPEG-1/2 video packets: the start codes that make a packet a valid cut
// point, the headers a cut stream must be given again, the picture coding type, and the
// sequence-header repair of 1920 x 1088 and square-pixel streams. Also the AC-3 sync check.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace korvel {

inline constexpr uint32_t kMpegPictureStart = 0x100;
inline constexpr uint32_t kMpegSequenceHeader = 0x1B3;
inline constexpr uint32_t kMpegExtensionStart = 0x1B5;
inline constexpr uint32_t kMpegGopStart = 0x1B8;

// The first picture, sequence header or GOP start code in the packet, or 0.
uint32_t FindStartCode(std::span<const uint8_t> data);

// The headers saved from the start of a stream, put in front of a cut stream's first picture.
struct TMpegHeaders {
  static constexpr size_t kSequenceLimit = 500;
  static constexpr size_t kGopLimit = 100;
  std::vector<uint8_t> Sequence;  // the sequence header with its extensions
  std::vector<uint8_t> Gop;       // the GOP header up to the first picture
};

// Saves the sequence header (and the GOP header when one follows) found in data. True when
// the capture ended at a picture start code with the headers within their limits.
bool CaptureSequenceHeader(std::span<const uint8_t> data, TMpegHeaders& headers);

// Marks the GOP header that precedes the packet's first picture as closed, for a stream cut at
// it whose B pictures leaning on the GOP before were left out. False without such a header.
bool CloseGop(std::span<uint8_t> data);

enum class TPictureType : uint8_t { Unknown = 0, I = 1, P = 2, B = 3 };

// The coding type of the first picture header in the packet.
TPictureType MpegPictureType(std::span<const uint8_t> data);
// The temporal reference (the place in display order within its GOP) of the first picture
// header in the packet, or -1.
int MpegTemporalReference(std::span<const uint8_t> data);

// Rewrites the first sequence header of a 1920- or 720-wide MPEG-2 key packet: a square-pixel
// aspect code becomes the display aspect nearest the frame, and 1920 x 1088 is declared (with
// its display extension) as 1920 x 1080. True when a byte changed.
bool FixSequenceHeader(std::span<uint8_t> data);

// The position of the sequence display extension after a sequence header at from, or -1.
ptrdiff_t FindDisplayExtension(std::span<const uint8_t> data, size_t from);

// An AC-3 or E-AC-3 frame begins with the sync bytes 0B 77; anything else is not written.
bool IsAc3Frame(std::span<const uint8_t> data);

}  // namespace korvel
