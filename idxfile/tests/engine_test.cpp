#include <db.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "idxfile/engine.h"
#include "idxfile/idxfile.h"

namespace {

namespace fs = std::filesystem;

class IdxFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tmp = getenv("TMPDIR");
    std::string tmpl = std::string(tmp && *tmp ? tmp : "/tmp") + "/idxfileXXXXXX";
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    name_ = dir_ + "/f";
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Record: key 0..3, unique alternate 4..6, duplicate alternate 7..8, data 9..13.
  int make() {
    keydesc k = {};
    k.k_nparts = 1;
    k.k_part[0] = {0, 4, CHARTYPE};
    int fd = isbuild(name_.c_str(), 14, &k, ISINOUT | ISEXCLLOCK);
    if (fd < 0) return fd;
    keydesc a = alt_unique(), b = alt_dups();
    EXPECT_EQ(isaddindex(fd, &a), 0);
    EXPECT_EQ(isaddindex(fd, &b), 0);
    return fd;
  }
  static keydesc alt_unique() {
    keydesc k = {};
    k.k_nparts = 1;
    k.k_part[0] = {4, 3, CHARTYPE};
    return k;
  }
  static keydesc alt_dups() {
    keydesc k = {};
    k.k_flags = ISDUPS;
    k.k_nparts = 1;
    k.k_part[0] = {7, 2, CHARTYPE};
    return k;
  }
  static int put(int fd, const char* rec) {
    std::string r(rec);
    return iswrite(fd, r.data());
  }
  std::string dir_, name_;
};

std::string read_str(int fd, int mode, const char* key = "") {
  char rec[15] = {};
  std::memset(rec, ' ', 14);
  std::memcpy(rec, key, std::strlen(key));
  if (isread(fd, rec, mode) != 0) return "E" + std::to_string(IsGetLastErrno());
  return std::string(rec, 14);
}

TEST_F(IdxFileTest, ReadsInEveryKeyOrderAndDuplicatesInWriteOrder) {
  int fd = make();
  ASSERT_GE(fd, 0);
  ASSERT_EQ(put(fd, "0002B01AAdata1"), 0);
  ASSERT_EQ(put(fd, "0001A01AAdata2"), 0);
  ASSERT_EQ(put(fd, "0003C01BBdata3"), 0);
  EXPECT_EQ(read_str(fd, ISNEXT), "0001A01AAdata2");
  EXPECT_EQ(read_str(fd, ISNEXT), "0002B01AAdata1");
  EXPECT_EQ(read_str(fd, ISNEXT), "0003C01BBdata3");
  EXPECT_EQ(read_str(fd, ISNEXT), "E110");
  EXPECT_EQ(read_str(fd, ISPREV), "0002B01AAdata1");
  // A keyed read that finds nothing leaves the position where it was.
  EXPECT_EQ(read_str(fd, ISEQUAL, "0000"), "E111");
  EXPECT_EQ(read_str(fd, ISGREAT, "0003"), "E111");
  EXPECT_EQ(read_str(fd, ISPREV), "0001A01AAdata2");
  keydesc b = alt_dups();
  char rec[15] = "       AA     ";
  ASSERT_EQ(isstart(fd, &b, 0, rec, ISEQUAL), 0);
  EXPECT_EQ(read_str(fd, ISNEXT), "0002B01AAdata1");
  EXPECT_EQ(read_str(fd, ISNEXT), "0001A01AAdata2");
  EXPECT_EQ(read_str(fd, ISNEXT), "0003C01BBdata3");
  keydesc a = alt_unique();
  char part[15] = "    C         ";
  ASSERT_EQ(isstart(fd, &a, 1, part, ISGTEQ), 0);
  EXPECT_EQ(read_str(fd, ISNEXT), "0003C01BBdata3");
  ASSERT_EQ(isstart(fd, &a, 1, part, ISGREAT), -1);
  EXPECT_EQ(IsGetLastErrno(), ENOREC);
  dictinfo di;
  ASSERT_EQ(isindexinfo(fd, &di, 0), 0);
  EXPECT_EQ(di.di_nkeys, 3);
  EXPECT_EQ(di.di_recsize, 14);
  EXPECT_EQ(di.di_nrecords, 3);
  keydesc kd;
  ASSERT_EQ(isindexinfo(fd, &kd, 3), 0);
  EXPECT_EQ(kd.k_flags, ISDUPS);
  EXPECT_EQ(kd.k_part[0].kp_start, 7);
  EXPECT_EQ(isclose(fd), 0);
}

TEST_F(IdxFileTest, DuplicatesAndMissingRecordsAreRefused) {
  int fd = make();
  ASSERT_GE(fd, 0);
  ASSERT_EQ(put(fd, "0001A01AAdata1"), 0);
  EXPECT_EQ(put(fd, "0001Z99AAdata2"), -1);
  EXPECT_EQ(IsGetLastErrno(), EDUPL);
  EXPECT_EQ(put(fd, "0002A01AAdata2"), -1);  // unique alternate
  EXPECT_EQ(IsGetLastErrno(), EDUPL);
  EXPECT_EQ(read_str(fd, ISEQUAL, "0009"), "E111");
  std::string r = "0009A01AAxxxxx";
  EXPECT_EQ(isdelete(fd, r.data()), -1);
  EXPECT_EQ(IsGetLastErrno(), ENOREC);
  std::string problem;
  EXPECT_EQ(qel::idxfile::check_file(fd, &problem), 0) << problem;
  EXPECT_EQ(isclose(fd), 0);
}

TEST_F(IdxFileTest, RewriteMovesAlternateEntriesAndDeleteRemovesThem) {
  int fd = make();
  ASSERT_GE(fd, 0);
  ASSERT_EQ(put(fd, "0001A01AAdata1"), 0);
  ASSERT_EQ(put(fd, "0002B01AAdata2"), 0);
  ASSERT_EQ(put(fd, "0003C01BBdata3"), 0);
  std::string r = "0001D01BBnew01";
  ASSERT_EQ(isrewrite(fd, r.data()), 0);
  std::string clash = "0002C01AAdata2";
  EXPECT_EQ(isrewrite(fd, clash.data()), -1);
  EXPECT_EQ(IsGetLastErrno(), EDUPL);
  keydesc b = alt_dups();
  char key[15] = "       BB     ";
  ASSERT_EQ(isstart(fd, &b, 0, key, ISEQUAL), 0);
  EXPECT_EQ(read_str(fd, ISNEXT), "0003C01BBdata3");
  EXPECT_EQ(read_str(fd, ISNEXT), "0001D01BBnew01");  // moved in last
  std::string d = "0003";
  d.resize(14, ' ');
  ASSERT_EQ(isdelete(fd, d.data()), 0);
  std::string problem;
  EXPECT_EQ(qel::idxfile::check_file(fd, &problem), 0) << problem;
  ASSERT_EQ(isclose(fd), 0);
  fd = isopen(name_.c_str(), ISINPUT);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(read_str(fd, ISNEXT), "0001D01BBnew01");
  EXPECT_EQ(read_str(fd, ISNEXT), "0002B01AAdata2");
  EXPECT_EQ(read_str(fd, ISNEXT), "E110");
  isclose(fd);
}

TEST_F(IdxFileTest, MissingOrWrongKeyFileIsRefused) {
  int fd = make();
  ASSERT_GE(fd, 0);
  ASSERT_EQ(isclose(fd), 0);
  std::string kdf = name_ + ".kdf";
  std::ofstream(kdf) << "RECSIZE 14\nKEY 0:4:CHAR\nKEY 4:3:CHAR DUPS\nKEY 7:2:CHAR DUPS\n";
  EXPECT_EQ(isopen(name_.c_str(), ISINPUT), -1);
  EXPECT_EQ(IsGetLastErrno(), EBADFILE);
  std::ofstream(kdf) << "RECSIZE 14\nKEY 0:4:CHAR\nKEY 4:3:CHAR\nKEY 7:2:CHAR DUPS\nKEY 9:1:CHAR\n";
  EXPECT_EQ(isopen(name_.c_str(), ISINPUT), -1);
  EXPECT_EQ(IsGetLastErrno(), EBADFILE);
  fs::remove(kdf);
  EXPECT_EQ(isopen(name_.c_str(), ISINPUT), -1);
  EXPECT_EQ(IsGetLastErrno(), EBADFILE);
  EXPECT_EQ(isopen((dir_ + "/none").c_str(), ISINPUT), -1);
  EXPECT_EQ(IsGetLastErrno(), ENOENT);
}

// The entries of the duplicates index f.2 as "value:primary key/sequence",
// read straight from its database in stored order.
std::string dup_entries(const std::string& name) {
  DB* db = nullptr;
  if (db_create(&db, nullptr, 0) != 0) return "db_create failed";
  std::string path = name + ".2", out;
  if (db->open(db, nullptr, path.c_str(), nullptr, DB_UNKNOWN, DB_RDONLY, 0) == 0) {
    DBC* c = nullptr;
    db->cursor(db, nullptr, &c, 0);
    DBT k = {}, d = {};
    while (c->get(c, &k, &d, DB_NEXT) == 0) {
      const unsigned char* p = static_cast<const unsigned char*>(d.data);
      unsigned seq = p[4] | (p[5] << 8) | (p[6] << 16) | (unsigned(p[7]) << 24);
      out += std::string(static_cast<char*>(k.data), k.size) + ":" +
             std::string(static_cast<char*>(d.data), 4) + "/" + std::to_string(seq) + " ";
    }
    c->close(c);
  }
  db->close(db, 0);
  return out;
}

// A new entry of a duplicates value takes the highest number of the value
// plus 1; a rewrite that keeps the value keeps its entry; a delete renumbers
// nothing, so deleting the highest lets the next write take its number again.
// The same holds while a file is built, where the numbers are kept in memory.
TEST_F(IdxFileTest, DuplicateSequenceNumbersFollowTheHighestOfTheValue) {
  for (bool bulk : {false, true}) {
    SCOPED_TRACE(bulk ? "building" : "updating");
    qel::idxfile::FileSpec spec;
    spec.record_size = 14;
    spec.keys = {{{{0, 4, CHARTYPE}}, false}, {{{4, 3, CHARTYPE}}, false},
                 {{{7, 2, CHARTYPE}}, true}};
    int fd = qel::idxfile::build_file(name_, spec, ISINOUT | ISEXCLLOCK, bulk);
    ASSERT_GE(fd, 0) << IsGetLastErrno();
    ASSERT_EQ(put(fd, "0001A01AAdata1"), 0);
    ASSERT_EQ(put(fd, "0002B01AAdata2"), 0);
    ASSERT_EQ(put(fd, "0003C01BBdata3"), 0);
    ASSERT_EQ(put(fd, "0004D01AAdata4"), 0);
    std::string r = "0002B01AAnewer";  // keeps AA: keeps 2
    ASSERT_EQ(isrewrite(fd, r.data()), 0);
    r = "0003C01AAmoved";  // BB into AA: 3 + 1
    ASSERT_EQ(isrewrite(fd, r.data()), 0);
    r = "0003";
    r.resize(14, ' ');
    ASSERT_EQ(isdelete(fd, r.data()), 0);  // the highest, 4, goes
    ASSERT_EQ(put(fd, "0005E01AAdata5"), 0);  // 3 + 1 again
    r = "0001";
    r.resize(14, ' ');
    ASSERT_EQ(isdelete(fd, r.data()), 0);  // the lowest: nothing moves
    ASSERT_EQ(put(fd, "0006F01AAdata6"), 0);
    ASSERT_EQ(put(fd, "0007G01BBdata7"), 0);  // BB emptied earlier: 1
    std::string problem;
    EXPECT_EQ(qel::idxfile::check_file(fd, &problem), 0) << problem;
    ASSERT_EQ(isclose(fd), 0);
    EXPECT_EQ(dup_entries(name_), "AA:0002/2 AA:0004/3 AA:0005/4 AA:0006/5 BB:0007/1 ");
  }
}

// Changes the duplicates index f.2 behind the engine's back: removes the
// entry at `remove` (0: the first) and, when `value` is given, adds one.
void tamper(const std::string& name, int remove, const char* value, const std::string& data) {
  DB* db = nullptr;
  ASSERT_EQ(db_create(&db, nullptr, 0), 0);
  std::string path = name + ".2";
  ASSERT_EQ(db->open(db, nullptr, path.c_str(), nullptr, DB_UNKNOWN, 0, 0), 0);
  DBC* c = nullptr;
  db->cursor(db, nullptr, &c, 0);
  DBT k = {}, d = {};
  for (int i = 0; i <= remove; ++i) ASSERT_EQ(c->get(c, &k, &d, DB_NEXT), 0);
  ASSERT_EQ(c->del(c, 0), 0);
  c->close(c);
  if (value != nullptr) {
    DBT k2 = {}, d2 = {};
    k2.data = const_cast<char*>(value);
    k2.size = 2;
    d2.data = const_cast<char*>(data.data());
    d2.size = static_cast<u_int32_t>(data.size());
    ASSERT_EQ(db->put(db, nullptr, &k2, &d2, 0), 0);
  }
  db->close(db, 0);
}

// The check of a duplicates index, done from the index's side: a missing
// entry, an entry naming another record, two entries for one record, and
// numbers that do not rise are each found.
TEST_F(IdxFileTest, CheckFindsEveryKindOfFaultInADuplicatesIndex) {
  struct Case {
    int remove;
    const char* value;
    std::string data, problem;
  };
  std::string one = std::string("0001") + '\x09' + '\0' + '\0' + '\0';
  std::string three = std::string("0003") + '\x09' + '\0' + '\0' + '\0';
  std::string early = std::string("0002") + '\x00' + '\0' + '\0' + '\0';
  for (const Case& t : {Case{0, nullptr, "", "key 3 has 2 entries for 3 records"},
                        Case{0, "AA", three, "key 3 entry 2 names no record of its value"},
                        Case{1, "AA", one, "key 3 has two entries for one record"},
                        Case{1, "AA", early, "key 3 entry 2 is numbered out of order"}}) {
    SCOPED_TRACE(t.problem);
    int fd = make();
    ASSERT_GE(fd, 0);
    ASSERT_EQ(put(fd, "0001A01AAdata1"), 0);
    ASSERT_EQ(put(fd, "0002B01AAdata2"), 0);
    ASSERT_EQ(put(fd, "0003C01BBdata3"), 0);
    ASSERT_EQ(isclose(fd), 0);
    tamper(name_, t.remove, t.value, t.data);
    fd = isopen(name_.c_str(), ISINPUT);
    ASSERT_GE(fd, 0);
    std::string problem;
    EXPECT_EQ(qel::idxfile::check_file(fd, &problem), 1);
    EXPECT_EQ(problem, t.problem);
    ASSERT_EQ(isclose(fd), 0);
  }
}

// Every key and data pair of the database at `path`, in stored order.
std::vector<std::string> dump_db(const std::string& path) {
  DB* db = nullptr;
  if (db_create(&db, nullptr, 0) != 0) return {"db_create failed"};
  std::vector<std::string> out;
  if (db->open(db, nullptr, path.c_str(), nullptr, DB_UNKNOWN, DB_RDONLY, 0) == 0) {
    DBC* c = nullptr;
    db->cursor(db, nullptr, &c, 0);
    DBT k = {}, d = {};
    while (c->get(c, &k, &d, DB_NEXT) == 0)
      out.push_back(std::string(static_cast<char*>(k.data), k.size) + "|" +
                    std::string(static_cast<char*>(d.data), d.size));
    c->close(c);
  } else {
    out.push_back("cannot open " + path);
  }
  db->close(db, 0);
  return out;
}

// A build fills each index in key order, chunk by chunk; the file must hold
// exactly what writes of one record after another leave, duplicates numbered
// in record order across chunks, and a duplicate key must be reported at the
// record where those writes would have stopped.
TEST_F(IdxFileTest, BuildInKeyOrderLeavesWhatWritesInTurnLeave) {
  qel::idxfile::FileSpec spec;
  spec.record_size = 14;
  spec.keys = {{{{0, 4, CHARTYPE}}, false}, {{{4, 3, CHARTYPE | ISDESC}}, false},
               {{{7, 2, CHARTYPE}}, true}};
  constexpr int kCount = 3000;
  std::string records;
  std::uint64_t seed = 12345;
  std::vector<int> perm(kCount);
  for (int i = 0; i < kCount; ++i) perm[i] = i;
  for (int i = kCount - 1; i > 0; --i) {
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    std::swap(perm[i], perm[(seed >> 33) % (i + 1)]);
  }
  for (int i = 0; i < kCount; ++i) {
    char rec[32];
    int a = perm[kCount - 1 - i];
    std::snprintf(rec, sizeof rec, "%04d%c%c%cD%d%05d", perm[i], 'A' + a / 676, 'A' + a / 26 % 26,
                  'A' + a % 26, perm[i] % 7, i);
    records.append(rec, 14);
  }
  auto build = [&](const std::string& name, const std::string& data, bool in_turn,
                   size_t* failed) {
    int fd = qel::idxfile::build_file(name, spec, ISOUTPUT | ISEXCLLOCK, true);
    if (fd < 0) return -1;
    size_t count = data.size() / 14;
    int rc = 0;
    if (in_turn) {
      for (size_t r = 0; r < count && rc == 0; ++r) {
        std::string rec = data.substr(r * 14, 14);
        rc = iswrite(fd, rec.data());
        if (rc != 0) *failed = r;
      }
    } else {
      size_t chunks[] = {1000, 1500, 500}, at = 0;
      for (size_t n : chunks) {
        rc = qel::idxfile::bulk_write(fd, data.data() + at * 14, n, failed);
        if (rc != 0) {
          *failed += at;
          break;
        }
        at += n;
      }
    }
    int e = IsGetLastErrno();
    isclose(fd);
    return rc == 0 ? 0 : e;
  };
  size_t failed = 0;
  ASSERT_EQ(build(dir_ + "/turn", records, true, &failed), 0);
  ASSERT_EQ(build(dir_ + "/bulk", records, false, &failed), 0);
  for (const char* index : {"", ".1", ".2"}) {
    std::vector<std::string> turn = dump_db(dir_ + "/turn" + index);
    EXPECT_EQ(turn.size(), static_cast<size_t>(kCount));
    EXPECT_TRUE(turn == dump_db(dir_ + "/bulk" + index)) << "index" << index;
  }
  int fd = isopen((dir_ + "/bulk").c_str(), ISINPUT);
  std::string problem;
  EXPECT_EQ(qel::idxfile::check_file(fd, &problem), 0) << problem;
  isclose(fd);

  // Record 2100 repeats the unique key of record 40, record 1700 the primary
  // key of record 200: the writes stop at 1700.
  std::string bad = records;
  bad.replace(2100 * 14 + 4, 3, records, 40 * 14 + 4, 3);
  bad.replace(1700 * 14, 4, records, 200 * 14, 4);
  size_t turn_failed = 0, bulk_failed = 0;
  EXPECT_EQ(build(dir_ + "/bad1", bad, true, &turn_failed), EDUPL);
  EXPECT_EQ(build(dir_ + "/bad2", bad, false, &bulk_failed), EDUPL);
  EXPECT_EQ(turn_failed, 1700u);
  EXPECT_EQ(bulk_failed, 1700u);
  // Record 1100 takes the unique key of record 2400, in the same chunk.
  bad = records;
  bad.replace(1100 * 14 + 4, 3, records, 2400 * 14 + 4, 3);
  EXPECT_EQ(build(dir_ + "/bad3", bad, true, &turn_failed), EDUPL);
  EXPECT_EQ(build(dir_ + "/bad4", bad, false, &bulk_failed), EDUPL);
  EXPECT_EQ(turn_failed, 2400u);
  EXPECT_EQ(bulk_failed, 2400u);
}

// The suite's dialogs and command lines take NAME.kdf in any letter case and
// pass NAME: the engine finds the key file whatever the case of "kdf", and
// two candidates in different cases are no key file.
TEST_F(IdxFileTest, KeyFileIsFoundInAnyLetterCase) {
  int fd = make();
  ASSERT_GE(fd, 0);
  ASSERT_EQ(put(fd, "0001A01AAdata1"), 0);
  ASSERT_EQ(isclose(fd), 0);
  fs::rename(name_ + ".kdf", name_ + ".KDF");
  EXPECT_EQ(qel::idxfile::key_file_of(name_), name_ + ".KDF");
  fd = isopen(name_.c_str(), ISINOUT);
  ASSERT_GE(fd, 0) << IsGetLastErrno();
  EXPECT_EQ(read_str(fd, ISNEXT), "0001A01AAdata1");
  ASSERT_EQ(isclose(fd), 0);
  fs::copy_file(name_ + ".KDF", name_ + ".Kdf");
  EXPECT_EQ(isopen(name_.c_str(), ISINPUT), -1);
  EXPECT_EQ(IsGetLastErrno(), EBADFILE);
}

// An index file beyond the keys that the key file lists would go stale under
// updates made without it: such a file is refused, and the refusal says what
// does not match.
TEST_F(IdxFileTest, IndexBeyondTheKeyFilesKeysIsRefused) {
  int fd = make();
  ASSERT_GE(fd, 0);
  ASSERT_EQ(put(fd, "0001A01AAdata1"), 0);
  ASSERT_EQ(isclose(fd), 0);
  EXPECT_EQ(qel::idxfile::describe_mismatch(name_), "");
  std::ofstream(name_ + ".kdf") << "RECSIZE 14\nKEY 0:4:CHAR\nKEY 4:3:CHAR\n";
  for (int mode : {ISINPUT, ISINOUT, ISINOUT | ISEXCLLOCK}) {
    EXPECT_EQ(isopen(name_.c_str(), mode), -1);
    EXPECT_EQ(IsGetLastErrno(), EBADFILE);
  }
  EXPECT_EQ(qel::idxfile::describe_mismatch(name_),
            name_ + ".2 exists, but the key file lists 1 alternate key");
  std::ofstream(name_ + ".kdf") << "RECSIZE 14\nKEY 0:4:CHAR\nKEY 4:3:CHAR\nKEY 7:2:CHAR\n";
  EXPECT_EQ(qel::idxfile::describe_mismatch(name_),
            name_ + ".2 does not match KEY line 3 of the key file: it holds duplicates");
  std::ofstream(name_ + ".kdf") << "RECSIZE 14\nKEY 0:4:CHAR\nKEY 4:3:CHAR\nKEY 7:2:CHAR DUPS\n";
  fs::remove(name_ + ".1");
  EXPECT_EQ(qel::idxfile::describe_mismatch(name_),
            name_ + ".1 is missing, but the key file lists 2 alternate keys");
}

TEST_F(IdxFileTest, PrimaryKeyWithDuplicatesDescribesItselfButRefusesRecords) {
  int fd = make();
  ASSERT_GE(fd, 0);
  ASSERT_EQ(put(fd, "0001A01AAdata1"), 0);
  ASSERT_EQ(isclose(fd), 0);
  std::ofstream(name_ + ".kdf") << "RECSIZE 14\nKEY 0:4:CHAR DUPS\nKEY 4:3:CHAR\nKEY 7:2:CHAR DUPS\n";
  fd = isopen(name_.c_str(), ISINOUT);
  ASSERT_GE(fd, 0) << IsGetLastErrno();
  keydesc kd = {};
  ASSERT_EQ(isindexinfo(fd, &kd, 1), 0);
  EXPECT_EQ(kd.k_flags, ISDUPS);
  char rec[15] = "0002A02BBdata2";
  EXPECT_EQ(isread(fd, rec, ISFIRST), -1);
  EXPECT_EQ(IsGetLastErrno(), EBADFILE);
  EXPECT_EQ(iswrite(fd, rec), -1);
  EXPECT_EQ(IsGetLastErrno(), EBADFILE);
  EXPECT_EQ(isdelete(fd, rec), -1);
  EXPECT_EQ(isclose(fd), 0);
  // The record is still there once the key file describes the file again.
  std::ofstream(name_ + ".kdf") << "RECSIZE 14\nKEY 0:4:CHAR\nKEY 4:3:CHAR\nKEY 7:2:CHAR DUPS\n";
  fd = isopen(name_.c_str(), ISINPUT);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(read_str(fd, ISFIRST), "0001A01AAdata1");
  EXPECT_EQ(read_str(fd, ISNEXT), "E110");
  isclose(fd);
  // Such a file is never built.
  keydesc k = {};
  k.k_flags = ISDUPS;
  k.k_nparts = 1;
  k.k_part[0] = {0, 4, CHARTYPE};
  EXPECT_EQ(isbuild((dir_ + "/g").c_str(), 14, &k, ISINOUT), -1);
  EXPECT_EQ(IsGetLastErrno(), EBADARG);
}

// Runs `body` in a child process and returns its exit code.
template <typename F>
int in_child(F body) {
  pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

TEST_F(IdxFileTest, ExclusiveOpenLocksOutAnotherProcess) {
  int fd = make();
  ASSERT_GE(fd, 0);
  int child = in_child([&] {
    int f2 = isopen(name_.c_str(), ISINPUT);
    return f2 < 0 ? IsGetLastErrno() - 100 : 0;
  });
  EXPECT_EQ(child, EFLOCKED - 100);
  ASSERT_EQ(isclose(fd), 0);
  EXPECT_EQ(in_child([&] { return isopen(name_.c_str(), ISINPUT) >= 0 ? 0 : 1; }), 0);
}

TEST_F(IdxFileTest, RecordHeldByAnotherProcessReadsAsLocked) {
  int fd = make();
  ASSERT_GE(fd, 0);
  ASSERT_EQ(put(fd, "0001A01AAdata1"), 0);
  ASSERT_EQ(put(fd, "0002B01AAdata2"), 0);
  ASSERT_EQ(isclose(fd), 0);
  fd = isopen(name_.c_str(), ISINOUT | ISAUTOLOCK);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(read_str(fd, ISEQUAL, "0001"), "0001A01AAdata1");
  int child = in_child([&] {
    int f2 = isopen(name_.c_str(), ISINOUT | ISAUTOLOCK);
    if (f2 < 0) return 1;
    if (read_str(f2, ISEQUAL, "0002") != "0002B01AAdata2") return 2;
    if (read_str(f2, ISEQUAL, "0001") != "E107") return 3;
    std::string r = "0001A01AAother";
    if (isrewrite(f2, r.data()) != -1 || IsGetLastErrno() != ELOCKED) return 4;
    return 0;
  });
  EXPECT_EQ(child, 0);
  EXPECT_EQ(read_str(fd, ISEQUAL, "0002"), "0002B01AAdata2");  // releases 0001
  EXPECT_EQ(in_child([&] {
              int f2 = isopen(name_.c_str(), ISINOUT | ISAUTOLOCK);
              return read_str(f2, ISEQUAL, "0001") == "0001A01AAdata1" ? 0 : 1;
            }),
            0);
  isclose(fd);
}

TEST_F(IdxFileTest, WriteSurvivesKillRightAfterTheCall) {
  int fd = make();
  ASSERT_GE(fd, 0);
  ASSERT_EQ(isclose(fd), 0);
  int pipefd[2];
  ASSERT_EQ(pipe(pipefd), 0);
  pid_t pid = fork();
  if (pid == 0) {
    int f2 = isopen(name_.c_str(), ISINOUT);
    char ok = (f2 >= 0 && put(f2, "0007G01AAkill1") == 0) ? 'y' : 'n';
    if (write(pipefd[1], &ok, 1) != 1) _exit(1);
    pause();
    _exit(0);
  }
  char ok = 0;
  ASSERT_EQ(read(pipefd[0], &ok, 1), 1);
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  close(pipefd[0]);
  close(pipefd[1]);
  ASSERT_EQ(ok, 'y');
  fd = isopen(name_.c_str(), ISINPUT);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(read_str(fd, ISEQUAL, "0007"), "0007G01AAkill1");
  isclose(fd);
}

TEST(IdxFieldTest, IntegersAreLittleEndianAndCharactersPadded) {
  char buf[8];
  stint(-2, buf);
  EXPECT_EQ(static_cast<unsigned char>(buf[0]), 0xfe);
  EXPECT_EQ(ldint(buf), -2);
  stlong(0x01020304, buf);
  EXPECT_EQ(buf[0], 4);
  EXPECT_EQ(ldlong(buf), 0x01020304);
  stchar("ab", buf, 5);
  EXPECT_EQ(std::string(buf, 5), "ab   ");
  char out[8];
  ldchar(buf, 5, out);
  EXPECT_STREQ(out, "ab");
}

TEST(IdxFieldTest, IntegerHelpersKeepTheirRangeAndSign) {
  char buf[4];
  for (int v : {0, 1, -1, 255, 256, 32767, -32768}) {
    stint(v, buf);
    EXPECT_EQ(ldint(buf), v);
  }
  stint(0x12345, buf);  // only the low 16 bits are stored
  EXPECT_EQ(ldint(buf), 0x2345);
  for (long v : {0L, 1L, -1L, 65536L, 2147483647L, -2147483647L - 1}) {
    stlong(v, buf);
    EXPECT_EQ(ldlong(buf), v);
  }
  stlong(-2, buf);
  EXPECT_EQ(std::string(buf, 4), std::string("\xfe\xff\xff\xff", 4));
}

// Integer key parts sort by their stored little-endian bytes, as COBOL's
// files do: 256 (00 01) before 1 (01 00) before 2 before -1 (ff ff). A
// descending part reverses that order.
class IntegerKeyTest : public IdxFileTest {
 protected:
  // Record: 2-byte integer 0..1, 4-byte integer 2..5, character 6..7.
  int make_int_file(bool descending) {
    short desc = descending ? ISDESC : 0;
    keydesc k = {};
    k.k_nparts = 2;
    k.k_part[0] = {0, 2, static_cast<short>(INTTYPE + desc)};
    k.k_part[1] = {6, 2, CHARTYPE};
    int fd = isbuild(name_.c_str(), 8, &k, ISINOUT | ISEXCLLOCK);
    if (fd < 0) return fd;
    keydesc l = {};
    l.k_flags = ISDUPS;
    l.k_nparts = 1;
    l.k_part[0] = {2, 4, static_cast<short>(LONGTYPE + desc)};
    EXPECT_EQ(isaddindex(fd, &l), 0);
    EXPECT_EQ(l.k_len, 4);
    for (int v : {2, -1, 256, 1}) {
      char rec[8];
      stint(v, rec);
      stlong(v * 65536L, rec + 2);
      std::memcpy(rec + 6, "zz", 2);
      EXPECT_EQ(iswrite(fd, rec), 0) << v;
    }
    return fd;
  }
  static std::vector<long> order(int fd, int key_index) {
    keydesc k;
    std::vector<long> out;
    if (isindexinfo(fd, &k, key_index) != 0) return out;
    char rec[8] = {};
    if (isstart(fd, &k, 0, rec, ISFIRST) != 0) return out;
    while (isread(fd, rec, ISNEXT) == 0) out.push_back(key_index == 1 ? ldint(rec) : ldlong(rec + 2));
    return out;
  }
};

TEST_F(IntegerKeyTest, AscendingPartsOrderByLittleEndianBytes) {
  int fd = make_int_file(false);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(order(fd, 1), (std::vector<long>{256, 1, 2, -1}));
  EXPECT_EQ(order(fd, 2), (std::vector<long>{256L * 65536, 65536, 2L * 65536, -65536}));
  // An equal read finds a record by the integer's value.
  char rec[8] = {};
  stint(256, rec);
  std::memcpy(rec + 6, "zz", 2);
  keydesc k;
  ASSERT_EQ(isindexinfo(fd, &k, 1), 0);
  EXPECT_EQ(k.k_part[0].kp_type, INTTYPE);
  EXPECT_EQ(k.k_len, 4);
  ASSERT_EQ(isstart(fd, &k, 0, rec, ISFIRST), 0);
  ASSERT_EQ(isread(fd, rec, ISEQUAL), 0);
  EXPECT_EQ(ldlong(rec + 2), 256L * 65536);
  // A 4-byte integer part of 2 bytes, or a 2-byte one of 4, is refused.
  keydesc bad = {};
  bad.k_nparts = 1;
  bad.k_part[0] = {0, 4, INTTYPE};
  EXPECT_EQ(isaddindex(fd, &bad), -1);
  EXPECT_EQ(IsGetLastErrno(), EBADARG);
  bad.k_part[0] = {0, 2, LONGTYPE};
  EXPECT_EQ(isaddindex(fd, &bad), -1);
  EXPECT_EQ(IsGetLastErrno(), EBADARG);
  EXPECT_EQ(isclose(fd), 0);
}

TEST_F(IntegerKeyTest, DescendingPartsReverseTheByteOrderAndSurviveReopen) {
  int fd = make_int_file(true);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(order(fd, 1), (std::vector<long>{-1, 2, 1, 256}));
  ASSERT_EQ(isclose(fd), 0);
  std::ifstream kdf(name_ + ".kdf");
  std::string text((std::istreambuf_iterator<char>(kdf)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("KEY 0:2:INT-,6:2:CHAR\n"), std::string::npos) << text;
  EXPECT_NE(text.find("KEY 2:4:LONG- DUPS\n"), std::string::npos) << text;
  fd = isopen(name_.c_str(), ISINPUT);
  ASSERT_GE(fd, 0);
  keydesc k;
  ASSERT_EQ(isindexinfo(fd, &k, 2), 0);
  EXPECT_EQ(k.k_part[0].kp_type, LONGTYPE + ISDESC);
  EXPECT_EQ(order(fd, 2), (std::vector<long>{-65536, 2L * 65536, 65536, 256L * 65536}));
  EXPECT_EQ(order(fd, 1), (std::vector<long>{-1, 2, 1, 256}));
  EXPECT_EQ(isclose(fd), 0);
}

// A second thread that calls into a file while a first one is inside it gets
// -2 at once; other files, and the same file afterwards, work as usual.
std::promise<void>* g_inside = nullptr;
std::shared_future<void>* g_go_on = nullptr;
int g_stopped_fd = -1;

void stop_inside(int fd) {
  if (fd != g_stopped_fd || g_inside == nullptr) return;
  std::promise<void>* inside = g_inside;
  g_inside = nullptr;  // only the first call stops
  inside->set_value();
  g_go_on->wait();
}

TEST_F(IdxFileTest, CallIntoAFileAnotherThreadIsUsingReturnsMinusTwo) {
  int fd = make();
  ASSERT_GE(fd, 0);
  ASSERT_EQ(put(fd, "0001A01AAdata1"), 0);
  std::string other_name = dir_ + "/g";
  keydesc k = {};
  k.k_nparts = 1;
  k.k_part[0] = {0, 4, CHARTYPE};
  int other = isbuild(other_name.c_str(), 14, &k, ISINOUT);
  ASSERT_GE(other, 0);

  std::promise<void> inside, go_on;
  std::shared_future<void> go = go_on.get_future().share();
  g_inside = &inside;
  g_go_on = &go;
  g_stopped_fd = fd;
  qel::idxfile::set_held_hook(stop_inside);
  std::string first;
  std::thread reader([&] { first = read_str(fd, ISEQUAL, "0001"); });
  inside.get_future().wait();  // the reader is inside fd now

  char rec[15] = "0001          ";
  EXPECT_EQ(isread(fd, rec, ISEQUAL), -2);
  EXPECT_EQ(iswrite(fd, rec), -2);
  EXPECT_EQ(isclose(fd), -2);
  EXPECT_EQ(put(other, "0002B01AAdata2"), 0);  // another file is free
  go_on.set_value();
  reader.join();
  qel::idxfile::set_held_hook(nullptr);
  EXPECT_EQ(first, "0001A01AAdata1");
  EXPECT_EQ(read_str(fd, ISEQUAL, "0001"), "0001A01AAdata1");
  EXPECT_EQ(isclose(fd), 0);
  EXPECT_EQ(isclose(other), 0);
}

}  // namespace
