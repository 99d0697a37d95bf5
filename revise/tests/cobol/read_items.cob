       IDENTIFICATION DIVISION.
       PROGRAM-ID. RDITEMS.
      * Shows every record of the indexed file in key order and of the
      * sequential file in file order, one line each.
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
       01 SQ-REC.
          05 SQ-CODE   PIC X(5).
          05 SQ-NAME   PIC X(6).
          05 SQ-QTY    PIC 9(3).
          05 SQ-AMT    PIC S9(3)V99 COMP-3.
          05 SQ-NOTE   PIC X(7).
       WORKING-STORAGE SECTION.
       01 EOF-FLAG     PIC X VALUE "N".
       01 AMT-OUT      PIC -ZZ9.99.
       PROCEDURE DIVISION.
           OPEN INPUT F.
           PERFORM UNTIL EOF-FLAG = "Y"
               READ F NEXT RECORD
                 AT END MOVE "Y" TO EOF-FLAG
                 NOT AT END
                   MOVE IT-AMT TO AMT-OUT
                   DISPLAY "I|" IT-CODE "|" IT-NAME "|" IT-QTY "|"
                           AMT-OUT "|" IT-NOTE
               END-READ
           END-PERFORM.
           CLOSE F.
           MOVE "N" TO EOF-FLAG.
           OPEN INPUT S.
           PERFORM UNTIL EOF-FLAG = "Y"
               READ S
                 AT END MOVE "Y" TO EOF-FLAG
                 NOT AT END
                   MOVE SQ-AMT TO AMT-OUT
                   DISPLAY "S|" SQ-CODE "|" SQ-NAME "|" SQ-QTY "|"
                           AMT-OUT "|" SQ-NOTE
               END-READ
           END-PERFORM.
           CLOSE S.
           STOP RUN.
