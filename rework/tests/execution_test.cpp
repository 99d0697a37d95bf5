// The run loop spread over threads: a run on 2 or 7 threads must be the run
// on one thread in every observable respect (console message, exit status,
// output bytes, logs), a failing record wherever it lies; and a cancel
// stops a run on any number of threads with an output that holds exactly
// the records it counts.
#include "rework/execution.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/ui_hooks.h"
#include "rework/batch_report.h"
#include "rework/edit_engine.h"
#include "rework/procedure_file.h"
#include "rework/tests/rework_fixture.h"
#include "rework/zovoz_document.h"

namespace qel::rework {
namespace {

using test::Field;

constexpr int kRecords = 12000;  // about a dozen blocks of 400-byte records
constexpr std::size_t kInLength = 400;
constexpr std::size_t kOutLength = 110;

using test::Packed;

// What a run leaves behind that a user or a later program can see.
struct Outcome {
  int exit_status = -1;
  std::string console, output, edit_log, selection_log, messages;
};

// The log images hold addresses of this process's memory, and the selection
// log a time stamp: those bytes are left out of the comparison.
std::string MaskRecords(std::string log, std::initializer_list<std::pair<int, int>> fields,
                        bool first_too) {
  for (std::size_t r = first_too ? 0 : 128; r + 128 <= log.size(); r += 128) {
    for (auto [offset, size] : fields) log.replace(r + offset, size, size, '\0');
  }
  return log;
}

// The message lines of the RWORK log without their time stamps.
std::string MessageLines(const std::string& log) {
  std::string lines;
  std::size_t at = 0;
  while (at < log.size()) {
    std::size_t end = log.find('\n', at);
    if (end == std::string::npos) end = log.size();
    if (end - at > 20 && log[at + 20] == 'K') lines += log.substr(at + 20, end - at - 20) + "\n";
    at = end + 1;
  }
  return lines;
}

class ReworkThreadsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    in_def_ = test::WriteDefinition(dir_, "IN",
                                    {{"01", "IN-REC", "G", "0", 0},
                                     {"05", "CODE", "X", "3", 0},
                                     {"05", "AMOUNT", "P", "5", 3},
                                     {"05", "NAME", "X", "4", 6},
                                     {"05", "REST", "X", "390", 10}});
    out_def_ = test::WriteDefinition(dir_, "OUT",
                                     {{"01", "OUT-REC", "G", "0", 0},
                                      {"05", "AMOUNT", "9", "6", 0},
                                      {"05", "CODE", "X", "3", 6},
                                      {"05", "FLAG", "X", "1", 9},
                                      {"05", "REST", "X", "100", 10}});
    in_data_ = dir_.path() + "/IN.DAT";
    out_data_ = dir_.path() + "/OUT.DAT";
  }

  // Records 1, 2, 3, ...: about one in three is selected by Selection();
  // record 1 is not, so the first edit comes after the first selection.
  static std::string Records() {
    const char* codes[] = {"B01", "A01", "A02", "C00", "A01", "A03", "A02"};
    std::string data;
    data.reserve(kRecords * kInLength);
    for (int i = 0; i < kRecords; ++i) {
      std::string record =
          codes[i % 7] + Packed((i * 7919) % 100000 - 30000) + std::to_string(i % 10000);
      record.resize(kInLength, static_cast<char>('a' + i % 26));
      data += record;
    }
    return data;
  }

  std::string Selection() const {
    return "SEL;\nKEY=IN-REC.CODE;\nJUDGE==;\nCOMP=\"\"A01;\nCOMP=\"\"A02;\nSEL_END;\n"
           "SEL;\nKEY=IN-REC.AMOUNT;\nJUDGE=>=;\nCOMP=\"\"-1000;\nSEL_END;\n";
  }
  std::string Edits() const {
    return "EDIT;\nINITEM=IN-REC.CODE;\nOUTITEM=OUT-REC.CODE;\nEDIT_END;\n"
           "EDIT;\nINITEM=IN-REC.AMOUNT;\nOUTITEM=OUT-REC.AMOUNT;\nEDIT_END;\n"
           "EDIT;\nINITEM=\"\"Y;\nOUTITEM=OUT-REC.FLAG;\nEDIT_END;\n"
           "EDIT;\nINITEM=IN-REC.REST;\nOUTITEM=OUT-REC.REST;\nEDIT_END;\n";
  }
  std::string WriteProcedure(const std::string& blocks, const std::string& selorder) {
    return dir_.Write(
        "P.rwp", test::Procedure(test::CommonBlock(in_data_, in_def_, out_data_, out_def_,
                                                   "ENDIAN=LITTLE;\nBLANK=FALSE;\nED=APPOINT;\n"
                                                   "COPY=NO;\n",
                                                   selorder) +
                                 blocks));
  }

  Outcome Run(const std::string& procedure, int threads) {
    std::remove(out_data_.c_str());
    Outcome o;
    o.exit_status = test::RunCommand(
        "cd '" + dir_.path() + "' && QEL_THREADS=" + std::to_string(threads) + " TEMP='" +
            dir_.path() + "' LC_ALL=C '" + test::BatchProgram() + "' '" + procedure + "'",
        &o.console);
    o.output = test::ReadAll(out_data_);
    o.edit_log = MaskRecords(test::ReadAll(dir_.path() + "/KRMVINF.LOG"),
                             {{0, 4}, {60, 4}, {104, 4}}, false);
    o.selection_log =
        MaskRecords(MaskRecords(test::ReadAll(dir_.path() + "/KRSCLOG.LOG"), {{0, 19}}, true),
                    {{8, 4}, {24, 8}}, false);
    o.messages = MessageLines(test::ReadAll(dir_.path() + "/RWORK.LOG"));
    return o;
  }

  // Runs on 1, 2 and 7 threads; the run on one thread, after checking that
  // the others are the same.
  Outcome RunEverywhere(const std::string& procedure) {
    Outcome one = Run(procedure, 1);
    for (int threads : {2, 7}) {
      SCOPED_TRACE("threads " + std::to_string(threads));
      Outcome many = Run(procedure, threads);
      EXPECT_EQ(many.exit_status, one.exit_status);
      EXPECT_EQ(many.console, one.console);
      EXPECT_TRUE(many.output == one.output)
          << "outputs of " << many.output.size() << " and " << one.output.size() << " bytes differ";
      EXPECT_EQ(many.edit_log, one.edit_log);
      EXPECT_EQ(many.selection_log, one.selection_log);
      EXPECT_EQ(many.messages, one.messages);
    }
    return one;
  }

  test::TempDir dir_;
  std::string in_def_, out_def_, in_data_, out_data_;
};

TEST_F(ReworkThreadsTest, ACleanRunIsTheSameOnEveryThreadCount) {
  std::string data = Records();
  dir_.Write("IN.DAT", data);
  Outcome one = RunEverywhere(WriteProcedure(Selection() + Edits(), "1A2"));
  ASSERT_EQ(one.exit_status, 0) << one.console;
  std::size_t written = one.output.size() / kOutLength;
  EXPECT_EQ(one.output.size() % kOutLength, 0u);
  EXPECT_GT(written, kRecords / 5u);
  EXPECT_LT(written, kRecords / 2u);
  EXPECT_NE(one.console.find(std::to_string(kRecords)), std::string::npos) << one.console;
  EXPECT_NE(one.console.find(std::to_string(written)), std::string::npos) << one.console;
  EXPECT_EQ(one.edit_log.size(), 128u * 5);  // the header and the four moves
  EXPECT_EQ(one.selection_log.size(), 128u * 6);
  // The first selected record (record 2) is the first one written.
  EXPECT_EQ(one.output.substr(6, 4), "A01Y");
}

TEST_F(ReworkThreadsTest, InvalidDataMetByAMoveIsTheSameOnEveryThreadCount) {
  // Records 1 (the first record edited, in the first block), 6000 (a middle
  // block) and 11990 (the last block).
  for (int record : {1, 6000, 11990}) {
    SCOPED_TRACE("record " + std::to_string(record));
    std::string data = Records();
    data[(record - 1) * kInLength + 4] = '\xaa';  // a digit nibble above 9
    dir_.Write("IN.DAT", data);
    Outcome one = RunEverywhere(WriteProcedure(Edits(), ""));
    EXPECT_EQ(one.exit_status, 1);
    EXPECT_EQ(one.console.rfind("KRMV2360-E ", 0), 0u) << one.console;
    EXPECT_NE(one.console.find("\n" + std::to_string(record) + " IN-REC.AMOUNT\n"),
              std::string::npos)
        << one.console;
    EXPECT_EQ(one.output.size(), (record - 1) * kOutLength);
    // The moves are logged for the first record up to the failing one.
    EXPECT_EQ(one.edit_log.size(), 128u * (record == 1 ? 3 : 5));
  }
}

TEST_F(ReworkThreadsTest, AnInvalidSelectionKeyIsTheSameOnEveryThreadCount) {
  for (int record : {3, 6000, 11990}) {
    SCOPED_TRACE("record " + std::to_string(record));
    std::string data = Records();
    std::size_t at = (record - 1) * kInLength;
    data.replace(at, 3, "A01");  // so that the key AMOUNT is looked at
    data[at + 5] = '\x1f';       // sign nibble F in a signed packed item
    dir_.Write("IN.DAT", data);
    Outcome one = RunEverywhere(WriteProcedure(Selection() + Edits(), "1A2"));
    EXPECT_EQ(one.exit_status, 1);
    EXPECT_EQ(one.console.rfind("KRSC2235-E ", 0), 0u) << one.console;
    EXPECT_NE(one.console.find("\n" + std::to_string(record) + " IN-REC.AMOUNT\n"),
              std::string::npos)
        << one.console;
    EXPECT_EQ(one.output.size() % kOutLength, 0u);
    EXPECT_EQ(one.selection_log.size(), 128u * 6);
  }
}

// Blocks are read past the record-access library; a short last record is
// still its failure, reported as ever, after every record before it.
TEST_F(ReworkThreadsTest, AShortLastRecordIsTheSameOnEveryThreadCount) {
  dir_.Write("IN.DAT", Records() + std::string(150, 'x'));
  Outcome one = RunEverywhere(WriteProcedure(Selection() + Edits(), "1A2"));
  EXPECT_EQ(one.exit_status, 1);
  EXPECT_EQ(one.console.rfind("KRAC2617-S " + in_data_ + " ", 0), 0u) << one.console;
  dir_.Write("IN.DAT", Records());
  EXPECT_EQ(Run(WriteProcedure(Selection() + Edits(), "1A2"), 1).output, one.output);
}

// Cancels the run at the third block (the loop offers the window program a
// message dispatch once per block).
CKREXDoc* g_run = nullptr;
int g_pumps = 0;
void CancelAtThirdBlock() {
  if (++g_pumps == 3) g_run->RequestCancel();
}

TEST_F(ReworkThreadsTest, ACancelStopsTheRunWithTheRecordsItCounts) {
  dir_.Write("IN.DAT", Records());
  std::string procedure = WriteProcedure(Selection() + Edits(), "1A2");
  std::string clean = Run(procedure, 1).output;
  ASSERT_EQ(::setenv("TEMP", dir_.path().c_str(), 1), 0);
  for (const char* threads : {"1", "2", "7"}) {
    SCOPED_TRACE(std::string("threads ") + threads);
    ASSERT_EQ(::setenv("QEL_THREADS", threads, 1), 0);
    std::remove(out_data_.c_str());
    CZovozDoc doc;
    doc.settings.form_from_file = true;
    doc.run_phase = 0;
    CKRPFDoc reader(&doc);
    ASSERT_EQ(reader.Run(kModeReadCommon, procedure), 0);
    ASSERT_EQ(reader.Run(kModeReadBlocks, procedure), 0);
    doc.CheckSelection();
    CKRMVDoc engine(&doc);
    ASSERT_EQ(engine.CheckEdits(), 0);
    ASSERT_TRUE(doc.Runnable());
    CKREXDoc run(&doc, &engine);
    doc.run_phase = 2;
    g_run = &run;
    g_pumps = 0;
    platform::SetMessagePump(CancelAtThirdBlock);
    int result = run.Run();
    platform::SetMessagePump(nullptr);
    EXPECT_EQ(result, kRunCancelled);
    EXPECT_LT(run.records_read(), kRecords);
    EXPECT_EQ(doc.CloseFiles(), 0u);
    std::string output = test::ReadAll(out_data_);
    EXPECT_EQ(output.size(), static_cast<std::size_t>(run.records_written()) * kOutLength);
    EXPECT_EQ(output, clean.substr(0, output.size()));
  }
  ::unsetenv("QEL_THREADS");
}

}  // namespace
}  // namespace qel::rework
