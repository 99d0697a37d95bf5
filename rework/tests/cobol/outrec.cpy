       01 OUT-REC.
          05 O-CODE  PIC X(5) JUSTIFIED RIGHT.
          05 O-Z1    PIC 9(3)V9.
          05 O-P1    PIC S9(9)V999 COMP-3.
          05 O-B1    PIC S9(6)V99 COMP.
          05 O-Z2    PIC S9(2) SIGN TRAILING SEPARATE.
          05 O-PU    PIC 9(3)V99 COMP-3.
          05 O-ZL    PIC S9(7)V9 SIGN LEADING.
          05 O-BU    PIC 9(4) COMP.
          05 O-ZS    PIC S9(5)V9(3).
          05 O-NAME  PIC X(4).
          05 O-K     PIC X(3).
          05 O-NUM   PIC S9(3)V9 COMP-3.
          05 O-NAT   PIC X(8).
          05 O-BWZ   PIC 9(3) BLANK WHEN ZERO.
