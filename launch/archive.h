// Archive streams of menu documents: little-endian fields, counted strings,
// object lists with class tags and back references.
//
// String: length as one byte when below 255; else 0xFF and a 16-bit length
// when below 0xFFFF; else 0xFF, 0xFFFF and a 32-bit length; then the bytes,
// no terminator.
//
// Count of a list or dword array: 16 bits when below 0xFFFF, else 0xFFFF and
// 32 bits.
//
// Object reference (one per list element):
//   0x0000                       no object
//   0xFFFF schema:16 len:16 name  first object of a new class, fields follow
//   0x8000 | class index          a later object of a known class, fields follow
//   object index (1..0x7FFE)      an object already in the stream
// Classes and objects share one numbering, in order of appearance from 1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qel::launch {

// Raised inside the reader when the bytes are not a menu document; the
// document turns it into the format message.
struct ArchiveError {};

class ArchiveReader {
 public:
  explicit ArchiveReader(std::string_view bytes) : bytes_(bytes) {}

  size_t remaining() const { return bytes_.size() - pos_; }
  size_t position() const { return pos_; }
  std::string_view Take(size_t size);
  void Skip(size_t size) { Take(size); }
  uint8_t U8();
  uint16_t U16();
  int16_t I16() { return static_cast<int16_t>(U16()); }
  uint32_t U32();
  int32_t I32() { return static_cast<int32_t>(U32()); }
  std::string String();
  // A list or array count; refused when even `min_element_size` bytes per
  // element would run past the end of the stream.
  uint32_t Count(size_t min_element_size);

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
};

class ArchiveWriter {
 public:
  const std::string& bytes() const { return bytes_; }
  std::string& bytes() { return bytes_; }
  void Bytes(std::string_view data) { bytes_.append(data); }
  void Zeros(size_t size) { bytes_.append(size, '\0'); }
  void U8(uint8_t v) { bytes_.push_back(static_cast<char>(v)); }
  void U16(uint16_t v);
  void I16(int16_t v) { U16(static_cast<uint16_t>(v)); }
  void U32(uint32_t v);
  void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
  void String(std::string_view s);
  void Count(uint32_t count);

 private:
  std::string bytes_;
};

}  // namespace qel::launch
