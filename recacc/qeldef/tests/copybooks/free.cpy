*> Free-format copybook without a record of its own: its items are copied
*> under the record that the program supplies.
05 F-KEY pic x(8).   *> the key
05 f-amount pic s9(9)v99 comp-3 value zero.
05 F-NAME
   PIC N(10).
      05 F-LIST occurs 4.
         10 F-ITEM pic s9(3) sign leading separate.
         10 F-TEXT PIC X(2).
05 F-BIN PIC S9(8) BINARY.
05 F-LAST PIC X(1).
