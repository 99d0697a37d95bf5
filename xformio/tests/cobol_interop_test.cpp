// Fixed-length sequential files shared with COBOL programs compiled here:
// records a COBOL program writes are read back whole, and records written
// here are read by COBOL.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "xformio/qelxformio.h"
#include "xformio/tests/test_dir.h"

namespace qel::xformio {
namespace {

using testing::ReadBytes;
using testing::TestDir;
using testing::WriteBytes;

// Writes records "REC-n" + the number in display digits, then, given a file,
// reads it and prints each record on a line.
const char kProgram[] = R"(       IDENTIFICATION DIVISION.
       PROGRAM-ID. SEQIO.
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
       01  OUT-REC.
           05  OUT-TAG  PIC X(4).
           05  OUT-NUM  PIC 9(6).
           05  OUT-PAD  PIC X(10).
       FD  IN-FILE.
       01  IN-REC       PIC X(20).
       WORKING-STORAGE SECTION.
       01  I            PIC 9(4) VALUE 0.
       01  EOF-FLAG     PIC X VALUE "N".
       PROCEDURE DIVISION.
           OPEN OUTPUT OUT-FILE.
           PERFORM VARYING I FROM 1 BY 1 UNTIL I > 700
               MOVE "REC-" TO OUT-TAG
               MOVE I TO OUT-NUM
               MOVE "abcdefghij" TO OUT-PAD
               WRITE OUT-REC
           END-PERFORM.
           CLOSE OUT-FILE.
           OPEN INPUT IN-FILE.
           PERFORM UNTIL EOF-FLAG = "Y"
               READ IN-FILE
                   AT END MOVE "Y" TO EOF-FLAG
                   NOT AT END DISPLAY IN-REC
               END-READ
           END-PERFORM.
           CLOSE IN-FILE.
           STOP RUN.
)";

TEST(CobolInteropTest, FixedLengthRecordsCrossBothWays) {
  if (std::system("command -v cobc > /dev/null 2>&1") != 0) GTEST_SKIP() << "cobc not installed";
  TestDir dir;
  WriteBytes(dir.File("seqio.cob"), kProgram);
  // Records for COBOL to read.
  QelFileHandle h = -1;
  ASSERT_EQ(IsuSamOpen(dir.File("ours.dat").c_str(), 0x0301, 438, 0, &h), 0);
  IsuSamCtl* ctl = nullptr;
  ASSERT_EQ(IsuSamTAlloc(&ctl, 8192), 0);
  unsigned char record[20];
  IsuSamSetF(ctl, h, record, sizeof record, 20);
  for (const char* r : {"FIRST RECORD    0001", "SECOND RECORD   0002", "THIRD RECORD    0003"}) {
    std::memcpy(record, r, 20);
    ASSERT_EQ(IsuSamPut(ctl, 20), 0);
  }
  ASSERT_EQ(IsuSamFlush(ctl), 0);
  ASSERT_EQ(IsuSamClose(h), 0);
  IsuSamTFree(ctl);

  std::string cmd = "cd '" + dir.File("") + "' && cobc -x -o seqio seqio.cob > build.log 2>&1" +
                    " && ./seqio > run.out 2> run.err";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << ReadBytes(dir.File("build.log"))
                                         << ReadBytes(dir.File("run.err"));
  EXPECT_EQ(ReadBytes(dir.File("run.out")),
            "FIRST RECORD    0001\nSECOND RECORD   0002\nTHIRD RECORD    0003\n");

  // 700 records of 20 bytes through 8192-byte blocks: many straddle.
  ASSERT_EQ(IsuSamOpen(dir.File("cobol.dat").c_str(), 0, 438, 0, &h), 0);
  ASSERT_EQ(IsuSamTAlloc(&ctl, 8192), 0);
  IsuSamSetF(ctl, h, record, sizeof record, 20);
  uint16_t len = 0;
  int count = 0;
  while (IsuSamGet(ctl, &len) == 0) {
    ++count;
    char expected[32];
    std::snprintf(expected, sizeof expected, "REC-%06dabcdefghij", count);
    ASSERT_EQ(std::string(reinterpret_cast<char*>(record), len), expected);
  }
  EXPECT_EQ(IsuSamRefStat(ctl), 0);
  EXPECT_EQ(count, 700);
  IsuSamClose(h);
  IsuSamTFree(ctl);
}

}  // namespace
}  // namespace qel::xformio
