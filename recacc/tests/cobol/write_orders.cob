       IDENTIFICATION DIVISION.
       PROGRAM-ID. WRORDERS.
      * An indexed file of 24-byte order records, written out of key
      * order, with an alternate key that allows duplicates.
       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT F ASSIGN TO "ORDERS" ORGANIZATION INDEXED
             ACCESS DYNAMIC RECORD KEY ORD-NO
             ALTERNATE RECORD KEY ORD-CUST WITH DUPLICATES.
       DATA DIVISION.
       FILE SECTION.
       FD F.
       01 ORD-REC.
          05 ORD-NO    PIC X(5).
          05 ORD-CUST  PIC X(4).
          05 ORD-QTY   PIC 9(5).
          05 ORD-NOTE  PIC X(10).
       WORKING-STORAGE SECTION.
       01 I            PIC 9(4) VALUE 0.
       01 NUM          PIC 9(5).
       PROCEDURE DIVISION.
           OPEN OUTPUT F.
           PERFORM VARYING I FROM 300 BY -1 UNTIL I = 0
               MOVE SPACES TO ORD-REC
               MOVE I TO NUM
               MOVE NUM TO ORD-NO
               MOVE "C" TO ORD-CUST
               MOVE I TO ORD-QTY
               MOVE "order" TO ORD-NOTE
               WRITE ORD-REC
           END-PERFORM.
           CLOSE F.
           STOP RUN.
