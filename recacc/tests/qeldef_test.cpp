// qeldef: the output users and scripts read (the file's codes and length,
// then one tab-separated line per layout entry: number level name attribute
// bytelength digits fraction occurrence position), names shown in the
// console's encoding, and the message and exit code 1 of a bad definition.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "recacc/tests/definition_fixture.h"

namespace qel::recacc {
namespace {

using test::Item;

struct Output {
  std::string out;
  int exit_code;
};

Output Qeldef(const std::string& args, const char* locale) {
  std::string cmd = std::string("LC_ALL=") + locale + " LANG=" + locale + " '" + QEL_TEST_QELDEF +
                    "' " + args + " 2>&1";
  Output r{"", -1};
  FILE* p = ::popen(cmd.c_str(), "r");
  if (p == nullptr) return r;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  int status = ::pclose(p);
  r.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

Item I(std::string level, std::string name, std::string dtat, std::string dale, std::string burl,
       std::string anum = "0") {
  Item i;
  i.level = level;
  i.name = name;
  i.dtat = dtat;
  i.dale = dale;
  i.burl = burl;
  i.anum = anum;
  return i;
}

class QeldefTest : public testing::Test {
 protected:
  std::string Define(const std::vector<Item>& items, const std::string& fior = "S") {
    dir_.Write("REC.RDF", test::RecordDefinition(items));
    return "'" + dir_.Write("FILE.FLF", test::FileDefinition(fior, "FB", "REC.RDF")) + "'";
  }
  test::TempDir dir_;
};

TEST_F(QeldefTest, PrintsTheLayoutOfTheOccursExampleLineByLine) {
  // "顧客" and "番号" in CP932 as the first two names.
  std::string kokyaku = "\x8C\xDA\x8B\x71", bangou = "\x94\xD4\x8D\x86";
  std::string flf = Define({I("01", kokyaku, "G", "0", "0"), I("05", bangou, "X", "3", "0"),
                            I("05", "T", "G", "0", "3", "3"), I("10", "B", "9", "2", "3"),
                            I("10", "C", "X", "1", "5"), I("05", "D", "P", "3.1", "12")});
  Output r = Qeldef(flf, "C.UTF-8");
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out,
            "organisation\tS\n"
            "record format\tFB\n"
            "record length\t15\n"
            "1\t1\t顧客\t4\t15\t0\t0\t0\t0\n"
            "2\t2\t番号\t1\t3\t3\t0\t0\t0\n"
            "3\t2\tT\t4\t3\t0\t0\t1\t3\n"
            "4\t3\tB\t9\t2\t2\t0\t0\t3\n"
            "5\t3\tC\t1\t1\t1\t0\t0\t5\n"
            "6\t2\tT\t4\t3\t0\t0\t2\t6\n"
            "7\t3\tB\t9\t2\t2\t0\t0\t6\n"
            "8\t3\tC\t1\t1\t1\t0\t0\t8\n"
            "9\t2\tT\t4\t3\t0\t0\t3\t9\n"
            "10\t3\tB\t9\t2\t2\t0\t0\t9\n"
            "11\t3\tC\t1\t1\t1\t0\t0\t11\n"
            "12\t2\tD\t6\t3\t3\t1\t0\t12\n");
  // Outside a UTF-8 console the names are the definition's own bytes.
  Output raw = Qeldef(flf, "C");
  EXPECT_NE(raw.out.find("1\t1\t" + kokyaku + "\t4\t15\t"), std::string::npos);
}

TEST_F(QeldefTest, BadDefinitionPrintsItsMessageAndExits1) {
  std::string flf = Define({I("01", "R", "G", "0", "0"), I("01", "S", "G", "0", "0")});
  Output r = Qeldef(flf, "C.UTF-8");
  EXPECT_EQ(r.exit_code, 1);
  std::string path = flf.substr(1, flf.size() - 2);
  EXPECT_EQ(r.out, "KRAC2518-S " + path + " レコード定義ファイルは扱えません。\n");
  Output missing = Qeldef("'" + dir_.path() + "/NONE.FLF'", "C.UTF-8");
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_EQ(missing.out, "KRAC3510-E " + dir_.path() +
                             "/NONE.FLF ファイル定義ファイルが見つかりません。\n"
                             "正しいパスとファイル名を入力してください。\n");
  Output usage = Qeldef("", "C.UTF-8");
  EXPECT_EQ(usage.exit_code, 1);
}

TEST_F(QeldefTest, IndexedRecordOfTheLargestLengthAndOneByteMore) {
  std::vector<Item> big = {I("05", "A", "X", "32760", "0"), I("05", "B", "X", "32743", "32760")};
  Output ok = Qeldef(Define(big, "VK"), "C.UTF-8");
  EXPECT_EQ(ok.exit_code, 0);
  EXPECT_NE(ok.out.find("record length\t65503\n"), std::string::npos);
  big[1].dale = "32744";
  Output too_long = Qeldef(Define(big, "VK"), "C.UTF-8");
  EXPECT_EQ(too_long.exit_code, 1);
  EXPECT_NE(too_long.out.find("KRAC2517-S "), std::string::npos);
}

}  // namespace
}  // namespace qel::recacc
