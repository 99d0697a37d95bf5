// The procedure-file handler CKRPFDoc: reads a rework procedure into a
// CZovozDoc (mode 0: the common block, opening the files at COM_END; mode 1:
// the selection and edit blocks) and writes one from it (mode 2).
//
// Procedure file (CP932 text, one statement per line, LF or CR LF):
//
//   line                         meaning
//   ;...                         comment (a ";" as the first byte), ignored
//   start banner                 first line that is not a comment
//   KEYWORD;  KEYWORD=value;     statement; text after the ";" is ignored
//   end banner                   lines after it are not read
//
//   block       keywords (in this order of blocks)
//   common      COM INDATA INDEF OUTDATA [OUTDEF] ENDIAN BLANK ED COPY
//               METAONE METAALL SELORDER COM_END          (each exactly once)
//   selection   SEL KEY JUDGE COMP... SEL_END             (0 to 10 kept)
//   edit        EDIT INITEM OUTITEM EDIT_END              (any number)
//
// Inside a value a '"' escapes the next ';' or '"'; the two bytes of a
// double-byte character are taken together. A constant value is '""' and the
// escaped text (no closing mark). Item names are qualified (item_names.h).
// Changing the banners or the keywords makes existing procedures unreadable.
#ifndef QEL_REWORK_PROCEDURE_FILE_H_
#define QEL_REWORK_PROCEDURE_FILE_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "rework/zovoz_document.h"

namespace qel::rework {

inline constexpr std::string_view kStartBanner =
    "*************    RWORK  PARAMETER  FILE  START    *************";
inline constexpr std::string_view kEndBanner =
    "**************    RWORK  PARAMETER  FILE  END    **************";
// Longest line the reader takes; the rest of a longer line is dropped.
inline constexpr std::size_t kLineBufferSize = 65535;
// The largest procedure file the reader takes, far above any real one; a
// larger file, or one that never ends (/dev/zero), is refused as no
// procedure file (KRPF2825) as soon as this much has been read.
inline constexpr std::size_t kMaxProcedureFileSize = std::size_t{16} << 20;
// Characters of a constant the reader keeps.
inline constexpr std::size_t kMaxConstantLength = 40;

inline constexpr int kModeReadCommon = 0;
inline constexpr int kModeReadBlocks = 1;
inline constexpr int kModeWrite = 2;

class CKRPFDoc {
 public:
  explicit CKRPFDoc(CZovozDoc* document) : doc_(document) {}

  // Runs `mode` on `path`: 0 or a message number. After a failure line()
  // is the line where reading stopped (from 1, comments included).
  // REQUIRES: mode 1 follows a successful mode 0 of the same handler.
  int Run(int mode, const std::string& path);

  int line() const { return line_; }

 private:
  enum class Block { kNone, kCommon, kSelection, kEdit };

  int ReadCommon(const std::string& path);
  int ReadBlocks();
  int Write(const std::string& path);

  // Next line into *text; false at the end of the file.
  bool NextLine(std::string_view* text);
  int CommonStatement(int keyword, std::string_view value);
  int CommonEnd();
  int BlockStatement(int keyword, std::string_view value);
  int EndOfBlocks();
  int ItemReference(std::string_view value, bool output, int* reference);
  void CloseAfterError();

  CZovozDoc* doc_;
  std::string content_;
  std::size_t cursor_ = 0;
  int line_ = 0;
  bool common_done_ = false;
  Block block_ = Block::kNone;
  unsigned common_seen_ = 0;  // one bit per common keyword, COM included
  bool outdef_seen_ = false;
  // Open selection block.
  bool sel_key_ = false, sel_judge_ = false;
  int sel_comps_ = 0;
  SelCondEntry sel_entry_{};
  SelCompEntry* sel_tail_ = nullptr;
  // Open edit block.
  bool edit_in_ = false, edit_out_ = false;
  EditEntry edit_entry_{};
  bool edit_completed_ = false;
  int selection_blocks_ = 0;
};

// Escapes a value for writing: a '"' before every ';' and '"'.
std::string EscapeValue(std::string_view value);

// The first bytes of text, at most max, without splitting a double-byte
// character and without a lead byte that has no second byte after it
// (written before a ";", it would take the ";" for its second byte).
std::string_view CutCharacters(std::string_view text, std::size_t max);

}  // namespace qel::rework

#endif  // QEL_REWORK_PROCEDURE_FILE_H_
