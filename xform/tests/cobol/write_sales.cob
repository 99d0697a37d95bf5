       IDENTIFICATION DIVISION.
       PROGRAM-ID. WRSALES.
      * Writes SALES.DAT (fixed length), the indexed file SALESIX and
      * EXPECT.CSV, the line each record must become.
       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT SALES ASSIGN TO "SALES.DAT"
               ORGANIZATION SEQUENTIAL.
           SELECT SALESIX ASSIGN TO "SALESIX"
               ORGANIZATION INDEXED ACCESS SEQUENTIAL
               RECORD KEY IX-CODE.
           SELECT EXPECT ASSIGN TO "EXPECT.CSV"
               ORGANIZATION LINE SEQUENTIAL.
       DATA DIVISION.
       FILE SECTION.
       FD  SALES.
       COPY "sales_rec.cpy".
       FD  SALESIX.
       01  IX-REC.
           03  IX-CODE       PIC X(4).
           03  FILLER        PIC X(69).
       FD  EXPECT.
       01  EXPECT-LINE       PIC X(201).
       WORKING-STORAGE SECTION.
       COPY "sales_ws.cpy".
       PROCEDURE DIVISION.
       MAIN.
           OPEN OUTPUT SALES SALESIX EXPECT
           MOVE "A001" TO S-CODE
           MOVE X"938C8B9E8140" TO S-NAME
           MOVE -123.45 TO D-TRAIL
           MOVE -7 TO D-LEAD
           MOVE -45 TO D-TSEP
           MOVE -12.3 TO D-LSEP
           MOVE 42 TO U-ZONED
           MOVE 0 TO U-BWZ
           MOVE -1234 TO B-SMALL
           MOVE -1234567.89 TO B-LARGE
           MOVE 9999 TO B-UNS
           MOVE -12345.67 TO P-SIGNED
           MOVE 1234 TO P-EVEN
           MOVE 7 TO P-UNS
           MOVE .05 TO FRACTION
           MOVE 1 TO MONTHLY(1)
           MOVE -99999 TO MONTHLY(2)
           MOVE 0 TO MONTHLY(3)
           MOVE "ORIG" TO ORIG
           MOVE "note " TO S-NOTE
           PERFORM WRITE-ONE
           MOVE "B,02" TO S-CODE
           MOVE X"91E58DE38140" TO S-NAME
           MOVE 0 TO D-TRAIL
           MOVE 999 TO D-LEAD
           MOVE 0 TO D-TSEP
           MOVE 999.9 TO D-LSEP
           MOVE 0 TO U-ZONED
           MOVE 5 TO U-BWZ
           MOVE 9999 TO B-SMALL
           MOVE .5 TO B-LARGE
           MOVE 0 TO B-UNS
           MOVE .01 TO P-SIGNED
           MOVE -1 TO P-EVEN
           MOVE 999 TO P-UNS
           MOVE .99 TO FRACTION
           MOVE 99999 TO MONTHLY(1)
           MOVE -1 TO MONTHLY(2)
           MOVE 12 TO MONTHLY(3)
           MOVE "1234" TO ORIG
           MOVE 'a;b,c' TO S-NOTE
           PERFORM WRITE-ONE
           MOVE "C003" TO S-CODE
           MOVE "abc   " TO S-NAME
           MOVE -.01 TO D-TRAIL
           MOVE 0 TO D-LEAD
           MOVE 999 TO D-TSEP
           MOVE -.5 TO D-LSEP
           MOVE 9999 TO U-ZONED
           MOVE 999 TO U-BWZ
           MOVE 0 TO B-SMALL
           MOVE 9999999.99 TO B-LARGE
           MOVE 1 TO B-UNS
           MOVE 0 TO P-SIGNED
           MOVE -9999 TO P-EVEN
           MOVE 0 TO P-UNS
           MOVE 0 TO FRACTION
           MOVE 0 TO MONTHLY(1) MONTHLY(2) MONTHLY(3)
           MOVE SPACES TO ORIG
           MOVE SPACES TO S-NOTE
           PERFORM WRITE-ONE
           CLOSE SALES SALESIX EXPECT
           STOP RUN.
       WRITE-ONE.
      *    The converter leaves the bytes of a FILLER zero.
           MOVE LOW-VALUES TO SALES-REC(11:2)
           WRITE SALES-REC
           WRITE IX-REC FROM SALES-REC
           PERFORM BUILD-LINE
           STRING X"0D" DELIMITED BY SIZE INTO OUT-LINE
               WITH POINTER PTR
           MOVE OUT-LINE TO EXPECT-LINE
           WRITE EXPECT-LINE.
       COPY "sales_line.cpy".
