// qelidx: builds an indexed file from a fixed-length sequential file, prints
// its description, unloads it in primary key order and checks its indexes.
//
//   qelidx build NAME.kdf DATA    qelidx info NAME.kdf
//   qelidx unload NAME.kdf OUT    qelidx check NAME.kdf
#include <unistd.h>

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
int open_named(const std::string& kdf, int mode, std::string* name) {
  *name = base_name(kdf);
  if (name->empty()) {
    std::fprintf(stderr, "qelidx: %s is not a .kdf key file\n", kdf.c_str());
    return -1;
  }
  if (kdf != *name + ".kdf") {
    std::fprintf(stderr, "qelidx: the key file must be named %s.kdf\n", name->c_str());
    return -1;
  }
  int fd = isopen(name->c_str(), mode);
  if (fd < 0) report("cannot open", *name);
  return fd;
}

int build(const std::string& kdf, const std::string& data) {
  std::string name = base_name(kdf);
  if (name.empty()) {
    std::fprintf(stderr, "qelidx: %s is not a .kdf key file\n", kdf.c_str());
    return 1;
  }
  std::string text;
  int e = ix::os::read_file(kdf, &text);
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
    return report("cannot make", tmp);
  }
  std::vector<char> rec(static_cast<size_t>(spec->record_size));
  long long number = 0;
  int result = 0;
  for (;;) {
    size_t n = std::fread(rec.data(), 1, rec.size(), in);
    if (n == 0) break;
    ++number;
    if (n != rec.size()) {
      std::fprintf(stderr, "qelidx: %s: record %lld is shorter than %d bytes\n", data.c_str(),
                   number, spec->record_size);
      result = 1;
      break;
    }
    if (iswrite(fd, rec.data()) != 0) {
      if (IsGetLastErrno() == EDUPL)
        std::fprintf(stderr, "qelidx: %s: record %lld has a duplicate key\n", data.c_str(),
                     number);
      else
        report("cannot write to", name);
      result = 1;
      break;
    }
  }
  if (result == 0 && std::ferror(in)) {
    std::fprintf(stderr, "qelidx: cannot read %s\n", data.c_str());
    result = 1;
  }
  std::fclose(in);
  if (isclose(fd) != 0 && result == 0) result = report("cannot write", name);
  if (result == 0) {
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
  while (isread(fd, rec.data(), ISNEXT) == 0) {
    if (std::fwrite(rec.data(), 1, rec.size(), out) != rec.size()) {
      result = 1;
      break;
    }
    ++n;
  }
  if (result == 0 && IsGetLastErrno() != EENDFILE) result = report("cannot read", name);
  if (std::fclose(out) != 0) result = 1;
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
