       IDENTIFICATION DIVISION.
       PROGRAM-ID. WRLITTLE.
      * Writes LITTLE.DAT, binary items in the machine's byte order
      * (COMP-5), and LITTLE.CSV, the line each record must become.
       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT LITTLE ASSIGN TO "LITTLE.DAT"
               ORGANIZATION SEQUENTIAL.
           SELECT EXPECT ASSIGN TO "LITTLE.CSV"
               ORGANIZATION LINE SEQUENTIAL.
       DATA DIVISION.
       FILE SECTION.
       FD  LITTLE.
       01  L-REC.
           03  L-CODE        PIC X(2).
           03  L-SMALL       PIC S9(4) COMP-5.
           03  L-LARGE       PIC S9(7)V99 COMP-5.
           03  L-UNS         PIC 9(4) COMP-5.
       FD  EXPECT.
       01  EXPECT-LINE       PIC X(80).
       WORKING-STORAGE SECTION.
       01  OUT-LINE          PIC X(79).
       01  PTR               PIC 99.
       01  TXT               PIC X(20).
       01  E-S4              PIC -(4)9.
       01  E-S7V2            PIC -(7)9.99.
       01  E-U4              PIC Z(3)9.
       PROCEDURE DIVISION.
       MAIN.
           OPEN OUTPUT LITTLE EXPECT
           MOVE "L1" TO L-CODE
           MOVE -123 TO L-SMALL
           MOVE -1234567.89 TO L-LARGE
           MOVE 9999 TO L-UNS
           PERFORM WRITE-ONE
           MOVE "L2" TO L-CODE
           MOVE 4660 TO L-SMALL
           MOVE .07 TO L-LARGE
           MOVE 0 TO L-UNS
           PERFORM WRITE-ONE
           CLOSE LITTLE EXPECT
           STOP RUN.
       WRITE-ONE.
           WRITE L-REC
           MOVE SPACES TO OUT-LINE
           MOVE 1 TO PTR
           MOVE L-SMALL TO E-S4
           MOVE L-LARGE TO E-S7V2
           MOVE L-UNS TO E-U4
           STRING '"' L-CODE '",' FUNCTION TRIM(E-S4) ','
               FUNCTION TRIM(E-S7V2) ',' FUNCTION TRIM(E-U4) X"0D"
               DELIMITED BY SIZE INTO OUT-LINE WITH POINTER PTR
           MOVE OUT-LINE TO EXPECT-LINE
           WRITE EXPECT-LINE.
