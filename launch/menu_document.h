// The menu document: its blocks, placement, custom colours and object lists,
// read from and written to a .qlm file.
//
// File layout (little-endian):
//   signature block, 512 bytes:
//     0   8  "MENU2", zero-padded
//     8   2  count (0)            10 256  16 entries of 16 bytes, zero
//     266 2  word, kept as read   268 32  title, zero-terminated
//     300 4  512                  304 208 zero
//   property block, 512 bytes:
//     0 8 "QELSTART" (a new document: "QLMENU")  8 2 value 1  10 2 version 3
//     12 4 background colour set   16 4 background colour   20 4 maximised
//     (older layout, not "MENU2": 0 4 name, 4 2 value, 6 2 version, 8 2 colour
//      set, 10 2 + 12 2 colour low and high halves, 14 2 maximised)
//   placement: restore flag, left, top, width, height, 16 bits each
//   lists: texts, buttons, pictures, frames, lines and rectangles, OLE links
//   version 3: icon list; drawing-order list (references to the objects
//     above); custom colours: 0x04000000 and a dword array of 16
//   versions 1 and 2: icon list in the counted form (a .DMK menu of version 2
//     then has 16 colours, 32 bits each)
//   input-area list, PF-key list (absent in a .DMK menu)
//   OLE section: 0x0DAF, count of embedded objects, the objects
//
// Older layout: each object list is counted (16-bit count; a non-empty list
// starts with the new-class header naming the list's class; each object but
// the last is followed by a 16-bit class tag) with 50-byte fonts, lines and
// rectangles in two lists read into one; whatever follows the lists and the
// icon part is the OLE section and is skipped.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "launch/menu_objects.h"

namespace qel::launch {

struct Placement {
  uint16_t restore = 0;
  int16_t left = 0;
  int16_t top = 0;
  uint16_t width = 0;
  uint16_t height = 0;
  bool operator==(const Placement&) const = default;
};

// The outcome of Open or Save; `message` is the text to show (CP932), empty
// when there is none. A message may come with success (skipped OLE objects).
struct DocumentResult {
  enum Status { kOk, kFailed, kCancelled, kSaveAs };
  Status status = kOk;
  std::string message;
  std::string detail;    // the button title shown with the missing-number message
  int system_error = 0;  // when the file itself could not be read or written
  bool ok() const { return status == kOk; }
};

class CQelstartDoc {
 public:
  using ObjectList = std::vector<std::unique_ptr<CLCNObject>>;

  CQelstartDoc();
  CQelstartDoc(const CQelstartDoc&) = delete;
  CQelstartDoc& operator=(const CQelstartDoc&) = delete;

  // Reads `path`; a name ending ".DMK" (any case) is read in the reduced form.
  DocumentResult Open(const std::string& path);
  // Runs the checks before saving, sets the restore flag and writes `path`.
  DocumentResult Save(const std::string& path);
  // The checks before saving alone; kOk when the document may be saved.
  DocumentResult CheckBeforeSave() const;

  // The archive itself, with no checks.
  DocumentResult Load(std::string_view bytes, bool reduced);
  std::string Store() const;

  bool Equals(const CQelstartDoc& other) const;
  size_t ObjectCount() const;

  // Adds an object to the list of its kind and to the drawing order.
  CLCNObject& Add(std::unique_ptr<CLCNObject> object);
  template <typename T>
  T& Add() {
    return static_cast<T&>(Add(std::make_unique<T>()));
  }

  // Property block.
  std::string type_name = "QLMENU";
  uint16_t property_value = 1;
  uint16_t version = 3;
  bool background_set = false;
  ColorRef background = kWhite;
  bool maximized = false;
  ColorRef BackgroundColor() const { return background_set ? background : kWhite; }

  // Signature block.
  std::string title;  // up to 31 bytes are kept
  uint16_t signature_word = 0;

  Placement placement;
  std::array<ColorRef, 16> custom_colors;
  bool reduced = false;  // opened from a .DMK menu
  LogFont text_default = LogFont::TextDefault();

  ObjectList strings, buttons, pictures, frames, lines, oles, icons, inputs, pf_keys;
  // Objects that appear only in the drawing order of a file.
  ObjectList others;
  std::vector<CLCNObject*> draw_order;

 private:
  void Clear();
  ObjectList* ListFor(ObjectKind kind);
  void ReadBody(ArchiveReader& in, bool old_layout, DocumentResult& result);
};

// Messages of the document, CP932.
namespace doc_messages {
std::string FormatInvalid();
std::string OleSkipped();
std::string NoButton();
std::string NoMenuNumber();
std::string DuplicateMenuNumber(int number);
std::string ReducedCannotSave();
std::string OutOfMemory();
}  // namespace doc_messages

}  // namespace qel::launch
