// The ISAM engine on Berkeley DB. Files (GnuCOBOL's layout):
//
//   file     database                      key                 data
//   NAME     btree, 4096-byte pages        primary key         record
//   NAME.n   btree, 4096-byte pages        alternate key n     primary key
//            (with DUPS: unsorted dups)                        primary key + 4-byte LE sequence
//   NAME.kdf text key file (key_file.h)
//
// Keys are the parts' bytes joined in key order (a descending part with its
// bytes complemented) and compared by Berkeley DB's default byte order.
#include "idxfile/engine.h"

#include <db.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <numeric>
#include <unordered_map>
#include <vector>

#include "idxfile/idxfile.h"
#include "idxfile/os_calls.h"

namespace qel::idxfile {

namespace {

thread_local int t_errno = 0;
thread_local int t_syserr = 0;
thread_local int t_recnum = 0;
thread_local int t_mchncod = 0;

constexpr int kMaxFiles = 256;
constexpr int kPageSize = 4096;

int fail(int error, int syserr = 0) {
  t_errno = error;
  t_syserr = syserr;
  return -1;
}

// A Berkeley DB result that is not "not found": an errno value or a
// Berkeley DB code, reported as a system error.
int fail_db(int rc) { return fail(ESYSERR, rc > 0 ? rc : EIO); }

// Runs the body of a library call; memory shortage becomes a system error
// (ENOMEM) instead of an exception crossing the C interface.
template <typename Body>
int guard(Body body) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return fail(ESYSERR, ENOMEM);
  }
}

void quiet_errors(const DB_ENV*, const char*, const char*) {}

enum class Pos { kNone, kBefore, kAfter, kAt };

struct File;
void close_dbs(File* f);

// An open file; it owns its databases and lock descriptors, so that no path
// out of an open (memory shortage included) leaves them behind.
struct File {
  File() = default;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File() { close_dbs(this); }

  std::mutex busy;
  std::string name;
  std::string kdf;  // the key file's path
  FileSpec spec;
  std::vector<DB*> dbs;  // 0: primary
  bool update = false;
  bool autolock = false;
  bool sync = true;
  // While a file is built (bulk, opened exclusively) the highest sequence
  // number of each value of each duplicates index, so that a write needs no
  // look-up in the index: per index, value -> highest number.
  std::vector<std::unordered_map<std::string, std::uint32_t>> tops;
  int file_lock_fd = -1;
  int record_lock_fd = -1;
  int cur_key = 0;
  DBC* cursor = nullptr;
  Pos pos = Pos::kBefore;
  bool pending = false;  // the cursor is on the record the next NEXT/PREV returns
  bool locked = false;
  std::uint64_t lock_slot = 0;
};

std::mutex g_table_mu;
File* g_files[kMaxFiles] = {};
std::atomic<HeldHook> g_held_hook{nullptr};

struct Dbt : DBT {
  Dbt() { std::memset(static_cast<DBT*>(this), 0, sizeof(DBT)); }
  explicit Dbt(const std::string& s) : Dbt() {
    data = const_cast<char*>(s.data());
    size = static_cast<u_int32_t>(s.size());
  }
  std::string str() const { return std::string(static_cast<const char*>(data), size); }
};

std::string index_path(const std::string& name, size_t index) {
  return index == 0 ? name : name + "." + std::to_string(index);
}

int open_db(const std::string& path, bool create, bool dups, bool readonly, bool bulk, DB** out) {
  DB* db = nullptr;
  int rc = db_create(&db, nullptr, 0);
  if (rc != 0) return rc;
  db->set_errcall(db, quiet_errors);
  db->set_cachesize(db, 0, bulk ? 256u << 20 : 4u << 20, 1);
  if (create) {
    db->set_pagesize(db, kPageSize);
    if (dups) db->set_flags(db, DB_DUP);
  }
  u_int32_t flags = create ? DB_CREATE | DB_EXCL : (readonly ? DB_RDONLY : 0);
  rc = db->open(db, nullptr, path.c_str(), nullptr, create ? DB_BTREE : DB_UNKNOWN, flags, 0644);
  if (rc != 0) {
    db->close(db, 0);
    return rc;
  }
  *out = db;
  return 0;
}

std::uint64_t lock_slot_of(const std::string& pk) {
  std::uint64_t h = 1469598103934665603ull;
  for (unsigned char c : pk) h = (h ^ c) * 1099511628211ull;
  return (h % (1ull << 40)) + 1;
}

void release_lock(File* f) {
  if (f->locked) {
    os::record_unlock(f->record_lock_fd, f->lock_slot);
    f->locked = false;
  }
}

void close_dbs(File* f) {
  if (f->cursor) f->cursor->close(f->cursor);
  f->cursor = nullptr;
  for (DB* db : f->dbs)
    if (db) db->close(db, 0);
  f->dbs.clear();
  release_lock(f);
  os::close_fd(f->record_lock_fd);
  os::close_fd(f->file_lock_fd);
  f->record_lock_fd = f->file_lock_fd = -1;
}

// Takes file `fd` for this call: nullptr and the result in *rc when the
// number is bad (-1) or another thread is inside it (-2).
File* acquire(int fd, int* rc) {
  File* f = nullptr;
  {
    std::lock_guard<std::mutex> lock(g_table_mu);
    if (fd < 0 || fd >= kMaxFiles || g_files[fd] == nullptr) {
      *rc = fail(ENOTOPEN);
      return nullptr;
    }
    f = g_files[fd];
    if (!f->busy.try_lock()) {
      *rc = -2;
      return nullptr;
    }
  }
  if (HeldHook hook = g_held_hook.load(std::memory_order_acquire)) hook(fd);
  return f;
}

// As acquire, for calls that reach records. A file whose primary key allows
// duplicates opens and describes its keys, but its records cannot be addressed
// by primary key, so they are refused rather than read or written wrongly.
File* acquire_records(int fd, int* rc) {
  File* f = acquire(fd, rc);
  if (f && f->spec.keys[0].dups) {
    f->busy.unlock();
    *rc = fail(EBADFILE);
    return nullptr;
  }
  return f;
}

struct Held {
  File* f;
  ~Held() {
    if (f) f->busy.unlock();
  }
};

// Runs the body of a call that reaches records, under guard, with the file
// held for the call.
template <typename Body>
int with_records(int fd, Body body) {
  return guard([&] {
    int rc = 0;
    File* f = acquire_records(fd, &rc);
    if (!f) return rc;
    Held held{f};
    return body(f);
  });
}

bool valid_name(const char* name) {
  if (name == nullptr || name[0] == '\0') return false;
  size_t n = std::strlen(name);
  return n < 4000 && name[n - 1] != '/';
}

// What in the databases differs from the key file: btree, duplicates only
// where DUPS is given, first entries of the right sizes. Empty when nothing.
std::string layout_mismatch(const std::string& name, const FileSpec& spec,
                            const std::vector<DB*>& dbs) {
  for (size_t i = 0; i < dbs.size(); ++i) {
    DB* db = dbs[i];
    std::string what = index_path(name, i) + " does not match KEY line " + std::to_string(i + 1) +
                       " of the key file: ";
    DBTYPE type;
    if (db->get_type(db, &type) != 0 || type != DB_BTREE) return what + "it is not a btree";
    u_int32_t flags = 0;
    db->get_flags(db, &flags);
    bool dups = (flags & DB_DUP) != 0;
    // A primary key that allows duplicates may sit in a database that holds
    // none; an alternate index's entries differ in form with duplicates.
    if (dups != spec.keys[i].dups && (i > 0 || dups))
      return what + (dups ? "it holds duplicates" : "it holds no duplicates");
    DBC* c = nullptr;
    if (db->cursor(db, nullptr, &c, 0) != 0) return what + "it cannot be read";
    Dbt k, d;
    int rc = c->get(c, &k, &d, DB_FIRST);
    c->close(c);
    if (rc == DB_NOTFOUND) continue;
    if (rc != 0) return what + "it cannot be read";
    if (static_cast<int>(k.size) != spec.keys[i].length())
      return what + "its keys are " + std::to_string(k.size) + " bytes long";
    size_t want = i == 0 ? static_cast<size_t>(spec.record_size)
                         : static_cast<size_t>(spec.keys[0].length()) + (dups ? 4 : 0);
    if (d.size != want)
      return what + (i == 0 ? "its records are " : "its entries are ") + std::to_string(d.size) +
             " bytes long";
  }
  return {};
}

// The first alternate index file beyond the `keys` keys of the key file, or
// empty. Such an index would go stale under updates made without it.
std::string extra_index(const std::string& name, size_t keys) {
  for (size_t i = keys; i <= static_cast<size_t>(kMaxKeys); ++i)
    if (os::file_exists(index_path(name, i))) return index_path(name, i);
  return {};
}

}  // namespace

std::string key_file_of(const std::string& name) {
  std::string exact = name + ".kdf";
  if (os::file_exists(exact)) return exact;
  size_t slash = name.find_last_of('/');
  std::string dir = slash == std::string::npos ? "" : name.substr(0, slash + 1);
  std::string base = (slash == std::string::npos ? name : name.substr(slash + 1)) + ".";
  std::vector<std::string> names;
  if (os::list_dir(dir, &names) != 0) return exact;
  std::string found;
  int count = 0;
  for (const std::string& n : names) {
    if (n.size() != base.size() + 3 || n.compare(0, base.size(), base) != 0) continue;
    std::string ext = n.substr(base.size());
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == "kdf") {
      found = n;
      ++count;
    }
  }
  return count == 1 ? dir + found : exact;
}

namespace {

int register_file(File* f) {
  std::lock_guard<std::mutex> lock(g_table_mu);
  for (int i = 0; i < kMaxFiles; ++i) {
    if (g_files[i] == nullptr) {
      g_files[i] = f;
      return i;
    }
  }
  return -1;
}

int open_file(const std::string& name, int mode, bool bulk, const std::string& kdf_path) {
  int access = mode & 3;
  if (access == 3 || (mode & ~(3 | ISAUTOLOCK | ISMANULOCK | ISEXCLLOCK)) != 0)
    return fail(EBADARG);
  std::string kdf = kdf_path.empty() ? key_file_of(name) : kdf_path;
  std::string text;
  int e = os::read_file(kdf, &text);
  if (e == ENOENT) return fail(os::file_exists(name) ? EBADFILE : ENOENT);
  if (e != 0) return fail(ESYSERR, e);
  std::string why;
  std::optional<FileSpec> spec = parse_key_file(text, &why);
  if (!spec) return fail(EBADFILE);
  if (!extra_index(name, spec->keys.size()).empty()) return fail(EBADFILE);

  auto f = std::make_unique<File>();
  f->name = name;
  f->kdf = kdf;
  f->spec = *spec;
  f->update = access != ISINPUT;
  f->autolock = (mode & ISAUTOLOCK) != 0 && f->update;
  f->sync = !bulk;
  if (bulk && f->update) f->tops.resize(f->spec.keys.size());
  int err = 0;
  // A build replaces the files by renames while it holds NAME locked: a lock
  // taken on a NAME that has been replaced meanwhile guards nothing, and is
  // taken again on the new one.
  for (int attempt = 0;; ++attempt) {
    f->file_lock_fd = os::open_for_lock(name, &err);
    if (f->file_lock_fd < 0) return fail(err == ENOENT ? ENOENT : ESYSERR, err);
    e = os::try_file_lock(f->file_lock_fd, (mode & ISEXCLLOCK) != 0);
    if (e != 0) {
      close_dbs(f.get());
      return e == EWOULDBLOCK ? fail(EFLOCKED) : fail(ESYSERR, e);
    }
    if (os::same_file(f->file_lock_fd, name)) break;
    os::close_fd(f->file_lock_fd);
    f->file_lock_fd = -1;
    if (attempt == 100) return fail(EFLOCKED);
  }
  if (f->autolock || (f->update && (mode & ISEXCLLOCK) == 0)) {
    f->record_lock_fd = os::open_for_lock(kdf, &err);
    if (f->record_lock_fd < 0) {
      close_dbs(f.get());
      return fail(ESYSERR, err);
    }
  }
  f->dbs.reserve(f->spec.keys.size());  // no allocation between opening and keeping a database
  for (size_t i = 0; i < f->spec.keys.size(); ++i) {
    DB* db = nullptr;
    int rc = open_db(index_path(name, i), false, false, !f->update, bulk, &db);
    if (rc != 0) {
      close_dbs(f.get());
      if (rc == ENOENT && i > 0) return fail(EBADFILE);
      if (rc == ENOENT) return fail(ENOENT);
      if (rc == EACCES || rc == EAGAIN || rc == EMFILE) return fail(ESYSERR, rc);
      return fail(EBADFILE);
    }
    f->dbs.push_back(db);
  }
  if (!layout_mismatch(name, f->spec, f->dbs).empty()) {
    close_dbs(f.get());
    return fail(EBADFILE);
  }
  if (f->dbs[0]->cursor(f->dbs[0], nullptr, &f->cursor, 0) != 0) {
    close_dbs(f.get());
    return fail(ESYSERR, EIO);
  }
  int fd = register_file(f.get());
  if (fd < 0) {
    close_dbs(f.get());
    return fail(ETOOMANY);
  }
  f.release();
  return fd;
}

int sync_all(File* f) {
  if (!f->sync) return 0;
  for (DB* db : f->dbs) {
    int rc = db->sync(db, 0);
    if (rc != 0) return rc;
  }
  return 0;
}

std::uint32_t seq_of(const DBT& d) {
  const unsigned char* p = static_cast<const unsigned char*>(d.data) + d.size - 4;
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Finds the duplicate entry of `pk` under `value`; leaves `c` on it.
int find_dup(DBC* c, const std::string& value, const std::string& pk) {
  Dbt k(value), d;
  int rc = c->get(c, &k, &d, DB_SET);
  while (rc == 0) {
    if (d.size >= pk.size() && std::memcmp(d.data, pk.data(), pk.size()) == 0) return 0;
    rc = c->get(c, &k, &d, DB_NEXT_DUP);
  }
  return rc;
}

// The highest sequence number stored under `value` of duplicates index `db`
// in *top, 0 when the value has no entry. A new entry is appended to its
// value's duplicate set numbered one above the highest, and a delete
// renumbers nothing, so the numbers rise along the set and its last entry
// holds the highest. That entry is one step back from the first key above
// `value` (value + '\0' in byte order): two cursor moves, however many
// duplicates the value has.
int last_seq(DB* db, const std::string& value, std::uint32_t* top) {
  *top = 0;
  DBC* c = nullptr;
  int rc = db->cursor(db, nullptr, &c, 0);
  if (rc != 0) return rc;
  std::string above = value;
  above.push_back('\0');
  Dbt k(above), d;
  rc = c->get(c, &k, &d, DB_SET_RANGE);
  if (rc == 0) {
    k = Dbt();
    rc = c->get(c, &k, &d, DB_PREV);
  } else if (rc == DB_NOTFOUND) {
    rc = c->get(c, &k, &d, DB_LAST);
  }
  if (rc == 0 && k.size == value.size() && std::memcmp(k.data, value.data(), value.size()) == 0 &&
      d.size >= 4)
    *top = seq_of(d);
  c->close(c);
  return rc == DB_NOTFOUND ? 0 : rc;
}

// The highest sequence number of `value` in duplicates index `i`, from the
// build's memory when it is there.
int top_seq(File* f, size_t i, const std::string& value, std::uint32_t* top) {
  if (!f->tops.empty()) {
    auto it = f->tops[i].find(value);
    if (it != f->tops[i].end()) {
      *top = it->second;
      return 0;
    }
  }
  return last_seq(f->dbs[i], value, top);
}

// Before a build's write changes anything: an entry in memory for each
// duplicates value of the record, so that adding never allocates halfway.
int prepare_tops(File* f, const std::vector<std::string>& alt) {
  if (f->tops.empty()) return 0;
  for (size_t i = 1; i < alt.size(); ++i) {
    if (!f->spec.keys[i].dups || f->tops[i].count(alt[i])) continue;
    std::uint32_t top = 0;
    if (int rc = last_seq(f->dbs[i], alt[i], &top); rc != 0) return rc;
    f->tops[i].emplace(alt[i], top);
  }
  return 0;
}

// `scratch` has room for the primary key and 4 bytes, reserved before the
// first change to the file, so that adding never allocates halfway.
int add_alt(File* f, size_t i, const std::string& value, const std::string& pk,
            std::string* scratch) {
  DB* db = f->dbs[i];
  if (!f->spec.keys[i].dups) {
    Dbt k(value), d(pk);
    return db->put(db, nullptr, &k, &d, DB_NOOVERWRITE);
  }
  std::uint32_t top = 0;
  int rc = top_seq(f, i, value, &top);
  if (rc != 0) return rc;
  std::uint32_t seq = top + 1;
  std::string& data = *scratch;
  data.assign(pk);
  for (int b = 0; b < 4; ++b) data += static_cast<char>((seq >> (8 * b)) & 0xff);
  Dbt k2(value), d2(data);
  rc = db->put(db, nullptr, &k2, &d2, 0);
  if (rc == 0 && !f->tops.empty()) {
    auto it = f->tops[i].find(value);
    if (it != f->tops[i].end()) it->second = seq;
  }
  return rc;
}

int remove_alt(File* f, size_t i, const std::string& value, const std::string& pk) {
  DB* db = f->dbs[i];
  if (!f->spec.keys[i].dups) {
    Dbt k(value);
    return db->del(db, nullptr, &k, 0);
  }
  DBC* c = nullptr;
  int rc = db->cursor(db, nullptr, &c, 0);
  if (rc != 0) return rc;
  rc = find_dup(c, value, pk);
  if (rc == 0) rc = c->del(c, 0);
  // The highest number of the value may have gone: it is looked up again.
  if (rc == 0 && !f->tops.empty()) f->tops[i].erase(value);
  c->close(c);
  return rc;
}

bool value_exists(DB* db, const std::string& value, int* rc) {
  Dbt k(value), d;
  *rc = db->get(db, nullptr, &k, &d, 0);
  return *rc == 0;
}

// A record that another opener holds is refused with 107.
int check_not_locked(File* f, const std::string& pk) {
  if (f->record_lock_fd < 0) return 0;
  std::uint64_t slot = lock_slot_of(pk);
  if (f->locked && f->lock_slot == slot) return 0;
  int e = os::try_record_lock(f->record_lock_fd, slot);
  if (e == EAGAIN) return fail(ELOCKED);
  if (e != 0) return fail(ESYSERR, e);
  os::record_unlock(f->record_lock_fd, slot);
  return 0;
}

// The record behind the cursor's entry.
int record_at(File* f, const DBT& data, char* record) {
  if (f->cur_key == 0) {
    if (static_cast<int>(data.size) != f->spec.record_size) return fail(EBADFILE);
    std::memcpy(record, data.data, data.size);
    return 0;
  }
  size_t pklen = static_cast<size_t>(f->spec.keys[0].length());
  if (data.size < pklen) return fail(EBADFILE);
  Dbt k, d;
  k.data = data.data;
  k.size = static_cast<u_int32_t>(pklen);
  std::string pk = k.str();
  Dbt k2(pk);
  int rc = f->dbs[0]->get(f->dbs[0], nullptr, &k2, &d, 0);
  if (rc == DB_NOTFOUND) return fail(EBADFILE);
  if (rc != 0) return fail_db(rc);
  if (static_cast<int>(d.size) != f->spec.record_size) return fail(EBADFILE);
  std::memcpy(record, d.data, d.size);
  return 0;
}

// Moves cursor `c` to the first entry at or after `prefix` whose key matches
// the search of `mode` on its first prefix.size() bytes.
int seek(DBC* c, const std::string& prefix, int mode, Dbt* k, Dbt* d) {
  std::string buf = prefix;
  *k = Dbt(buf);
  int rc = c->get(c, k, d, DB_SET_RANGE);
  if (rc == DB_NOTFOUND) return fail(ENOREC);
  if (rc != 0) return fail_db(rc);
  auto same = [&](const Dbt& key) {
    return key.size >= prefix.size() && std::memcmp(key.data, prefix.data(), prefix.size()) == 0;
  };
  if (mode == ISEQUAL && !same(*k)) return fail(ENOREC);
  if (mode == ISGREAT) {
    while (same(*k)) {
      rc = c->get(c, k, d, DB_NEXT_NODUP);
      if (rc == DB_NOTFOUND) return fail(ENOREC);
      if (rc != 0) return fail_db(rc);
    }
  }
  return 0;
}

int do_read(File* f, char* record, int mode) {
  release_lock(f);
  Dbt k, d;
  int rc = 0;
  DBC* c = f->cursor;
  switch (mode) {
    case ISFIRST:
    case ISLAST:
      rc = c->get(c, &k, &d, mode == ISFIRST ? DB_FIRST : DB_LAST);
      if (rc == DB_NOTFOUND) return fail(EENDFILE);
      break;
    case ISNEXT:
    case ISPREV: {
      bool next = mode == ISNEXT;
      if (f->pos == Pos::kNone) return fail(ENOCURR);
      if (f->pos == (next ? Pos::kAfter : Pos::kBefore)) return fail(EENDFILE);
      if (f->pos == (next ? Pos::kBefore : Pos::kAfter)) {
        rc = c->get(c, &k, &d, next ? DB_FIRST : DB_LAST);
      } else if (f->pending) {
        rc = c->get(c, &k, &d, DB_CURRENT);
        if (rc == DB_KEYEMPTY) rc = c->get(c, &k, &d, next ? DB_NEXT : DB_PREV);
      } else {
        rc = c->get(c, &k, &d, next ? DB_NEXT : DB_PREV);
      }
      if (rc == DB_NOTFOUND) {
        f->pending = false;
        return fail(EENDFILE);
      }
      break;
    }
    case ISCURR:
      if (f->pos != Pos::kAt) return fail(ENOCURR);
      rc = c->get(c, &k, &d, DB_CURRENT);
      if (rc == DB_KEYEMPTY) return fail(ENOREC);
      break;
    case ISEQUAL:
    case ISGREAT:
    case ISGTEQ: {
      // The search runs on a cursor of its own, so that a record not found
      // leaves the current position where it was.
      std::string key = make_key(f->spec.keys[f->cur_key], record);
      DB* db = f->dbs[static_cast<size_t>(f->cur_key)];
      DBC* probe = nullptr;
      rc = db->cursor(db, nullptr, &probe, 0);
      if (rc != 0) return fail_db(rc);
      if (seek(probe, key, mode, &k, &d) != 0) {
        probe->close(probe);
        return -1;
      }
      f->cursor->close(f->cursor);
      f->cursor = c = probe;
      break;
    }
    default:
      return fail(EBADARG);
  }
  if (rc != 0) return fail_db(rc);
  f->pos = Pos::kAt;
  f->pending = false;
  std::string saved(f->spec.record_size, '\0');
  if (record_at(f, d, saved.data()) != 0) return -1;
  if (f->autolock) {
    std::string pk = make_key(f->spec.keys[0], saved.data());
    std::uint64_t slot = lock_slot_of(pk);
    int e = os::try_record_lock(f->record_lock_fd, slot);
    if (e == EAGAIN) return fail(ELOCKED);
    if (e != 0) return fail(ESYSERR, e);
    f->locked = true;
    f->lock_slot = slot;
  }
  std::memcpy(record, saved.data(), saved.size());
  return 0;
}

int find_key(File* f, const keydesc* key) {
  for (size_t i = 0; i < f->spec.keys.size(); ++i) {
    const KeySpec& s = f->spec.keys[i];
    if (static_cast<int>(s.parts.size()) != key->k_nparts) continue;
    bool same = true;
    for (size_t p = 0; p < s.parts.size(); ++p) {
      const keypart& kp = key->k_part[p];
      if (kp.kp_start != s.parts[p].start || kp.kp_leng != s.parts[p].length ||
          kp.kp_type != s.parts[p].type)
        same = false;
    }
    if (same) return static_cast<int>(i);
  }
  return -1;
}

bool spec_from_keydesc(const keydesc* key, KeySpec* out) {
  if (key == nullptr || key->k_nparts < 1 || key->k_nparts > NPARTS) return false;
  out->parts.clear();
  for (int p = 0; p < key->k_nparts; ++p)
    out->parts.push_back({key->k_part[p].kp_start, key->k_part[p].kp_leng, key->k_part[p].kp_type});
  out->dups = (key->k_flags & ISDUPS) != 0;
  return true;
}

// The stored record with the primary key of `record`, for a rewrite or a
// delete: its key in *pk and its bytes in *old; 0, or the failed result.
int stored_record(File* f, const char* record, std::string* pk, std::string* old) {
  if (record == nullptr) return fail(EBADARG);
  if (!f->update) return fail(ENOTOPEN);
  *pk = make_key(f->spec.keys[0], record);
  Dbt k(*pk), d;
  int rc = f->dbs[0]->get(f->dbs[0], nullptr, &k, &d, 0);
  if (rc == DB_NOTFOUND) return fail(ENOREC);
  if (rc != 0) return fail_db(rc);
  *old = d.str();
  if (static_cast<int>(old->size()) != f->spec.record_size) return fail(EBADFILE);
  return check_not_locked(f, *pk) != 0 ? -1 : 0;
}

int do_write(File* f, const char* record, std::string* pk_out) {
  if (!f->update) return fail(ENOTOPEN);
  std::string pk = make_key(f->spec.keys[0], record);
  int rc = 0;
  // A duplicate primary key needs no look-up of its own: its put below fails
  // before anything has changed.
  std::vector<std::string> alt(f->spec.keys.size());
  for (size_t i = 1; i < f->spec.keys.size(); ++i) {
    alt[i] = make_key(f->spec.keys[i], record);
    if (f->spec.keys[i].dups) continue;
    if (value_exists(f->dbs[i], alt[i], &rc)) return fail(EDUPL);
    if (rc != DB_NOTFOUND) return fail_db(rc);
  }
  rc = prepare_tops(f, alt);
  if (rc != 0) return fail_db(rc);
  std::string scratch;
  scratch.reserve(pk.size() + 4);
  Dbt k(pk), d;
  d.data = const_cast<char*>(record);
  d.size = static_cast<u_int32_t>(f->spec.record_size);
  rc = f->dbs[0]->put(f->dbs[0], nullptr, &k, &d, DB_NOOVERWRITE);
  if (rc != 0) return rc == DB_KEYEXIST ? fail(EDUPL) : fail_db(rc);
  for (size_t i = 1; i < f->spec.keys.size(); ++i) {
    rc = add_alt(f, i, alt[i], pk, &scratch);
    if (rc != 0) return fail_db(rc);
  }
  rc = sync_all(f);
  if (rc != 0) return fail_db(rc);
  if (pk_out) *pk_out = pk;
  return 0;
}

}  // namespace

std::string make_key(const KeySpec& key, const char* record) {
  std::string out;
  out.reserve(static_cast<size_t>(key.length()));
  for (const KeyPart& p : key.parts) {
    size_t at = out.size();
    out.append(record + p.start, static_cast<size_t>(p.length));
    if (p.type & ISDESC)
      for (size_t i = at; i < out.size(); ++i) out[i] = static_cast<char>(~out[i]);
  }
  return out;
}

namespace {

// The key of every record of `records` for `key`, `length` bytes each, back
// to back, and the record numbers in key order (equal keys in record order).
void sort_keys(const KeySpec& key, const char* records, size_t record_size, size_t count,
               std::string* keys, std::vector<std::uint32_t>* order) {
  size_t length = static_cast<size_t>(key.length());
  keys->resize(count * length);
  for (size_t r = 0; r < count; ++r) {
    char* out = keys->data() + r * length;
    const char* rec = records + r * record_size;
    for (const KeyPart& p : key.parts) {
      std::memcpy(out, rec + p.start, static_cast<size_t>(p.length));
      if (p.type & ISDESC)
        for (int i = 0; i < p.length; ++i) out[i] = static_cast<char>(~out[i]);
      out += p.length;
    }
  }
  order->resize(count);
  std::iota(order->begin(), order->end(), 0u);
  const char* k = keys->data();
  // All keys of an index have one length, so memcmp gives Berkeley DB's order.
  std::stable_sort(order->begin(), order->end(), [&](std::uint32_t a, std::uint32_t b) {
    return std::memcmp(k + a * length, k + b * length, length) < 0;
  });
}

}  // namespace

int bulk_write(int fd, const char* records, size_t count, size_t* failed,
               const BulkProgress& progress) {
  return with_records(fd, [&](File* f) {
    if (!f->update || f->tops.empty() || records == nullptr || failed == nullptr ||
        count > UINT32_MAX)
      return fail(EBADARG);
    const size_t record_size = static_cast<size_t>(f->spec.record_size);
    const size_t n = f->spec.keys.size();
    const size_t pk_length = static_cast<size_t>(f->spec.keys[0].length());
    size_t first_bad = SIZE_MAX, done = 0, total = count * n;
    std::string pks, keys, data;
    std::vector<std::uint32_t> order;
    auto tick = [&] {
      if (progress && (++done & 0xffff) == 0) progress(done, total);
    };
    // A put refused as a duplicate marks its record: iswrite in turn would
    // have refused the first of them.
    auto put = [&](DB* db, const char* key, size_t key_length, const char* value,
                   size_t value_length, u_int32_t flags, std::uint32_t r) {
      Dbt k, d;
      k.data = const_cast<char*>(key);
      k.size = static_cast<u_int32_t>(key_length);
      d.data = const_cast<char*>(value);
      d.size = static_cast<u_int32_t>(value_length);
      int rc = db->put(db, nullptr, &k, &d, flags);
      if (rc == DB_KEYEXIST) {
        first_bad = std::min(first_bad, static_cast<size_t>(r));
        rc = 0;
      }
      tick();
      return rc;
    };
    sort_keys(f->spec.keys[0], records, record_size, count, &pks, &order);
    for (std::uint32_t r : order) {
      int rc = put(f->dbs[0], pks.data() + r * pk_length, pk_length, records + r * record_size,
                   record_size, DB_NOOVERWRITE, r);
      if (rc != 0) return fail_db(rc);
    }
    data.resize(pk_length + 4);
    for (size_t i = 1; i < n; ++i) {
      const KeySpec& key = f->spec.keys[i];
      size_t length = static_cast<size_t>(key.length());
      sort_keys(key, records, record_size, count, &keys, &order);
      DB* db = f->dbs[i];
      for (size_t at = 0; at < count;) {
        // One value's records, in record order: the order of their numbers.
        const char* value = keys.data() + order[at] * length;
        size_t end = at + 1;
        while (end < count && std::memcmp(keys.data() + order[end] * length, value, length) == 0)
          ++end;
        std::uint32_t top = 0;
        if (key.dups) {
          std::string v(value, length);
          if (int rc = top_seq(f, i, v, &top); rc != 0) return fail_db(rc);
          f->tops[i][v] = top + static_cast<std::uint32_t>(end - at);
        }
        for (; at < end; ++at) {
          std::uint32_t r = order[at];
          int rc = 0;
          if (key.dups) {
            std::uint32_t seq = ++top;
            std::memcpy(data.data(), pks.data() + r * pk_length, pk_length);
            for (int b = 0; b < 4; ++b) data[pk_length + b] = static_cast<char>((seq >> (8 * b)) & 0xff);
            rc = put(db, value, length, data.data(), data.size(), 0, r);
          } else {
            rc = put(db, value, length, pks.data() + r * pk_length, pk_length, DB_NOOVERWRITE, r);
          }
          if (rc != 0) return fail_db(rc);
        }
      }
    }
    if (first_bad != SIZE_MAX) {
      *failed = first_bad;
      return fail(EDUPL);
    }
    return 0;
  });
}

std::string describe_mismatch(const std::string& name, const std::string& kdf_path) {
  std::string kdf = kdf_path.empty() ? key_file_of(name) : kdf_path;
  std::string text;
  if (int e = os::read_file(kdf, &text); e != 0)
    return "cannot read the key file " + kdf + ": " + std::strerror(e);
  std::string why;
  std::optional<FileSpec> spec = parse_key_file(text, &why);
  if (!spec) return "the key file " + kdf + ", " + why;
  size_t alternates = spec->keys.size() - 1;
  std::string lists = "the key file lists " + std::to_string(alternates) + " alternate key" +
                      (alternates == 1 ? "" : "s");
  std::string extra = extra_index(name, spec->keys.size());
  if (!extra.empty()) return extra + " exists, but " + lists;
  std::vector<DB*> dbs;
  std::string problem;
  for (size_t i = 0; i < spec->keys.size() && problem.empty(); ++i) {
    DB* db = nullptr;
    int rc = open_db(index_path(name, i), false, false, true, false, &db);
    if (rc == ENOENT)
      problem = index_path(name, i) + " is missing" + (i > 0 ? ", but " + lists : "");
    else if (rc != 0)
      problem = index_path(name, i) + " is not an index file";
    else
      dbs.push_back(db);
  }
  if (problem.empty()) problem = layout_mismatch(name, *spec, dbs);
  for (DB* db : dbs) db->close(db, 0);
  return problem;
}

int build_file(const std::string& name, const FileSpec& spec, int mode, bool bulk,
               const std::string& kdf_path) {
  if (!valid_name(name.c_str())) return fail(EFNAME);
  if ((mode & 3) == ISINPUT || (mode & 3) == 3) return fail(EBADARG);
  if (spec.record_size < 1 || spec.record_size > kMaxRecordSize || spec.keys.empty() ||
      spec.keys.size() > static_cast<size_t>(kMaxKeys) || spec.keys[0].dups)
    return fail(EBADARG);
  std::string why;
  for (const KeySpec& k : spec.keys)
    if (!key_fits(k, spec.record_size, &why)) return fail(EBADARG);
  // An older file of this name goes first, with all of its alternate indexes.
  for (size_t i = 0; i < static_cast<size_t>(kMaxKeys) + 1; ++i) {
    int e = os::remove_file(index_path(name, i));
    if (e != 0) return fail(ESYSERR, e);
  }
  for (size_t i = 0; i < spec.keys.size(); ++i) {
    DB* db = nullptr;
    int rc = open_db(index_path(name, i), true, spec.keys[i].dups, false, false, &db);
    if (rc != 0) return fail(ESYSERR, rc > 0 ? rc : EIO);
    rc = db->close(db, 0);
    if (rc != 0) return fail_db(rc);
  }
  std::string kdf = kdf_path.empty() ? name + ".kdf" : kdf_path;
  int e = os::write_file(kdf, format_key_file(spec));
  if (e != 0) return fail(ESYSERR, e);
  return open_file(name, mode, bulk, kdf);
}

int open_with_key_file(const std::string& name, const std::string& kdf_path, int mode) {
  return guard([&] {
    if (!valid_name(name.c_str())) return fail(EFNAME);
    return open_file(name, mode, false, kdf_path);
  });
}

void set_held_hook(HeldHook hook) { g_held_hook.store(hook, std::memory_order_release); }

const FileSpec* file_spec(int fd) {
  std::lock_guard<std::mutex> lock(g_table_mu);
  if (fd < 0 || fd >= kMaxFiles || g_files[fd] == nullptr) return nullptr;
  return &g_files[fd]->spec;
}

namespace {

// Checks duplicates index `i` of a file of `records` records from its own
// side: every entry names a record whose key has the entry's value, the
// numbers of a value rise in stored order (new entries take the last one's
// number plus 1), and no record has two entries; with as many entries as
// records, every record then has its one entry.
int check_dups_index(File* f, size_t i, std::uint64_t records, std::string* problem) {
  DB* db = f->dbs[i];
  DBC* c = nullptr;
  int rc = db->cursor(db, nullptr, &c, 0);
  if (rc != 0) return fail_db(rc);
  const size_t pk_length = static_cast<size_t>(f->spec.keys[0].length());
  std::string key = "key " + std::to_string(i + 1);
  std::vector<std::string> pks;
  std::string prev_value;
  std::uint32_t prev_seq = 0;
  Dbt k, d;
  while (problem->empty() && (rc = c->get(c, &k, &d, DB_NEXT)) == 0) {
    auto entry = [&] { return std::to_string(pks.size() + 1); };
    if (d.size != pk_length + 4) {
      *problem = key + " entry " + entry() + " has the wrong size";
      break;
    }
    std::string value = k.str(), pk(static_cast<const char*>(d.data), pk_length);
    std::uint32_t seq = seq_of(d);
    if (value == prev_value && seq <= prev_seq)
      *problem = key + " entry " + entry() + " is numbered out of order";
    prev_value = value;
    prev_seq = seq;
    Dbt pk_key(pk), rec;
    int got = f->dbs[0]->get(f->dbs[0], nullptr, &pk_key, &rec, 0);
    if (got == DB_NOTFOUND || (got == 0 && (static_cast<int>(rec.size) != f->spec.record_size ||
                                            make_key(f->spec.keys[i],
                                                     static_cast<const char*>(rec.data)) != value)))
      *problem = key + " entry " + entry() + " names no record of its value";
    else if (got != 0)
      rc = got;
    if (rc != 0) break;
    pks.push_back(std::move(pk));
  }
  c->close(c);
  if (!problem->empty()) return 1;
  if (rc != DB_NOTFOUND) return fail_db(rc);
  std::sort(pks.begin(), pks.end());
  if (std::adjacent_find(pks.begin(), pks.end()) != pks.end()) {
    *problem = key + " has two entries for one record";
    return 1;
  }
  if (pks.size() != records) {
    *problem = key + " has " + std::to_string(pks.size()) + " entries for " +
               std::to_string(records) + " records";
    return 1;
  }
  return 0;
}

}  // namespace

int check_file(int fd, std::string* problem) {
  int rc = 0;
  File* f = acquire_records(fd, &rc);
  if (!f) return rc;
  Held held{f};
  problem->clear();
  DBC* c = nullptr;
  rc = f->dbs[0]->cursor(f->dbs[0], nullptr, &c, 0);
  if (rc != 0) return fail_db(rc);
  std::vector<std::uint64_t> count(f->spec.keys.size(), 0);
  Dbt k, d;
  std::uint64_t n = 0;
  while ((rc = c->get(c, &k, &d, DB_NEXT)) == 0) {
    ++n;
    if (static_cast<int>(d.size) != f->spec.record_size) {
      *problem = "record " + std::to_string(n) + " has the wrong size";
      break;
    }
    std::string rec = d.str();
    std::string pk = make_key(f->spec.keys[0], rec.data());
    if (pk != k.str()) {
      *problem = "record " + std::to_string(n) + " is stored under another primary key";
      break;
    }
    for (size_t i = 1; i < f->spec.keys.size() && problem->empty(); ++i) {
      std::string value = make_key(f->spec.keys[i], rec.data());
      DB* db = f->dbs[i];
      bool found = false;
      // A duplicates index is checked from its own side below: looking for
      // each record among its value's entries would cost the square of them.
      if (f->spec.keys[i].dups) {
        found = true;
      } else {
        Dbt k2(value), d2;
        found = db->get(db, nullptr, &k2, &d2, 0) == 0 && d2.str() == pk;
      }
      if (!found)
        *problem = "key " + std::to_string(i + 1) + " has no entry for record " + std::to_string(n);
    }
    if (!problem->empty()) break;
  }
  c->close(c);
  if (!problem->empty()) return 1;
  if (rc != DB_NOTFOUND) return fail_db(rc);
  for (size_t i = 1; i < f->spec.keys.size(); ++i) {
    if (f->spec.keys[i].dups) {
      if (int r = check_dups_index(f, i, n, problem); r != 0) return r;
      continue;
    }
    DB* db = f->dbs[i];
    DBC* c2 = nullptr;
    rc = db->cursor(db, nullptr, &c2, 0);
    if (rc != 0) return fail_db(rc);
    std::uint64_t m = 0;
    while ((rc = c2->get(c2, &k, &d, DB_NEXT)) == 0) ++m;
    c2->close(c2);
    if (m != n) {
      *problem = "key " + std::to_string(i + 1) + " has " + std::to_string(m) + " entries for " +
                 std::to_string(n) + " records";
      return 1;
    }
  }
  return 0;
}

}  // namespace qel::idxfile

using qel::idxfile::File;
using qel::idxfile::Held;
namespace ix = qel::idxfile;

extern "C" {

int IsGetLastErrno(void) { return ix::t_errno; }
int IsGetLastSyserr(void) { return ix::t_syserr; }
int IsGetLastRecnum(void) { return ix::t_recnum; }
void IsSetRecnum(int recnum) { ix::t_recnum = recnum; }
int IsGetLastMchncod(void) { return ix::t_mchncod; }
void IsSetMchncod(int code) { ix::t_mchncod = code; }

int isbuild(const char* name, int reclen, struct keydesc* key, int mode) {
  return ix::guard([&] {
    if (!ix::valid_name(name)) return ix::fail(EFNAME);
    ix::FileSpec spec;
    spec.record_size = reclen;
    ix::KeySpec primary;
    if (!ix::spec_from_keydesc(key, &primary) || primary.dups) return ix::fail(EBADARG);
    spec.keys.push_back(primary);
    int fd = ix::build_file(name, spec, mode, false);
    if (fd >= 0) key->k_len = static_cast<short>(primary.length());
    return fd;
  });
}

int isaddindex(int fd, struct keydesc* key) {
  return ix::with_records(fd, [&](File* f) {
    int rc = 0;
    ix::KeySpec spec;
    std::string why;
    if (!f->update || !ix::spec_from_keydesc(key, &spec) ||
        !ix::key_fits(spec, f->spec.record_size, &why))
      return ix::fail(EBADARG);
    if (ix::find_key(f, key) >= 0) return ix::fail(EKEXISTS);
    if (f->spec.keys.size() >= static_cast<size_t>(ix::kMaxKeys)) return ix::fail(ETOOMANY);
    ix::Dbt k, d;
    rc = f->cursor->get(f->cursor, &k, &d, DB_FIRST);
    if (rc == 0) return ix::fail(ENOTEXCL);  // only on a file that holds no records
    if (rc != DB_NOTFOUND) return ix::fail_db(rc);
    size_t index = f->spec.keys.size();
    // Everything that needs memory comes before the new index exists.
    std::string path = ix::index_path(f->name, index);
    ix::FileSpec next = f->spec;
    next.keys.push_back(spec);
    std::string kdf = f->kdf;
    std::string tmp = kdf + ".new";
    std::string text = ix::format_key_file(next);
    f->dbs.reserve(index + 1);
    if (!f->tops.empty()) f->tops.resize(index + 1);
    DB* db = nullptr;
    int e = ix::os::remove_file(path);
    if (e != 0) return ix::fail(ESYSERR, e);
    rc = ix::open_db(path, true, spec.dups, false, !f->sync, &db);
    if (rc != 0) return ix::fail_db(rc);
    e = ix::os::write_file(tmp, text);
    if (e == 0) e = ix::os::rename_file(tmp, kdf);
    if (e != 0) {
      db->close(db, 0);
      ix::os::remove_file(tmp);
      ix::os::remove_file(path);
      return ix::fail(ESYSERR, e);
    }
    f->dbs.push_back(db);
    f->spec = std::move(next);
    key->k_len = static_cast<short>(spec.length());
    return 0;
  });
}

int isopen(const char* name, int mode) {
  return ix::guard([&] {
    if (!ix::valid_name(name)) return ix::fail(EFNAME);
    return ix::open_file(name, mode, false, {});
  });
}

int isclose(int fd) {
  return ix::guard([&] {
    int rc = 0;
    File* f = ix::acquire(fd, &rc);
    if (!f) return rc;
    {
      std::lock_guard<std::mutex> lock(ix::g_table_mu);
      ix::g_files[fd] = nullptr;
    }
    int result = 0;
    for (DB* db : f->dbs) {
      int s = db->sync(db, 0);
      if (s != 0 && result == 0) result = ix::fail_db(s);
    }
    ix::close_dbs(f);
    f->busy.unlock();
    delete f;
    return result;
  });
}

int isindexinfo(int fd, void* buffer, int number) {
  return ix::guard([&] {
    int rc = 0;
    File* f = ix::acquire(fd, &rc);
    if (!f) return rc;
    Held held{f};
    if (buffer == nullptr || number < 0 || number > static_cast<int>(f->spec.keys.size()))
      return ix::fail(EBADARG);
    if (number == 0) {
      DB_BTREE_STAT* st = nullptr;
      rc = f->dbs[0]->stat(f->dbs[0], nullptr, &st, 0);
      if (rc != 0) return ix::fail_db(rc);
      dictinfo info = {};
      info.di_nkeys = static_cast<short>(f->spec.keys.size());
      info.di_recsize = static_cast<short>(f->spec.record_size);
      short longest = 0;
      for (const ix::KeySpec& k : f->spec.keys)
        longest = std::max(longest, static_cast<short>(k.length()));
      info.di_idxsize = longest;
      info.di_nrecords = static_cast<int>(st->bt_ndata);
      free(st);
      std::memcpy(buffer, &info, sizeof info);
      return 0;
    }
    const ix::KeySpec& k = f->spec.keys[static_cast<size_t>(number - 1)];
    keydesc kd = {};
    kd.k_flags = k.dups ? ISDUPS : ISNODUPS;
    kd.k_nparts = static_cast<short>(k.parts.size());
    for (size_t p = 0; p < k.parts.size(); ++p) {
      kd.k_part[p].kp_start = static_cast<short>(k.parts[p].start);
      kd.k_part[p].kp_leng = static_cast<short>(k.parts[p].length);
      kd.k_part[p].kp_type = static_cast<short>(k.parts[p].type);
    }
    kd.k_len = static_cast<short>(k.length());
    std::memcpy(buffer, &kd, sizeof kd);
    return 0;
  });
}

int isstart(int fd, struct keydesc* key, int length, char* record, int mode) {
  return ix::with_records(fd, [&](File* f) {
    int rc = 0;
    if (key == nullptr || record == nullptr) return ix::fail(EBADARG);
    int index = ix::find_key(f, key);
    if (index < 0) return ix::fail(EBADKEY);
    int full = f->spec.keys[static_cast<size_t>(index)].length();
    if (length < 0 || length > full) return ix::fail(EBADARG);
    if (length == 0) length = full;
    if (index != f->cur_key) {
      DBC* c = nullptr;
      DB* db = f->dbs[static_cast<size_t>(index)];
      rc = db->cursor(db, nullptr, &c, 0);
      if (rc != 0) return ix::fail_db(rc);
      f->cursor->close(f->cursor);
      f->cursor = c;
      f->cur_key = index;
    }
    f->pending = false;
    switch (mode) {
      case ISFIRST:
        f->pos = ix::Pos::kBefore;
        return 0;
      case ISLAST:
        f->pos = ix::Pos::kAfter;
        return 0;
      case ISEQUAL:
      case ISGREAT:
      case ISGTEQ: {
        std::string prefix = ix::make_key(f->spec.keys[static_cast<size_t>(index)], record);
        prefix.resize(static_cast<size_t>(length));
        ix::Dbt k, d;
        if (ix::seek(f->cursor, prefix, mode, &k, &d) != 0) {
          f->pos = ix::Pos::kNone;
          return -1;
        }
        f->pos = ix::Pos::kAt;
        f->pending = true;
        return 0;
      }
      default:
        return ix::fail(EBADARG);
    }
  });
}

int isread(int fd, char* record, int mode) {
  return ix::with_records(fd, [&](File* f) {
    if (record == nullptr) return ix::fail(EBADARG);
    return ix::do_read(f, record, mode & 0xff);
  });
}

int iswrite(int fd, char* record) {
  return ix::with_records(fd, [&](File* f) {
    if (record == nullptr) return ix::fail(EBADARG);
    return ix::do_write(f, record, nullptr);
  });
}

int iswrcurr(int fd, char* record) {
  return ix::with_records(fd, [&](File* f) {
    int rc = 0;
    if (record == nullptr) return ix::fail(EBADARG);
    std::string pk;
    if (ix::do_write(f, record, &pk) != 0) return -1;
    // The new record becomes the current one in the chosen key.
    size_t i = static_cast<size_t>(f->cur_key);
    std::string value = ix::make_key(f->spec.keys[i], record);
    if (f->spec.keys[i].dups) {
      rc = ix::find_dup(f->cursor, value, pk);
    } else {
      ix::Dbt k(value), d;
      rc = f->cursor->get(f->cursor, &k, &d, DB_SET);
    }
    if (rc != 0) return ix::fail_db(rc);
    f->pos = ix::Pos::kAt;
    f->pending = false;
    return 0;
  });
}

int isrewrite(int fd, char* record) {
  return ix::with_records(fd, [&](File* f) {
    int rc = 0;
    std::string pk, old;
    if (int r = ix::stored_record(f, record, &pk, &old); r != 0) return r;
    size_t n = f->spec.keys.size();
    // Index 0 (the primary key) is never moved: its slots stay empty.
    std::vector<std::string> before, after;
    before.reserve(n);
    after.reserve(n);
    before.emplace_back();
    after.emplace_back();
    for (size_t i = 1; i < n; ++i) {
      before.push_back(ix::make_key(f->spec.keys[i], old.data()));
      after.push_back(ix::make_key(f->spec.keys[i], record));
      if (before[i] == after[i] || f->spec.keys[i].dups) continue;
      if (ix::value_exists(f->dbs[i], after[i], &rc)) return ix::fail(EDUPL);
      if (rc != DB_NOTFOUND) return ix::fail_db(rc);
    }
    std::string scratch;
    scratch.reserve(pk.size() + 4);
    ix::Dbt k2(pk), d2;
    d2.data = record;
    d2.size = static_cast<u_int32_t>(f->spec.record_size);
    rc = f->dbs[0]->put(f->dbs[0], nullptr, &k2, &d2, 0);
    if (rc != 0) return ix::fail_db(rc);
    for (size_t i = 1; i < n; ++i) {
      if (before[i] == after[i]) continue;
      rc = ix::remove_alt(f, i, before[i], pk);
      if (rc != 0 && rc != DB_NOTFOUND) return ix::fail_db(rc);
      rc = ix::add_alt(f, i, after[i], pk, &scratch);
      if (rc != 0) return ix::fail_db(rc);
    }
    rc = ix::sync_all(f);
    return rc != 0 ? ix::fail_db(rc) : 0;
  });
}

int isdelete(int fd, char* record) {
  return ix::with_records(fd, [&](File* f) {
    int rc = 0;
    std::string pk, old;
    if (int r = ix::stored_record(f, record, &pk, &old); r != 0) return r;
    std::vector<std::string> values(f->spec.keys.size());
    for (size_t i = 1; i < values.size(); ++i)
      values[i] = ix::make_key(f->spec.keys[i], old.data());
    for (size_t i = 1; i < values.size(); ++i) {
      rc = ix::remove_alt(f, i, values[i], pk);
      if (rc != 0 && rc != DB_NOTFOUND) return ix::fail_db(rc);
    }
    ix::Dbt k2(pk);
    rc = f->dbs[0]->del(f->dbs[0], nullptr, &k2, 0);
    if (rc != 0) return ix::fail_db(rc);
    rc = ix::sync_all(f);
    return rc != 0 ? ix::fail_db(rc) : 0;
  });
}

void ldchar(const char* from, int length, char* to) {
  if (from == nullptr || to == nullptr) return;
  int n = length < 0 ? 0 : length;
  while (n > 0 && from[n - 1] == ' ') --n;
  std::memmove(to, from, static_cast<size_t>(n));
  to[n] = '\0';
}

void stchar(const char* from, char* to, int length) {
  if (from == nullptr || to == nullptr) return;
  int i = 0;
  for (; i < length && from[i] != '\0'; ++i) to[i] = from[i];
  for (; i < length; ++i) to[i] = ' ';
}

int ldint(const char* from) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(from);
  return static_cast<short>(static_cast<unsigned short>(p[0] | (p[1] << 8)));
}

void stint(int value, char* to) {
  to[0] = static_cast<char>(value & 0xff);
  to[1] = static_cast<char>((value >> 8) & 0xff);
}

long ldlong(const char* from) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(from);
  std::uint32_t v = p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
  return static_cast<std::int32_t>(v);
}

void stlong(long value, char* to) {
  std::uint32_t v = static_cast<std::uint32_t>(value);
  for (int b = 0; b < 4; ++b) to[b] = static_cast<char>((v >> (8 * b)) & 0xff);
}

}  // extern "C"
