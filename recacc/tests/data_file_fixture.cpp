// Test helpers for data-file access.
#include "recacc/tests/data_file_fixture.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "recacc/isam_binding.h"

namespace qel::recacc::test {

namespace {

bool PrepareWith(const TempDir& dir, PathStore* paths, DTF* dtf, const std::string& fior,
                 const std::vector<Item>& items, int mode, const std::string& data_name,
                 const std::string& rfor) {
  std::string rdf = data_name + ".RDF";
  dir.Write(rdf, RecordDefinition(items));
  KRACRinfFree(dtf);
  KRACInit(dtf);
  dtf->definition_path =
      paths->Keep(dir.Write(data_name + ".FLF", FileDefinition(fior, rfor, rdf)));
  if (KRACSproc(dtf) != 0) return false;
  dtf->access_mode = mode;
  dtf->data_path = paths->Keep(dir.path() + "/" + data_name);
  return true;
}

}  // namespace

bool Prepare(const TempDir& dir, PathStore* paths, DTF* dtf, const std::string& fior, int length,
             int mode, const std::string& data_name, const std::string& rfor) {
  return PrepareWith(dir, paths, dtf, fior, {Item{"01", "DATA-REC", "X", std::to_string(length)}},
                     mode, data_name, rfor);
}

bool Prepare(const TempDir& dir, PathStore* paths, DTF* dtf, const std::string& fior,
             const std::vector<Item>& items, int mode, const std::string& data_name) {
  return PrepareWith(dir, paths, dtf, fior, items, mode, data_name, "FB");
}

std::string Records(int count, int length, int first) {
  std::string out;
  for (int i = 0; i < count; ++i) {
    char key[16];
    std::snprintf(key, sizeof key, "%05d", first + i);
    std::string r = key;
    while (static_cast<int>(r.size()) < length) r += static_cast<char>('a' + (r.size() + i) % 26);
    out += r.substr(0, static_cast<size_t>(length));
  }
  return out;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteKeyFile(const TempDir& dir, const std::string& name, int length) {
  dir.Write(name + ".kdf", "RECSIZE " + std::to_string(length) + "\nKEY 0:5:CHAR\n");
}

bool BuildIndexed(const TempDir& dir, const std::string& name, int length,
                  const std::string& records, const std::string& more_keys) {
  dir.Write(name + ".kdf", "RECSIZE " + std::to_string(length) + "\nKEY 0:5:CHAR\n" + more_keys);
  std::string in = dir.Write(name + ".in", records);
  std::string command = std::string("'") + QEL_TEST_QELIDX + "' build '" + dir.path() + "/" + name +
                        ".kdf' '" + in + "' > /dev/null";
  return std::system(command.c_str()) == 0;
}

bool IsamBound() { return IsamBinding::Live() > 0; }

HeldByChild::HeldByChild(const DTF& dtf, std::function<bool(DTF*)> hold) {
  int ready[2], release[2];
  if (::pipe(ready) != 0) return;
  if (::pipe(release) != 0) {
    ::close(ready[0]);
    ::close(ready[1]);
    return;
  }
  pid_ = ::fork();
  if (pid_ == 0) {
    ::close(ready[0]);
    ::close(release[1]);
    DTF copy = dtf;
    bool held = hold ? hold(&copy) : KRACOpen(&copy) == 0;
    char answer = held ? 'Y' : 'N';
    if (::write(ready[1], &answer, 1) != 1) ::_exit(1);
    char c;
    while (::read(release[0], &c, 1) < 0) {
    }
    ::_exit(0);
  }
  ::close(ready[1]);
  ::close(release[0]);
  release_fd_ = release[1];
  char answer = 'N';
  if (pid_ > 0 && ::read(ready[0], &answer, 1) == 1) holding_ = answer == 'Y';
  ::close(ready[0]);
}

HeldByChild::~HeldByChild() {
  // The child's read of the release pipe ends when this end is closed.
  if (release_fd_ >= 0) ::close(release_fd_);
  if (pid_ > 0) {
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
}

}  // namespace qel::recacc::test
