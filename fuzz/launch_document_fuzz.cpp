// Fuzz target: any bytes as a menu document, read in the current and older
// layouts and in the reduced .DMK form. Whatever is read is written, read
// back and must come out equal, and writing it again gives the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "launch/menu_document.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  for (bool reduced : {false, true}) {
    qel::launch::CQelstartDoc doc;
    if (!doc.Load(input, reduced).ok()) continue;
    std::string written = doc.Store();
    qel::launch::CQelstartDoc again;
    if (!again.Load(written, false).ok() || !again.Equals(doc)) std::abort();
    if (again.Store() != written) std::abort();
  }
  return 0;
}
