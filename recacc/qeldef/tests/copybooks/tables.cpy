      * Tables, redefinitions, inherited SIGN and USAGE, messy habits.
       01  TABLES-REC.
           05  T-HEADER.
               10  T-ID             PIC X(4).
               10  T-COUNT          COMP PIC S9(4).
           05  T-MONTHS             OCCURS 12 TIMES
                                    ASCENDING KEY IS T-MONTH-NO
                                    INDEXED BY T-IX.
               10  T-MONTH-NO       PIC 99.
               10  FILLER           PIC X.
               10  T-DAYS           OCCURS 3.
                   15  T-AMOUNT     PIC S9(5)V99 COMP-3.
                   15  T-CODES      PIC X OCCURS 2.
               10  T-FLAG           PIC X.
           05  T-AREA               PIC X(12).
           05  T-AREA-NUM           REDEFINES T-AREA PIC 9(12).
           05  T-AREA-PARTS         REDEFINES T-AREA.
               10  T-PART-A         PIC X(4).
               10  T-PART-B         PIC X(8).
           05  T-GROUP.
               10  T-G-1            PIC X(6).
               10  T-G-2            PIC X(6).
           05  T-GROUP-R            REDEFINES T-GROUP.
               10  T-GR-1           PIC 9(10).
           05  T-PACKED-GROUP       USAGE COMP-3.
               10  T-PG-1           PIC S9(5).
               10  T-PG-2           PIC 9(3).
               10  T-PG-3           PIC S9(4) COMP.
           05  T-SIGNED-GROUP       SIGN LEADING SEPARATE.
               10  T-SG-1           PIC S9(3).
               10  T-SG-2           PIC S9(3) SIGN TRAILING.
               10  T-SG-3           PIC X(2).
           05  T-DEEP               OCCURS 2.
               10  T-DEEP-2         OCCURS 2.
                   15  T-DEEP-3     OCCURS 2.
                       20  T-LEAF   PIC X(3).
                   15  T-D2-TAIL    PIC 9.
           05  T-TAIL               PIC X(3).
