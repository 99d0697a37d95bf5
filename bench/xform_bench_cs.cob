       IDENTIFICATION DIVISION.
       PROGRAM-ID. BENCHCS.
      * The CSV to fixed-length conversion of the benchmark as a COBOL
      * programmer writes it: READ, UNSTRING, NUMVAL, MOVE, WRITE.
       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT IN-FILE ASSIGN TO "BENCH.CSV"
               ORGANIZATION LINE SEQUENTIAL.
           SELECT OUT-FILE ASSIGN TO "COBOL.DAT"
               ORGANIZATION SEQUENTIAL.
       DATA DIVISION.
       FILE SECTION.
       FD  IN-FILE.
       01  IN-REC            PIC X(400).
       FD  OUT-FILE.
       COPY "xform_bench_rec.cpy".
       WORKING-STORAGE SECTION.
       01  EOF-FLAG          PIC X VALUE "N".
       01  F.
           03  F-ID          PIC X(12).
           03  F-NAME        PIC X(22).
           03  F-KANA        PIC X(22).
           03  F-ADDR        PIC X(42).
           03  F-DATE        PIC X(10).
           03  F-AMT1        PIC X(14).
           03  F-AMT2        PIC X(14).
           03  F-QTY         PIC X(8).
           03  F-RATE        PIC X(8).
           03  F-B1          PIC X(8).
           03  F-B2          PIC X(12).
           03  F-B3          PIC X(8).
           03  F-CODE        PIC X(6).
           03  F-P3          PIC X(6).
           03  F-Z5          PIC X(8).
           03  F-MEMO        PIC X(32).
           03  F-U7          PIC X(10).
           03  F-CNT         PIC X(8).
           03  F-FLAG        PIC X(3).
           03  F-NOTE        PIC X(26).
       PROCEDURE DIVISION.
       MAIN.
           OPEN INPUT IN-FILE OUTPUT OUT-FILE
           PERFORM UNTIL EOF-FLAG = "Y"
               READ IN-FILE
                   AT END MOVE "Y" TO EOF-FLAG
                   NOT AT END PERFORM CONVERT-ONE
               END-READ
           END-PERFORM
           CLOSE IN-FILE OUT-FILE
           STOP RUN.
       CONVERT-ONE.
           UNSTRING IN-REC DELIMITED BY ','
               INTO F-ID F-NAME F-KANA F-ADDR F-DATE F-AMT1 F-AMT2 F-QTY
                    F-RATE F-B1 F-B2 F-B3 F-CODE F-P3 F-Z5 F-MEMO F-U7
                    F-CNT F-FLAG F-NOTE
           MOVE F-ID(2:10) TO R-ID
           MOVE F-NAME(2:20) TO R-NAME
           MOVE F-KANA(2:20) TO R-KANA
           MOVE F-ADDR(2:40) TO R-ADDR
           MOVE FUNCTION NUMVAL(F-DATE) TO R-DATE
           MOVE FUNCTION NUMVAL(F-AMT1) TO R-AMT1
           MOVE FUNCTION NUMVAL(F-AMT2) TO R-AMT2
           MOVE FUNCTION NUMVAL(F-QTY) TO R-QTY
           MOVE FUNCTION NUMVAL(F-RATE) TO R-RATE
           MOVE FUNCTION NUMVAL(F-B1) TO R-B1
           MOVE FUNCTION NUMVAL(F-B2) TO R-B2
           MOVE FUNCTION NUMVAL(F-B3) TO R-B3
           MOVE F-CODE(2:4) TO R-CODE
           MOVE FUNCTION NUMVAL(F-P3) TO R-P3
           MOVE FUNCTION NUMVAL(F-Z5) TO R-Z5
           MOVE F-MEMO(2:30) TO R-MEMO
           MOVE FUNCTION NUMVAL(F-U7) TO R-U7
           MOVE FUNCTION NUMVAL(F-CNT) TO R-CNT
           MOVE F-FLAG(2:1) TO R-FLAG
           MOVE F-NOTE(2:22) TO R-NOTE
           WRITE BENCH-REC.
