// Log files. Every call opens and closes the file itself, so that two
// programs sharing a log see each other's lines.
#include "message/log_file.h"

#include <algorithm>
#include <array>

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
        std::size_t room = kRoundPiece - piece.size();
        std::size_t end = rest.substr(0, room).find('\n');
        std::size_t take = end == std::string_view::npos ? std::min(room, rest.size()) : end + 1;
        piece.append(rest.substr(0, take));
        rest.remove_prefix(take);
        if (piece.back() == '\n' || piece.size() == kRoundPiece) {
          ring.Put(std::move(piece));
          piece.clear();
        }
      }
    }
    if (!piece.empty()) ring.Put(std::move(piece));
  }
  ring.Put(std::string(line));
  // Everything is in memory before the old log is cut off.
  const std::string rounded = ring.Joined();
  File out = File::OpenOwnRegular(path.c_str(), FileAccess::kWrite, Disposition::kCreateAlways, ShareMode::kDenyWrite);
  if (!out.is_open()) return false;
  WriteAll(out, rounded, kBinaryPiece);
  return true;
}

bool AppendToLog(std::string_view name, std::string_view data) {
  return Append(name, data, data.size() + 1);
}

bool AppendBinaryToLog(std::string_view name, std::string_view data) {
  return Append(name, data, kBinaryPiece);
}

}  // namespace qel::message
