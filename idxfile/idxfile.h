/* idxfile: an ISAM engine with a C-ISAM-style interface, storing indexed
 * files in Berkeley DB btree files laid out as GnuCOBOL lays them out.
 *
 * 1. Ownership: every pointer argument belongs to the caller and is only
 *    used during the call. Records and keys are byte buffers of the file's
 *    record size; nothing is NUL-terminated except ldchar's output.
 * 2. Failure reporting: a call returns -1 on failure and sets the error
 *    number read by IsGetLastErrno (1010: operating-system failure, its
 *    errno in IsGetLastSyserr). A call into a file that another thread is
 *    using returns -2 at once. Error numbers are kept per thread.
 * 3. Call order: isbuild or isopen gives a file number; isaddindex only on a
 *    file just made by isbuild and opened exclusively; isclose ends it.
 *    isstart chooses the key that isread's next/previous follow; the primary
 *    key is chosen after open.
 * 4. Files: NAME holds primary key -> record, NAME.1 ... alternate key ->
 *    primary key (followed by a 4-byte little-endian sequence number for a
 *    key with duplicates), NAME.kdf describes the file (found in any letter
 *    case of "kdf" when NAME.kdf itself is not there). A file with an index
 *    NAME.n beyond the keys its key file lists is refused (EBADFILE). Keys
 *    are ordered by their stored bytes; integer parts are little-endian in
 *    the record. A new duplicate of a value is numbered one above the
 *    highest of the value, found in constant time.
 * 5. Durability: on a file opened for update, every update call has handed
 *    its data to the operating system before it returns.
 */
#ifndef QEL_IDXFILE_IDXFILE_H_
#define QEL_IDXFILE_IDXFILE_H_

#define IDXFILE_EXPORT __attribute__((visibility("default")))

/* Open modes (one of the first three, plus lock bits). */
#define ISINPUT 0
#define ISOUTPUT 1
#define ISINOUT 2
#define ISAUTOLOCK 0x200
#define ISMANULOCK 0x400
#define ISEXCLLOCK 0x800

/* Read and start modes. */
#define ISFIRST 0
#define ISLAST 1
#define ISNEXT 2
#define ISPREV 3
#define ISCURR 4
#define ISEQUAL 5
#define ISGREAT 6
#define ISGTEQ 7

/* Key part types; ISDESC is added for a descending part. */
#define CHARTYPE 0
#define INTTYPE 1
#define LONGTYPE 2
#define ISDESC 0x80

/* Key flags. */
#define ISNODUPS 0
#define ISDUPS 1

#define NPARTS 8
#define MAXKEYSIZE 255

/* Error numbers. */
#define EDUPL 100
#define ENOTOPEN 101
#define EBADARG 102
#define EBADKEY 103
#define ETOOMANY 104
#define EBADFILE 105
#define ENOTEXCL 106
#define ELOCKED 107
#define EKEXISTS 108
#define EENDFILE 110
#define ENOREC 111
#define ENOCURR 112
#define EFLOCKED 113
#define EFNAME 114
#define ESYSERR 1010

struct keypart {
  short kp_start; /* offset in the record, from 0 */
  short kp_leng;  /* bytes */
  short kp_type;  /* CHARTYPE, INTTYPE or LONGTYPE, plus ISDESC */
};

struct keydesc {
  short k_flags;  /* ISNODUPS or ISDUPS */
  short k_nparts; /* 1 .. NPARTS */
  struct keypart k_part[NPARTS];
  short k_len; /* sum of the part lengths, filled in by the library */
};

struct dictinfo {
  short di_nkeys;   /* number of keys */
  short di_recsize; /* record size in bytes */
  short di_idxsize; /* longest key in bytes */
  int di_nrecords;  /* records in the file */
};

#ifdef __cplusplus
extern "C" {
#endif

IDXFILE_EXPORT int IsGetLastErrno(void);
IDXFILE_EXPORT int IsGetLastSyserr(void);
IDXFILE_EXPORT int IsGetLastRecnum(void);
IDXFILE_EXPORT void IsSetRecnum(int recnum);
IDXFILE_EXPORT int IsGetLastMchncod(void);
IDXFILE_EXPORT void IsSetMchncod(int code);

/* Makes the empty file NAME with its primary key, NAME.kdf beside it, and
 * opens it in `mode`. Existing files of that name are replaced. */
IDXFILE_EXPORT int isbuild(const char* name, int reclen, struct keydesc* key, int mode);
/* Adds an alternate key to a file made by isbuild that holds no records. */
IDXFILE_EXPORT int isaddindex(int fd, struct keydesc* key);
IDXFILE_EXPORT int isopen(const char* name, int mode);
IDXFILE_EXPORT int isclose(int fd);
IDXFILE_EXPORT int isindexinfo(int fd, void* buffer, int number);
IDXFILE_EXPORT int isstart(int fd, struct keydesc* key, int length, char* record, int mode);
IDXFILE_EXPORT int isread(int fd, char* record, int mode);
IDXFILE_EXPORT int iswrite(int fd, char* record);
IDXFILE_EXPORT int iswrcurr(int fd, char* record);
IDXFILE_EXPORT int isrewrite(int fd, char* record);
IDXFILE_EXPORT int isdelete(int fd, char* record);

/* Field helpers: character parts padded with blanks, integers little-endian. */
IDXFILE_EXPORT void ldchar(const char* from, int length, char* to);
IDXFILE_EXPORT void stchar(const char* from, char* to, int length);
IDXFILE_EXPORT int ldint(const char* from);
IDXFILE_EXPORT void stint(int value, char* to);
IDXFILE_EXPORT long ldlong(const char* from);
IDXFILE_EXPORT void stlong(long value, char* to);

#ifdef __cplusplus
}
#endif

#endif /* QEL_IDXFILE_IDXFILE_H_ */
