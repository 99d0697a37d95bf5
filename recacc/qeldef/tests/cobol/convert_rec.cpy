      * A record of every kind the converters take, 60 bytes.
       01  CONV-REC.
           03  C-CODE          PIC X(4).
           03  C-NAME          PIC N(3).
           03  C-ZONED         PIC S9(3)V99.
           03  C-LEAD          PIC S9(3) SIGN LEADING.
           03  C-TSEP          PIC S9(3) SIGN TRAILING SEPARATE.
           03  C-LSEP          PIC S9(3)V9 SIGN LEADING SEPARATE.
           03  C-UNSIGNED      PIC 9(4).
           03  C-BINARY        COMP PIC S9(7)V99.
           03  C-BIN-U         PIC 9(4) BINARY.
           03  C-PACKED        PIC S9(5)V99 COMP-3.
           03  C-PACKED-U      PIC 9(3) PACKED-DECIMAL.
           03  C-MONTHS        PIC S9(3) COMP-3 OCCURS 3.
           03  C-ORIG          PIC X(4).
           03  C-ORIG-NUM      REDEFINES C-ORIG PIC 9(4).
           03  FILLER          PIC X(2).
           03  C-NOTE          PIC X(5).
