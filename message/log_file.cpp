// Log files. Every call opens and closes the file itself, so that two
// programs sharing a log see each other's lines.
#include "message/log_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>

#include "message/message_text.h"
#include "platform/cp932.h"
#include "platform/environment.h"
#include "platform/file.h"

namespace qel::message {
namespace {

using platform::Disposition;
using platform::File;
using platform::FileAccess;
using platform::ShareMode;

// The ring of the last kRoundLines pieces, written back oldest first.
class LineRing {
 public:
  void Put(std::string piece) {
    slots_[next_] = std::move(piece);
    next_ = (next_ + 1) % kRoundLines;
    if (next_ == 0) wrapped_ = true;
  }

  std::string Joined() const {
    std::string out;
    if (wrapped_) {
      for (std::size_t i = next_; i < kRoundLines; ++i) out += slots_[i];
    }
    for (std::size_t i = 0; i < next_; ++i) out += slots_[i];
    return out;
  }

 private:
  std::array<std::string, kRoundLines> slots_;
  std::size_t next_ = 0;
  bool wrapped_ = false;
};

bool WriteAll(const File& file, std::string_view data, std::size_t piece) {
  while (!data.empty()) {
    std::size_t n = data.size() < piece ? data.size() : piece;
    if (platform::WriteFile(file.handle(), data.data(), n) < 0) return false;
    data.remove_prefix(n);
  }
  return true;
}

bool IsCp932Lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The length of `text` without a UTF-8 character cut off at its end.
std::size_t CompleteUtf8Prefix(std::string_view text) {
  std::size_t start = text.size();
  while (start > 0 && (static_cast<unsigned char>(text[start - 1]) & 0xC0) == 0x80) --start;
  if (start == 0) return text.size();
  const unsigned char lead = static_cast<unsigned char>(text[start - 1]);
  const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  return start - 1 + length > text.size() ? start - 1 : text.size();
}

bool Append(std::string_view name, std::string_view data, std::size_t piece) {
  std::string path = LogPath(name);
  File file = File::OpenOwnRegular(path.c_str(), FileAccess::kWrite, Disposition::kOpenExisting, ShareMode::kDenyWrite);
  if (!file.is_open()) return false;
  if (platform::SeekFile(file.handle(), 0, 2) < 0) return false;
  // A failed write loses the text as a failed open does; the log itself
  // stays readable, so it is not reported twice.
  WriteAll(file, data, piece);
  return true;
}

}  // namespace

std::string EncodeLogText(std::string_view text, bool utf8) {
  if (!utf8 || platform::IsNonAsciiUtf8(text)) return std::string(text);
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      out += text[i++];
      continue;
    }
    std::size_t end = i;
    while (end < text.size() && static_cast<unsigned char>(text[end]) >= 0x80) {
      end += IsCp932Lead(static_cast<unsigned char>(text[end])) ? 2 : 1;
    }
    end = std::min(end, text.size());
    std::string_view run = text.substr(i, end - i);
    out += platform::IsNonAsciiUtf8(run) ? std::string(run) : platform::Cp932ToUtf8(run);
    i = end;
  }
  return out;
}

std::string LogMessageText(std::string_view text, const char* const* args, bool utf8) {
  if (!utf8) return ForLog(Substitute(text, args));
  const char* const none[kInsertCount] = {"", "", "", "", ""};
  std::string out = platform::FormatForDisplay(text, args != nullptr ? args : none, kInsertCount,
                                               /*to_utf8=*/true);
  std::size_t chars = 0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    if ((static_cast<unsigned char>(out[i]) & 0xC0) == 0x80) continue;
    if (chars++ == kLogTextMax) {
      out.resize(i);
      break;
    }
  }
  for (char& c : out) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return out;
}

bool LogIsUtf8() { return platform::ConsoleIsUtf8(); }

std::string LogPath(std::string_view name) {
  return platform::LogDirectory() + std::string(name) + ".LOG";
}

bool InitLog(std::string_view name) {
  std::string path = LogPath(name);
  File file = File::OpenOwnRegular(path.c_str(), FileAccess::kWrite, Disposition::kCreateAlways, ShareMode::kDenyWrite);
  return file.is_open();
}

bool AppendRound(std::string_view name, std::string_view line) {
  std::string path = LogPath(name);
  const bool utf8 = LogIsUtf8();
  const std::size_t piece_max = utf8 ? kRoundPieceUtf8 : kRoundPiece;
  LineRing ring;
  {
    File in = File::OpenOwnRegular(path.c_str(), FileAccess::kRead, Disposition::kOpenExisting, ShareMode::kAll);
    if (!in.is_open()) return false;
    // Read in blocks and cut into pieces as a line reader with a buffer of
    // kRoundPiece + 1 bytes would, so that a large log never has to fit in
    // memory at once.
    std::string piece;
    char buffer[65536];
    for (;;) {
      int64_t n = platform::ReadFile(in.handle(), buffer, sizeof buffer);
      if (n < 0) return false;
      if (n == 0) break;
      std::string_view rest(buffer, static_cast<std::size_t>(n));
      while (!rest.empty()) {
        std::size_t room = piece_max - piece.size();
        std::size_t end = rest.substr(0, room).find('\n');
        std::size_t take = end == std::string_view::npos ? std::min(room, rest.size()) : end + 1;
        piece.append(rest.substr(0, take));
        rest.remove_prefix(take);
        if (piece.back() == '\n' || piece.size() == piece_max) {
          // A UTF-8 line longer than a piece is cut between characters, so
          // that dropping its first piece leaves readable text.
          std::string carry;
          if (utf8 && piece.back() != '\n') {
            const std::size_t cut = CompleteUtf8Prefix(piece);
            if (cut > 0) {
              carry = piece.substr(cut);
              piece.resize(cut);
            }
          }
          ring.Put(std::move(piece));
          piece = std::move(carry);
        }
      }
    }
    if (!piece.empty()) ring.Put(std::move(piece));
  }
  ring.Put(EncodeLogText(line, utf8));
  // Everything is in memory before the old log is overwritten. It is
  // written over from its start and cut to its new length afterwards, not
  // emptied first: on ext4 emptying a file waits for the data of every file
  // written meanwhile (a conversion's whole output) to reach the disk.
  const std::string rounded = ring.Joined();
  File out = File::OpenOwnRegular(path.c_str(), FileAccess::kWrite, Disposition::kOpenAlways, ShareMode::kDenyWrite);
  if (!out.is_open()) return false;
  if (!WriteAll(out, rounded, kBinaryPiece)) return true;
  struct stat st {};
  if (::fstat(out.handle(), &st) == 0 && st.st_size > static_cast<off_t>(rounded.size())) {
    // A failed cut leaves old lines after the new ones; the log stays
    // readable.
    (void)::ftruncate(out.handle(), static_cast<off_t>(rounded.size()));
  }
  return true;
}

bool AppendToLog(std::string_view name, std::string_view data) {
  const std::string text = EncodeLogText(data, LogIsUtf8());
  return Append(name, text, text.size() + 1);
}

bool AppendBinaryToLog(std::string_view name, std::string_view data) {
  return Append(name, data, kBinaryPiece);
}

}  // namespace qel::message
