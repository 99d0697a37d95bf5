// CSV field reader on arbitrary bytes: the first byte picks the separator and
// the title option; every field must fit the caller's buffer, the reader must
// reach an end, and every result must be the one the dialect of
// xformio/line_files.h gives, as worked out by a plain reading of it here.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/xformio_fuzz_file.h"
#include "xformio/qelxformio.h"

namespace {

struct Field {
  int result;  // 0, or -2 for a malformed field
  std::string value;
  int kind;
};

// The next field of `in` from `*p`, byte by byte.
Field Expected(const std::string& in, size_t* p, unsigned char sep) {
  const size_t n = in.size();
  const size_t start = *p;
  auto at_end = [&]() -> Field {
    size_t rest = n - start;
    if (rest == 0 || (rest == 1 && static_cast<unsigned char>(in[start]) == 0x1A)) {
      *p = n;
      return {0, "", 2};
    }
    return {-2, "", 0};
  };
  auto ends = [&](size_t j, Field* f) {  // a separator or CR LF at j
    unsigned char c = static_cast<unsigned char>(in[j]);
    if (c == '\r' && j + 1 < n && in[j + 1] == '\n') {
      f->kind = 1;
      *p = j + 2;
      return true;
    }
    if (c == sep) {
      f->kind = 0;
      *p = j + 1;
      return true;
    }
    return false;
  };
  Field f{0, "", 0};
  size_t j = start;
  if (j < n && in[j] == '"' && sep != '"') {
    size_t q = in.find('"', j + 1);
    if (q == std::string::npos || q + 1 >= n) return at_end();
    if (in[q + 1] == '\r' && q + 2 >= n) return at_end();
    f.value = in.substr(j + 1, q - j - 1);
    if (f.value.size() > 65535 || !ends(q + 1, &f)) return {-2, "", 0};
    return f;
  }
  for (; j < n; ++j) {
    unsigned char c = static_cast<unsigned char>(in[j]);
    if (c == '\r' && j + 1 >= n) return at_end();
    if (c == '\r' || c == sep) {
      if (ends(j, &f)) {
        f.value = in.substr(start, j - start);
        if (f.value.size() > 65535) return {-2, "", 0};
        return f;
      }
      continue;  // a lone CR is data
    }
    if (c == '"') return {-2, "", 0};  // a quote inside a bare field
  }
  if (j - start > 65535) return {-2, "", 0};
  return at_end();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  unsigned char sep = data[0] & 0x7F ? data[0] : ',';
  char separator[2] = {static_cast<char>(sep), '\0'};
  int title = data[0] & 0x80 ? 1 : 0;
  qel::fuzz::WriteScratch(data + 1, size - 1);
  QelFileHandle h = CsvfileOpen(qel::fuzz::ScratchPath().c_str(), 0, title, separator);
  if (h < 0) abort();
  std::string in(reinterpret_cast<const char*>(data + 1), size - 1);
  size_t p = 0;
  if (title) {
    size_t lf = in.find('\n');
    p = lf == std::string::npos ? in.size() : lf + 1;
  }
  static std::vector<char> field(65535);
  // Every call consumes at least one byte or ends: more calls than bytes
  // means the reader loops.
  for (size_t calls = 0; calls <= size + 2; ++calls) {
    int32_t length = -1, kind = -1;
    int r = CsvfieldGet(h, field.data(), &length, &kind);
    if (title && calls == 0) {
      // The title line is passed with an empty field.
      int want = in.find('\n') == std::string::npos ? 2 : 1;
      if (r != 0 || length != 0 || kind != want) abort();
      if (kind == 2) break;
      continue;
    }
    Field want = Expected(in, &p, sep);
    if (r != want.result) abort();
    if (r != 0) break;
    if (length < 0 || length > 65535) abort();
    if (kind != want.kind || std::string(field.data(), size_t(length)) != want.value) abort();
    if (kind == 2) break;
    if (calls == size + 2) abort();
  }
  CsvfileClose(h);
  return 0;
}
