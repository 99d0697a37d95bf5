// Indexed files shared with a COBOL program through the C-ISAM calls: what a
// COBOL program wrote reads the same through isread in every key order, and
// what idxfile adds, rewrites and deletes a COBOL program reads back in the
// order idxfile gives (duplicates in the order they entered their value).
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "idxfile/engine.h"
#include "idxfile/idxfile.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRecSize = 14;  // K1 0..3, K2 4..6 unique, K3 7..8 duplicates, V 9..13

keydesc key_of(int start, int length, bool dups) {
  keydesc k = {};
  k.k_flags = dups ? ISDUPS : ISNODUPS;
  k.k_nparts = 1;
  k.k_part[0] = {static_cast<short>(start), static_cast<short>(length), CHARTYPE};
  return k;
}

keydesc primary() { return key_of(0, 4, false); }
keydesc unique_alt() { return key_of(4, 3, false); }
keydesc dups_alt() { return key_of(7, 2, true); }

std::string run(const std::string& command) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (p == nullptr) return "popen failed";
  char buf[512];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int status = pclose(p);
  if (status != 0) out += "exit status " + std::to_string(status) + "\n";
  return out;
}

class CobolIsreadTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const char* tmp = getenv("TMPDIR");
    std::string tmpl = std::string(tmp && *tmp ? tmp : "/tmp") + "/idxcobolXXXXXX";
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    bin_dir_ = tmpl;
    program_ = bin_dir_ + "/threekeys";
    std::string out = run(std::string(IDXFILE_COBC) + " -x -o '" + program_ + "' '" +
                          IDXFILE_COBOL_SOURCES + "/three_keys.cob' 2>&1");
    ASSERT_TRUE(fs::exists(program_)) << out;
  }
  static void TearDownTestSuite() { fs::remove_all(bin_dir_); }

  void SetUp() override {
    ASSERT_TRUE(fs::exists(program_));
    dir_ = bin_dir_ + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::create_directory(dir_);
    name_ = dir_ + "/ORDERS";
  }

  std::string cobol(const char* arg) { return run("cd '" + dir_ + "' && '" + program_ + "' " + arg); }

  void write_key_file() {
    std::ofstream(name_ + ".kdf") << "RECSIZE 14\nKEY 0:4:CHAR\nKEY 4:3:CHAR\nKEY 7:2:CHAR DUPS\n";
  }

  static std::string blank_record() { return std::string(kRecSize, ' '); }

  // Every record in the order of `key`, as the COBOL program DISPLAYs it.
  static std::string walk(int fd, keydesc key, bool forward, const char* tag) {
    std::string rec = blank_record(), out;
    if (isstart(fd, &key, 0, rec.data(), forward ? ISFIRST : ISLAST) != 0)
      return "isstart error " + std::to_string(IsGetLastErrno()) + "\n";
    while (isread(fd, rec.data(), forward ? ISNEXT : ISPREV) == 0)
      out += std::string(tag) + " " + rec + "\n";
    if (IsGetLastErrno() != EENDFILE) out += "isread error " + std::to_string(IsGetLastErrno()) + "\n";
    return out;
  }

  // The same lines as the COBOL program prints, read through idxfile.
  static std::string listing(int fd) {
    std::string out = walk(fd, primary(), true, "P+") + walk(fd, primary(), false, "P-") +
                      walk(fd, unique_alt(), true, "A+") + walk(fd, unique_alt(), false, "A-") +
                      walk(fd, dups_alt(), true, "D+") + walk(fd, dups_alt(), false, "D-");
    keydesc a = unique_alt(), d = dups_alt();
    std::string rec = blank_record();
    isstart(fd, &a, 0, rec.data(), ISFIRST);
    std::memcpy(rec.data() + 4, "K03", 3);
    out += isread(fd, rec.data(), ISEQUAL) == 0 ? "EQ " + rec + "\n" : "EQ error\n";
    rec = blank_record();
    std::memcpy(rec.data() + 7, "BA", 2);
    if (isstart(fd, &d, 0, rec.data(), ISGTEQ) == 0 && isread(fd, rec.data(), ISNEXT) == 0)
      out += "GE " + rec + "\n";
    else
      out += "GE error\n";
    return out;
  }

  // The record that isread gives after isstart on `key` with `length` bytes
  // of `probe` placed at the key's start; "E<errno>" when either fails.
  static std::string first_after(int fd, keydesc key, int length, const char* probe, int mode) {
    std::string rec = blank_record();
    std::memcpy(rec.data() + key.k_part[0].kp_start, probe, std::strlen(probe));
    if (isstart(fd, &key, length, rec.data(), mode) != 0 || isread(fd, rec.data(), ISNEXT) != 0)
      return "E" + std::to_string(IsGetLastErrno());
    return rec;
  }

  static inline std::string bin_dir_, program_;
  std::string dir_, name_;
};

TEST_F(CobolIsreadTest, FileWrittenByCobolReadsTheSameThroughIsread) {
  std::string from_cobol = cobol("WRITE");
  ASSERT_NE(from_cobol.find("D+ 0009A09BBthree\nD+ 0007M07BBfive"), std::string::npos)
      << from_cobol;
  write_key_file();
  int fd = isopen(name_.c_str(), ISINPUT);
  ASSERT_GE(fd, 0) << IsGetLastErrno();
  EXPECT_EQ(listing(fd), from_cobol);

  // Random reads on the primary key.
  keydesc p = primary(), a = unique_alt(), d = dups_alt();
  std::string rec = blank_record();
  ASSERT_EQ(isstart(fd, &p, 0, rec.data(), ISFIRST), 0);
  std::memcpy(rec.data(), "0007", 4);
  ASSERT_EQ(isread(fd, rec.data(), ISEQUAL), 0);
  EXPECT_EQ(rec, "0007M07BBfive ");
  std::memcpy(rec.data(), "0007", 4);
  ASSERT_EQ(isread(fd, rec.data(), ISGREAT), 0);
  EXPECT_EQ(rec, "0009A09BBthree");
  std::memcpy(rec.data(), "0004", 4);
  ASSERT_EQ(isread(fd, rec.data(), ISGTEQ), 0);
  EXPECT_EQ(rec, "0005Q05BBone  ");
  std::memcpy(rec.data(), "0004", 4);
  EXPECT_EQ(isread(fd, rec.data(), ISEQUAL), -1);
  EXPECT_EQ(IsGetLastErrno(), ENOREC);

  // Partial keys: the leading bytes of a key given by isstart's length.
  EXPECT_EQ(first_after(fd, a, 1, "K", ISGTEQ), "0003K03AAsix  ");
  EXPECT_EQ(first_after(fd, a, 1, "B", ISGTEQ), "0002C02AAtwo  ");
  EXPECT_EQ(first_after(fd, a, 1, "B", ISEQUAL), "E111");
  EXPECT_EQ(first_after(fd, p, 3, "000", ISGREAT), "E111");
  EXPECT_EQ(first_after(fd, d, 1, "B", ISEQUAL), "0005Q05BBone  ");
  EXPECT_EQ(first_after(fd, d, 1, "B", ISGREAT), "0001Z01CCfour ");
  // After a partial START the duplicates follow in write order.
  std::string next = blank_record();
  ASSERT_EQ(isread(fd, next.data(), ISPREV), 0);
  EXPECT_EQ(next, "0007M07BBfive ");
  ASSERT_EQ(isread(fd, next.data(), ISPREV), 0);
  EXPECT_EQ(next, "0009A09BBthree");
  EXPECT_EQ(isclose(fd), 0);
}

TEST_F(CobolIsreadTest, CobolReadsWhatIdxfileAddedRewroteAndDeleted) {
  std::string first = cobol("WRITE");
  ASSERT_NE(first.find("GE "), std::string::npos) << first;
  write_key_file();
  int fd = isopen(name_.c_str(), ISINOUT);
  ASSERT_GE(fd, 0) << IsGetLastErrno();
  auto put = [&](const char* r) {
    std::string rec(r);
    return iswrite(fd, rec.data());
  };
  auto rewrite = [&](const char* r) {
    std::string rec(r);
    return isrewrite(fd, rec.data());
  };
  ASSERT_EQ(put("0004B04BBseven"), 0);   // last of BB
  ASSERT_EQ(put("0008Y08AAeight"), 0);   // last of AA
  EXPECT_EQ(put("0006K03CCclash"), -1);  // K03 is taken
  EXPECT_EQ(IsGetLastErrno(), EDUPL);
  ASSERT_EQ(rewrite("0005Q05AAmoved"), 0);  // from BB to the end of AA
  ASSERT_EQ(rewrite("0009A09BBnine "), 0);  // keeps its place in BB
  ASSERT_EQ(rewrite("0002D02AAtwo  "), 0);  // new unique key, keeps its place in AA
  std::string gone = "0007";
  gone.resize(kRecSize, ' ');
  ASSERT_EQ(isdelete(fd, gone.data()), 0);
  std::string problem;
  EXPECT_EQ(qel::idxfile::check_file(fd, &problem), 0) << problem;
  std::string ours = listing(fd);
  ASSERT_EQ(isclose(fd), 0);

  EXPECT_NE(ours.find("D+ 0002D02AAtwo  \n"
                      "D+ 0003K03AAsix  \n"
                      "D+ 0008Y08AAeight\n"
                      "D+ 0005Q05AAmoved\n"
                      "D+ 0009A09BBnine \n"
                      "D+ 0004B04BBseven\n"
                      "D+ 0001Z01CCfour \n"),
            std::string::npos)
      << ours;
  EXPECT_EQ(ours.find("0007"), std::string::npos) << ours;
  EXPECT_EQ(cobol("READ"), ours);
}

}  // namespace
