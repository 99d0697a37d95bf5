      * The benchmark record: 200 bytes, 20 items of mixed kinds.
       01  BENCH-REC.
           03  R-ID          PIC X(10).
           03  R-NAME        PIC X(20).
           03  R-KANA        PIC X(20).
           03  R-ADDR        PIC X(40).
           03  R-DATE        PIC 9(8).
           03  R-AMT1        PIC S9(7)V99 COMP-3.
           03  R-AMT2        PIC S9(9) COMP-3.
           03  R-QTY         PIC S9(5).
           03  R-RATE        PIC 9(3)V99.
           03  R-B1          PIC S9(4) COMP.
           03  R-B2          PIC S9(9) COMP.
           03  R-B3          PIC 9(4) COMP.
           03  R-CODE        PIC X(4).
           03  R-P3          PIC S9(3) COMP-3.
           03  R-Z5          PIC S9(5) SIGN LEADING SEPARATE.
           03  R-MEMO        PIC X(30).
           03  R-U7          PIC 9(7) COMP-3.
           03  R-CNT         PIC 9(5).
           03  R-FLAG        PIC X.
           03  R-NOTE        PIC X(22).
