#pragma once
// Small ASF files built in memory for the reader's tests: a header with the objects a test asks
// for, fixed-size data packets with single, multiple or compressed payloads, a simple index.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/byte_appender.h"
#include "base/guid.h"
#include "wmv/asf/asf_header_object_write.h"

namespace korvel::asf_test {

// Little-endian appends.
using Bytes = ByteAppender;
// Objects are framed by the same code that writes our headers.
using asf::AsfObject;

// A language list object, one of the header extension's children that our header model does
// not hold.
std::vector<uint8_t> LanguageListObject();

struct TestPayload {
  uint8_t stream = 1;
  bool key = false;
  uint8_t objectNumber = 0;
  uint32_t offset = 0;        // offset into the media object
  uint32_t objectSize = 0;    // 0: the data's size
  uint32_t timeMs = 0;        // presentation time, preroll included
  std::vector<uint8_t> data;
  std::vector<uint8_t> extensions;  // replicated data after size and time
  // Compressed payload: data holds sub-payloads (length byte, bytes ...), timeDelta in ms.
  bool compressed = false;
  uint8_t timeDelta = 0;
};

inline constexpr uint32_t kTestPacketSize = 256;
inline constexpr uint32_t kTestPrerollMs = 1000;

// One data packet of kTestPacketSize bytes (padding makes up the rest).
std::vector<uint8_t> Packet(uint32_t sendTimeMs, const std::vector<TestPayload>& payloads);

// Sub-payloads of a compressed payload.
std::vector<uint8_t> SubPayloads(const std::vector<std::vector<uint8_t>>& parts);

class AsfTestFile {
public:
  AsfTestFile();
  // Video stream with a BITMAPINFOHEADER of the given FOURCC; audio stream with a WAVEFORMATEX.
  AsfTestFile& Video(uint16_t number, uint32_t fourcc, int32_t width, int32_t height);
  AsfTestFile& Audio(uint16_t number, uint16_t tag, uint32_t avgBytesPerSecond, std::vector<uint8_t> spread = {});
  AsfTestFile& HeaderObject(std::vector<uint8_t> object);        // any extra header child
  AsfTestFile& ExtensionObject(std::vector<uint8_t> object);     // a child of the header extension
  AsfTestFile& AddPacket(std::vector<uint8_t> packet);
  AsfTestFile& Index(uint64_t intervalMs, std::vector<uint32_t> packets);
  AsfTestFile& PlayDurationMs(uint64_t ms);

  std::vector<uint8_t> Build() const;
  // Where the first packet starts in Build()'s bytes.
  size_t FirstPacketOffset() const;

private:
  std::vector<uint8_t> HeaderBytes() const;

  std::vector<std::vector<uint8_t>> streams_;
  std::vector<std::vector<uint8_t>> headerObjects_;
  std::vector<std::vector<uint8_t>> extensionObjects_;
  std::vector<std::vector<uint8_t>> packets_;
  std::vector<uint32_t> indexPackets_;
  uint64_t indexIntervalMs_ = 0;
  uint64_t playDurationMs_ = 10000;
};

}  // namespace korvel::asf_test
