      * Builds in OUT-LINE the CSV line the converter must write for
      * SALES-REC: character items in quotes, numbers without leading
      * zeros and without "+", through numeric-edited items.
       BUILD-LINE.
           MOVE SPACES TO OUT-LINE
           MOVE 1 TO PTR
           STRING '"' S-CODE '","' S-NAME '",' DELIMITED BY SIZE
               INTO OUT-LINE WITH POINTER PTR
           MOVE D-TRAIL TO E-S3V2  MOVE E-S3V2 TO TXT PERFORM ADD-NUM
           MOVE D-LEAD TO E-S3     MOVE E-S3 TO TXT   PERFORM ADD-NUM
           MOVE D-TSEP TO E-S3     MOVE E-S3 TO TXT   PERFORM ADD-NUM
           MOVE D-LSEP TO E-S3V1   MOVE E-S3V1 TO TXT PERFORM ADD-NUM
           MOVE U-ZONED TO E-U4    MOVE E-U4 TO TXT   PERFORM ADD-NUM
           MOVE U-BWZ TO BWZ-X
           IF BWZ-X = SPACES MOVE 0 TO BWZ-N END-IF
           MOVE BWZ-N TO E-U3      MOVE E-U3 TO TXT   PERFORM ADD-NUM
           MOVE B-SMALL TO E-S4    MOVE E-S4 TO TXT   PERFORM ADD-NUM
           MOVE B-LARGE TO E-S7V2  MOVE E-S7V2 TO TXT PERFORM ADD-NUM
           MOVE B-UNS TO E-U4      MOVE E-U4 TO TXT   PERFORM ADD-NUM
           MOVE P-SIGNED TO E-S5V2 MOVE E-S5V2 TO TXT PERFORM ADD-NUM
           MOVE P-EVEN TO E-S4     MOVE E-S4 TO TXT   PERFORM ADD-NUM
           MOVE P-UNS TO E-U3      MOVE E-U3 TO TXT   PERFORM ADD-NUM
           MOVE FRACTION TO E-V2   MOVE E-V2 TO TXT   PERFORM ADD-NUM
           PERFORM VARYING K FROM 1 BY 1 UNTIL K > 3
               MOVE MONTHLY(K) TO E-S5 MOVE E-S5 TO TXT
               PERFORM ADD-NUM
           END-PERFORM
           STRING '"' ORIG '","' S-NOTE '"' DELIMITED BY SIZE
               INTO OUT-LINE WITH POINTER PTR.
       ADD-NUM.
           STRING FUNCTION TRIM(TXT) ',' DELIMITED BY SIZE
               INTO OUT-LINE WITH POINTER PTR.
