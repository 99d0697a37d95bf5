/* A preload library for the fault-injection tests: the Nth write, fsync,
 * close or rename of a chosen file fails with ENOSPC or EIO, as on a full or
 * failing disk, while every other call goes through unchanged.
 *
 * Settings (environment):
 *   QEL_FAULT_FILE   a text the file's path must contain (the path is read
 *                    from /proc/self/fd for descriptors; either name of a
 *                    rename counts)
 *   QEL_FAULT_CALL   write (write, pwrite, pwrite64, writev), fsync (fsync,
 *                    fdatasync), close or rename (rename, renameat,
 *                    renameat2)
 *   QEL_FAULT_NTH    which matching call fails, from 1
 *   QEL_FAULT_STAYS  when set, every matching call from the Nth on fails
 *                    too, as on a disk that stays full
 *   QEL_FAULT_ERRNO  ENOSPC or EIO
 *   QEL_FAULT_MARK   a file created when the fault was injected, so that a
 *                    sweep knows when N has passed the last call
 * Without QEL_FAULT_FILE the library only passes calls through.
 *
 * A failed close still closes the descriptor, as the kernel does; a failed
 * write, fsync or rename does nothing. Calls made inside the C library
 * itself (stdio's own writes) are not seen, only those of the programs and
 * of the libraries they load.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <sys/uio.h>
#include <unistd.h>

enum Kind { kNone, kWrite, kSync, kClose, kRename };

static int g_ready;
static enum Kind g_kind;
static const char* g_file;
static long g_nth;
static int g_stays;
static int g_errno;
static const char* g_mark;
static long g_count;

static void Setup(void) {
  if (__atomic_load_n(&g_ready, __ATOMIC_ACQUIRE)) return;
  const char* file = getenv("QEL_FAULT_FILE");
  const char* call = getenv("QEL_FAULT_CALL");
  const char* nth = getenv("QEL_FAULT_NTH");
  const char* err = getenv("QEL_FAULT_ERRNO");
  if (file != NULL && *file != '\0' && call != NULL && nth != NULL) {
    g_file = file;
    g_kind = strcmp(call, "write") == 0    ? kWrite
             : strcmp(call, "fsync") == 0  ? kSync
             : strcmp(call, "close") == 0  ? kClose
             : strcmp(call, "rename") == 0 ? kRename
                                           : kNone;
    g_nth = strtol(nth, NULL, 10);
    g_errno = err != NULL && strcmp(err, "EIO") == 0 ? EIO : ENOSPC;
    g_mark = getenv("QEL_FAULT_MARK");
    g_stays = getenv("QEL_FAULT_STAYS") != NULL;
  }
  __atomic_store_n(&g_ready, 1, __ATOMIC_RELEASE);
}

static void* Next(const char* name) { return dlsym(RTLD_NEXT, name); }

static int PathMatches(const char* path) {
  return path != NULL && g_file != NULL && strstr(path, g_file) != NULL;
}

static int FdMatches(int fd) {
  char link[64], path[4096];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  ssize_t n = readlink(link, path, sizeof path - 1);
  if (n <= 0) return 0;
  path[n] = '\0';
  return PathMatches(path);
}

static void Mark(void) {
  if (g_mark == NULL) return;
  int (*real_open)(const char*, int, ...) = (int (*)(const char*, int, ...))Next("open");
  int (*real_close)(int) = (int (*)(int))Next("close");
  int fd = real_open(g_mark, O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  if (fd >= 0) real_close(fd);
}

/* True when this call, on descriptor `fd` (or, for a rename, with the
 * names `from` and `to`), is the one to fail. */
static int Strike(enum Kind kind, int fd, const char* from, const char* to) {
  Setup();
  if (g_kind != kind) return 0;
  int matches = kind == kRename ? PathMatches(from) || PathMatches(to) : FdMatches(fd);
  if (!matches) return 0;
  long n = __atomic_add_fetch(&g_count, 1, __ATOMIC_SEQ_CST);
  if (g_stays ? n < g_nth : n != g_nth) return 0;
  Mark();
  return 1;
}

ssize_t write(int fd, const void* data, size_t size) {
  static ssize_t (*real)(int, const void*, size_t);
  if (real == NULL) real = (ssize_t(*)(int, const void*, size_t))Next("write");
  if (Strike(kWrite, fd, NULL, NULL)) {
    errno = g_errno;
    return -1;
  }
  return real(fd, data, size);
}

ssize_t pwrite(int fd, const void* data, size_t size, off_t offset) {
  static ssize_t (*real)(int, const void*, size_t, off_t);
  if (real == NULL) real = (ssize_t(*)(int, const void*, size_t, off_t))Next("pwrite");
  if (Strike(kWrite, fd, NULL, NULL)) {
    errno = g_errno;
    return -1;
  }
  return real(fd, data, size, offset);
}

ssize_t pwrite64(int fd, const void* data, size_t size, off64_t offset) {
  static ssize_t (*real)(int, const void*, size_t, off64_t);
  if (real == NULL) real = (ssize_t(*)(int, const void*, size_t, off64_t))Next("pwrite64");
  if (Strike(kWrite, fd, NULL, NULL)) {
    errno = g_errno;
    return -1;
  }
  return real(fd, data, size, offset);
}

ssize_t writev(int fd, const struct iovec* iov, int count) {
  static ssize_t (*real)(int, const struct iovec*, int);
  if (real == NULL) real = (ssize_t(*)(int, const struct iovec*, int))Next("writev");
  if (Strike(kWrite, fd, NULL, NULL)) {
    errno = g_errno;
    return -1;
  }
  return real(fd, iov, count);
}

int fsync(int fd) {
  static int (*real)(int);
  if (real == NULL) real = (int (*)(int))Next("fsync");
  if (Strike(kSync, fd, NULL, NULL)) {
    errno = g_errno;
    return -1;
  }
  return real(fd);
}

int fdatasync(int fd) {
  static int (*real)(int);
  if (real == NULL) real = (int (*)(int))Next("fdatasync");
  if (Strike(kSync, fd, NULL, NULL)) {
    errno = g_errno;
    return -1;
  }
  return real(fd);
}

int close(int fd) {
  static int (*real)(int);
  if (real == NULL) real = (int (*)(int))Next("close");
  int strike = Strike(kClose, fd, NULL, NULL);
  int r = real(fd);
  if (strike) {
    errno = g_errno;
    return -1;
  }
  return r;
}

int rename(const char* from, const char* to) {
  static int (*real)(const char*, const char*);
  if (real == NULL) real = (int (*)(const char*, const char*))Next("rename");
  if (Strike(kRename, -1, from, to)) {
    errno = g_errno;
    return -1;
  }
  return real(from, to);
}

int renameat(int from_dir, const char* from, int to_dir, const char* to) {
  static int (*real)(int, const char*, int, const char*);
  if (real == NULL) real = (int (*)(int, const char*, int, const char*))Next("renameat");
  if (Strike(kRename, -1, from, to)) {
    errno = g_errno;
    return -1;
  }
  return real(from_dir, from, to_dir, to);
}

int renameat2(int from_dir, const char* from, int to_dir, const char* to, unsigned flags) {
  static int (*real)(int, const char*, int, const char*, unsigned);
  if (real == NULL) {
    real = (int (*)(int, const char*, int, const char*, unsigned))Next("renameat2");
  }
  if (Strike(kRename, -1, from, to)) {
    errno = g_errno;
    return -1;
  }
  return real(from_dir, from, to_dir, to, flags);
}
