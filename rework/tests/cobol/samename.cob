       IDENTIFICATION DIVISION.
       PROGRAM-ID. SAMENAME.
      * The same-name procedure of the rework checks: the input record
      * copied first, then every item of the same name moved.
       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT IN-FILE ASSIGN TO "IN.DAT"
               ORGANIZATION IS SEQUENTIAL.
           SELECT OUT-FILE ASSIGN TO "COBOL-OUT2.DAT"
               ORGANIZATION IS SEQUENTIAL.
       DATA DIVISION.
       FILE SECTION.
       FD IN-FILE.
       COPY "inrec.cpy".
       FD OUT-FILE.
       COPY "out2rec.cpy".
       WORKING-STORAGE SECTION.
       01 READ-COUNT  PIC 9(9) VALUE 0.
       01 WRITE-COUNT PIC 9(9) VALUE 0.
       01 EOF-FLAG    PIC X VALUE "N".
       PROCEDURE DIVISION.
           OPEN INPUT IN-FILE OUTPUT OUT-FILE
           PERFORM UNTIL EOF-FLAG = "Y"
               READ IN-FILE
                   AT END MOVE "Y" TO EOF-FLAG
                   NOT AT END PERFORM ONE-RECORD
               END-READ
           END-PERFORM
           CLOSE IN-FILE OUT-FILE
           DISPLAY READ-COUNT " " WRITE-COUNT
           STOP RUN.
       ONE-RECORD.
           ADD 1 TO READ-COUNT
           MOVE IN-REC TO OUT2-REC
           MOVE I-CODE OF IN-REC TO I-CODE OF OUT2-REC
           MOVE I-ZS OF IN-REC TO I-ZS OF OUT2-REC
           MOVE I-BS OF IN-REC TO I-BS OF OUT2-REC
           MOVE I-NAME OF IN-REC TO I-NAME OF OUT2-REC
           WRITE OUT2-REC
           ADD 1 TO WRITE-COUNT.
