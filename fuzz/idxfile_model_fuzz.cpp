// Fuzz target of the ISAM engine against a model: the input is a sequence of
// writes, rewrites, deletes, starts, reads and reopens on a small file with a
// primary key, a unique alternate key and an alternate key with duplicates.
// A model (a map per key) predicts every result, error number, record read
// and the record count; any difference aborts. Every run ends with the
// engine's own index check.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "idxfile/engine.h"
#include "idxfile/idxfile.h"

namespace {

namespace ix = qel::idxfile;

// Record: primary key 0..1, unique alternate 2..3, alternate with
// duplicates 4, data 5..7.
constexpr int kRecSize = 8;
constexpr int kKeys = 3;

[[noreturn]] void mismatch(const char* what, int step) {
  std::fprintf(stderr, "engine and model differ at step %d: %s (error %d)\n", step, what,
               IsGetLastErrno());
  std::abort();
}

keydesc key_desc(int index) {
  keydesc k = {};
  k.k_nparts = 1;
  if (index == 0) k.k_part[0] = {0, 2, CHARTYPE};
  if (index == 1) k.k_part[0] = {2, 2, CHARTYPE};
  if (index == 2) {
    k.k_flags = ISDUPS;
    k.k_part[0] = {4, 1, CHARTYPE};
  }
  return k;
}

std::string make_record(std::uint8_t a, std::uint8_t b) {
  std::string r(kRecSize, ' ');
  r[0] = static_cast<char>('a' + (a & 3));
  r[1] = static_cast<char>('a' + ((a >> 2) & 3));
  r[2] = static_cast<char>('A' + ((a >> 4) & 3));
  r[3] = static_cast<char>('A' + ((a >> 6) & 3));
  r[4] = static_cast<char>('0' + b % 3);
  r[5] = static_cast<char>('a' + (b / 3) % 26);
  r[6] = static_cast<char>(0x80 + (b & 0x3f));  // bytes above 0x7f too
  r[7] = static_cast<char>(b);
  return r;
}

std::string key_value(int index, const std::string& rec) {
  if (index == 0) return rec.substr(0, 2);
  if (index == 1) return rec.substr(2, 2);
  return rec.substr(4, 1);
}

// Entries of one index in their order: by value, then (duplicates) by the
// order they entered that value.
struct Entry {
  std::string value;
  std::uint64_t stamp;
  std::string pk;
  bool operator<(const Entry& o) const { return std::tie(value, stamp) < std::tie(o.value, o.stamp); }
};

struct Model {
  struct Rec {
    std::string data;
    std::uint64_t stamp;  // place among the duplicates of its key 2 value
  };
  std::map<std::string, Rec> recs;
  std::uint64_t clock = 0;
  enum class Pos { kNone, kBefore, kAfter, kAt } pos = Pos::kBefore;
  int cur = 0;
  std::string at_value;
  std::uint64_t at_stamp = 0;
  bool pending = false;

  std::vector<Entry> entries(int index) const {
    std::vector<Entry> out;
    for (const auto& [pk, r] : recs)
      out.push_back({key_value(index, r.data), index == 2 ? r.stamp : 0, pk});
    std::sort(out.begin(), out.end());
    return out;
  }
  bool unique_taken(const std::string& k2, const std::string& except_pk) const {
    for (const auto& [pk, r] : recs)
      if (pk != except_pk && key_value(1, r.data) == k2) return true;
    return false;
  }
  void set_at(const Entry& e) {
    pos = Pos::kAt;
    at_value = e.value;
    at_stamp = e.stamp;
    pending = false;
  }
  Entry here() const { return {at_value, at_stamp, {}}; }

  // Each returns 0 or the error number the engine must give.
  int write(const std::string& rec) {
    std::string pk = key_value(0, rec);
    if (recs.count(pk) || unique_taken(key_value(1, rec), pk)) return EDUPL;
    recs[pk] = {rec, ++clock};
    return 0;
  }
  int rewrite(const std::string& rec) {
    std::string pk = key_value(0, rec);
    auto it = recs.find(pk);
    if (it == recs.end()) return ENOREC;
    if (key_value(1, rec) != key_value(1, it->second.data) && unique_taken(key_value(1, rec), pk))
      return EDUPL;
    if (key_value(2, rec) != key_value(2, it->second.data)) it->second.stamp = ++clock;
    it->second.data = rec;
    return 0;
  }
  int remove(const std::string& rec) { return recs.erase(key_value(0, rec)) ? 0 : ENOREC; }

  int start(int index, int length, const std::string& probe, int mode) {
    cur = index;
    pending = false;
    if (mode == ISFIRST || mode == ISLAST) {
      pos = mode == ISFIRST ? Pos::kBefore : Pos::kAfter;
      return 0;
    }
    std::string prefix = key_value(index, probe).substr(0, static_cast<size_t>(length));
    const Entry* e = find(index, prefix, mode);
    if (!e) {
      pos = Pos::kNone;
      return ENOREC;
    }
    set_at(*e);
    pending = true;
    return 0;
  }

  std::vector<Entry> found_;
  const Entry* find(int index, const std::string& prefix, int mode) {
    found_ = entries(index);
    for (const Entry& e : found_) {
      std::string head = e.value.substr(0, prefix.size());
      if (mode == ISEQUAL && head == prefix) return &e;
      if (mode == ISEQUAL && head > prefix) return nullptr;
      if (mode == ISGTEQ && head >= prefix) return &e;
      if (mode == ISGREAT && head > prefix) return &e;
    }
    return nullptr;
  }

  int read(int mode, const std::string& probe, std::string* out) {
    std::vector<Entry> all = entries(cur);
    auto give = [&](const Entry& e) {
      set_at(e);
      *out = recs.at(e.pk).data;
      return 0;
    };
    switch (mode) {
      case ISFIRST:
      case ISLAST:
        if (all.empty()) return EENDFILE;
        return give(mode == ISFIRST ? all.front() : all.back());
      case ISNEXT:
      case ISPREV: {
        bool next = mode == ISNEXT;
        if (pos == Pos::kNone) return ENOCURR;
        if (pos == (next ? Pos::kAfter : Pos::kBefore)) return EENDFILE;
        if (pos == (next ? Pos::kBefore : Pos::kAfter)) {
          pending = false;
          if (all.empty()) return EENDFILE;
          return give(next ? all.front() : all.back());
        }
        Entry h = here();
        if (pending) {
          for (const Entry& e : all)
            if (!(e < h) && !(h < e)) return give(e);
        }
        pending = false;
        if (next) {
          auto it = std::upper_bound(all.begin(), all.end(), h);
          if (it == all.end()) return EENDFILE;
          return give(*it);
        }
        auto it = std::lower_bound(all.begin(), all.end(), h);
        if (it == all.begin()) return EENDFILE;
        return give(*(it - 1));
      }
      case ISCURR: {
        if (pos != Pos::kAt) return ENOCURR;
        Entry h = here();
        for (const Entry& e : all)
          if (!(e < h) && !(h < e)) return give(e);
        return ENOREC;
      }
      default: {
        const Entry* e = find(cur, key_value(cur, probe), mode);
        if (!e) return ENOREC;
        Entry copy = *e;
        return give(copy);
      }
    }
  }
};

std::string g_dir;

void remove_dir() { std::filesystem::remove_all(g_dir); }

const std::string& work_dir() {
  if (g_dir.empty()) {
    // Memory-backed when the system has it: every reopened update and every
    // close flushes to disk, which would make a run of a few steps slow.
    const char* tmp = getenv("TMPDIR");
    std::string base = tmp && *tmp ? tmp : std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string tmpl = base + "/idxmodelXXXXXX";
    if (mkdtemp(tmpl.data()) == nullptr) std::abort();
    g_dir = tmpl;
    std::atexit(remove_dir);
  }
  return g_dir;
}

int result_of(int rc) { return rc == 0 ? 0 : IsGetLastErrno(); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string name = work_dir() + "/m";
  ix::FileSpec spec;
  spec.record_size = kRecSize;
  spec.keys.push_back({{{0, 2, CHARTYPE}}, false});
  spec.keys.push_back({{{2, 2, CHARTYPE}}, false});
  spec.keys.push_back({{{4, 1, CHARTYPE}}, true});
  // Without a flush on every update: the results are the same, only faster.
  int fd = ix::build_file(name, spec, ISINOUT | ISEXCLLOCK, true);
  if (fd < 0) mismatch("build", 0);
  Model model;
  int reopens = 0;
  size_t i = 0;
  auto byte = [&]() -> std::uint8_t { return i < size ? data[i++] : 0; };
  for (int step = 1; i < size && step <= 400; ++step) {
    std::uint8_t op = byte();
    std::uint8_t a = byte(), b = byte();
    std::string rec = make_record(a, b);
    switch (op % 9) {
      case 0:
      case 1:
        if (result_of(iswrite(fd, rec.data())) != model.write(rec)) mismatch("iswrite", step);
        break;
      case 2:
        if (result_of(isrewrite(fd, rec.data())) != model.rewrite(rec)) mismatch("isrewrite", step);
        break;
      case 3:
        if (result_of(isdelete(fd, rec.data())) != model.remove(rec)) mismatch("isdelete", step);
        break;
      case 4: {
        int index = (op >> 4) % kKeys;
        static const int kModes[] = {ISFIRST, ISLAST, ISEQUAL, ISGREAT, ISGTEQ};
        int mode = kModes[(op >> 6) + (b & 1)];
        keydesc k = key_desc(index);
        int full = index == 2 ? 1 : 2;
        int length = (b >> 1) % (full + 1);  // 0: the whole key
        std::string probe = rec;
        int want = model.start(index, length == 0 ? full : length, probe, mode);
        if (result_of(isstart(fd, &k, length, probe.data(), mode)) != want) mismatch("isstart", step);
        break;
      }
      case 5:
      case 6:
      case 7: {
        static const int kModes[] = {ISNEXT, ISPREV, ISNEXT, ISPREV, ISFIRST, ISLAST, ISCURR,
                                     ISEQUAL, ISGREAT, ISGTEQ};
        int mode = kModes[(op >> 4) % 10];
        std::string got = rec, want;
        int expect = model.read(mode, rec, &want);
        int rc = result_of(isread(fd, got.data(), mode));
        if (rc != expect) mismatch("isread result", step);
        if (rc == 0 && got != want) mismatch("isread record", step);
        break;
      }
      default: {
        if ((op >> 4) & 1) {
          dictinfo di;
          if (isindexinfo(fd, &di, 0) != 0 || di.di_nrecords != static_cast<int>(model.recs.size()))
            mismatch("record count", step);
        } else if (reopens < 2) {
          ++reopens;
          if (isclose(fd) != 0) mismatch("isclose", step);
          fd = isopen(name.c_str(), ISINOUT | ISEXCLLOCK);
          if (fd < 0) mismatch("isopen", step);
          model.pos = Model::Pos::kBefore;
          model.cur = 0;
          model.pending = false;
        }
        break;
      }
    }
  }
  std::string problem;
  if (ix::check_file(fd, &problem) != 0) {
    std::fprintf(stderr, "index check: %s\n", problem.c_str());
    std::abort();
  }
  if (isclose(fd) != 0) mismatch("isclose", -1);
  return 0;
}
