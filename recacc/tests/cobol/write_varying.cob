       IDENTIFICATION DIVISION.
       PROGRAM-ID. WRVARY.
      * An indexed file whose second record is shorter than the first:
      * a fixed-length reader of 20-byte records cannot take it.
       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT F ASSIGN TO "VARY" ORGANIZATION INDEXED
             ACCESS DYNAMIC RECORD KEY K1.
       DATA DIVISION.
       FILE SECTION.
       FD F RECORD VARYING IN SIZE FROM 10 TO 20 DEPENDING ON N.
       01 R.
          05 K1 PIC X(5).
          05 V  PIC X(15).
       WORKING-STORAGE SECTION.
       01 N PIC 9(4) COMP.
       PROCEDURE DIVISION.
           OPEN OUTPUT F.
           MOVE 20 TO N. MOVE "00001full-length-rec" TO R. WRITE R.
           MOVE 12 TO N. MOVE "00002short" TO R. WRITE R.
           CLOSE F.
           STOP RUN.
