// Fixed- and variable-length sequential files: block straddling, header
// checks, parameter checks, exclusive opens and the error mapping.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/system_error.h"
#include "xformio/tests/test_dir.h"
#include "xformio/error_map.h"
#include "xformio/qelxformio.h"

namespace qel::xformio {
namespace {

using testing::ReadBytes;
using testing::TestDir;
using testing::WriteBytes;

std::string Le32(uint32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (8 * i));
  return s;
}

std::string Header(uint32_t min, uint32_t max) {
  std::string h(128, '\0');
  h.replace(8, 6, "FSV   ");
  h.replace(64, 4, Le32(max));
  h.replace(68, 4, Le32(min));
  return h;
}

std::string VarRecord(const std::string& data) { return Le32(uint32_t(data.size())) + data; }

class SequentialTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (ctl_ != nullptr) IsuSamTFree(ctl_);
    if (handle_ >= 0) IsuSamClose(handle_);
  }

  // Opens `bytes` as an input file with a control block of `blksize`.
  void OpenInput(const std::string& bytes, uint16_t blksize) {
    WriteBytes(path_, bytes);
    if (ctl_ != nullptr) IsuSamTFree(ctl_);
    ctl_ = nullptr;
    ASSERT_EQ(IsuSamOpen(path_.c_str(), 0, 438, 0, &handle_), 0);
    ASSERT_EQ(KVIsuShareCBL(handle_), 0);
    ASSERT_EQ(IsuSamTAlloc(&ctl_, blksize), 0);
  }
  void OpenOutput(uint16_t blksize) {
    ASSERT_EQ(IsuSamOpen(path_.c_str(), 0x0301, 438, 0, &handle_), 0);
    ASSERT_EQ(KVIsuExclCBL(handle_), 0);
    ASSERT_EQ(IsuSamTAlloc(&ctl_, blksize), 0);
  }
  void Close() {
    ASSERT_EQ(IsuSamClose(handle_), 0);
    handle_ = -1;
  }
  // Reads every record until end of file or failure; returns the last result.
  int ReadAll(std::vector<std::string>* records) {
    uint16_t len = 0;
    int r;
    while ((r = IsuSamGet(ctl_, &len)) == 0) {
      records->emplace_back(reinterpret_cast<char*>(record_), len);
    }
    return r;
  }

  TestDir dir_;
  std::string path_ = dir_.File("DATA.DAT");
  QelFileHandle handle_ = -1;
  IsuSamCtl* ctl_ = nullptr;
  unsigned char record_[512] = {};
};

TEST_F(SequentialTest, AllocPlacesBlockBufferAfterControlBlock) {
  ASSERT_EQ(IsuSamTAlloc(&ctl_, 8192), 0);
  EXPECT_EQ(ctl_->blkbuf, reinterpret_cast<unsigned char*>(ctl_ + 1));
  EXPECT_EQ(ctl_->blksize, 8192);
  IsuSamSetF(ctl_, 5, record_, 100, 50);
  EXPECT_EQ(ctl_->access, 3);
  EXPECT_EQ(ctl_->split, '0');
  EXPECT_EQ(ctl_->blksize, 8192);
  EXPECT_EQ(ctl_->blkbuf, reinterpret_cast<unsigned char*>(ctl_ + 1));
}

TEST_F(SequentialTest, EmptyFixedFileIsEndOfFileAtOnce) {
  OpenInput("", 16);
  IsuSamSetF(ctl_, handle_, record_, sizeof record_, 10);
  uint16_t len = 0;
  EXPECT_EQ(IsuSamGet(ctl_, &len), 1);
  EXPECT_EQ(IsuSamGet(ctl_, &len), 1);
}

TEST_F(SequentialTest, FixedRecordsStraddlingBlocksAreDeliveredWhole) {
  std::string data;
  for (int i = 0; i < 7; ++i) data += std::string(10, char('a' + i));
  OpenInput(data, 16);  // 16 is no multiple of 10: most records straddle
  IsuSamSetF(ctl_, handle_, record_, sizeof record_, 10);
  std::vector<std::string> records;
  EXPECT_EQ(ReadAll(&records), 1);
  ASSERT_EQ(records.size(), 7u);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(records[i], std::string(10, char('a' + i)));
}

TEST_F(SequentialTest, IncompleteLastFixedRecordIsStatus2) {
  OpenInput(std::string(25, 'x'), 16);
  IsuSamSetF(ctl_, handle_, record_, sizeof record_, 10);
  std::vector<std::string> records;
  EXPECT_EQ(ReadAll(&records), -1);
  EXPECT_EQ(records.size(), 2u);
  EXPECT_EQ(IsuSamRefStat(ctl_), ISUSAM_ST_RECLEN);
  char text[10];
  EXPECT_EQ(KVsamerr(IsuSamRefStat(ctl_), text, 2), -2617);
}

TEST_F(SequentialTest, FixedReadOfVariableFileIsStatus3) {
  OpenInput(Header(1, 10) + VarRecord("abc"), 256);
  IsuSamSetF(ctl_, handle_, record_, sizeof record_, 10);
  uint16_t len;
  EXPECT_EQ(IsuSamGet(ctl_, &len), -1);
  EXPECT_EQ(IsuSamRefStat(ctl_), ISUSAM_ST_KIND);
  char text[10];
  EXPECT_EQ(KVsamerr(ISUSAM_ST_KIND, text, 2), -2613);
}

TEST_F(SequentialTest, FixedWritesThatFillABlockAreWrittenAtOnce) {
  OpenOutput(20);
  IsuSamSetF(ctl_, handle_, record_, sizeof record_, 10);
  std::memset(record_, 'A', 10);
  ASSERT_EQ(IsuSamPut(ctl_, 0), 0);
  EXPECT_EQ(ReadBytes(path_).size(), 0u);
  std::memset(record_, 'B', 10);
  ASSERT_EQ(IsuSamPut(ctl_, 0), 0);
  EXPECT_EQ(ReadBytes(path_), std::string(10, 'A') + std::string(10, 'B'));
  EXPECT_EQ(ctl_->blkoff, 0);
  ASSERT_EQ(IsuSamFlush(ctl_), 0);
  std::memset(record_, 'C', 10);
  ASSERT_EQ(IsuSamPut(ctl_, 0), 0);
  ASSERT_EQ(IsuSamFlush(ctl_), 0);
  Close();
  EXPECT_EQ(ReadBytes(path_), std::string(10, 'A') + std::string(10, 'B') + std::string(10, 'C'));
}

// Fixed (recfm 1) or variable set-up with lengths and sizes that the first
// transfer must refuse with status 99.
struct BadParams {
  const char* name;
  int recfm;
  uint16_t blksize, recbufsize, reclen_or_min, max;
};

class BadParamsTest : public SequentialTest, public ::testing::WithParamInterface<BadParams> {
 protected:
  void SetUpCtl() {
    const BadParams& p = GetParam();
    if (p.recfm == 1) {
      IsuSamSetF(ctl_, handle_, record_, p.recbufsize, p.reclen_or_min);
    } else {
      IsuSamSetV(ctl_, handle_, record_, p.recbufsize, p.reclen_or_min, p.max);
    }
  }
};

TEST_P(BadParamsTest, FirstGetAndFirstPutRefuseWithStatus99) {
  OpenInput(Header(1, 4) + VarRecord("ab"), GetParam().blksize);
  SetUpCtl();
  uint16_t len;
  EXPECT_EQ(IsuSamGet(ctl_, &len), -1);
  EXPECT_EQ(IsuSamRefStat(ctl_), ISUSAM_ST_PARAM);
  SetUpCtl();
  EXPECT_EQ(IsuSamRefStat(ctl_), 0);  // a set-up clears the status
  EXPECT_EQ(IsuSamPut(ctl_, 2), -1);
  EXPECT_EQ(IsuSamRefStat(ctl_), ISUSAM_ST_PARAM);
  // Nothing was reported as a system error behind the refusal.
  char text[10];
  EXPECT_EQ(KVsamerr(ISUSAM_ST_PARAM, text, 2), -3622);
  EXPECT_STREQ(text, "87");
}

INSTANTIATE_TEST_SUITE_P(
    Sequential, BadParamsTest,
    ::testing::Values(BadParams{"FixedZeroLength", 1, 64, 64, 0, 0},
                      BadParams{"FixedLongerThanBlock", 1, 16, 64, 17, 0},
                      BadParams{"FixedLongerThanBuffer", 1, 64, 8, 9, 0},
                      BadParams{"VarMaxOverBlock", 0, 16, 64, 1, 17},
                      BadParams{"VarMaxOverBuffer", 0, 64, 8, 1, 9},
                      BadParams{"VarMinOverMax", 0, 64, 64, 5, 4},
                      BadParams{"VarZeroMin", 0, 64, 64, 0, 4},
                      BadParams{"VarZeroMax", 0, 64, 64, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// The second length word starts 9 bytes into the records; a block of 9 + k
// bytes splits it k + (4 - k).
class SplitLengthWordTest : public SequentialTest, public ::testing::WithParamInterface<int> {};

TEST_P(SplitLengthWordTest, IsReadAcrossTheBlockBoundary) {
  std::string body = VarRecord("12345") + VarRecord("abcdef") + VarRecord("xyz");
  OpenInput(Header(1, 6) + body, uint16_t(9 + GetParam()));
  int32_t kind = -1;
  unsigned char header[128];
  ASSERT_EQ(IsuSamHeadGet(handle_, header, &kind), 0);
  ASSERT_EQ(kind, 0);
  IsuSamSetV(ctl_, handle_, record_, sizeof record_, 1, 6);
  std::vector<std::string> records;
  EXPECT_EQ(ReadAll(&records), 1);
  EXPECT_EQ(records, (std::vector<std::string>{"12345", "abcdef", "xyz"}));
}

INSTANTIATE_TEST_SUITE_P(Sequential, SplitLengthWordTest, ::testing::Values(1, 2, 3));

struct VarCase {
  const char* name;
  std::string body;
  int last_result;  // of the read after the records
  size_t records;
  int status;
};

class VariableReadTest : public SequentialTest, public ::testing::WithParamInterface<VarCase> {};

TEST_P(VariableReadTest, AcceptsLengthsWithinMinMaxOnly) {
  const VarCase& c = GetParam();
  OpenInput(Header(3, 8) + c.body, 16);
  int32_t kind;
  unsigned char header[128];
  ASSERT_EQ(IsuSamHeadGet(handle_, header, &kind), 0);
  IsuSamSetV(ctl_, handle_, record_, sizeof record_, 3, 8);
  std::vector<std::string> records;
  EXPECT_EQ(ReadAll(&records), c.last_result);
  EXPECT_EQ(records.size(), c.records);
  EXPECT_EQ(IsuSamRefStat(ctl_), c.status);
}

INSTANTIATE_TEST_SUITE_P(
    Sequential, VariableReadTest,
    ::testing::Values(
        VarCase{"Empty", "", 1, 0, 0},
        VarCase{"MinAndMax", VarRecord("abc") + VarRecord("12345678"), 1, 2, 0},
        VarCase{"LongerThanMax", VarRecord("abc") + VarRecord("123456789"), -1, 1, 2},
        VarCase{"ShorterThanMin", VarRecord("ab"), -1, 0, 2},
        VarCase{"HighBitsOfWordIgnored", Le32(0x10004) + "abcd", 1, 1, 0},
        VarCase{"EndInsideLengthWord", VarRecord("abc") + Le32(4).substr(0, 2), -1, 1, 2},
        VarCase{"EndInsideData", VarRecord("abc") + Le32(8) + "1234", -1, 1, 2}),
    [](const auto& info) { return std::string(info.param.name); });

struct HeaderCase {
  const char* name;
  std::string bytes;
  int result;
  int kind;
};

class HeadGetTest : public SequentialTest, public ::testing::WithParamInterface<HeaderCase> {};

TEST_P(HeadGetTest, ChecksIdentificationAndLengths) {
  const HeaderCase& c = GetParam();
  OpenInput(c.bytes, 256);
  unsigned char header[128];
  int32_t kind = -1;
  EXPECT_EQ(IsuSamHeadGet(handle_, header, &kind), c.result);
  if (c.result == 0) {
    EXPECT_EQ(kind, c.kind);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sequential, HeadGetTest,
    ::testing::Values(HeaderCase{"Valid", Header(1, 100), 0, 0},
                      HeaderCase{"EqualLengths", Header(7, 7), 0, 0},
                      HeaderCase{"NoIdentification", std::string(200, 'x'), 0, 1},
                      HeaderCase{"EmptyFile", "", -2, 0},
                      HeaderCase{"ShortFile", Header(1, 100).substr(0, 127), -2, 0},
                      HeaderCase{"MaxBelowMin", Header(10, 9), -2, 0},
                      HeaderCase{"ZeroMin", Header(0, 9), -2, 0},
                      HeaderCase{"ZeroMax", Header(0, 0), -2, 0},
                      HeaderCase{"MaxBeyond16Bits", Header(1, 70000), -2, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SequentialTest, FixCallsShortAndPlainFilesFixedAndRefusesVariableOnes) {
  OpenInput("short", 64);
  IsuSamSetF(ctl_, handle_, record_, 5, 5);
  EXPECT_EQ(IsuSamFix(ctl_), 0);
  Close();
  OpenInput(Header(1, 5) + VarRecord("abc"), 64);
  IsuSamSetF(ctl_, handle_, record_, 5, 5);
  EXPECT_EQ(IsuSamFix(ctl_), -1);
  EXPECT_EQ(IsuSamRefStat(ctl_), ISUSAM_ST_KIND);
}

TEST_F(SequentialTest, VariableRoundTripKeepsEveryRecord) {
  OpenOutput(16);
  ASSERT_EQ(IsuSamHeadPut(handle_, 1, 12), 0);
  IsuSamSetV(ctl_, handle_, record_, 12, 1, 12);
  std::vector<std::string> written;
  std::string expected_body;
  for (int i = 0; i < 40; ++i) {
    std::string rec(1 + (i * 7) % 12, char('A' + i % 26));
    std::memcpy(record_, rec.data(), rec.size());
    ASSERT_EQ(IsuSamPut(ctl_, uint16_t(rec.size())), 0);
    written.push_back(rec);
    expected_body += VarRecord(rec);
  }
  ASSERT_EQ(IsuSamFlush(ctl_), 0);
  Close();
  IsuSamTFree(ctl_);
  ctl_ = nullptr;
  EXPECT_EQ(ReadBytes(path_), Header(1, 12) + expected_body);

  ASSERT_EQ(IsuSamOpen(path_.c_str(), 0, 438, 0, &handle_), 0);
  unsigned char header[128];
  int32_t kind = -1;
  ASSERT_EQ(IsuSamHeadGet(handle_, header, &kind), 0);
  EXPECT_EQ(kind, 0);
  ASSERT_EQ(IsuSamTAlloc(&ctl_, 16), 0);
  IsuSamSetV(ctl_, handle_, record_, sizeof record_, 1, 12);
  std::vector<std::string> read;
  EXPECT_EQ(ReadAll(&read), 1);
  EXPECT_EQ(read, written);
}

TEST_F(SequentialTest, HeadPutRefusesInvalidLengths) {
  OpenOutput(16);
  EXPECT_EQ(IsuSamHeadPut(handle_, 0, 5), -2);
  EXPECT_EQ(IsuSamHeadPut(handle_, 6, 5), -2);
  EXPECT_EQ(IsuSamHeadPut(handle_, 1, 0), -2);
  EXPECT_EQ(ReadBytes(path_).size(), 0u);
}

TEST_F(SequentialTest, VariablePutNeverReadsPastTheRecordBuffer) {
  OpenOutput(64);
  IsuSamSetV(ctl_, handle_, record_, 8, 1, 8);
  EXPECT_EQ(IsuSamPut(ctl_, 9), -1);
  EXPECT_EQ(IsuSamRefStat(ctl_), ISUSAM_ST_PARAM);
}

TEST_F(SequentialTest, OpenDispositions) {
  EXPECT_EQ(IsuSamOpen(path_.c_str(), 0, 438, 0, &handle_), -1);
  char text[10];
  EXPECT_EQ(KVsamerr(-1, text, 1), -3610);
  EXPECT_STREQ(text, "");
  ASSERT_EQ(IsuSamOpen(path_.c_str(), 0x0301, 438, 0, &handle_), 0);  // creates
  Close();
  EXPECT_EQ(IsuSamOpen(path_.c_str(), 0x0101, 438, 0, &handle_), -2);
  EXPECT_EQ(QelXfioLastError(), platform::kErrorFileExists);
  WriteBytes(path_, "old contents");
  ASSERT_EQ(IsuSamOpen(path_.c_str(), 0x0301, 438, 0, &handle_), 0);  // truncates
  Close();
  EXPECT_EQ(ReadBytes(path_), "");
}

TEST_F(SequentialTest, SecondProcessCannotOpenTheSameFile) {
  WriteBytes(path_, "0123456789");
  ASSERT_EQ(IsuSamOpen(path_.c_str(), 0, 438, 0, &handle_), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    QelFileHandle h = -1;
    int r = IsuSamOpen(path_.c_str(), 0, 438, 0, &h);
    char text[10];
    _exit(r == -1 && KVsamerr(r, text, 1) == -3613 ? 0 : 1);
  }
  int wstatus = 0;
  ASSERT_EQ(waitpid(child, &wstatus, 0), child);
  ASSERT_TRUE(WIFEXITED(wstatus));
  EXPECT_EQ(WEXITSTATUS(wstatus), 0);
}

// An input is opened for reading only: a file the user may not write is
// read, a write through the input's handle fails, and the sharing rule
// holds all the same (the lock works on a read-only descriptor).
TEST_F(SequentialTest, InputIsOpenedReadOnlyAndStillKeepsOthersOut) {
  WriteBytes(path_, "0123456789");
  ASSERT_EQ(::chmod(path_.c_str(), 0444), 0);
  ASSERT_EQ(IsuSamOpen(path_.c_str(), 0, 438, 0, &handle_), 0);
  EXPECT_EQ(::write(handle_, "x", 1), -1);
  QelFileHandle other = -1;
  EXPECT_EQ(IsuSamOpen(path_.c_str(), 0, 438, 0, &other), -1);
  char text[10];
  EXPECT_EQ(KVsamerr(-1, text, 1), -3613);
  Close();
  EXPECT_EQ(ReadBytes(path_), "0123456789");
  // Read and write (relative access) still asks for both; root may write
  // any file.
  if (::geteuid() != 0) {
    EXPECT_EQ(IsuSamOpen(path_.c_str(), 2, 438, 0, &handle_), -1);
    EXPECT_EQ(KVsamerr(-1, text, 1), -3612);
  }
  ::chmod(path_.c_str(), 0644);
}

TEST_F(SequentialTest, PositionedBlockAccessReadsAndWritesOneRecord) {
  WriteBytes(path_, "AAAAABBBBBCCCCC");
  ASSERT_EQ(IsuSamOpen(path_.c_str(), 2, 438, 0, &handle_), 0);
  ASSERT_EQ(IsuSamTAlloc(&ctl_, 5), 0);
  IsuSamSetF(ctl_, handle_, record_, 5, 5);
  EXPECT_EQ(IsuSamSizeGet(ctl_), 15);
  EXPECT_EQ(IsuSamRead(ctl_, 5, 0), 5);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(record_), 5), "BBBBB");
  std::memcpy(record_, "xxxxx", 5);
  EXPECT_EQ(IsuSamWrite(ctl_, 10, 0), 5);
  EXPECT_EQ(IsuSamWrite(ctl_, 0, 2), 5);  // appends at the end
  EXPECT_EQ(IsuSamRead(ctl_, 20, 0), 1);  // past the end
  Close();
  EXPECT_EQ(ReadBytes(path_), "AAAAABBBBBxxxxxxxxxx");
}

TEST_F(SequentialTest, PositionedReadRefusesVariableFilesAndTruncatedRecords) {
  OpenInput("AAAAABB", 5);
  IsuSamSetV(ctl_, handle_, record_, 5, 1, 5);
  EXPECT_EQ(IsuSamRead(ctl_, 0, 0), -1);
  EXPECT_EQ(IsuSamRefStat(ctl_), ISUSAM_ST_PARAM);
  IsuSamSetF(ctl_, handle_, record_, 5, 5);
  EXPECT_EQ(IsuSamRead(ctl_, 5, 0), -1);
  EXPECT_EQ(IsuSamRefStat(ctl_), ISUSAM_ST_RECLEN);
}

struct SamErr {
  int status, system_error, operation, message;
  const char* text;
};

class SamErrTest : public ::testing::TestWithParam<SamErr> {};

TEST_P(SamErrTest, MapsStatusAndSystemError) {
  const SamErr& e = GetParam();
  char text[10];
  std::memset(text, 'z', sizeof text);
  EXPECT_EQ(MapSequentialError(e.status, e.system_error, e.operation, text), -e.message);
  EXPECT_STREQ(text, e.text);
}

INSTANTIATE_TEST_SUITE_P(
    Sequential, SamErrTest,
    ::testing::Values(SamErr{1, 2, 2, 3610, ""}, SamErr{1, 3, 2, 3610, ""},
                      SamErr{1, 5, 2, 3612, ""}, SamErr{1, 32, 1, 3613, ""},
                      SamErr{1, 33, 2, 3613, ""}, SamErr{2, 5, 2, 2617, ""},
                      SamErr{3, 2, 2, 2613, ""}, SamErr{-1, 2, 1, 3610, ""},
                      SamErr{-2, 32, 1, 3613, ""}, SamErr{-1, 5, 1, 3620, "5"},
                      SamErr{1, 112, 3, 3623, "112"}, SamErr{1, 4, 2, 3622, "4"},
                      SamErr{-1, 9999, 0, 3621, "9999"}, SamErr{-1, 80, 7, 3621, "80"}));

}  // namespace
}  // namespace qel::xformio
