// Files as the suite expects of Windows: open dispositions, share modes and
// Windows-numbered error codes, over POSIX descriptors.
//
// 1. Every call that fails returns -1 (or an invalid handle) and leaves the
//    Windows-numbered code in LastSystemError().
// 2. Share mode kNone is realised with flock(LOCK_EX|LOCK_NB) on the new
//    descriptor: a second opener in this or another process fails with
//    kErrorSharingViolation (32).
// 3. Writes are complete or fail: a short write because the disk is full
//    fails with kErrorDiskFull (112).
#ifndef QEL_PLATFORM_FILE_H_
#define QEL_PLATFORM_FILE_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/export.h"

namespace qel::platform {

using FileHandle = int;
inline constexpr FileHandle kInvalidFile = -1;

enum class FileAccess { kRead, kWrite, kReadWrite };

enum class Disposition {
  kOpenExisting,      // fail with 2/3 when missing
  kCreateNew,         // fail with 80 when it exists
  kCreateAlways,      // truncate an existing file, else create it
  kOpenAlways,        // open an existing file, else create it
  kTruncateExisting,  // truncate; fail with 2/3 when missing
};

enum class ShareMode {
  kNone,       // nobody else may open the file while we hold it
  kDenyWrite,  // others may read, not write (an exclusive lock when we write,
               // a shared one when we only read)
  kAll,        // no lock
};

// Opens `path` (bytes as the operating system takes them). New files get mode
// 0666 less the umask. With `no_follow` a symbolic link as the last component
// is refused (kErrorAccessDenied), for files in directories others can write.
QEL_PLATFORM_EXPORT FileHandle OpenFile(const char* path, FileAccess access,
                                        Disposition disposition, ShareMode share,
                                        bool no_follow = false);

// Opens a file of the user's own in a directory others may write to (the
// logs in TEMP): like OpenFile with `no_follow`, but the open never blocks
// (a FIFO planted under the name cannot stop the program), and the file is
// refused with kErrorAccessDenied unless it is a regular file with one name
// owned by the effective user. Nothing is truncated before those checks.
QEL_PLATFORM_EXPORT FileHandle OpenOwnRegularFile(const char* path, FileAccess access,
                                                  Disposition disposition, ShareMode share);

// Reads up to `size` bytes; 0 at end of file; -1 on failure. Retries EINTR.
QEL_PLATFORM_EXPORT int64_t ReadFile(FileHandle file, void* buffer, size_t size);

// Writes all `size` bytes; returns `size`, or -1 on failure.
QEL_PLATFORM_EXPORT int64_t WriteFile(FileHandle file, const void* data, size_t size);

// origin: 0 start, 1 current, 2 end. Returns the new position, or -1.
QEL_PLATFORM_EXPORT int64_t SeekFile(FileHandle file, int64_t offset, int origin);

// The file's size in bytes, or -1.
QEL_PLATFORM_EXPORT int64_t FileSize(FileHandle file);

// Flushes written data to the operating system's storage (fdatasync).
QEL_PLATFORM_EXPORT bool SyncFile(FileHandle file);

// Closes the descriptor (and so its lock). False when the close failed.
QEL_PLATFORM_EXPORT bool CloseFile(FileHandle file);

// Owns one open file; closes it when it goes out of scope.
class QEL_PLATFORM_EXPORT File {
 public:
  File() = default;
  explicit File(FileHandle handle) : handle_(handle) {}
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  File(File&& other) noexcept : handle_(other.Release()) {}
  File& operator=(File&& other) noexcept;
  ~File();

  static File Open(const char* path, FileAccess access, Disposition disposition, ShareMode share,
                   bool no_follow = false) {
    return File(OpenFile(path, access, disposition, share, no_follow));
  }
  static File OpenOwnRegular(const char* path, FileAccess access, Disposition disposition,
                             ShareMode share) {
    return File(OpenOwnRegularFile(path, access, disposition, share));
  }

  bool is_open() const { return handle_ != kInvalidFile; }
  FileHandle handle() const { return handle_; }
  FileHandle Release() {
    FileHandle h = handle_;
    handle_ = kInvalidFile;
    return h;
  }
  // Closes now; false when the close failed (the error is in LastSystemError).
  bool Close();

 private:
  FileHandle handle_ = kInvalidFile;
};

enum class ReadToEndResult { kOk, kTooLarge, kFailed };

// Reads from `file` to its end into *data (replaced), holding at most `limit`
// bytes: kTooLarge as soon as the file's size, or the bytes read so far, pass
// the limit (a FIFO or a device never ends, so the size alone cannot tell);
// kFailed on a read error (LastSystemError set). Never holds more than
// `limit` plus one block in memory.
QEL_PLATFORM_EXPORT ReadToEndResult ReadToEnd(FileHandle file, std::size_t limit,
                                              std::string* data);

// Reads the whole file at `path`; nullopt on failure (LastSystemError set).
QEL_PLATFORM_EXPORT std::optional<std::string> ReadWholeFile(const char* path);

// Names inside the suite's own files (definition, procedure and menu files)
// were often written on Windows.

// The file name part of such a name: everything after the last '/' or '\'.
QEL_PLATFORM_EXPORT std::string_view ForeignBaseName(std::string_view name);

// The path to open for a name read from such a file. Windows names ignore
// letter case, so each component of `path` (directories and the file) is the
// exact name when it is there, else the one entry of its directory whose
// name matches when ASCII letter case is ignored. nullopt when a component
// has no such entry or more than one (ambiguous: the file counts as not
// found). This is the one lookup of such names in the suite.
QEL_PLATFORM_EXPORT std::optional<std::string> ResolveIgnoringCase(const std::string& path);

// For a file to be read: ResolveIgnoringCase, or `path` as written when it
// finds nothing (so that opening it fails as not found).
QEL_PLATFORM_EXPORT std::string InputPathIgnoringCase(const std::string& path);

// For a file to be created or replaced: an existing file found as above is
// replaced under its existing name; when no file of any case exists it is
// created under the name as written, in its directory found as above. With
// two or more candidates `path` is used as written.
QEL_PLATFORM_EXPORT std::string OutputPathIgnoringCase(const std::string& path);

}  // namespace qel::platform

#endif  // QEL_PLATFORM_FILE_H_
