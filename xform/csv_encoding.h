// The text code of the CSV side of a conversion. Records hold CP932; a CSV
// file holds either those bytes unchanged (the default) or UTF-8, converted
// item by item through iconv, so that Linux tools read the file as it
// stands.
//
// Conventions:
// 1. A CsvTextConverter is opened once per conversion and used for every
//    item; its iconv descriptors are its own (one conversion at a time per
//    converter, no sharing between threads).
// 2. Nothing is replaced: bytes that are not CP932, text that is not UTF-8
//    and characters without a CP932 form make a conversion fail, and the
//    caller reports the record and the item.
// 3. Text without bytes above 0x7F is the same in both codes and is copied
//    without a call to iconv.
#ifndef QEL_XFORM_CSV_ENCODING_H_
#define QEL_XFORM_CSV_ENCODING_H_

#include <cstddef>
#include <string_view>

namespace qel::xform {

enum class CsvEncoding {
  kCp932,  // the records' bytes as stored (the default)
  kUtf8,   // character, alphabetic and national fields and the title in UTF-8
};

// The UTF-8 byte-order mark a CSV file may begin with.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// UTF-8 takes at most this many bytes for one byte of CP932 text (a
// single-byte katakana becomes three bytes).
inline constexpr std::size_t kUtf8BytesPerCp932Byte = 3;

class CsvTextConverter {
 public:
  CsvTextConverter() = default;
  ~CsvTextConverter();
  CsvTextConverter(const CsvTextConverter&) = delete;
  CsvTextConverter& operator=(const CsvTextConverter&) = delete;

  // Opens the two directions. False when the system has no CP932 converter
  // (nothing stays open then).
  bool Open();
  void Close();
  bool IsOpen() const;

  // CP932 `in` to UTF-8 in `out`. REQUIRES: out_size >= 3 * in.size().
  // False when `in` holds a byte sequence that is not CP932 (a half
  // double-byte character included); *length is then undefined.
  bool ToUtf8(std::string_view in, char* out, std::size_t out_size, std::size_t* length);

  // UTF-8 `in` to CP932 in `out`. REQUIRES: out_size >= in.size() (CP932
  // never takes more bytes than UTF-8). False when `in` is not UTF-8 or
  // holds a character that CP932 cannot hold.
  bool ToCp932(std::string_view in, char* out, std::size_t out_size, std::size_t* length);

 private:
  bool Run(void* cd, std::string_view in, char* out, std::size_t out_size, std::size_t* length);

  void* to_utf8_ = nullptr;   // iconv_t
  void* to_cp932_ = nullptr;  // iconv_t
};

// True when `text` has no byte above 0x7F: the same text in both codes.
bool IsAsciiText(std::string_view text);

// True for the first byte of a CP932 double-byte character.
inline bool IsCp932LeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// How many leading bytes of the CP932 text `text` fit into `limit` bytes
// without splitting a double-byte character (at most `limit`, and less by
// one when the cut would leave half a character).
std::size_t Cp932HeadFitting(std::string_view text, std::size_t limit);

// Where the tail of `text` that fits into `limit` bytes starts, without
// splitting a double-byte character: text.size() - limit, or one more when
// that position is the second byte of a character. 0 when all of it fits.
std::size_t Cp932TailStart(std::string_view text, std::size_t limit);

}  // namespace qel::xform

#endif  // QEL_XFORM_CSV_ENCODING_H_
