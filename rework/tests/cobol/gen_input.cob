       IDENTIFICATION DIVISION.
       PROGRAM-ID. GENINPUT.
      * Writes the input records of the rework checks: every numeric
      * kind with positive, negative and zero values, enough of them
      * to fill several blocks of a run spread over threads.
       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT IN-FILE ASSIGN TO "IN.DAT"
               ORGANIZATION IS SEQUENTIAL.
       DATA DIVISION.
       FILE SECTION.
       FD IN-FILE.
       COPY "inrec.cpy".
       WORKING-STORAGE SECTION.
       01 N       PIC 9(5) COMP.
       01 M       PIC 9(4) COMP.
       01 CODES   PIC X(12) VALUE "A01A02B01A03".
       01 NUM-TXT PIC 9(4).
       PROCEDURE DIVISION.
           OPEN OUTPUT IN-FILE
           PERFORM VARYING N FROM 1 BY 1 UNTIL N > 30000
               COMPUTE M = FUNCTION MOD(N, 4) * 3 + 1
               MOVE CODES(M:3) TO I-CODE
               COMPUTE I-ZS = N * 1234.57 - 20000
               IF FUNCTION MOD(N, 5) = 0
                   MOVE 0 TO I-ZU
               ELSE
                   COMPUTE I-ZU = FUNCTION MOD(N * 263, 10000)
               END-IF
               COMPUTE I-PS = N * 511.3 - 8000
               COMPUTE I-PU = N * 2477
               COMPUTE I-BS = N * 401 - 9000
               COMPUTE I-BU = N * 2000003
               COMPUTE I-ZL = N * 25.5 - 500
               MOVE N TO NUM-TXT
               STRING "NAME" NUM-TXT DELIMITED BY SIZE INTO I-NAME
               MOVE X"82A082A282A4" TO I-NAT
               IF FUNCTION MOD(N, 3) = 0
                   MOVE X"82A08140" TO I-NAT
               END-IF
               WRITE IN-REC
           END-PERFORM
           CLOSE IN-FILE
           STOP RUN.
