      * Work items of BUILD-LINE.
       01  OUT-LINE          PIC X(200).
       01  PTR               PIC 9(3).
       01  K                 PIC 9.
       01  TXT               PIC X(20).
       01  BWZ-X             PIC X(3).
       01  BWZ-N             REDEFINES BWZ-X PIC 9(3).
       01  E-S3V2            PIC -(3)9.99.
       01  E-S3              PIC -(3)9.
       01  E-S3V1            PIC -(3)9.9.
       01  E-U4              PIC Z(3)9.
       01  E-U3              PIC Z(2)9.
       01  E-S4              PIC -(4)9.
       01  E-S7V2            PIC -(7)9.99.
       01  E-S5V2            PIC -(5)9.99.
       01  E-V2              PIC .99.
       01  E-S5              PIC -(5)9.
