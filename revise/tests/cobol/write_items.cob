       IDENTIFICATION DIVISION.
       PROGRAM-ID. WRITEMS.
      * An indexed file of 24-byte item records with a unique alternate
      * key, and a fixed-length sequential file of the same records.
       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT F ASSIGN TO "ITEMS" ORGANIZATION INDEXED
             ACCESS DYNAMIC RECORD KEY IT-CODE
             ALTERNATE RECORD KEY IT-NAME.
           SELECT S ASSIGN TO "ITEMS.SEQ" ORGANIZATION SEQUENTIAL.
       DATA DIVISION.
       FILE SECTION.
       FD F.
       01 IT-REC.
          05 IT-CODE   PIC X(5).
          05 IT-NAME   PIC X(6).
          05 IT-QTY    PIC 9(3).
          05 IT-AMT    PIC S9(3)V99 COMP-3.
          05 IT-NOTE   PIC X(7).
       FD S.
       01 SQ-REC       PIC X(24).
       WORKING-STORAGE SECTION.
       01 I            PIC 9(2) VALUE 0.
       01 NAMES        PIC X(30) VALUE "PEAR  APPLE FIG   KIWI  MANGO ".
       PROCEDURE DIVISION.
           OPEN OUTPUT F S.
           PERFORM VARYING I FROM 5 BY -1 UNTIL I = 0
               MOVE SPACES TO IT-REC
               STRING "C000" I(2:1) DELIMITED BY SIZE INTO IT-CODE
               MOVE NAMES((I - 1) * 6 + 1:6) TO IT-NAME
               COMPUTE IT-QTY = I * 11
               COMPUTE IT-AMT = I * 1.25 - 3
               MOVE "cobol" TO IT-NOTE
               WRITE IT-REC
               MOVE IT-REC TO SQ-REC
               WRITE SQ-REC
           END-PERFORM.
           CLOSE F S.
           STOP RUN.
