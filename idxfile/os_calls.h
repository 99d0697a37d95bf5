// The engine's own operating-system calls: whole-file lock, record locks,
// reading and writing the key file, removing and renaming its files. The
// engine stands apart from the suite and makes these calls itself, here only.
#ifndef QEL_IDXFILE_OS_CALLS_H_
#define QEL_IDXFILE_OS_CALLS_H_

#include <cstdint>
#include <string>
#include <vector>

namespace qel::idxfile::os {

// Each returns 0 or an errno value.
int read_file(const std::string& path, std::string* text);
int write_file(const std::string& path, const std::string& text);  // flushed to disk
int remove_file(const std::string& path);                          // missing is fine
int rename_file(const std::string& from, const std::string& to);
bool file_exists(const std::string& path);
// The names in directory `dir` ("" for the current one); 0 or an errno value.
int list_dir(const std::string& dir, std::vector<std::string>* names);
// Whether descriptor `fd` is still the file at `path` (not replaced by a
// rename since it was opened).
bool same_file(int fd, const std::string& path);
// Whether process `pid` still exists.
bool process_alive(long pid);

// A descriptor held open for locks; -1 and errno on failure.
int open_for_lock(const std::string& path, int* error);
void close_fd(int fd);
// flock without waiting: 0, EWOULDBLOCK when another opener holds it, or errno.
int try_file_lock(int fd, bool exclusive);
// Record locks: open-file-description locks on one byte at `slot`, so that
// two opens conflict even inside one process. 0, EAGAIN when held, or errno.
int try_record_lock(int fd, std::uint64_t slot);
void record_unlock(int fd, std::uint64_t slot);

}  // namespace qel::idxfile::os

#endif  // QEL_IDXFILE_OS_CALLS_H_
