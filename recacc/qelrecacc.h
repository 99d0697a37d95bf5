/* qelrecacc: record access. Reads file and record definition files into a
 * record layout, keeps everything about one data file in its control block,
 * the DTF, and reads and writes the data file record by record: sequential
 * files through qelxformio, indexed files through the ISAM library
 * libidxfile.so, loaded by name at each indexed open.
 *
 * Conventions:
 * 1. Ownership. The caller allocates the DTF and owns it and the texts its
 *    path fields point to. The library allocates the record layout that
 *    KRACSproc attaches to the DTF and frees it in KRACRinfFree; callers read
 *    it through KRACGetEcnt and KRACDainfSet and never free it. KRACOpen
 *    allocates the record area, the sequential control and the ISAM binding;
 *    KRACClose frees them (a failed KRACOpen leaves nothing allocated).
 * 2. Failure. Calls return 0 (or a small non-negative answer) on success and
 *    -1 on failure, leaving a KRAC message number in the DTF status and, where
 *    a system call or a reader reason is behind it, its number as decimal text
 *    in the sub-code. The library never shows a message. A null DTF is
 *    answered with -1 and touches nothing.
 * 3. Call order. KRACInit, then set definition_path (and access_mode),
 *    then KRACSproc; the layout calls need a DTF that KRACSproc filled;
 *    then set data_path, KRACOpen, KRACRead or KRACWrite any number of
 *    times, KRACClose; KRACRinfFree last. Calling KRACSproc again frees the
 *    previous layout first. An open on an open DTF, or a read, write or
 *    close on a closed one, fails with 3630. A failed open may be retried; a
 *    failed read or write still needs the close. A close always leaves the
 *    DTF closed, also when it reports a failure.
 * 4. The ISAM library stays loaded while any file opened through it is
 *    open; each indexed open loads it (the loader counts the loads) and the
 *    close of that file releases its load.
 * 5. A DTF is used by one thread at a time.
 */
#ifndef QEL_RECACC_QELRECACC_H_
#define QEL_RECACC_QELRECACC_H_

#include <stdint.h>

#define QEL_RECACC_EXPORT __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

/* Codes of an item's data attribute. */
typedef enum AttributeCode {
  KRAC_ATTR_ALPHANUMERIC = 1,      /* X */
  KRAC_ATTR_ALPHABETIC = 2,        /* A */
  KRAC_ATTR_NATIONAL = 3,          /* N */
  KRAC_ATTR_GROUP = 4,             /* G or blank */
  KRAC_ATTR_BINARY = 5,            /* B, signed */
  KRAC_ATTR_PACKED = 6,            /* P, signed */
  KRAC_ATTR_PACKED_UNSIGNED = 7,   /* U */
  KRAC_ATTR_ZONED = 8,             /* S, signed */
  KRAC_ATTR_ZONED_UNSIGNED = 9,    /* 9 */
  KRAC_ATTR_FOUR_BYTE = 10,        /* F */
  KRAC_ATTR_EIGHT_BYTE = 11,       /* D */
  KRAC_ATTR_EDITED_E = 12,         /* E */
  KRAC_ATTR_BIT = 13,              /* 1 */
  KRAC_ATTR_FORM_8 = 14,           /* 8 */
  KRAC_ATTR_ALPHANUMERIC_EDITED = 15, /* XE */
  KRAC_ATTR_NUMERIC_EDITED = 16,   /* Z */
  KRAC_ATTR_NATIONAL_EDITED = 17,  /* NE */
  KRAC_ATTR_FOUR_BYTE_T = 18,      /* T */
  KRAC_ATTR_INDEX = 19,            /* IX, or usage INDEX */
  KRAC_ATTR_DATE = 20,             /* XD */
  KRAC_ATTR_TIME = 21,             /* XT */
  KRAC_ATTR_BINARY_UNSIGNED = 22   /* C */
} AttributeCode;

/* One addressable item of a record: OCCURS tables unrolled, FILLER and
 * redefining items left out. */
typedef struct ItemDescriptor {
  int32_t number;          /* 1-based place in the layout */
  int32_t level;           /* renumbered level: 1, 2, 3, ... */
  char name[32];           /* data name, NUL-terminated */
  int32_t attribute;       /* AttributeCode */
  int32_t byte_length;     /* bytes of one occurrence */
  int32_t digits;          /* characters, bits, or integer digits */
  int32_t fraction_digits; /* digits after the decimal point */
  int32_t occurrence;      /* 1..n in an unrolled table, else the OCCURS count as written */
  int32_t position;        /* byte offset from the start of the record */
  int32_t bit_position;    /* first bit of a bit item, else 0 */
  char edit_flag;          /* 'T' or 'F' */
  char edit_string[32];    /* PICTURE of an edited item when edit_flag is 'T' */
  char blank_when_zero;    /* first characters of the BLANK WHEN ZERO, */
  char justified;          /* JUSTIFIED, SIGN and SYNCHRONIZED fields */
  char sign;
  char synchronized;
} ItemDescriptor;

/* The item table of a record definition, in one library-owned block. */
typedef struct RecordLayout {
  int32_t count;
  ItemDescriptor items[];
} RecordLayout;

/* The data-file control block. */
typedef struct DTF {
  char eye_catcher[8];          /* "%%DTF" */
  uint32_t status;              /* 0, or the KRAC message number of the last failure */
  char sub_code[8];             /* decimal text of the failing call's error number */
  int32_t last_function;        /* last call that succeeded: 0 none/closed, 1 open, 2 read,
                                   3 write, 4 delete */
  int32_t current_function;     /* call in progress, same codes */
  const char* definition_path;  /* file definition file (.FLF), set by the caller */
  const char* data_path;        /* data file, set by the caller */
  int32_t file_number;          /* sequential handle or ISAM file number */
  int32_t access_mode;          /* 1 input, 2 output, 3 update */
  char organisation[4];         /* "S", "VK", "R" */
  char record_format[4];        /* "F", "FB", "V", "VB", "S", "U" */
  int32_t record_length;        /* bytes per record */
  int32_t current_record_length;
  int32_t max_record_length;
  int32_t record_area_length;
  int32_t block_size;           /* buffer size given to the sequential I/O */
  char* record_area;            /* allocated at open, freed at close */
  RecordLayout* record_layout;  /* attached by KRACSproc, freed by KRACRinfFree */
  void* sequential_control;     /* the sequential I/O control block of an open file */
  void* key_table;              /* keys of an indexed file opened for keyed access */
  void* keyed_state;            /* library-owned: the ISAM binding of an open indexed file */
} DTF;

/* Fills the eye-catcher, organisation "S" and record format "FB" and clears
 * every other field, both paths included. Returns 0. */
QEL_RECACC_EXPORT int KRACInit(DTF* dtf);

/* Reads the file definition at definition_path and the record definition its
 * first record definition name refers to (looked up under its file name in the
 * directory of the file definition), builds the record layout into the DTF and
 * stores organisation, record format and record length. 0 or -1. */
QEL_RECACC_EXPORT int KRACSproc(DTF* dtf);

/* Organisation: 0 "S", 1 "VK", 2 "R"; else -1 with status 2613. */
QEL_RECACC_EXPORT int KRACFmChk(DTF* dtf);

/* Record format: 0 "F"/"FB", 1 "V"/"VB", 2 "S", 3 "U"; else -1 with 2614. */
QEL_RECACC_EXPORT int KRACRmChk(DTF* dtf);

/* The layout's entry count (0 without a layout). */
QEL_RECACC_EXPORT int KRACGetEcnt(DTF* dtf);

/* Copies entry n (1-based) into *out. 0, or -1 with status 3699 when n is
 * outside 1 to the count or out is null. */
QEL_RECACC_EXPORT int KRACDainfSet(int n, DTF* dtf, ItemDescriptor* out);

/* The number of the first entry of b's layout with the name, occurrence path
 * and occurrence of entry n of a's layout; 0 when there is none; -1 with
 * status 3699 in a when n is out of range. */
QEL_RECACC_EXPORT int KRACSameDaChk(DTF* a, int n, DTF* b);

/* Frees the layout and clears the DTF's reference; nothing without one. */
QEL_RECACC_EXPORT void KRACRinfFree(DTF* dtf);

/* The status of the last failure (0 when none). */
QEL_RECACC_EXPORT uint32_t KRACGetStatus(DTF* dtf);

/* The sub-code text; "0000" is stored into it first when it is empty. */
QEL_RECACC_EXPORT const char* KRACGetSubCode(DTF* dtf);

/* Opens the file at data_path for record access in access_mode 1 (input) or
 * 2 (output; an existing file is replaced), after checking the record format
 * ("F" or "FB", else 2614) and the organisation ("S" or "VK", else 2613).
 * Indexed files open for input only (2611 otherwise), and their record size
 * must equal record_length (2616). Allocates the zero-filled record area of
 * record_length bytes. 0 or -1; 3680 when the ISAM library cannot be loaded. */
QEL_RECACC_EXPORT int KRACOpen(DTF* dtf);

/* Reads the next record into the record area. 0, or -1: 2690 at the end of
 * the file, after which every further read returns -1 at once; 2611 in
 * access mode 2. */
QEL_RECACC_EXPORT int KRACRead(DTF* dtf);

/* Writes the record area as the next record of a sequential file opened for
 * output. 0, or -1 (2611 in access mode 1 and for indexed files). */
QEL_RECACC_EXPORT int KRACWrite(DTF* dtf);

/* Writes out buffered records (output), closes the file and frees the record
 * area and the sequential control; releases this file's load of the ISAM
 * library. 0, or -1 with the failure of the flush or the close; the file is
 * closed either way, except on 3698 (the ISAM library busy in another
 * thread), which leaves it open for a repeated close. */
QEL_RECACC_EXPORT int KRACClose(DTF* dtf);

/* Keyed access (KRACOpen2 and the calls after it). Text buffers of the get
 * and put requests hold at least 256 bytes; the key-name and key-information
 * buffers at least 32. */

/* Open request of KRACOpen2, filled by the caller. */
typedef struct OpenRequest {
  int32_t share;      /* nonzero: shared update with record locks; 0: exclusive */
  char* key_name;     /* receives the name of the key a key error is about */
  int32_t big_endian; /* nonzero: binary items are edited big-endian (no integer keys) */
} OpenRequest;

/* Get request. Indexed kinds: 0 by key (text: the key value), 2 next,
 * 3 previous, 4 first, 5 last. Sequential kinds: 1 by record number (text:
 * the number), 2 next, 3 previous, 4 first, 5 last. On success the text
 * receives the key value or the record number of the record read. */
typedef struct GetRequest {
  int32_t kind;
  char* text;
} GetRequest;

/* Put request: kind 0 replaces the current record, 1 adds the record area
 * (indexed: with the key value of text put into it first). On success the
 * text receives the key value or record number; key_info receives the name
 * of the key found duplicated (2622). */
typedef struct PutRequest {
  int32_t kind;
  char* text;
  char* key_info;
} PutRequest;

typedef struct KeyPartInformation {
  int32_t start;  /* offset in the record, from 0 */
  int32_t length; /* bytes */
  int32_t type;   /* 0 characters, 1 two-byte integer, 2 four-byte integer */
} KeyPartInformation;

/* One key of an indexed file opened by KRACOpen2. */
typedef struct KeyInformation {
  char name[32];  /* "主キー" for key 1, "副キー" and the key number - 1 in
                     full-width digits for the others (CP932) */
  int32_t flags;  /* bit 0: duplicates allowed */
  int32_t part_count;
  KeyPartInformation parts[8];
  int32_t item_count;         /* items listed; negative when they are all the
                                 elementary items of the record */
  int32_t primary_item_count; /* the primary key's items, listed first */
  int32_t added_item_count;   /* the items this alternate key adds after them
                                 (0 for the primary key) */
  const int32_t* items;       /* places in the layout (from 0); library-owned,
                                 valid until KRACClose2 */
} KeyInformation;

/* Opens the data file for keyed access in access mode 3 (else 2611), record
 * format "F" or "FB". Indexed files: the keys are checked against the layout
 * (2616, 2620, 2621, 2623, 2627 to 2630, the key's name in key_name).
 * Sequential files are relative files of fixed-length records, created when
 * missing. 1 when the file holds records, 0 when it is empty, -1. */
QEL_RECACC_EXPORT int KRACOpen2(DTF* dtf, OpenRequest* request);

/* Reads a record into the record area by key, number or position. 0 or -1
 * (2690 empty or end, 2691 after the last record, 2692 before the first,
 * 2624 bad key text, 2625 bad record number, 3615 and 3616 no such record). */
QEL_RECACC_EXPORT int KRACGet(DTF* dtf, GetRequest* request);

/* Replaces the current record or adds the record area. 0 or -1 (2622 and
 * 2626 duplicate keys, 2619 a relative file at its largest size). */
QEL_RECACC_EXPORT int KRACPut(DTF* dtf, PutRequest* request);

/* Deletes the record in the record area of an indexed file (2611 for a
 * relative file). 0 or -1. */
QEL_RECACC_EXPORT int KRACDelete(DTF* dtf);

/* Closes a file opened by KRACOpen2 and frees the record area, the key
 * table, the sequential control and the keyed state. 0 or -1. */
QEL_RECACC_EXPORT int KRACClose2(DTF* dtf);

/* Copies key n (1 to the key count) of an indexed file into *info. 0, or -1
 * with 2611. */
QEL_RECACC_EXPORT int KRACKeyInfGet(DTF* dtf, KeyInformation* info, int32_t n);

/* Makes key n current; the next first or last read follows it. 0 or -1. */
QEL_RECACC_EXPORT int KRACKeyChange(DTF* dtf, int32_t n);

/* Indexed: the number of keys; relative: the number of records (file size /
 * record length); -1 with 2611 when the DTF has no keyed open file. */
QEL_RECACC_EXPORT int KRACKeyCountGet(DTF* dtf);

/* Sets the record length. Returns 0. */
QEL_RECACC_EXPORT int KRACSetRLength(DTF* dtf, int32_t length);

#ifdef __cplusplus
}
#endif

#endif /* QEL_RECACC_QELRECACC_H_ */
