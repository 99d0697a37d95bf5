// Pieces every data-file call shares: statuses into the DTF, the common
// prologue, the library-owned blocks of an open file, and the close.
#ifndef QEL_RECACC_DTF_ACCESS_H_
#define QEL_RECACC_DTF_ACCESS_H_

#include <cstdint>
#include <string_view>

#include "recacc/access_failure.h"
#include "recacc/file_state.h"
#include "recacc/isam_binding.h"
#include "recacc/qelrecacc.h"
#include "xformio/qelxformio.h"

namespace qel::recacc {

// Status and sub-code (kNoSubCode: an empty sub-code).
void SetStatus(DTF* dtf, uint32_t status, int sub_code = Failure::kNoSubCode);
void SetFailure(DTF* dtf, const Failure& f);

// A code field of the DTF ("VK", "FB") without its padding.
std::string_view Code(const char (&field)[4]);

// The common prologue: current function, cleared status and sub-code, and
// the call order (an open only on a closed DTF, anything else only on an
// open one; 3630 otherwise).
bool Begin(DTF* dtf, int32_t function, bool is_open);

// The binding of an open indexed file, or nullptr.
IsamBinding* Isam(DTF* dtf);
IsuSamCtl* Sequential(DTF* dtf);

void FreeRecordArea(DTF* dtf);
// Frees the private block, releasing an indexed file's load of the library.
void FreeState(DTF* dtf);
void FreeSequential(DTF* dtf);

Failure LastSequentialFailure(IsuSamCtl* ctl, Operation op);

// KVIsuExclCBL on a just opened file: false with the status set when the
// file may not be used exclusively.
bool CheckExclusive(DTF* dtf, IsuSamCtl* ctl, QelFileHandle handle);

// Closes whatever file the DTF has open (KRACOpen or KRACOpen2) and frees
// every block of it. The DTF is closed afterwards, except when the ISAM
// library answers that another thread occupies it (3698). 0 or -1.
int CloseOpenFile(DTF* dtf);

}  // namespace qel::recacc

#endif  // QEL_RECACC_DTF_ACCESS_H_
