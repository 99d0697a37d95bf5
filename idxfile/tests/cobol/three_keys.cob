      * Writes (argument WRITE) or only reads the indexed file ORDERS with
      * a primary key, a unique alternate key and an alternate key with
      * duplicates, and DISPLAYs every record in each key order, forwards
      * and backwards, then one random READ and one START >= by an
      * alternate key. Each line: a tag, a blank, the record.
       IDENTIFICATION DIVISION.
       PROGRAM-ID. THREEKEYS.
       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT F ASSIGN TO "ORDERS" ORGANIZATION INDEXED
             ACCESS DYNAMIC RECORD KEY K1
             ALTERNATE RECORD KEY K2
             ALTERNATE RECORD KEY K3 WITH DUPLICATES
             FILE STATUS FS.
       DATA DIVISION.
       FILE SECTION.
       FD F.
       01 R.
          05 K1 PIC X(4).
          05 K2 PIC X(3).
          05 K3 PIC X(2).
          05 V  PIC X(5).
       WORKING-STORAGE SECTION.
       01 FS       PIC XX.
       01 RUN-MODE PIC X(5).
       01 TAG      PIC XX.
       01 DONE     PIC X.
       PROCEDURE DIVISION.
           ACCEPT RUN-MODE FROM ARGUMENT-VALUE.
           IF RUN-MODE = "WRITE"
             OPEN OUTPUT F
             MOVE "0005Q05BBone  " TO R PERFORM PUT-RECORD
             MOVE "0002C02AAtwo  " TO R PERFORM PUT-RECORD
             MOVE "0009A09BBthree" TO R PERFORM PUT-RECORD
             MOVE "0001Z01CCfour " TO R PERFORM PUT-RECORD
             MOVE "0007M07BBfive " TO R PERFORM PUT-RECORD
             MOVE "0003K03AAsix  " TO R PERFORM PUT-RECORD
             CLOSE F
           END-IF.
           OPEN INPUT F.
           MOVE "P+" TO TAG.
           MOVE LOW-VALUES TO K1.
           START F KEY >= K1.
           PERFORM READ-FORWARD.
           MOVE "P-" TO TAG.
           MOVE HIGH-VALUES TO K1.
           START F KEY <= K1.
           PERFORM READ-BACKWARD.
           MOVE "A+" TO TAG.
           MOVE LOW-VALUES TO K2.
           START F KEY >= K2.
           PERFORM READ-FORWARD.
           MOVE "A-" TO TAG.
           MOVE HIGH-VALUES TO K2.
           START F KEY <= K2.
           PERFORM READ-BACKWARD.
           MOVE "D+" TO TAG.
           MOVE LOW-VALUES TO K3.
           START F KEY >= K3.
           PERFORM READ-FORWARD.
           MOVE "D-" TO TAG.
           MOVE HIGH-VALUES TO K3.
           START F KEY <= K3.
           PERFORM READ-BACKWARD.
           MOVE "K03" TO K2.
           READ F KEY IS K2
             INVALID KEY DISPLAY "EQ status " FS
             NOT INVALID KEY DISPLAY "EQ " R
           END-READ.
           MOVE "BA" TO K3.
           START F KEY >= K3
             INVALID KEY DISPLAY "GE status " FS
             NOT INVALID KEY
               READ F NEXT
               DISPLAY "GE " R
           END-START.
           CLOSE F.
           STOP RUN.
       PUT-RECORD.
           WRITE R INVALID KEY DISPLAY "WRITE status " FS END-WRITE.
       READ-FORWARD.
           MOVE "N" TO DONE.
           PERFORM UNTIL DONE = "Y"
             READ F NEXT
               AT END MOVE "Y" TO DONE
               NOT AT END DISPLAY TAG " " R
             END-READ
           END-PERFORM.
       READ-BACKWARD.
           MOVE "N" TO DONE.
           PERFORM UNTIL DONE = "Y"
             READ F PREVIOUS
               AT END MOVE "Y" TO DONE
               NOT AT END DISPLAY TAG " " R
             END-READ
           END-PERFORM.
