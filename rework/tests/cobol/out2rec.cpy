       01 OUT2-REC.
          05 I-CODE  PIC X(2).
          05 I-ZS    PIC S9(3)V9(3) COMP-3.
          05 FILL-X  PIC X(4).
          05 I-BS    PIC S9(6).
          05 I-NAME  PIC X(10) JUSTIFIED RIGHT.
