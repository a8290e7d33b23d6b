#include "avi/avi_test_files.h"

#include <algorithm>
#include <map>

namespace korvel::test {
namespace {

constexpr size_t kSuperIndexSlots = 8;

Bytes StreamHeader(const TestStream& s, uint32_t length) {
  Bytes h;
  AppendText(h, s.type);
  AppendText(h, (s.handler + "    ").substr(0, 4));
  Append32(h, 0);  // flags
  Append32(h, 0);  // priority, language
  Append32(h, 0);  // initial frames
  Append32(h, s.scale);
  Append32(h, s.rate);
  Append32(h, 0);  // start
  Append32(h, length);
  Append32(h, 0);  // suggested buffer size
  Append32(h, 0xFFFFFFFFu);
  Append32(h, s.sampleSize);
  Append32(h, 0);
  Append32(h, 0);
  return h;
}

std::string StreamOf(const std::string& id) { return id.substr(0, 2); }

// Stream numbers in chunk ids are two hexadecimal digits.
std::string StreamNumberText(size_t n) {
  const char* digits = "0123456789abcdef";
  return {digits[(n / 16) % 16], digits[n % 16]};
}

}  // namespace

void Append16(Bytes& out, uint16_t value) {
  for (int i = 0; i < 2; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
void Append32(Bytes& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
void Append64(Bytes& out, uint64_t value) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
void AppendText(Bytes& out, std::string_view text) { out.insert(out.end(), text.begin(), text.end()); }

size_t RiffBuilder::BeginList(std::string_view id, std::string_view type) {
  const size_t start = bytes_.size();
  AppendText(bytes_, id);
  Append32(bytes_, 0);
  AppendText(bytes_, type);
  return start;
}

void RiffBuilder::EndList(size_t start) { Put32(start + 4, static_cast<uint32_t>(bytes_.size() - start - 8)); }

size_t RiffBuilder::AddChunk(std::string_view id, std::span<const uint8_t> data) {
  const size_t start = bytes_.size();
  AppendText(bytes_, id);
  Append32(bytes_, static_cast<uint32_t>(data.size()));
  bytes_.insert(bytes_.end(), data.begin(), data.end());
  if (data.size() % 2) bytes_.push_back(0);
  return start;
}

void RiffBuilder::Put32(size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes_.at(at + i) = static_cast<uint8_t>(value >> (8 * i));
}

void RiffBuilder::Put64(size_t at, uint64_t value) {
  Put32(at, static_cast<uint32_t>(value));
  Put32(at + 4, static_cast<uint32_t>(value >> 32));
}

Bytes BitmapInfo(std::string_view compression, uint32_t width, uint32_t height) {
  Bytes b;
  Append32(b, 40);
  Append32(b, width);
  Append32(b, height);
  Append16(b, 1);
  Append16(b, 24);
  AppendText(b, compression);
  Append32(b, width * height * 3);
  for (int i = 0; i < 4; ++i) Append32(b, 0);
  return b;
}

Bytes WaveFormat(uint16_t formatTag, uint16_t channels, uint32_t sampleRate, uint32_t avgBytesPerSec,
                 uint16_t blockAlign, uint16_t bitsPerSample) {
  Bytes w;
  Append16(w, formatTag);
  Append16(w, channels);
  Append32(w, sampleRate);
  Append32(w, avgBytesPerSec);
  Append16(w, blockAlign);
  Append16(w, bitsPerSample);
  Append16(w, 0);
  return w;
}

Bytes Payload(size_t size, uint8_t seed) {
  Bytes data(size);
  for (size_t i = 0; i < size; ++i) data[i] = static_cast<uint8_t>(seed * 31 + i * 7);
  return data;
}

Bytes BuildAvi(const TestAvi& avi) {
  RiffBuilder b;
  std::map<std::string, uint32_t> counts;
  for (const auto& segment : avi.segments)
    for (const auto& chunk : segment) ++counts[StreamOf(chunk.id)];

  const size_t riff = b.BeginList("RIFF", "AVI ");
  const size_t hdrl = b.BeginList("LIST", "hdrl");
  Bytes main;
  Append32(main, avi.microSecPerFrame);
  for (int i = 0; i < 3; ++i) Append32(main, 0);
  Append32(main, static_cast<uint32_t>(counts.empty() ? 0 : counts.begin()->second));
  Append32(main, 0);
  Append32(main, static_cast<uint32_t>(avi.streams.size()));
  for (int i = 0; i < 7; ++i) Append32(main, 0);
  b.AddChunk("avih", main);
  std::vector<size_t> superIndexAt;
  for (size_t n = 0; n < avi.streams.size(); ++n) {
    const TestStream& s = avi.streams[n];
    const size_t strl = b.BeginList("LIST", "strl");
    b.AddChunk("strh", StreamHeader(s, counts[StreamNumberText(n)]));
    if (!s.omitFormat) b.AddChunk("strf", s.format);
    if (avi.odmlIndex) {
      Bytes super(24 + 16 * kSuperIndexSlots, 0);
      superIndexAt.push_back(b.AddChunk("indx", super) + 8);
    }
    b.EndList(strl);
  }
  b.EndList(hdrl);

  // Standard index chunks written per segment, to be named by the super indexes afterwards.
  std::map<std::string, std::vector<std::pair<size_t, uint32_t>>> standardIndexes;
  size_t form = riff;
  for (size_t seg = 0; seg < avi.segments.size(); ++seg) {
    if (seg > 0) {
      b.EndList(form);
      form = b.BeginList("RIFF", "AVIX");
    }
    const size_t movi = b.BeginList("LIST", "movi");
    std::map<std::string, std::vector<std::pair<size_t, const TestChunk*>>> written;
    for (const auto& chunk : avi.segments[seg]) written[StreamOf(chunk.id)].push_back({b.AddChunk(chunk.id, chunk.data), &chunk});
    if (avi.odmlIndex) {
      for (const auto& [stream, chunks] : written) {
        Bytes ix;
        Append16(ix, 2);
        ix.push_back(0);
        ix.push_back(1);
        Append32(ix, static_cast<uint32_t>(chunks.size()));
        AppendText(ix, chunks.front().second->id);
        Append64(ix, movi);
        Append32(ix, 0);
        for (const auto& [at, chunk] : chunks) {
          Append32(ix, static_cast<uint32_t>(at + 8 - movi));
          Append32(ix, static_cast<uint32_t>(chunk->data.size()) | (chunk->key ? 0u : 0x80000000u));
        }
        const size_t ixAt = b.AddChunk("ix" + stream, ix);
        standardIndexes[stream].push_back({ixAt, static_cast<uint32_t>(chunks.size())});
      }
    }
    b.EndList(movi);
    if (seg == 0 && avi.idx1 && avi.segments.size() == 1) {
      Bytes idx1;
      // File order, offsets relative to the "movi" code as common writers store them.
      std::vector<std::pair<size_t, const TestChunk*>> all;
      for (const auto& [stream, chunks] : written) all.insert(all.end(), chunks.begin(), chunks.end());
      std::sort(all.begin(), all.end());
      for (const auto& [at, chunk] : all) {
        AppendText(idx1, chunk->id);
        Append32(idx1, chunk->key ? 0x10u : 0u);
        Append32(idx1, static_cast<uint32_t>(at - (movi + 8)));
        Append32(idx1, static_cast<uint32_t>(chunk->data.size()));
      }
      b.AddChunk("idx1", idx1);
    }
  }
  b.EndList(form);

  for (size_t n = 0; n < superIndexAt.size(); ++n) {
    const auto& entries = standardIndexes[StreamNumberText(n)];
    const size_t at = superIndexAt[n];
    b.Put32(at, 4);  // wLongsPerEntry 4, sub type 0, type 0 (index of indexes)
    b.Put32(at + 4, static_cast<uint32_t>(entries.size()));
    for (size_t i = 0; i < entries.size() && i < kSuperIndexSlots; ++i) {
      const size_t entry = at + 24 + 16 * i;
      b.Put64(entry, entries[i].first);
      b.Put32(entry + 8, 0);
      b.Put32(entry + 12, entries[i].second);
    }
  }
  return b.bytes();
}

}  // namespace korvel::test
