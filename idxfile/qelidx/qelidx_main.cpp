// qelidx: builds an indexed file from a fixed-length sequential file, prints
// its description, unloads it in primary key order and checks its indexes.
//
//   qelidx build NAME.kdf DATA    qelidx info NAME.kdf
//   qelidx unload NAME.kdf OUT    qelidx check NAME.kdf
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "idxfile/engine.h"
#include "idxfile/idxfile.h"
#include "idxfile/os_calls.h"
#include "platform/standard_descriptors.h"

namespace {

namespace ix = qel::idxfile;

int usage() {
  std::fprintf(stderr,
               "usage: qelidx build NAME.kdf DATA | info NAME.kdf | unload NAME.kdf OUT |"
               " check NAME.kdf\n");
  return 1;
}

std::string base_name(const std::string& kdf) {
  if (kdf.size() > 4) {
    std::string tail = kdf.substr(kdf.size() - 4);
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (tail == ".kdf") return kdf.substr(0, kdf.size() - 4);
  }
  return {};
}

int report(const char* what, const std::string& name) {
  int e = IsGetLastErrno();
  if (e == ESYSERR)
    std::fprintf(stderr, "qelidx: %s %s: error %d (%s)\n", what, name.c_str(), e,
                 std::strerror(IsGetLastSyserr()));
  else
    std::fprintf(stderr, "qelidx: %s %s: error %d\n", what, name.c_str(), e);
  return 1;
}

// Opens NAME of the key file `kdf`; the key file may be named in any case.
// A file that its key file does not describe is refused with what differs.
int open_named(const std::string& kdf, int mode, std::string* name) {
  *name = base_name(kdf);
  if (name->empty()) {
    std::fprintf(stderr, "qelidx: %s is not a .kdf key file\n", kdf.c_str());
    return -1;
  }
  // A key file named in another case than on disk is found as isopen finds it.
  std::string key_file = ix::os::file_exists(kdf) ? kdf : ix::key_file_of(*name);
  int fd = ix::open_with_key_file(*name, key_file, mode);
  if (fd >= 0) return fd;
  std::string problem;
  if (IsGetLastErrno() == EBADFILE) problem = ix::describe_mismatch(*name, key_file);
  if (!problem.empty())
    std::fprintf(stderr, "qelidx: cannot open %s: %s\n", name->c_str(), problem.c_str());
  else
    report("cannot open", *name);
  return -1;
}

// Removes the files of builds of `name` whose process has gone (a build that
// was killed): NAME.build<pid>, NAME.build<pid>.<n> and NAME.build<pid>.kdf.
void remove_stale_builds(const std::string& name) {
  size_t slash = name.find_last_of('/');
  std::string dir = slash == std::string::npos ? "" : name.substr(0, slash + 1);
  std::string stem = (slash == std::string::npos ? name : name.substr(slash + 1)) + ".build";
  std::vector<std::string> names;
  if (ix::os::list_dir(dir, &names) != 0) return;
  for (const std::string& n : names) {
    if (n.compare(0, stem.size(), stem) != 0) continue;
    size_t i = stem.size(), j = i;
    while (j < n.size() && j - i < 10 && std::isdigit(static_cast<unsigned char>(n[j]))) ++j;
    if (j == i) continue;
    std::string rest = n.substr(j);
    bool index = rest.size() > 1 && rest[0] == '.' &&
                 rest.find_first_not_of("0123456789", 1) == std::string::npos;
    if (!rest.empty() && rest != ".kdf" && !index) continue;
    long pid = std::strtol(n.substr(i, j - i).c_str(), nullptr, 10);
    if (pid == ::getpid() || ix::os::process_alive(pid)) continue;
    ix::os::remove_file(dir + n);
  }
}

// Holds an existing indexed file `name` exclusively, as an update open does,
// so that no program of the suite has it open while it is replaced. Returns
// the lock's descriptor, -1 when there is no such file, -2 after a message.
int lock_existing(const std::string& name) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    int err = 0;
    int fd = ix::os::open_for_lock(name, &err);
    if (fd < 0) {
      if (err == ENOENT) return -1;
      std::fprintf(stderr, "qelidx: cannot open %s: %s\n", name.c_str(), std::strerror(err));
      return -2;
    }
    int e = ix::os::try_file_lock(fd, true);
    if (e == EWOULDBLOCK) {
      ix::os::close_fd(fd);
      std::fprintf(stderr,
                   "qelidx: cannot build %s: error %d, another program has the file open\n",
                   name.c_str(), EFLOCKED);
      return -2;
    }
    if (e != 0) {
      ix::os::close_fd(fd);
      std::fprintf(stderr, "qelidx: cannot lock %s: %s\n", name.c_str(), std::strerror(e));
      return -2;
    }
    if (ix::os::same_file(fd, name)) return fd;
    ix::os::close_fd(fd);  // replaced meanwhile: lock the new one
  }
  std::fprintf(stderr, "qelidx: cannot build %s: error %d, the file keeps being replaced\n",
               name.c_str(), EFLOCKED);
  return -2;
}

// Records a build takes in at a time, in bytes: the larger, the more of each
// index fills in key order.
constexpr size_t kChunkBytes = 256u << 20;

// Progress of a build on a terminal: records, percent of the input and rate,
// a few times a second on standard error; nothing when it is not a terminal.
class Progress {
 public:
  explicit Progress(FILE* in) : on_(::isatty(2) == 1) {
    struct stat st;
    if (on_ && ::fstat(::fileno(in), &st) == 0 && S_ISREG(st.st_mode)) total_ = st.st_size;
    start_ = last_ = std::chrono::steady_clock::now();
  }
  void Tick(long long records, long long bytes) {
    if (!on_) return;
    auto now = std::chrono::steady_clock::now();
    if (now - last_ < std::chrono::milliseconds(250)) return;
    last_ = now;
    Show(records, bytes, now);
  }
  void Finish(long long records, long long bytes) {
    if (!on_ || last_ == start_) return;
    Show(records, bytes, std::chrono::steady_clock::now());
    std::fputc('\n', stderr);
  }

 private:
  void Show(long long records, long long bytes, std::chrono::steady_clock::time_point now) {
    double s = std::chrono::duration<double>(now - start_).count();
    double rate = s > 0 ? static_cast<double>(records) / s : 0;
    if (total_ > 0)
      std::fprintf(stderr, "\r%lld records, %3d%%, %.0f records/s  ", records,
                   static_cast<int>(bytes * 100 / total_), rate);
    else
      std::fprintf(stderr, "\r%lld records, %.0f records/s  ", records, rate);
    std::fflush(stderr);
  }
  bool on_;
  long long total_ = 0;
  std::chrono::steady_clock::time_point start_, last_;
};

int build(const std::string& kdf, const std::string& data) {
  std::string name = base_name(kdf);
  if (name.empty()) {
    std::fprintf(stderr, "qelidx: %s is not a .kdf key file\n", kdf.c_str());
    return 1;
  }
  std::string text;
  std::string key_file = ix::os::file_exists(kdf) ? kdf : ix::key_file_of(name);
  int e = ix::os::read_file(key_file, &text);
  if (e != 0) {
    std::fprintf(stderr, "qelidx: cannot read %s: %s\n", kdf.c_str(), std::strerror(e));
    return 1;
  }
  std::string why;
  auto spec = ix::parse_key_file(text, &why);
  if (!spec) {
    std::fprintf(stderr, "qelidx: %s: %s\n", kdf.c_str(), why.c_str());
    return 1;
  }
  FILE* in = std::fopen(data.c_str(), "rb");
  if (!in) {
    std::fprintf(stderr, "qelidx: cannot read %s: %s\n", data.c_str(), std::strerror(errno));
    return 1;
  }
  // The old file stays locked from here until its files have been replaced.
  int lock_fd = lock_existing(name);
  if (lock_fd == -2) {
    std::fclose(in);
    return 1;
  }
  remove_stale_builds(name);
  std::string tmp = name + ".build" + std::to_string(::getpid());
  auto discard = [&] {
    for (size_t i = 0; i <= spec->keys.size(); ++i)
      ix::os::remove_file(i == 0 ? tmp : tmp + "." + std::to_string(i));
    ix::os::remove_file(tmp + ".kdf");
  };
  int fd = ix::build_file(tmp, *spec, ISOUTPUT | ISEXCLLOCK, true);
  if (fd < 0) {
    std::fclose(in);
    discard();
    ix::os::close_fd(lock_fd);
    return report("cannot make", tmp);
  }
  // The records go in in chunks: each index fills in key order within one.
  const size_t record_size = static_cast<size_t>(spec->record_size);
  const size_t chunk_records = std::max<size_t>(1, kChunkBytes / record_size);
  std::vector<char> chunk;
  long long number = 0;  // records taken in so far
  int result = 0;
  Progress progress(in);
  for (;;) {
    chunk.resize(chunk_records * record_size);
    size_t got = std::fread(chunk.data(), 1, chunk.size(), in);
    size_t whole = got / record_size;
    if (whole > 0) {
      size_t failed = 0;
      long long before = number;
      auto tick = [&](size_t done, size_t total) {
        long long records = before + static_cast<long long>(whole * done / total);
        progress.Tick(records, records * spec->record_size);
      };
      if (ix::bulk_write(fd, chunk.data(), whole, &failed, tick) != 0) {
        if (IsGetLastErrno() == EDUPL)
          std::fprintf(stderr, "qelidx: %s: record %lld has a duplicate key\n", data.c_str(),
                       before + static_cast<long long>(failed) + 1);
        else
          report("cannot write to", name);
        result = 1;
        break;
      }
      number += static_cast<long long>(whole);
      progress.Tick(number, number * spec->record_size);
    }
    if (got % record_size != 0) {
      std::fprintf(stderr, "qelidx: %s: record %lld is shorter than %d bytes\n", data.c_str(),
                   number + 1, spec->record_size);
      result = 1;
      break;
    }
    if (got < chunk.size()) break;
  }
  progress.Finish(number, number * spec->record_size);
  if (result == 0 && std::ferror(in)) {
    std::fprintf(stderr, "qelidx: cannot read %s\n", data.c_str());
    result = 1;
  }
  std::fclose(in);
  if (isclose(fd) != 0 && result == 0) result = report("cannot write", name);
  if (result == 0) {
    // Indexes of the old file beyond the new keys go first; NAME itself is
    // replaced last, so that whoever opens the new NAME finds every new index.
    for (size_t i = static_cast<size_t>(ix::kMaxKeys); i >= spec->keys.size() && result == 0; --i) {
      int e2 = ix::os::remove_file(name + "." + std::to_string(i));
      if (e2 != 0) {
        std::fprintf(stderr, "qelidx: cannot remove %s.%zu: %s\n", name.c_str(), i,
                     std::strerror(e2));
        result = 1;
      }
    }
    for (size_t i = spec->keys.size(); i-- > 0 && result == 0;) {
      std::string from = i == 0 ? tmp : tmp + "." + std::to_string(i);
      std::string to = i == 0 ? name : name + "." + std::to_string(i);
      int e2 = ix::os::rename_file(from, to);
      if (e2 != 0) {
        std::fprintf(stderr, "qelidx: cannot rename %s: %s\n", from.c_str(), std::strerror(e2));
        result = 1;
      }
    }
  }
  discard();
  ix::os::close_fd(lock_fd);
  if (result == 0) std::printf("%lld records written to %s\n", number, name.c_str());
  return result;
}

int info(const std::string& kdf) {
  std::string name;
  int fd = open_named(kdf, ISINPUT, &name);
  if (fd < 0) return 1;
  dictinfo di;
  if (isindexinfo(fd, &di, 0) != 0) {
    isclose(fd);
    return report("cannot read", name);
  }
  std::printf("RECSIZE %d\nRECORDS %d\n", di.di_recsize, di.di_nrecords);
  const ix::FileSpec* spec = ix::file_spec(fd);
  for (const ix::KeySpec& k : spec->keys) std::printf("KEY %s\n", ix::format_key(k).c_str());
  isclose(fd);
  return 0;
}

int unload(const std::string& kdf, const std::string& out_path) {
  std::string name;
  int fd = open_named(kdf, ISINPUT, &name);
  if (fd < 0) return 1;
  FILE* out = std::fopen(out_path.c_str(), "wb");
  if (!out) {
    isclose(fd);
    std::fprintf(stderr, "qelidx: cannot write %s: %s\n", out_path.c_str(), std::strerror(errno));
    return 1;
  }
  std::vector<char> rec(static_cast<size_t>(ix::file_spec(fd)->record_size));
  long long n = 0;
  int result = 0;
  int write_error = 0;
  while (isread(fd, rec.data(), ISNEXT) == 0) {
    if (std::fwrite(rec.data(), 1, rec.size(), out) != rec.size()) {
      write_error = errno;
      result = 1;
      break;
    }
    ++n;
  }
  if (result == 0 && IsGetLastErrno() != EENDFILE) result = report("cannot read", name);
  if (std::fclose(out) != 0 && write_error == 0) write_error = errno;
  if (write_error != 0) {
    // Everything the output holds may be short: it is not left as if whole.
    std::fprintf(stderr, "qelidx: cannot write %s: %s\n", out_path.c_str(),
                 std::strerror(write_error));
    result = 1;
  }
  isclose(fd);
  if (result == 0) std::printf("%lld records written to %s\n", n, out_path.c_str());
  return result;
}

int check(const std::string& kdf) {
  std::string name;
  int fd = open_named(kdf, ISINPUT, &name);
  if (fd < 0) return 1;
  std::string problem;
  int rc = ix::check_file(fd, &problem);
  isclose(fd);
  if (rc < 0) return report("cannot read", name);
  if (rc > 0) {
    std::fprintf(stderr, "qelidx: %s: %s\n", name.c_str(), problem.c_str());
    return 1;
  }
  std::printf("%s: every index matches the records\n", name.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  qel::platform::EnsureStandardDescriptors();
  if (argc < 3) return usage();
  std::string cmd = argv[1];
  if (cmd == "build" && argc == 4) return build(argv[2], argv[3]);
  if (cmd == "info" && argc == 3) return info(argv[2]);
  if (cmd == "unload" && argc == 4) return unload(argv[2], argv[3]);
  if (cmd == "check" && argc == 3) return check(argv[2]);
  return usage();
}
