       01 IN-REC.
          05 I-CODE  PIC X(3).
          05 I-ZS    PIC S9(5)V99.
          05 I-ZU    PIC 9(4).
          05 I-PS    PIC S9(7)V9 COMP-3.
          05 I-PU    PIC 9(5) COMP-3.
          05 I-BS    PIC S9(4) COMP.
          05 I-BU    PIC 9(8) COMP.
          05 I-ZL    PIC S9(3)V9 SIGN LEADING SEPARATE.
          05 I-NAME  PIC X(8).
          05 I-TEXT  PIC X(159).
