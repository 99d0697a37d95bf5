      * Reads the sample employee file SHAIN.DAT and makes by itself what
      * the two sample procedures make: SEL-COBOL.DAT, the records whose
      * department starts with the two characters of "kaihatsu" (CP932
      * 8A4A 94AD) or whose rating is A, unchanged; SUM-COBOL.DAT, a
      * summary record for each employee whose base salary is at least
      * 300000. DISPLAYs the counts read and written by each.
       IDENTIFICATION DIVISION.
       PROGRAM-ID. SAMPLEREWORK.
       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT IN-FILE ASSIGN TO "SHAIN.DAT"
             ORGANIZATION SEQUENTIAL.
           SELECT SEL-FILE ASSIGN TO "SEL-COBOL.DAT"
             ORGANIZATION SEQUENTIAL.
           SELECT SUM-FILE ASSIGN TO "SUM-COBOL.DAT"
             ORGANIZATION SEQUENTIAL.
       DATA DIVISION.
       FILE SECTION.
       FD IN-FILE.
       01 SHAIN-REC.
          05 SH-NO       PIC X(6).
          05 SH-NAME     PIC X(16).
          05 SH-DEPT     PIC X(12).
          05 SH-BIRTH    PIC 9(8).
          05 SH-SALARY   PIC S9(7) COMP-3.
          05 SH-ADJUST   PIC S9(5)V99 SIGN LEADING.
          05 SH-OVERTIME PIC S9(3)V9 COMP-3 OCCURS 3.
          05 SH-RATING   PIC X.
          05 FILLER      PIC X.
       FD SEL-FILE.
       01 SEL-REC        PIC X(64).
       FD SUM-FILE.
       01 SUM-REC.
          05 SU-DEPT     PIC X(12).
          05 SU-NO       PIC X(6).
          05 SU-BIRTH    PIC S9(8) COMP-3.
          05 SU-SALARY   PIC S9(7) COMP-3.
          05 SU-KIND     PIC X(4).
          05 SU-RATING   PIC X.
       WORKING-STORAGE SECTION.
       01 KAIHATSU       PIC X(4) VALUE X"8A4A94AD".
       01 EOF-FLAG       PIC X VALUE "N".
       01 READ-COUNT     PIC 9(5) VALUE 0.
       01 SEL-COUNT      PIC 9(5) VALUE 0.
       01 SUM-COUNT      PIC 9(5) VALUE 0.
       PROCEDURE DIVISION.
           OPEN INPUT IN-FILE OUTPUT SEL-FILE SUM-FILE.
           PERFORM UNTIL EOF-FLAG = "Y"
             READ IN-FILE
               AT END MOVE "Y" TO EOF-FLAG
               NOT AT END PERFORM ONE-RECORD
             END-READ
           END-PERFORM.
           CLOSE IN-FILE SEL-FILE SUM-FILE.
           DISPLAY READ-COUNT " " SEL-COUNT " " SUM-COUNT.
           STOP RUN.
       ONE-RECORD.
           ADD 1 TO READ-COUNT.
           IF SH-DEPT(1:4) = KAIHATSU OR SH-RATING = "A"
             MOVE SHAIN-REC TO SEL-REC
             WRITE SEL-REC
             ADD 1 TO SEL-COUNT
           END-IF.
           IF SH-SALARY >= 300000
             MOVE SH-DEPT TO SU-DEPT
             MOVE SH-NO TO SU-NO
             MOVE SH-BIRTH TO SU-BIRTH
             MOVE SH-SALARY TO SU-SALARY
             MOVE "SUM1" TO SU-KIND
             MOVE SH-RATING TO SU-RATING
             WRITE SUM-REC
             ADD 1 TO SUM-COUNT
           END-IF.
