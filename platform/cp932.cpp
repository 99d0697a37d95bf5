// CP932 <-> UTF-8 through iconv, and the display rule for messages: template
// text is CP932, an insert that already is non-ASCII UTF-8 (a Linux file
// name) passes through unchanged.
#include "platform/cp932.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <strings.h>

#include <cerrno>
#include <clocale>
#include <cstdint>
#include <cstring>

namespace qel::platform {
namespace {

// One converter per direction and thread; iconv descriptors are not
// thread-safe, and opening one per call would cost more than converting.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) ::iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts `in`; on an invalid sequence either substitutes `replacement`
  // for one input byte and goes on, or (replacement empty) fails.
  std::optional<std::string> Run(std::string_view in, std::string_view replacement) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    out.resize(in.size() * 3 + 8);
    char* src = const_cast<char*>(in.data());
    size_t src_left = in.size();
    char* dst = out.data();
    size_t dst_left = out.size();
    while (src_left > 0) {
      size_t r = ::iconv(cd_, &src, &src_left, &dst, &dst_left);
      if (r != static_cast<size_t>(-1)) break;
      if (errno == E2BIG) {
        size_t used = out.size() - dst_left;
        out.resize(out.size() * 2);
        dst = out.data() + used;
        dst_left = out.size() - used;
        continue;
      }
      if (replacement.empty()) return std::nullopt;
      // EILSEQ or EINVAL (a truncated sequence at the end): skip one byte.
      size_t used = out.size() - dst_left;
      if (dst_left < replacement.size()) {
        out.resize(out.size() + replacement.size() + 16);
        dst = out.data() + used;
        dst_left = out.size() - used;
      }
      std::memcpy(dst, replacement.data(), replacement.size());
      dst += replacement.size();
      dst_left -= replacement.size();
      ++src;
      --src_left;
      ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(out.size() - dst_left);
    return out;
  }

 private:
  iconv_t cd_;
};

Converter& ToUtf8() {
  thread_local Converter c("UTF-8", "CP932");
  return c;
}

Converter& ToCp932() {
  thread_local Converter c("CP932", "UTF-8");
  return c;
}

bool IsAscii(std::string_view s) {
  for (unsigned char c : s) {
    if (c >= 0x80) return false;
  }
  return true;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
  if (IsAscii(cp932)) return std::string(cp932);
  return ToUtf8().Run(cp932, "\xEF\xBF\xBD").value_or(std::string());
}

std::optional<std::string> Utf8ToCp932(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  return ToCp932().Run(utf8, {});
}

bool IsNonAsciiUtf8(std::string_view text) {
  bool non_ascii = false;
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    int extra;
    uint32_t cp;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1;
      cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2;
      cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + extra >= text.size()) return false;
    for (int k = 1; k <= extra; ++k) {
      unsigned char t = static_cast<unsigned char>(text[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (t & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    static constexpr uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    non_ascii = true;
    i += extra + 1;
  }
  return non_ascii;
}

bool ConsoleIsUtf8() {
  // A program that set its own locale is asked; one still in the "C" locale
  // of program start is judged by its environment (LANG, LC_ALL ...), read
  // into a locale object of our own so that the process locale is left alone.
  static const bool utf8 = [] {
    auto is_utf8 = [](const char* codeset) {
      return codeset != nullptr &&
             (::strcasecmp(codeset, "UTF-8") == 0 || ::strcasecmp(codeset, "utf8") == 0);
    };
    const char* current = std::setlocale(LC_CTYPE, nullptr);
    if (current != nullptr && std::strcmp(current, "C") != 0 &&
        std::strcmp(current, "POSIX") != 0) {
      return is_utf8(::nl_langinfo(CODESET));
    }
    locale_t environment = ::newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
    if (environment == static_cast<locale_t>(0)) return false;
    bool result = is_utf8(::nl_langinfo_l(CODESET, environment));
    ::freelocale(environment);
    return result;
  }();
  return utf8;
}

std::string FormatForDisplay(std::string_view text, const char* const inserts[], int insert_count,
                             bool to_utf8) {
  std::string out;
  int next = 0;
  size_t start = 0;
  auto piece = [&](std::string_view s) { out += to_utf8 ? Cp932ToUtf8(s) : std::string(s); };
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    // A Shift-JIS trail byte may be '%': step over double-byte characters.
    if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
      ++i;
      continue;
    }
    if (c == '%' && text[i + 1] == '%') {
      piece(text.substr(start, i + 1 - start));
      start = i + 2;
      ++i;
      continue;
    }
    if (c == '%' && text[i + 1] == 's') {
      piece(text.substr(start, i - start));
      const char* insert = next < insert_count && inserts[next] != nullptr ? inserts[next] : "";
      ++next;
      std::string_view ins(insert);
      if (!to_utf8 || IsNonAsciiUtf8(ins)) {
        out += ins;
      } else {
        out += Cp932ToUtf8(ins);
      }
      start = i + 2;
      ++i;
    }
  }
  piece(text.substr(start));
  return out;
}

std::string ForConsole(std::string_view cp932) {
  return ConsoleIsUtf8() ? Cp932ToUtf8(cp932) : std::string(cp932);
}

}  // namespace qel::platform
