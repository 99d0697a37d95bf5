       IDENTIFICATION DIVISION.
       PROGRAM-ID. APPOINT.
      * The appointed-items procedure of the rework checks: the same
      * selection and the same moves as the procedure file.
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
       COPY "inrec.cpy".
       FD OUT-FILE.
       COPY "outrec.cpy".
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
               MOVE I-PU TO O-ZS
               MOVE I-NAME TO O-NAME
               MOVE "OK" TO O-K
               MOVE -1.5 TO O-NUM
               MOVE ALL X"8140" TO O-NAT
               MOVE I-NAT TO O-NAT(1:6)
               MOVE I-ZU TO O-BWZ
               WRITE OUT-REC
               ADD 1 TO WRITE-COUNT
           END-IF.
