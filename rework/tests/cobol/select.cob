       IDENTIFICATION DIVISION.
       PROGRAM-ID. SELECTION.
      * The selection procedure of the rework checks: records copied
      * unchanged when a binary key is negative or a packed key exceeds
      * a zoned item of the same record.
       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT IN-FILE ASSIGN TO "IN.DAT"
               ORGANIZATION IS SEQUENTIAL.
           SELECT OUT-FILE ASSIGN TO "COBOL-OUT3.DAT"
               ORGANIZATION IS SEQUENTIAL.
       DATA DIVISION.
       FILE SECTION.
       FD IN-FILE.
       COPY "inrec.cpy".
       FD OUT-FILE.
       01 OUT-REC PIC X(47).
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
           IF (I-BS < 0 AND I-ZU NOT = 263 AND I-ZU NOT = 1052)
                   OR I-PS > I-ZS
               WRITE OUT-REC FROM IN-REC
               ADD 1 TO WRITE-COUNT
           END-IF.
