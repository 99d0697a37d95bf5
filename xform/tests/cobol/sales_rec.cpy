      * One sales record, 73 bytes: every kind the converters take.
       01  SALES-REC.
           03  S-CODE        PIC X(4).
           03  S-NAME        PIC X(6).
           03  FILLER        PIC X(2).
           03  D-TRAIL       PIC S9(3)V99.
           03  D-LEAD        PIC S9(3) SIGN LEADING.
           03  D-TSEP        PIC S9(3) SIGN TRAILING SEPARATE.
           03  D-LSEP        PIC S9(3)V9 SIGN LEADING SEPARATE.
           03  U-ZONED       PIC 9(4).
           03  U-BWZ         PIC 9(3) BLANK WHEN ZERO.
           03  B-SMALL       PIC S9(4) COMP.
           03  B-LARGE       PIC S9(7)V99 COMP.
           03  B-UNS         PIC 9(4) COMP.
           03  P-SIGNED      PIC S9(5)V99 COMP-3.
           03  P-EVEN        PIC S9(4) COMP-3.
           03  P-UNS         PIC 9(3) COMP-3.
           03  FRACTION      PIC V99.
           03  MONTHLY       PIC S9(5) COMP-3 OCCURS 3.
           03  ORIG          PIC X(4).
           03  ORIG-NUM      REDEFINES ORIG PIC 9(4).
           03  S-NOTE        PIC X(5).
