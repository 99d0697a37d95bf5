// Item encodings against a COBOL program compiled here: every numeric usage
// and SIGN form the compiler writes decodes to the expected texts and
// re-encodes to the same bytes, and values encoded here are read back by the
// COBOL program, which prints them and computes with them.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "codec/item_codec.h"

namespace qel::codec {
namespace {

const char kProgram[] = R"(       IDENTIFICATION DIVISION.
       PROGRAM-ID. ITEMS.
       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT OUT-FILE ASSIGN TO "cobol.dat"
               ORGANIZATION IS SEQUENTIAL.
           SELECT IN-FILE ASSIGN TO "ours.dat"
               ORGANIZATION IS SEQUENTIAL.
       DATA DIVISION.
       FILE SECTION.
       FD  OUT-FILE.
       01  OUT-REC      PIC X(46).
       FD  IN-FILE.
       01  IN-REC       PIC X(46).
       WORKING-STORAGE SECTION.
       01  W-REC.
           05 W-PK  PIC S9(5)V99 COMP-3 VALUE -123.45.
           05 W-PU  PIC 9(5) COMP-3 VALUE 12345.
           05 W-BB  PIC S9(3) COMP VALUE -123.
           05 W-BL  PIC S9(7)V99 COMP-5 VALUE -1234567.89.
           05 W-BU  PIC 9(4) COMP VALUE 9999.
           05 W-ZT  PIC S9(3)V9 VALUE -12.5.
           05 W-ZL  PIC S9(3) SIGN LEADING VALUE -125.
           05 W-ZLS PIC S9(3) SIGN LEADING SEPARATE VALUE -5.
           05 W-ZTS PIC S9(2)V99 SIGN TRAILING SEPARATE VALUE -3.25.
           05 W-ZU  PIC 9(3)V99 VALUE 1.5.
           05 W-ZP  PIC S9(3) VALUE 42.
           05 W-PZ  PIC S9(3) COMP-3 VALUE 0.
           05 W-X   PIC X(5) VALUE "AB".
       PROCEDURE DIVISION.
           OPEN OUTPUT OUT-FILE.
           WRITE OUT-REC FROM W-REC.
           CLOSE OUT-FILE.
           OPEN INPUT IN-FILE.
           READ IN-FILE INTO W-REC.
           CLOSE IN-FILE.
           DISPLAY W-PK "|" W-PU "|" W-BB "|" W-BL "|" W-BU.
           DISPLAY W-ZT "|" W-ZL "|" W-ZLS "|" W-ZTS "|" W-ZU.
           DISPLAY W-ZP "|" W-PZ "|" W-X "|".
           COMPUTE W-PK = W-PK + W-BB + W-BL + W-ZT + W-ZL + W-ZLS
                        + W-ZTS + W-ZU + W-ZP + W-PZ + W-PU + W-BU.
           DISPLAY W-PK.
           STOP RUN.
)";

struct Field {
  ItemFormat format;
  const char* cobol_text;  // the value the program's VALUE clause gives
  const char* our_text;    // the value written here for the program to read
};

ItemFormat Item(int attribute, int integer_digits, int fraction_digits, int sign = 0) {
  ItemFormat f;
  f.attribute = attribute;
  f.integer_digits = integer_digits;
  f.fraction_digits = fraction_digits;
  f.sign = sign;
  f.byte_length = NumericByteLength(f);
  return f;
}

std::vector<Field> Layout() {
  ItemFormat text;
  text.attribute = kAlphanumeric;
  text.byte_length = 5;
  return {
      {Item(kSignedPacked, 5, 2), "-123.45", "99.01"},
      {Item(kUnsignedPacked, 5, 0), "12345", "7"},
      {Item(kSignedBinary, 3, 0), "-123", "321"},
      {Item(kSignedBinary, 7, 2), "-1234567.89", "1.23"},  // native order
      {Item(kUnsignedBinary, 4, 0), "9999", "10"},
      {Item(kSignedZoned, 3, 1, kSignTrailingEmbedded), "-12.5", "-.5"},
      {Item(kSignedZoned, 3, 0, kSignLeadingEmbedded), "-125", "7"},
      {Item(kSignedZoned, 3, 0, kSignLeadingSeparate), "-5", "12"},
      {Item(kSignedZoned, 2, 2, kSignTrailingSeparate), "-3.25", ".75"},
      {Item(kUnsignedZoned, 3, 2), "1.50", "999.99"},
      {Item(kSignedZoned, 3, 0, kSignTrailingEmbedded), "42", "-42"},
      {Item(kSignedPacked, 3, 0), "0", "-3"},
      {text, "AB   ", "HELLO"},
  };
}

// COMP items are high-order byte first, COMP-5 items in the machine's order.
CodecOptions OptionsFor(std::size_t index) {
  CodecOptions o;
  o.big_endian = index != 3;
  return o;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class CobolInteropTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/codec-cobol-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  std::filesystem::path dir_;
};

TEST_F(CobolInteropTest, EveryUsageCrossesBothWays) {
  if (std::system("command -v cobc > /dev/null 2>&1") != 0) GTEST_SKIP() << "cobc not installed";
  std::vector<Field> layout = Layout();
  std::vector<std::uint8_t> ours;
  for (std::size_t i = 0; i < layout.size(); ++i) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(layout[i].format.byte_length));
    ASSERT_EQ(TextToItem(layout[i].format, layout[i].our_text, OptionsFor(i), bytes), Status::kOk);
    ours.insert(ours.end(), bytes.begin(), bytes.end());
  }
  ASSERT_EQ(ours.size(), 46u);
  std::ofstream(dir_ / "ours.dat", std::ios::binary)
      .write(reinterpret_cast<const char*>(ours.data()), static_cast<std::streamsize>(ours.size()));
  std::ofstream(dir_ / "items.cob") << kProgram;

  std::string cmd = "cd '" + dir_.string() + "' && cobc -x -o items items.cob > build.log 2>&1" +
                    " && ./items > run.out 2> run.err";
  ASSERT_EQ(std::system(cmd.c_str()), 0)
      << ReadFile(dir_ / "build.log") << ReadFile(dir_ / "run.err");

  // What the program wrote from its VALUE clauses.
  std::string record = ReadFile(dir_ / "cobol.dat");
  ASSERT_EQ(record.size(), 46u);
  std::size_t offset = 0;
  for (std::size_t i = 0; i < layout.size(); ++i) {
    const ItemFormat& f = layout[i].format;
    auto bytes =
        std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(record.data()) + offset,
                                      static_cast<std::size_t>(f.byte_length));
    char text[kMaxNumberTextLength];
    std::size_t length = 0;
    ASSERT_EQ(ItemToText(f, bytes, OptionsFor(i), TextStyle::kField, text, &length), Status::kOk)
        << "item " << i;
    EXPECT_EQ(std::string(text, length), layout[i].cobol_text) << "item " << i;
    std::vector<std::uint8_t> again(bytes.size());
    ASSERT_EQ(TextToItem(f, std::string_view(text, length), OptionsFor(i), again), Status::kOk);
    EXPECT_TRUE(std::equal(again.begin(), again.end(), bytes.begin())) << "item " << i;
    offset += bytes.size();
  }

  // What the program made of the values written here: its DISPLAY forms
  // (a COMP-5 item is shown without its point) and the sum, which proves
  // every scale and sign was read as meant.
  EXPECT_EQ(ReadFile(dir_ / "run.out"),
            "+00099.01|00007|+321|+0000000123|0010\n"
            "-000.5|+007|+012|00.75+|999.99\n"
            "-042|-003|HELLO|\n"
            "+01412.48\n");
}

}  // namespace
}  // namespace qel::codec
