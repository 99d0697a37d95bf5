// Calls of the engine beyond the C-ISAM set, for the qelidx tool and tests.
#ifndef QEL_IDXFILE_ENGINE_H_
#define QEL_IDXFILE_ENGINE_H_

#include <cstddef>
#include <functional>
#include <string>

#include "idxfile/key_file.h"

namespace qel::idxfile {

// Makes the empty indexed file `name` with every key of `spec` and its key
// file at `kdf_path` (empty: NAME.kdf), and opens it in `mode`. With `bulk`
// the file is flushed only at isclose and uses a larger cache: for building a
// file that is renamed into place afterwards. Returns a file number or -1.
int build_file(const std::string& name, const FileSpec& spec, int mode, bool bulk,
               const std::string& kdf_path = {});

// Why the key file and the Berkeley DB files of `name` do not describe one
// indexed file (for an open refused with EBADFILE): the key file's own fault,
// a missing index, an index beyond the keys it lists, or an index whose form
// differs from its KEY line. Empty when no such fault is found. `kdf_path`
// empty: the key file that isopen would use.
std::string describe_mismatch(const std::string& name, const std::string& kdf_path = {});

// The key file of the indexed file `name`: NAME.kdf when it exists, else the
// one file of its directory named NAME.kdf in another letter case of "kdf";
// NAME.kdf when there is none or more than one.
std::string key_file_of(const std::string& name);

// Writes `count` records of the file's record size, back to back at
// `records`, into a file that build_file made with `bulk`: each index is
// filled in its key order, which is several times faster than iswrite of
// one record after another, and leaves the same entries (duplicates numbered
// in record order). When iswrite in turn would have refused a record as a
// duplicate, returns -1 with EDUPL and that first record's position in
// *failed; the file is then unusable and the caller discards it. `progress`
// (may be empty) is called now and then with the entries put and their total.
using BulkProgress = std::function<void(size_t done, size_t total)>;
int bulk_write(int fd, const char* records, size_t count, size_t* failed,
               const BulkProgress& progress = {});

// Opens `name` as isopen does, with the key file at `kdf_path`.
int open_with_key_file(const std::string& name, const std::string& kdf_path, int mode);

// The description of an open file; nullptr for a bad file number.
const FileSpec* file_spec(int fd);

// Verifies that every alternate index holds exactly one entry per record,
// pointing at it. Returns 0 and an empty `problem`, 1 and what is wrong, or
// -1 with the error number set.
int check_file(int fd, std::string* problem);

// A function that every call into an open file runs while it holds the file,
// before its work (nullptr: none): lets a test keep one thread inside a file
// while another calls into it.
using HeldHook = void (*)(int fd);
void set_held_hook(HeldHook hook);

// Extracts key `index` (0: primary) of `record` as stored in the index.
std::string make_key(const KeySpec& key, const char* record);

}  // namespace qel::idxfile

#endif  // QEL_IDXFILE_ENGINE_H_
