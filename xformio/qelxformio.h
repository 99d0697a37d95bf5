/* qelxformio: sequential (fixed- and variable-length), CSV and text files for
 * the converters and the record-access library.
 *
 * Conventions
 * 1. Ownership. IsuSamTAlloc hands out a control block with its block buffer
 *    in one allocation; the caller frees it with IsuSamTFree. Record buffers
 *    are the caller's. CsvfileOpen and TxtOpen allocate the one CSV and the
 *    one text state of the process; CsvfileClose and TxtClose release them.
 * 2. Handles. QelFileHandle is an operating-system file descriptor; -1 is no
 *    file. Files are opened without sharing: a second opener, in this or
 *    another process, fails with the sharing violation (system error 32).
 * 3. Failures. Sequential calls return -1 and leave the reason in the status
 *    field (IsuSamRefStat): 1 system I/O error, 2 record-length or truncated
 *    record, 3 wrong file kind, 99 invalid parameters. The system error of the
 *    last failed operating-system call (Windows numbering: 2, 3, 5, 32, 33,
 *    80, 112 ...) is returned by QelXfioLastError(). KVsamerr, KVcsverr and
 *    KVtexterr turn a failure into a negative message number.
 * 4. Call order, reading: IsuSamOpen, KVIsuShareCBL, (variable length:
 *    IsuSamHeadGet), IsuSamTAlloc, IsuSamSetF or IsuSamSetV, IsuSamGet until
 *    it returns 1, IsuSamClose, IsuSamTFree. Writing: IsuSamOpen with create,
 *    KVIsuExclCBL, (variable length: IsuSamHeadPut), IsuSamTAlloc, set-up,
 *    IsuSamPut per record, IsuSamFlush, IsuSamClose, IsuSamTFree. A control
 *    block serves one direction only. Parameters are checked on the first
 *    transfer (status 99), not by the set-up calls.
 * 5. CSV and text writers buffer their output: the last CsvfieldPut/TxtPut
 *    must have end kind 2 before the close, which does not write.
 *
 * Variable-length file header (all integers little-endian):
 *   OFFSET SIZE MEANING
 *        0    8 reserved, zero when written
 *        8    6 identification "FSV   "
 *       14   50 reserved, zero when written
 *       64    4 maximum record length (1..65535)
 *       68    4 minimum record length (1..maximum)
 *       72   56 reserved, zero when written
 *      128    . records: 4-byte length word n (data bytes only; the low 16
 *               bits count), then n bytes; no padding, records and length
 *               words may straddle blocks.
 * A fixed-length file is its records back to back, with no header.
 */
#ifndef QEL_XFORMIO_QELXFORMIO_H_
#define QEL_XFORMIO_QELXFORMIO_H_

#include <stdint.h>

#define QEL_XFORMIO_EXPORT __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

typedef int QelFileHandle;

/* Open flags (C runtime values). */
#define ISUSAM_O_WRONLY 0x0001 /* write only */
#define ISUSAM_O_RDWR 0x0002   /* read and write; without either bit read only */
#define ISUSAM_O_CREAT 0x0100  /* create (alone: the file must not exist) */
#define ISUSAM_O_TRUNC 0x0200  /* with create: truncate or create */

/* Status values of IsuSamCtl.status. */
#define ISUSAM_ST_OK 0
#define ISUSAM_ST_IO 1
#define ISUSAM_ST_RECLEN 2
#define ISUSAM_ST_KIND 3
#define ISUSAM_ST_PARAM 99

/* Control block of one open sequential file. */
typedef struct IsuSamCtl {
  int32_t recfm;          /* 1 fixed length, 0 variable length */
  int32_t access;         /* 3: one system call per block */
  uint16_t reclen;        /* fixed: record length; variable: last record's */
  uint16_t minlen;        /* variable: smallest allowed record length */
  uint16_t maxlen;        /* variable: largest allowed record length */
  uint16_t recbufsize;    /* capacity of the record buffer */
  QelFileHandle handle;   /* from IsuSamOpen */
  unsigned char* recbuf;  /* caller's record buffer */
  unsigned char* blkbuf;  /* block buffer, directly after the control block */
  uint16_t blksize;       /* block buffer size */
  uint16_t blkcount;      /* reading: valid bytes of the last block read */
  int32_t status;         /* last failure, ISUSAM_ST_* */
  uint32_t endoff;        /* block offset just past the item being moved */
  uint16_t blkoff;        /* current offset in the block buffer */
  char split;             /* '1' while an item continues in the next block */
} IsuSamCtl;

/* The system error (Windows numbering) of the last failed system call. */
QEL_XFORMIO_EXPORT int QelXfioLastError(void);

QEL_XFORMIO_EXPORT int IsuSamOpen(const char* name, int flags, int permission, int reserved,
                                  QelFileHandle* handle);
QEL_XFORMIO_EXPORT int IsuSamTAlloc(IsuSamCtl** ctl, uint16_t blksize);
QEL_XFORMIO_EXPORT void IsuSamSetF(IsuSamCtl* ctl, QelFileHandle handle, void* recbuf,
                                   uint16_t recbufsize, uint16_t reclen);
QEL_XFORMIO_EXPORT void IsuSamSetV(IsuSamCtl* ctl, QelFileHandle handle, void* recbuf,
                                   uint16_t recbufsize, uint16_t minlen, uint16_t maxlen);
QEL_XFORMIO_EXPORT int IsuSamSetRec(IsuSamCtl* ctl, void* recbuf, uint16_t recbufsize);
/* kind: 0 valid variable-length header (in buffer), 1 no identification. */
QEL_XFORMIO_EXPORT int IsuSamHeadGet(QelFileHandle handle, void* buffer128, int32_t* kind);
QEL_XFORMIO_EXPORT int IsuSamHeadPut(QelFileHandle handle, uint16_t minlen, uint16_t maxlen);
/* 0 with a record, 1 at end of file, -1 with the status set. */
QEL_XFORMIO_EXPORT int IsuSamGet(IsuSamCtl* ctl, uint16_t* reclen);
QEL_XFORMIO_EXPORT int SFixGet(IsuSamCtl* ctl);
QEL_XFORMIO_EXPORT int SValGet(IsuSamCtl* ctl);
QEL_XFORMIO_EXPORT int SamRead(IsuSamCtl* ctl);
/* reclen is ignored for fixed length. The variable-length writer does not
 * check reclen against minimum and maximum; it must fit the record buffer. */
QEL_XFORMIO_EXPORT int IsuSamPut(IsuSamCtl* ctl, uint16_t reclen);
QEL_XFORMIO_EXPORT int SamFixRPut(IsuSamCtl* ctl);
QEL_XFORMIO_EXPORT int SamValRPut(IsuSamCtl* ctl, uint16_t reclen);
QEL_XFORMIO_EXPORT int SamWrite(IsuSamCtl* ctl);
QEL_XFORMIO_EXPORT int IsuSamFlush(IsuSamCtl* ctl);
QEL_XFORMIO_EXPORT int IsuSamRefStat(IsuSamCtl* ctl);
QEL_XFORMIO_EXPORT int IsuSamClose(QelFileHandle handle);
QEL_XFORMIO_EXPORT void IsuSamTFree(IsuSamCtl* ctl);
/* Positioned block access, fixed length only. origin: 0 start, 1 current,
 * 2 end. IsuSamRead: the block's file position, 1 at end of file, -1. */
QEL_XFORMIO_EXPORT int32_t IsuSamRead(IsuSamCtl* ctl, int32_t offset, int origin);
QEL_XFORMIO_EXPORT int32_t IsuSamWrite(IsuSamCtl* ctl, int32_t offset, int origin);
QEL_XFORMIO_EXPORT int32_t IsuSamSizeGet(IsuSamCtl* ctl);
QEL_XFORMIO_EXPORT int IsuSamFix(IsuSamCtl* ctl);
QEL_XFORMIO_EXPORT int KVIsuExclCBL(QelFileHandle handle);
QEL_XFORMIO_EXPORT int KVIsuShareCBL(QelFileHandle handle);
/* operation: 1 open, 2 read, 3 write, 0 close. text: 10 bytes. */
QEL_XFORMIO_EXPORT int KVsamerr(int status, char* text, int operation);

/* CSV files. One open CSV file per process. */
QEL_XFORMIO_EXPORT QelFileHandle CsvfileOpen(const char* name, int flags, int skip_title,
                                             const char* separator);
/* field: at least 65535 bytes. end_kind: 0 separator, 1 line end, 2 end of
 * file. 0, -1 read error, -2 malformed or too long field. */
QEL_XFORMIO_EXPORT int CsvfieldGet(QelFileHandle handle, char* field, int32_t* length,
                                   int32_t* end_kind);
/* end_kind: 0 append the separator, 1 append CR LF, 2 write out the buffer. */
QEL_XFORMIO_EXPORT int CsvfieldPut(QelFileHandle handle, const char* field, int32_t length,
                                   int end_kind);
QEL_XFORMIO_EXPORT int CsvfileClose(QelFileHandle handle);

/* Text files. One open text file per process. */
QEL_XFORMIO_EXPORT QelFileHandle TxtOpen(const char* name, int flags);
/* Reads at most capacity - 2 bytes of the line into buffer, which always
 * stays NUL-terminated. end_kind: 1 line end ("\n" after the text), 2 end of
 * data, 0 capacity used up (the rest of the line is unread). */
QEL_XFORMIO_EXPORT int TxtGet(QelFileHandle handle, char* buffer, int32_t capacity,
                              int32_t* end_kind, int32_t* length);
/* Passes the rest of the current line, adding its data bytes (not the line
 * end) to *count. */
QEL_XFORMIO_EXPORT int TxtSkip(QelFileHandle handle, int32_t* count, int32_t* end_kind);
/* end_kind 1: write the text up to its first NUL (at most length bytes,
 * without a final "\n") and CR LF; 2: write out the buffer. */
QEL_XFORMIO_EXPORT int TxtPut(QelFileHandle handle, const char* text, int32_t length,
                              int end_kind);
QEL_XFORMIO_EXPORT int TxtClose(QelFileHandle handle);
QEL_XFORMIO_EXPORT int KVcsverr(char* text, int operation);
QEL_XFORMIO_EXPORT int KVtexterr(char* text, int operation);

#ifdef __cplusplus
}
#endif

#endif /* QEL_XFORMIO_QELXFORMIO_H_ */
