      * Redefinitions inside tables and tables inside redefinitions.
       01  OVERLAY-REC.
           05  O-TABLE              OCCURS 2.
               10  O-TEXT           PIC X(4).
               10  O-DIGITS         REDEFINES O-TEXT.
                   15  O-PAIR       PIC 99 OCCURS 2.
               10  O-MARK           PIC X.
           05  O-BODY               PIC X(10).
           05  O-BODY-B             REDEFINES O-BODY.
               10  O-B-KIND         PIC X.
               10  O-B-AMOUNTS      PIC S9(3) COMP-3 OCCURS 4.
               10  FILLER           PIC X.
           05  O-BODY-C             REDEFINES O-BODY PIC S9(9)
                                    SIGN LEADING SEPARATE.
           05  FILLER               PIC X(3).
           05  O-END                PIC X.
