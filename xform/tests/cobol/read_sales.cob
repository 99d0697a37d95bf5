       IDENTIFICATION DIVISION.
       PROGRAM-ID. RDSALES.
      * Reads BACK.DAT, the file the converter made from the CSV, and
      * DISPLAYs each record's values in the form of EXPECT.CSV.
       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT SALES ASSIGN TO "BACK.DAT"
               ORGANIZATION SEQUENTIAL.
       DATA DIVISION.
       FILE SECTION.
       FD  SALES.
       COPY "sales_rec.cpy".
       WORKING-STORAGE SECTION.
       01  EOF-FLAG          PIC X VALUE "N".
       COPY "sales_ws.cpy".
       PROCEDURE DIVISION.
       MAIN.
           OPEN INPUT SALES
           PERFORM UNTIL EOF-FLAG = "Y"
               READ SALES
                   AT END MOVE "Y" TO EOF-FLAG
                   NOT AT END
                       PERFORM BUILD-LINE
                       DISPLAY FUNCTION TRIM(OUT-LINE TRAILING)
               END-READ
           END-PERFORM
           CLOSE SALES
           STOP RUN.
       COPY "sales_line.cpy".
