       IDENTIFICATION DIVISION.
       PROGRAM-ID. WRCONV.
      * Writes CONV.DAT: three records of convert_rec.cpy.
       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT CONV ASSIGN TO "CONV.DAT" ORGANIZATION SEQUENTIAL.
       DATA DIVISION.
       FILE SECTION.
       FD  CONV.
       COPY "convert_rec.cpy".
       PROCEDURE DIVISION.
           OPEN OUTPUT CONV
           MOVE SPACES TO CONV-REC
           MOVE "A001" TO C-CODE
           MOVE X"938C8B9E8140" TO C-NAME
           MOVE -123.45 TO C-ZONED
           MOVE -7 TO C-LEAD
           MOVE 45 TO C-TSEP
           MOVE -12.3 TO C-LSEP
           MOVE 42 TO C-UNSIGNED
           MOVE -1234567.89 TO C-BINARY
           MOVE 9999 TO C-BIN-U
           MOVE -12345.67 TO C-PACKED
           MOVE 7 TO C-PACKED-U
           MOVE 1 TO C-MONTHS(1)
           MOVE -999 TO C-MONTHS(2)
           MOVE 0 TO C-MONTHS(3)
           MOVE "ORIG" TO C-ORIG
           MOVE "note" TO C-NOTE
           WRITE CONV-REC
           MOVE "B002" TO C-CODE
           MOVE 0 TO C-ZONED C-LEAD C-TSEP C-LSEP C-UNSIGNED C-BINARY
           MOVE 0 TO C-BIN-U C-PACKED C-PACKED-U
           MOVE 999.99 TO C-ZONED
           MOVE 1 TO C-MONTHS(3)
           MOVE "1234" TO C-ORIG
           WRITE CONV-REC
           MOVE "C003" TO C-CODE
           MOVE -0.01 TO C-ZONED
           MOVE 999 TO C-LEAD
           MOVE -999 TO C-TSEP
           MOVE 999.9 TO C-LSEP
           MOVE 9999999.99 TO C-BINARY
           MOVE 99999.99 TO C-PACKED
           WRITE CONV-REC
           CLOSE CONV
           STOP RUN.
