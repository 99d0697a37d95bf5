// The revise document on files a COBOL program compiled here wrote: an
// indexed file with its key file, fetched by both keys and run to both
// ends, a record rewritten, one deleted and one added; and the same records
// in a fixed-length sequential file used as a relative file. A second COBOL
// program then reads both files and shows every record.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>
#include <string>
#include <vector>

#include "revise/revise_document.h"
#include "revise/tests/revise_fixture.h"

namespace qel::revise {
namespace {

using test::Answers;
using test::At;

// The COBOL record: CODE X(5), NAME X(6), QTY 9(3), AMT S9(3)V99 COMP-3,
// NOTE X(7).
std::vector<test::Item> Layout() {
  return {At("01", "IT-REC", "G", "0", 0),    At("05", "IT-CODE", "X", "5", 0),
          At("05", "IT-NAME", "X", "6", 5),   At("05", "IT-QTY", "9", "3", 11),
          At("05", "IT-AMT", "P", "3.2", 14), At("05", "IT-NOTE", "X", "7", 17)};
}

class ReviseCobolTest : public testing::Test {
 protected:
  void SetUp() override {
    if (std::system("command -v cobc > /dev/null 2>&1") != 0) GTEST_SKIP() << "cobc not installed";
    ::setenv("TEMP", dir_.path().c_str(), 1);
    ASSERT_TRUE(test::CompileCobol(dir_, "write_items"));
    ASSERT_TRUE(test::CompileCobol(dir_, "read_items"));
    test::RunProgram(dir_, "write_items");
    doc_ = std::make_unique<CQelreviseDoc>();
  }
  int Line(const std::string& name) const {
    std::vector<std::string> lines = doc_->Lines();
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].find(" " + name + " ") != std::string::npos) return static_cast<int>(i);
    }
    return -1;
  }
  std::string Current(const std::string& name) const {
    return doc_->items()[Line(name)].current_text;
  }
  // Fetches with `kind` and `key`; the key the document answers.
  std::string Fetch(int kind, std::string key, int expect = 0) {
    Message m = doc_->Fetch(kind, &key);
    EXPECT_EQ(m.number, expect) << "kind " << kind << " key " << key;
    return key;
  }

  test::TempDir dir_;
  std::unique_ptr<CQelreviseDoc> doc_;
  Answers yes_{kYes};
};

TEST_F(ReviseCobolTest, IndexedAndRelativeFilesChangedByTheDocumentReadBackInCobol) {
  dir_.Write("ITEMS.kdf", "RECSIZE 24\nKEY 0:5:CHAR\nKEY 5:6:CHAR\n");
  FileSettings indexed;
  indexed.data_name = dir_.path() + "/ITEMS.kdf";
  indexed.definition_name = test::WriteDefinitions(dir_, "ITEMS", "VK", Layout());
  ASSERT_TRUE(doc_->Open(indexed, yes_.ask()).ok());

  EXPECT_EQ(Fetch(0, "C0003"), "C0003");
  EXPECT_EQ(Current("IT-NAME"), "FIG   ");
  EXPECT_EQ(Current("IT-QTY"), "33");
  EXPECT_EQ(Current("IT-AMT"), "0.75");
  ASSERT_TRUE(doc_->ChangeKey(2).ok());
  EXPECT_EQ(Fetch(0, "KIWI"), "KIWI");
  EXPECT_EQ(Current("IT-CODE"), "C0004");
  EXPECT_EQ(Fetch(4, ""), "APPLE");
  EXPECT_EQ(Fetch(3, "APPLE", 2692), "APPLE");
  EXPECT_EQ(Fetch(5, ""), "PEAR");
  EXPECT_EQ(Current("IT-AMT"), "-1.75");
  EXPECT_EQ(Fetch(2, "PEAR", 2691), "PEAR");
  EXPECT_EQ(Fetch(3, "PEAR"), "MANGO");
  ASSERT_TRUE(doc_->ChangeKey(1).ok());
  EXPECT_EQ(Fetch(4, ""), "C0001");
  EXPECT_EQ(Fetch(3, "C0001", 2692), "C0001");
  EXPECT_EQ(Fetch(5, ""), "C0005");
  EXPECT_EQ(Fetch(2, "C0005", 2691), "C0005");
  EXPECT_EQ(Fetch(3, "C0005"), "C0004");

  std::string key = Fetch(0, "C0002");
  ASSERT_TRUE(doc_->Commit(Line("IT-QTY"), "99").ok());
  ASSERT_TRUE(doc_->Commit(Line("IT-AMT"), "-12.5").ok());
  ASSERT_EQ(doc_->Register(&key).number, kKvwnRegistered);
  Fetch(0, "C0004");
  ASSERT_TRUE(doc_->Delete(yes_.ask()).ok());

  doc_->SetMode(1);
  ASSERT_TRUE(doc_->CheckValue(Line("IT-NAME"), "BANANA").ok());
  ASSERT_TRUE(doc_->CheckValue(Line("IT-QTY"), "7").ok());
  ASSERT_TRUE(doc_->CheckValue(Line("IT-AMT"), "4.1").ok());
  ASSERT_TRUE(doc_->CheckValue(Line("IT-NOTE"), "revise").ok());
  key = "C0009";
  ASSERT_EQ(doc_->Register(&key).number, kKvwnRegistered);
  ASSERT_TRUE(doc_->Close().ok());

  doc_->SetMode(0);
  FileSettings relative;
  relative.data_name = dir_.path() + "/ITEMS.SEQ";
  relative.definition_name = test::WriteDefinitions(dir_, "SEQ", "S", Layout());
  ASSERT_TRUE(doc_->Open(relative, yes_.ask()).ok());
  EXPECT_EQ(Fetch(1, "1"), "1");
  EXPECT_EQ(Current("IT-CODE"), "C0005");
  EXPECT_EQ(Fetch(3, "1", 2692), "1");
  EXPECT_EQ(Fetch(5, ""), "5");
  EXPECT_EQ(Fetch(2, "5", 2691), "5");
  EXPECT_EQ(Fetch(3, "5"), "4");
  EXPECT_EQ(Fetch(4, ""), "1");
  EXPECT_EQ(Fetch(2, "1"), "2");
  EXPECT_EQ(Current("IT-NAME"), "KIWI  ");
  key = "2";
  ASSERT_TRUE(doc_->Commit(Line("IT-QTY"), "1").ok());
  ASSERT_EQ(doc_->Register(&key).number, kKvwnRegistered);
  doc_->SetMode(1);
  EXPECT_EQ(doc_->key_field(), "6");
  ASSERT_TRUE(doc_->CheckValue(Line("IT-CODE"), "C0010").ok());
  ASSERT_TRUE(doc_->CheckValue(Line("IT-NAME"), "PLUM").ok());
  key = doc_->key_field();
  ASSERT_EQ(doc_->Register(&key).number, kKvwnRegistered);
  EXPECT_EQ(key, "7");
  ASSERT_TRUE(doc_->Close().ok());

  EXPECT_EQ(test::RunProgram(dir_, "read_items"), test::kRoundTripShown);
}

}  // namespace
}  // namespace qel::revise
