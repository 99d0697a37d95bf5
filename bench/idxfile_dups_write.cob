      * Writes every 60-byte record of DUPSIN into the indexed file
      * DUPSIDX: primary key 1..10, unique alternate key 11..20, and
      * two alternate keys WITH DUPLICATES, 21..24 and 25..30.
       IDENTIFICATION DIVISION.
       PROGRAM-ID. DUPWRITE.
       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT IN-FILE ASSIGN TO "DUPSIN"
             ORGANIZATION SEQUENTIAL.
           SELECT OUT-FILE ASSIGN TO "DUPSIDX" ORGANIZATION INDEXED
             ACCESS RANDOM RECORD KEY OUT-K1
             ALTERNATE RECORD KEY OUT-K2
             ALTERNATE RECORD KEY OUT-K3 WITH DUPLICATES
             ALTERNATE RECORD KEY OUT-K4 WITH DUPLICATES
             FILE STATUS FS.
       DATA DIVISION.
       FILE SECTION.
       FD IN-FILE.
       01 IN-REC PIC X(60).
       FD OUT-FILE.
       01 OUT-REC.
          05 OUT-K1 PIC X(10).
          05 OUT-K2 PIC X(10).
          05 OUT-K3 PIC X(4).
          05 OUT-K4 PIC X(6).
          05 FILLER PIC X(30).
       WORKING-STORAGE SECTION.
       01 FS    PIC XX.
       01 DONE  PIC X VALUE "N".
       01 COUNT-W PIC 9(9) VALUE 0.
       PROCEDURE DIVISION.
           OPEN INPUT IN-FILE OUTPUT OUT-FILE.
           PERFORM UNTIL DONE = "Y"
             READ IN-FILE
               AT END MOVE "Y" TO DONE
               NOT AT END
                 WRITE OUT-REC FROM IN-REC
                   INVALID KEY DISPLAY "WRITE status " FS
                 END-WRITE
                 ADD 1 TO COUNT-W
             END-READ
           END-PERFORM.
           CLOSE IN-FILE OUT-FILE.
           DISPLAY COUNT-W " records written".
           STOP RUN.
