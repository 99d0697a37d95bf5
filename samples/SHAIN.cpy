      * 社員レコード: the record of the sample employee file, 64 bytes.
       01  社員レコード.
           03  社員番号        PIC X(6).
           03  氏名            PIC N(8).
           03  所属            PIC N(6).
           03  生年月日        PIC 9(8).
           03  基本給          PIC S9(7)    COMP-3.
           03  調整額          PIC S9(5)V99.
           03  残業時間        PIC S9(3)V9  COMP-3  OCCURS 3.
           03  評価            PIC X.
           03  FILLER          PIC X.
