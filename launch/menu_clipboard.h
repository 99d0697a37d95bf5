// Objects on the clipboard between menu documents, in the format "QELSTART":
// the bytes of a menu document (menu_document.h) that holds copies of the
// objects, so that cut, copy and paste work between launcher processes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "launch/menu_document.h"

namespace qel::launch {

// The clipboard format's name (a MIME type of that name in Qt).
inline constexpr const char* kClipboardFormat = "QELSTART";

// The clipboard bytes for `objects` (each written and read back, so the
// copies are equal to the originals and independent of them).
std::string CopyMenuObjects(const std::vector<const CLCNObject*>& objects);

// Adds the objects of `bytes` to `doc`, each moved by (dx, dy), within the
// menu's limits. Returns the objects added; `message` is set (CP932) when
// the bytes are no objects or a limit refused the paste, and then nothing is
// added.
std::vector<CLCNObject*> PasteMenuObjects(CQelstartDoc& doc, std::string_view bytes, int dx,
                                          int dy, std::string& message);

}  // namespace qel::launch
