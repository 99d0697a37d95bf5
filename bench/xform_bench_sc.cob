       IDENTIFICATION DIVISION.
       PROGRAM-ID. BENCHSC.
      * The fixed-length to CSV conversion of the benchmark as a COBOL
      * programmer writes it: READ, MOVE to edited items, STRING, WRITE.
       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT IN-FILE ASSIGN TO "BENCH.DAT"
               ORGANIZATION SEQUENTIAL.
           SELECT OUT-FILE ASSIGN TO "COBOL.CSV"
               ORGANIZATION LINE SEQUENTIAL.
       DATA DIVISION.
       FILE SECTION.
       FD  IN-FILE.
       COPY "xform_bench_rec.cpy".
       FD  OUT-FILE.
       01  OUT-REC           PIC X(400).
       WORKING-STORAGE SECTION.
       01  EOF-FLAG          PIC X VALUE "N".
       01  PTR               PIC 9(3).
       01  E-AMT1            PIC -(7)9.99.
       01  E-AMT2            PIC -(9)9.
       01  E-QTY             PIC -(5)9.
       01  E-RATE            PIC ZZ9.99.
       01  E-B1              PIC -(4)9.
       01  E-B2              PIC -(9)9.
       01  E-B3              PIC ZZZ9.
       01  E-P3              PIC -(3)9.
       01  E-Z5              PIC -(5)9.
       01  E-U7              PIC Z(6)9.
       01  E-CNT             PIC Z(4)9.
       01  E-DATE            PIC Z(7)9.
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
           MOVE R-DATE TO E-DATE
           MOVE R-AMT1 TO E-AMT1
           MOVE R-AMT2 TO E-AMT2
           MOVE R-QTY TO E-QTY
           MOVE R-RATE TO E-RATE
           MOVE R-B1 TO E-B1
           MOVE R-B2 TO E-B2
           MOVE R-B3 TO E-B3
           MOVE R-P3 TO E-P3
           MOVE R-Z5 TO E-Z5
           MOVE R-U7 TO E-U7
           MOVE R-CNT TO E-CNT
           MOVE SPACES TO OUT-REC
           MOVE 1 TO PTR
           STRING '"' R-ID '","' R-NAME '","' R-KANA '","' R-ADDR '",'
               FUNCTION TRIM(E-DATE) ',' FUNCTION TRIM(E-AMT1) ','
               FUNCTION TRIM(E-AMT2) ',' FUNCTION TRIM(E-QTY) ','
               FUNCTION TRIM(E-RATE) ',' FUNCTION TRIM(E-B1) ','
               FUNCTION TRIM(E-B2) ',' FUNCTION TRIM(E-B3) ',"'
               R-CODE '",' FUNCTION TRIM(E-P3) ',' FUNCTION TRIM(E-Z5)
               ',"' R-MEMO '",' FUNCTION TRIM(E-U7) ','
               FUNCTION TRIM(E-CNT) ',"' R-FLAG '","' R-NOTE '"' X"0D"
               DELIMITED BY SIZE INTO OUT-REC WITH POINTER PTR
           WRITE OUT-REC.
