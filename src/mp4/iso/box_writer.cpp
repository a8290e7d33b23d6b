#include "mp4/iso/box_writer.h"

#include <cassert>
#include <limits>

namespace korvel::iso {

void StoreU32(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value >> 24);
  at[1] = static_cast<uint8_t>(value >> 16);
  at[2] = static_cast<uint8_t>(value >> 8);
  at[3] = static_cast<uint8_t>(value);
}

void BoxWriter::U8(uint8_t value) { out_.push_back(value); }

void BoxWriter::U16(uint16_t value) {
  out_.push_back(static_cast<uint8_t>(value >> 8));
  out_.push_back(static_cast<uint8_t>(value));
}

void BoxWriter::U24(uint32_t value) {
  out_.push_back(static_cast<uint8_t>(value >> 16));
  out_.push_back(static_cast<uint8_t>(value >> 8));
  out_.push_back(static_cast<uint8_t>(value));
}

void BoxWriter::U32(uint32_t value) {
  out_.resize(out_.size() + 4);
  StoreU32(out_.data() + out_.size() - 4, value);
}

void BoxWriter::U64(uint64_t value) {
  U32(static_cast<uint32_t>(value >> 32));
  U32(static_cast<uint32_t>(value));
}

void BoxWriter::FourCC(std::string_view chars) {
  assert(chars.size() == 4);
  for (size_t i = 0; i < 4; ++i) out_.push_back(i < chars.size() ? static_cast<uint8_t>(chars[i]) : ' ');
}

void BoxWriter::Bytes(std::span<const uint8_t> bytes) { out_.insert(out_.end(), bytes.begin(), bytes.end()); }

void BoxWriter::Zeros(size_t count) { out_.resize(out_.size() + count, 0); }

void BoxWriter::CString(std::string_view text) {
  out_.insert(out_.end(), text.begin(), text.end());
  out_.push_back(0);
}

size_t BoxWriter::Begin(std::string_view type) {
  const size_t mark = out_.size();
  U32(0);
  FourCC(type);
  return mark;
}

size_t BoxWriter::BeginFull(std::string_view type, uint8_t version, uint32_t flags) {
  const size_t mark = Begin(type);
  U8(version);
  U24(flags);
  return mark;
}

void BoxWriter::End(size_t mark) {
  const size_t size = out_.size() - mark;
  if (size > std::numeric_limits<uint32_t>::max()) overflowed_ = true;
  StoreU32(out_.data() + mark, static_cast<uint32_t>(size));
}

}  // namespace korvel::iso
