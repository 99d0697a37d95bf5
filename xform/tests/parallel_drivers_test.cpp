// The conversions give what one thread gives at any number of threads:
// inputs of many blocks with a failing record in the first, a middle and
// the last block, run at 1, 2 and 7 threads, must end with the same result,
// the same messages and the same output bytes.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cctype>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "xform/conversion_drivers.h"
#include "xform/tests/xform_fixture.h"

namespace qel::xform {
namespace {

using test::Table;
using test::Workspace;

constexpr int kRecords = 80000;  // about five blocks of records, twelve of CSV lines

std::string Records() {
  std::string data;
  data.reserve(kRecords * 18);
  for (int n = 0; n < kRecords; ++n) {
    char code[5];
    std::snprintf(code, sizeof code, "%04d", n % 10000);
    data += code;
    data += test::Sjis(n % 2 ? "東京" : "大阪");
    data += static_cast<char>(0x10 + n % 9);
    data += static_cast<char>(0x23);
    data += static_cast<char>(n % 3 ? 0x4C : 0x4D);
    char qty[6];
    std::snprintf(qty, sizeof qty, "%04d%c", n % 10000, n % 2 ? '+' : '-');
    data += qty;
    data += static_cast<char>((n % 10000) & 0xFF);
    data += static_cast<char>((n % 10000) >> 8);
  }
  return data;
}

// Record numbers (1-based) of the failures: first, middle and last block.
const int kFailures[] = {7, kRecords / 2 + 3, kRecords - 2};

// What one run gives: the driver's result, its message lines and the output.
struct Outcome {
  int result;
  std::string messages;
  std::string output;
  bool operator==(const Outcome&) const = default;
};

class Parallel : public ::testing::Test {
 protected:
  void TearDown() override { unsetenv("QEL_THREADS"); }

  // Runs `convert` at 1, 2 and 7 threads and checks that every run gives
  // the outcome of the first; returns that outcome.
  Outcome Same(const std::string& output, const std::function<int()>& convert) {
    Outcome first;
    for (const char* threads : {"1", "2", "7"}) {
      setenv("QEL_THREADS", threads, 1);
      std::remove(ws_.Path("qelxform.LOG").c_str());
      Outcome o{convert(), Messages(ws_.Log()), ws_.Read(output)};
      if (threads[0] == '1') {
        first = o;
      } else {
        EXPECT_EQ(o.result, first.result) << threads << " threads";
        EXPECT_EQ(o.messages, first.messages) << threads << " threads";
        EXPECT_TRUE(o.output == first.output) << threads << " threads: outputs differ";
      }
    }
    return first;
  }

  // The messages of a run's log: everything after the first message
  // number, without the time stamps.
  static std::string Messages(const std::string& log) {
    std::string text;
    std::size_t at = log.find("KXFM27");
    if (at == std::string::npos) return text;
    while (at < log.size()) {
      std::size_t end = log.find('\n', at);
      if (end == std::string::npos) end = log.size();
      std::string line = log.substr(at, end - at);
      // "2026/12/09 01:43:46 KXFM..." loses its stamp.
      if (line.size() > 20 && line[4] == '/' && line[7] == '/') line.erase(0, 20);
      text += line + "\n";
      at = end + 1;
    }
    return text;
  }

  Workspace ws_;
  std::string def_ = ws_.Definition("SALES", test::SalesItems());
};

TEST_F(Parallel, FixedToCsvAndBackAreTheSameAtEveryThreadCount) {
  const std::string data = Records();
  ws_.Write("IN.DAT", data);
  KXFMTbl sc = Table(ws_.Path("IN.DAT"), ws_.Path("OUT.CSV"), def_);
  sc.Title = 1;
  Outcome clean = Same("OUT.CSV", [&] { return SamToCsv(sc); });
  ASSERT_EQ(clean.result, 0);
  EXPECT_NE(clean.messages.find("変換レコード  80000件"), std::string::npos) << clean.messages;
  const std::string csv = clean.output;

  KXFMTbl cs = Table(ws_.Path("OUT.CSV"), ws_.Path("BACK.DAT"), def_);
  cs.Title = 1;
  Outcome back = Same("BACK.DAT", [&] { return CsvToSam(cs); });
  ASSERT_EQ(back.result, 0);
  EXPECT_TRUE(back.output == data);

  for (int failing : kFailures) {
    SCOPED_TRACE(failing);
    // A packed item with a bad sign nibble.
    std::string bad = data;
    bad[static_cast<std::size_t>(failing - 1) * 18 + 10] = 0x4A;
    ws_.Write("IN.DAT", bad);
    Outcome o = Same("OUT.CSV", [&] { return SamToCsv(sc); });
    EXPECT_EQ(o.result, kDriverFailed);
    EXPECT_NE(o.messages.find("(" + std::to_string(failing) + ",AMOUNT)"), std::string::npos)
        << o.messages;
    // The title and every record before the failing one, nothing after.
    std::size_t lines = 0;
    for (char c : o.output) lines += c == '\n';
    EXPECT_EQ(lines, static_cast<std::size_t>(failing));
    EXPECT_EQ(csv.compare(0, o.output.size(), o.output), 0);

    // A number field that is no number, and a quote inside a bare field
    // (which turns the count of quotes odd for the rest of the file).
    std::size_t line_start = 0;
    for (int k = 0; k < failing; ++k) line_start = csv.find('\n', line_start) + 1;
    std::size_t qty = csv.find(',', csv.find(',', csv.find(',', line_start) + 1) + 1) + 1;
    for (const char* insert : {"x", "1\"2"}) {
      std::string broken = csv;
      broken.insert(qty, insert);
      ws_.Write("BAD.CSV", broken);
      KXFMTbl t = Table(ws_.Path("BAD.CSV"), ws_.Path("BACK.DAT"), def_);
      t.Title = 1;
      Outcome r = Same("BACK.DAT", [&] { return CsvToSam(t); });
      EXPECT_EQ(r.result, kDriverFailed);
      EXPECT_NE(r.messages.find("(" + std::to_string(failing)), std::string::npos) << r.messages;
      EXPECT_EQ(r.output.size(), static_cast<std::size_t>(failing - 1) * 18);
    }
  }
}

TEST_F(Parallel, QuotedFieldsHoldingLineEndsAndUtf8CutNowhereElse) {
  // Character items holding CR LF: the line ends inside quotes are data.
  std::string data = Records();
  for (std::size_t r = 0; r < kRecords; r += 3) {
    data[r * 18 + 1] = '\r';
    data[r * 18 + 2] = '\n';
  }
  ws_.Write("IN.DAT", data);
  KXFMTbl sc = Table(ws_.Path("IN.DAT"), ws_.Path("OUT.CSV"), def_);
  sc.CsvCode = 1;
  ASSERT_EQ(Same("OUT.CSV", [&] { return SamToCsv(sc); }).result, 0);
  KXFMTbl cs = Table(ws_.Path("OUT.CSV"), ws_.Path("BACK.DAT"), def_);
  cs.CsvCode = 1;
  Outcome back = Same("BACK.DAT", [&] { return CsvToSam(cs); });
  ASSERT_EQ(back.result, 0);
  EXPECT_TRUE(back.output == data);

  // A national item whose bytes are no CP932 stops a UTF-8 conversion at
  // its record.
  for (int failing : kFailures) {
    std::string bad = data;
    bad[static_cast<std::size_t>(failing - 1) * 18 + 4] = static_cast<char>(0x85);
    bad[static_cast<std::size_t>(failing - 1) * 18 + 5] = static_cast<char>(0x40);
    ws_.Write("IN.DAT", bad);
    Outcome o = Same("OUT.CSV", [&] { return SamToCsv(sc); });
    EXPECT_EQ(o.result, kDriverFailed);
    EXPECT_NE(o.messages.find("(" + std::to_string(failing) + ",NAME)"), std::string::npos)
        << o.messages;
  }
}

TEST_F(Parallel, TextConversionsAreTheSameAtEveryThreadCount) {
  std::string data = Records();
  // Text-safe bytes, with a NUL ending some lines early.
  for (char& c : data) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = 'x';
  }
  for (std::size_t r = 5; r < kRecords; r += 1000) data[r * 18 + 9] = '\0';
  ws_.Write("IN.DAT", data);
  Outcome st = Same("OUT.TXT", [&] { return SamToTxt(Table(ws_.Path("IN.DAT"), ws_.Path("OUT.TXT"), "", 18)); });
  ASSERT_EQ(st.result, 0);

  // A record cut short at the end.
  ws_.Write("SHORT.DAT", data.substr(0, data.size() - 5));
  Outcome short_end = Same("OUT.TXT", [&] {
    return SamToTxt(Table(ws_.Path("SHORT.DAT"), ws_.Path("OUT.TXT"), "", 18));
  });
  EXPECT_EQ(short_end.result, kDriverFailed);
  EXPECT_NE(short_end.messages.find("KXFM2723"), std::string::npos);

  // Lines longer and shorter than the record, a lone LF, and an end-of-file
  // mark in a middle block: nothing after it is read.
  std::string text = st.output;
  for (int failing : kFailures) {
    std::size_t at = 0;
    for (int k = 0; k < failing; ++k) at = text.find('\n', at) + 1;
    text.insert(at, std::string(70000 + failing, 'L') + "\n" + "short\r\n");
  }
  std::size_t middle = text.size() / 2;
  std::string marked = text;
  marked.insert(text.find('\n', middle) + 1, "tail\x1A" "after the mark\r\n");
  for (const std::string& input : {text, marked}) {
    ws_.Write("IN.TXT", input);
    Outcome ts = Same("OUT.DAT", [&] {
      return TxtToSam(Table(ws_.Path("IN.TXT"), ws_.Path("OUT.DAT"), "", 18));
    });
    EXPECT_EQ(ts.result, 0);
    EXPECT_NE(ts.messages.find("KXFM2715"), std::string::npos) << "the largest cut is reported";
    EXPECT_EQ(ts.output.size() % 18, 0u);
  }
}

TEST_F(Parallel, ALineLongerThanAnyBlockIsReadAsOneStream) {
  // One CSV line of 70 MiB (its extra fields are read and dropped), then
  // ordinary lines.
  std::string csv = "A,,1,1,1";
  csv.reserve(71u << 20);
  while (csv.size() < (70u << 20)) csv += ",\"extra field\"";
  csv += "\r\n";
  for (int n = 0; n < 1000; ++n) csv += "B,,2,3,4\r\n";
  ws_.Write("LONG.CSV", csv);
  Outcome o = Same("OUT.DAT", [&] {
    return CsvToSam(Table(ws_.Path("LONG.CSV"), ws_.Path("OUT.DAT"), def_));
  });
  EXPECT_EQ(o.result, 0);
  EXPECT_EQ(o.output.size(), 1001u * 18);
}

}  // namespace
}  // namespace qel::xform
