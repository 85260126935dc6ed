/* The database engine's C interface: Paradox tables (.DB, with their .PX primary index and .MB blob file)
 * opened shared, read by record position and written by positional or key-ordered insert.
 *
 * The table component loads the engine at run time (pdxengine.dll on Windows) and binds these entries by
 * name with GetProcAddress, so the interface is plain C: no exceptions, no C++ types cross it.
 *
 * Conventions:
 * - Every function that can fail returns a PdxStatus; PDX_OK (0) is success. After a failure,
 *   pdx_last_error() gives a message in English (UTF-8) naming the file and the cause; it stays valid until
 *   the next engine call on the same thread.
 * - Text crosses the interface as UTF-8. The engine converts to and from the table's own code page; a
 *   character that code page cannot hold is refused with PDX_E_VALUE, never replaced by '?'.
 * - Records are addressed by 0-based position in table order (the order of the block chain, then the slots
 *   of each block; key order in a keyed table).
 * - Tables are always opened shared. Readers see the table as it was at the last pdx_refresh (pdx_open
 *   refreshes); a write takes the table's write lock, which another instance of the engine, in this or
 *   another process, respects. A write is all or nothing: on any failure the files are as they were, and
 *   when the process dies in the middle of one, the next pdx_open or pdx_refresh of the table (by any
 *   process) puts back what it had changed, from the journal beside the table (NAME.JNL).
 */
#ifndef PDX_ENGINE_H
#define PDX_ENGINE_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32) && defined(PDX_ENGINE_BUILD)
#define PDX_API __declspec(dllexport)
#else
#define PDX_API
#endif

/* The version of this interface; a loader refuses an engine whose pdx_api_version() differs. */
#define PDX_API_VERSION 2

typedef enum PdxStatus {
    PDX_OK = 0,
    PDX_E_ARGUMENT = 1, /* a null pointer, a bad field index or position, a wrong value count */
    PDX_E_IO = 2,       /* the file cannot be opened, read or written (missing, denied, disk full) */
    PDX_E_FORMAT = 3,   /* the file is not a Paradox table, or it is damaged */
    PDX_E_LOCKED = 4,   /* another user holds the table's lock */
    PDX_E_VALUE = 5,    /* a value the field cannot hold (range, code page, length, type) */
    PDX_E_READONLY = 6, /* the table was opened for reading only, or the file is read-only */
    PDX_E_MEMORY = 7,
    PDX_E_UNSUPPORTED = 8 /* a feature of the file the engine does not handle (encryption, ...) */
} PdxStatus;

/* Paradox field type codes, as stored in the table header. */
typedef enum PdxFieldType {
    PDX_ALPHA = 0x01,
    PDX_DATE = 0x02,
    PDX_SHORT = 0x03,
    PDX_LONG = 0x04,
    PDX_CURRENCY = 0x05,
    PDX_NUMBER = 0x06,
    PDX_LOGICAL = 0x09,
    PDX_MEMO = 0x0C,
    PDX_BLOB = 0x0D,
    PDX_FMTMEMO = 0x0E,
    PDX_OLE = 0x0F,
    PDX_GRAPHIC = 0x10,
    PDX_TIME = 0x14,
    PDX_TIMESTAMP = 0x15,
    PDX_AUTOINC = 0x16,
    PDX_BCD = 0x17,
    PDX_BYTES = 0x18
} PdxFieldType;

/* The kind of a value crossing the interface. Each field type reads as one kind:
 *   PDX_VALUE_INTEGER    SHORT, LONG, AUTOINC                      (i)
 *   PDX_VALUE_FLOAT      NUMBER, CURRENCY                          (f)
 *   PDX_VALUE_BOOLEAN    LOGICAL                                   (i: 0 or 1)
 *   PDX_VALUE_STRING     ALPHA, MEMO, FMTMEMO; BCD as a decimal    (s, len: UTF-8, not necessarily 0-ended)
 *   PDX_VALUE_DATE       DATE: days, 1 = 1 January of year 1       (i)
 *   PDX_VALUE_TIME       TIME: milliseconds since midnight         (i)
 *   PDX_VALUE_TIMESTAMP  TIMESTAMP: days * 86400000 + ms           (f)
 *   PDX_VALUE_BYTES      BLOB, OLE, GRAPHIC, BYTES                 (s, len: raw bytes)
 * A blank field reads as PDX_VALUE_NULL. When writing, a value must be of its field's kind, or NULL. */
typedef enum PdxValueKind {
    PDX_VALUE_NULL = 0,
    PDX_VALUE_INTEGER = 1,
    PDX_VALUE_FLOAT = 2,
    PDX_VALUE_BOOLEAN = 3,
    PDX_VALUE_STRING = 4,
    PDX_VALUE_DATE = 5,
    PDX_VALUE_TIME = 6,
    PDX_VALUE_TIMESTAMP = 7,
    PDX_VALUE_BYTES = 8
} PdxValueKind;

typedef struct PdxValue {
    int kind; /* a PdxValueKind */
    int64_t i;
    double f;
    const char* s; /* read: owned by the table, valid until the next call on it */
    size_t len;
} PdxValue;

typedef struct PdxTableInfo {
    int file_version; /* 30, 35, 40, 50 or 70 */
    int keyed;        /* 1 when the table has a primary key */
    int key_fields;   /* the key is the first key_fields fields */
    int code_page;    /* 0 when the header holds none (version 3 tables) */
    int record_size;  /* bytes */
    int block_size;   /* bytes */
    int field_count;
    uint32_t header_records; /* the record count the header states */
    uint32_t blocks;         /* blocks in the file */
} PdxTableInfo;

typedef struct PdxFieldInfo {
    const char* name; /* UTF-8, owned by the table */
    int type;         /* a PdxFieldType, or another code the engine carries along untouched */
    int size;         /* bytes in the record */
    int decimals;     /* BCD only */
} PdxFieldInfo;

typedef struct PdxTable PdxTable;

enum { PDX_OPEN_READ = 0, PDX_OPEN_READ_WRITE = 1 };

PDX_API int pdx_api_version(void);
PDX_API const char* pdx_last_error(void);

/* Opens a table shared; path is UTF-8. On failure *table is null. */
PDX_API PdxStatus pdx_open(const char* path, int mode, PdxTable** table);
/* Closes the table; a null table is harmless. */
PDX_API void pdx_close(PdxTable* table);

PDX_API PdxStatus pdx_table_info(PdxTable* table, PdxTableInfo* info);
PDX_API PdxStatus pdx_field_info(PdxTable* table, int field, PdxFieldInfo* info);

/* Re-reads the header and the block chain when another user changed the table, and gives the number of
 * records found by walking the chain. */
PDX_API PdxStatus pdx_refresh(PdxTable* table, uint32_t* records);

/* Reads one field of the record at a position (below the count of the last refresh). */
PDX_API PdxStatus pdx_get_value(PdxTable* table, uint32_t position, int field, PdxValue* value);

/* Inserts one record; values holds one value per field, in table order (NULL for a blank field). In a
 * table without a key the record takes the given position and the records from there move one place
 * down (position == record count appends); in a keyed table the position is ignored and the record goes
 * in key order, with the primary index kept valid. *inserted_at, when not null, receives the position the
 * record took. A blank autoincrement field (in the key or not) gets the next value, and the header's counter
 * moves on. The table is refreshed afterwards. */
PDX_API PdxStatus pdx_insert(PdxTable* table, uint32_t position, const PdxValue* values, int count,
                             uint32_t* inserted_at);

/* Takes the table's write lock and keeps it until pdx_unlock or pdx_close, so that a count and an insert
 * made meanwhile are one step for other users (their inserts and locks wait; reading goes on). Waits up to
 * 2 s for another user, then fails with PDX_E_LOCKED. A table opened for reading takes it too, keeping
 * others from writing; on a read-only file, which nobody may write, it succeeds without a lock. Taking it
 * again while holding it changes nothing; pdx_unlock without it is harmless. */
PDX_API PdxStatus pdx_lock(PdxTable* table);
PDX_API PdxStatus pdx_unlock(PdxTable* table);

#ifdef __cplusplus
}
#endif

#endif
