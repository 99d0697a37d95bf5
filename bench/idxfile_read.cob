      * Reads the indexed file BENCHIDX in primary key order to its end.
       IDENTIFICATION DIVISION.
       PROGRAM-ID. IDXREAD.
       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT F ASSIGN TO "BENCHIDX" ORGANIZATION INDEXED
             ACCESS SEQUENTIAL RECORD KEY K1
             ALTERNATE RECORD KEY K2.
       DATA DIVISION.
       FILE SECTION.
       FD F.
       01 R.
          05 K1 PIC X(10).
          05 K2 PIC X(10).
          05 FILLER PIC X(80).
       WORKING-STORAGE SECTION.
       01 DONE  PIC X VALUE "N".
       01 COUNT-R PIC 9(9) VALUE 0.
       PROCEDURE DIVISION.
           OPEN INPUT F.
           PERFORM UNTIL DONE = "Y"
             READ F NEXT
               AT END MOVE "Y" TO DONE
               NOT AT END ADD 1 TO COUNT-R
             END-READ
           END-PERFORM.
           CLOSE F.
           DISPLAY COUNT-R " records read".
           STOP RUN.
