       IDENTIFICATION DIVISION.
       PROGRAM-ID. BENCHGEN.
      * Writes the input of the rework benchmark: records of 200 bytes,
      * as many as the command line's number says (a million without).
       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT IN-FILE ASSIGN TO "IN.DAT"
               ORGANIZATION IS SEQUENTIAL.
       DATA DIVISION.
       FILE SECTION.
       FD IN-FILE.
       COPY "rework_bench_rec.cpy".
       WORKING-STORAGE SECTION.
       01 N       PIC 9(9) COMP.
       01 M       PIC 9(4) COMP.
       01 CODES   PIC X(12) VALUE "A01A02B01A03".
       01 REC-LIMIT PIC 9(9) COMP VALUE 1000000.
       01 CMD-ARG PIC X(20) VALUE SPACES.
       PROCEDURE DIVISION.
           ACCEPT CMD-ARG FROM COMMAND-LINE
           IF CMD-ARG NOT = SPACES
               COMPUTE REC-LIMIT = FUNCTION NUMVAL(CMD-ARG)
           END-IF
           OPEN OUTPUT IN-FILE
           MOVE ALL "text of the record " TO I-TEXT
           PERFORM VARYING N FROM 1 BY 1 UNTIL N > REC-LIMIT
               COMPUTE M = FUNCTION MOD(N, 4) * 3 + 1
               MOVE CODES(M:3) TO I-CODE
               COMPUTE I-ZS = FUNCTION MOD(N, 40000) * 1.37 - 20000
               COMPUTE I-ZU = FUNCTION MOD(N, 10000)
               COMPUTE I-PS = FUNCTION MOD(N, 20000) * 5.3 - 8000
               COMPUTE I-PU = FUNCTION MOD(N, 99999)
               COMPUTE I-BS = FUNCTION MOD(N, 18000) - 9000
               COMPUTE I-BU = N * 37
               COMPUTE I-ZL = FUNCTION MOD(N, 1000) * 0.9 - 450
               MOVE N TO I-NAME
               WRITE IN-REC
           END-PERFORM
           CLOSE IN-FILE
           STOP RUN.
