#include "launch/archive.h"

namespace qel::launch {

std::string_view ArchiveReader::Take(size_t size) {
  if (size > remaining()) throw ArchiveError{};
  std::string_view out = bytes_.substr(pos_, size);
  pos_ += size;
  return out;
}

uint8_t ArchiveReader::U8() { return static_cast<uint8_t>(Take(1)[0]); }

uint16_t ArchiveReader::U16() {
  std::string_view b = Take(2);
  return static_cast<uint16_t>(static_cast<uint8_t>(b[0]) | (static_cast<uint8_t>(b[1]) << 8));
}

uint32_t ArchiveReader::U32() {
  std::string_view b = Take(4);
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(b[i]);
  return v;
}

std::string ArchiveReader::String() {
  uint32_t length = U8();
  if (length == 0xFF) {
    length = U16();
    if (length == 0xFFFF) length = U32();
  }
  // Take checks the length against the bytes left before anything is copied.
  return std::string(Take(length));
}

uint32_t ArchiveReader::Count(size_t min_element_size) {
  uint32_t count = U16();
  if (count == 0xFFFF) count = U32();
  if (min_element_size > 0 && count > remaining() / min_element_size) throw ArchiveError{};
  return count;
}

void ArchiveWriter::U16(uint16_t v) {
  U8(static_cast<uint8_t>(v));
  U8(static_cast<uint8_t>(v >> 8));
}

void ArchiveWriter::U32(uint32_t v) {
  U16(static_cast<uint16_t>(v));
  U16(static_cast<uint16_t>(v >> 16));
}

void ArchiveWriter::String(std::string_view s) {
  if (s.size() < 0xFF) {
    U8(static_cast<uint8_t>(s.size()));
  } else if (s.size() < 0xFFFF) {
    U8(0xFF);
    U16(static_cast<uint16_t>(s.size()));
  } else {
    U8(0xFF);
    U16(0xFFFF);
    U32(static_cast<uint32_t>(s.size()));
  }
  Bytes(s);
}

void ArchiveWriter::Count(uint32_t count) {
  if (count < 0xFFFF) {
    U16(static_cast<uint16_t>(count));
  } else {
    U16(0xFFFF);
    U32(count);
  }
}

}  // namespace qel::launch
