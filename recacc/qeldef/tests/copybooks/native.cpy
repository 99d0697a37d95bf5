       01  NATIVE-REC.
           05  N-SHORT              PIC S9(4) COMP-5.
           05  N-LONG               PIC 9(9) COMP-5.
           05  N-TEXT               PIC X(3).
