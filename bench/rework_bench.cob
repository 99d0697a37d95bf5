       IDENTIFICATION DIVISION.
       PROGRAM-ID. BENCHRW.
      * The rework benchmark's baseline: the same selection and the same
      * ten moves as the benchmark's procedure.
       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT IN-FILE ASSIGN TO "IN.DAT"
               ORGANIZATION IS SEQUENTIAL.
           SELECT OUT-FILE ASSIGN TO "COBOL-OUT.DAT"
               ORGANIZATION IS SEQUENTIAL.
       DATA DIVISION.
       FILE SECTION.
       FD IN-FILE.
       COPY "rework_bench_rec.cpy".
       FD OUT-FILE.
       01 OUT-REC.
          05 O-CODE  PIC X(5) JUSTIFIED RIGHT.
          05 O-Z1    PIC 9(3)V9.
          05 O-P1    PIC S9(9)V999 COMP-3.
          05 O-B1    PIC S9(6)V99 COMP.
          05 O-Z2    PIC S9(2) SIGN TRAILING SEPARATE.
          05 O-PU    PIC 9(3)V99 COMP-3.
          05 O-ZL    PIC S9(7)V9 SIGN LEADING.
          05 O-BU    PIC 9(4) COMP.
          05 O-NAME  PIC X(4).
          05 O-TEXT  PIC X(150).
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
           IF (I-CODE = "A01" OR I-CODE = "A02") AND I-PS >= 1000
               MOVE SPACES TO OUT-REC
               MOVE I-CODE TO O-CODE
               MOVE I-ZS TO O-Z1
               MOVE I-ZS TO O-P1
               MOVE I-PS TO O-B1
               MOVE I-ZU TO O-Z2
               MOVE I-BS TO O-PU
               MOVE I-BU TO O-ZL
               MOVE I-ZL TO O-BU
               MOVE I-NAME TO O-NAME
               MOVE I-TEXT TO O-TEXT
               WRITE OUT-REC
               ADD 1 TO WRITE-COUNT
           END-IF.
