// The record edit engine CKRMVDoc: checks the edit list of a procedure,
// prepares one move descriptor per move before the first record, and builds
// every output record from an input record with those moves. Numeric moves
// follow COBOL MOVE: digits aligned at the decimal point, excess high-order
// integer and low-order fraction digits dropped, the sign kept for signed
// destinations and dropped for unsigned ones.
//
// MoveDesc image (128 bytes, written to the KRMVINF log for the first record
// of a run; 32-bit little-endian values, addresses cut to their low 32 bits):
//
//   offset  field                      offset  field
//   0       source work area           60      destination work area
//   4       source digits              64      destination digits
//   8       source integer digits      68      destination integer digits
//   12      source length              72      destination length
//   16      source bit position        76      destination bit position
//   20      source JUSTIFIED           80      destination JUSTIFIED
//   24      source SIGN kind           84      destination SIGN kind
//   28      source SYNCHRONIZED        88      destination SYNCHRONIZED
//   32      source item number         92      destination item number
//   36      source attribute           96      destination attribute
//   40      source position            100     destination position
//   44      source BLANK WHEN ZERO     104     constant text address
//   48      destination BLANK WHEN ZERO 116    big endian
//                                      120     blank when zero
//   every other byte is zero.
#ifndef QEL_REWORK_EDIT_ENGINE_H_
#define QEL_REWORK_EDIT_ENGINE_H_

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "codec/item_codec.h"
#include "recacc/qelrecacc.h"
#include "rework/zovoz_document.h"

namespace qel::rework {

inline constexpr std::size_t kMoveDescImageSize = 128;

struct MoveSide {
  std::uint8_t* work_area = nullptr;
  int32_t digits = 0;
  int32_t integer_digits = 0;
  int32_t length = 0;
  int32_t bit_position = 0;
  int32_t justified = 0;
  int32_t sign = 0;
  int32_t synchronized = 0;
  int32_t item_number = 0;
  int32_t attribute = 0;
  int32_t position = 0;
};

struct MoveDesc {
  MoveSide source;
  int32_t source_blank_when_zero = 0;
  int32_t destination_blank_when_zero = 0;
  MoveSide destination;
  const char* constant = nullptr;
  int32_t big_endian = 0;
  int32_t blank_when_zero = 0;
};

std::array<std::uint8_t, kMoveDescImageSize> MoveDescImage(const MoveDesc& desc);

// True when a move from attribute `from` to `to` is allowed (equal edit
// strings still to be checked where EditStringsRequired).
bool ValidMove(int from, int to);
bool EditStringsRequired(int from, int to);

// Checks a constant for a destination attribute: 0 or a KRMV number.
int CheckConstant(std::string_view constant, int destination_attribute);

// The KRCK number under which the procedure check reports an edit fault.
int EditCheckMessage(int message);

class CKRMVDoc {
 public:
  explicit CKRMVDoc(CZovozDoc* document) : doc_(document) {}

  // Checks the document's edit list and fills its edit faults. 0, or
  // KRCK2141 when more than kMaxEditFaults were found (checking stops).
  int CheckEdits();

  // Checks one entry: 0 or a KRMV/KRWN/KRCK number. `earlier` is the list
  // before it (for the output item already used).
  int CheckEntry(const EditEntry& entry, const EditEntry* earlier) const;

  // Prepares the moves of a run: 0, KRMV2364, KRMV2380, KRMV2361, KRMV2362.
  // After 2361/2362 error_item() is the output item's index.
  int Prepare();
  // The run ends: work areas released.
  void Release();

  // True when the run copies records unchanged (no moves: APPOINT without
  // entries).
  bool CopiesOnly() const { return moves_.empty(); }

  // Builds the output record (blanks, COPY, bit items zero).
  void PrepareRecord(std::span<const std::uint8_t> input, std::span<std::uint8_t> output) const;
  // Performs every move. 0 or KRMV2360 / KRMV2363 with error_item() set to
  // the destination's index. With `log`, every descriptor is written to the
  // edit log before its move.
  int Edit(std::span<const std::uint8_t> input, std::span<std::uint8_t> output, bool log);
  // Edit without touching the engine: the failing item goes to *error_item
  // and nothing is logged. After Prepare, and until Release, several threads
  // may call it at once (each with its own records); PrepareRecord is
  // likewise safe.
  int EditRecord(std::span<const std::uint8_t> input, std::span<std::uint8_t> output,
                 int* error_item) const;

  int error_item() const { return error_item_; }
  int source_error_item() const { return source_error_item_; }
  const std::vector<MoveDesc>& moves() const;

 private:
  enum class Kind { kCharacters, kNational, kCopy, kFixedCopy, kBits, kNumeric };
  struct Move {
    MoveDesc desc;
    Kind kind = Kind::kCharacters;
    codec::ItemFormat source_format, destination_format;
    bool source_is_constant = false;
    bool source_bwz = false;       // treat an all-blank source as zero
    bool destination_bwz = false;  // write zero as blanks
    codec::Decimal constant_value;
    std::string constant_bytes;
  };

  int AddMove(const ItemDescriptor* source, const char* constant,
              const ItemDescriptor& destination);
  // One move, with `value` as its numeric work area; on KRMV2360
  // *source_item is the invalid input item's index.
  int Perform(const Move& m, std::span<const std::uint8_t> input, std::span<std::uint8_t> output,
              codec::Decimal& value, int* source_item) const;
  int EditMoves(std::span<const std::uint8_t> input, std::span<std::uint8_t> output, bool log,
                int* error_item, int* source_item) const;

  CZovozDoc* doc_;
  std::vector<Move> moves_;
  mutable std::vector<MoveDesc> descs_;
  std::vector<std::pair<int32_t, int32_t>> bit_ranges_;  // position, length
  std::vector<std::uint8_t> source_area_, destination_area_;
  codec::CodecOptions options_;
  int error_item_ = 0;
  int source_error_item_ = 0;
};

}  // namespace qel::rework

#endif  // QEL_REWORK_EDIT_ENGINE_H_
