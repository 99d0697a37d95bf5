// The files the fault and hostile-input tests convert: one 20-byte record
// layout (CODE X(4), AMOUNT 9(6), NAME X(10)) as a fixed-length and a
// variable-length sequential file, a text file, an indexed file's key file,
// and the definitions and procedure that go with them.
#ifndef QEL_TESTS_FAULTS_WORKLOAD_H_
#define QEL_TESTS_FAULTS_WORKLOAD_H_

#include <string>

#include "tests/faults/program_run.h"

namespace qel::faults {

inline constexpr int kRecordLength = 20;

// Record `i` (from 0): CODE is i in four digits, so it keys an indexed file.
std::string Record(int i);
// `count` records back to back.
std::string FixedFile(int count);
// The same records behind the variable-length header.
std::string VariableFile(int count);
// The records' first 20 bytes as text lines.
std::string TextFile(int count);

struct Workload {
  // Writes IN.DAT (fixed), IN.VAR (variable), IN.TXT, the definitions
  // SEQ.FLF/SEQ.RDF (sequential) and IDX.FLF (indexed, same record) and the
  // key file IDX.kdf into `dir`.
  Workload(const ScratchDir& dir, int count);

  // A selection procedure without conditions copying IN.DAT to `output`.
  std::string Procedure(const std::string& output) const;

  const ScratchDir& dir;
  int count;
  std::string sam, var, txt, seq_flf, idx_flf, kdf, idx_name;
};

}  // namespace qel::faults

#endif  // QEL_TESTS_FAULTS_WORKLOAD_H_
