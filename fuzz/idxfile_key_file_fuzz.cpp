// Fuzz target of the key file reader: any bytes as the text of NAME.kdf. A
// description that parses must format back into text that parses to the same
// description, and every key must be checked against the record size safely.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "idxfile/key_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qel::idxfile;
  std::string error;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  auto spec = parse_key_file(text, &error);
  if (!spec) return 0;
  for (const KeySpec& key : spec->keys) key_fits(key, spec->record_size, &error);
  std::string again = format_key_file(*spec);
  auto reparsed = parse_key_file(again, &error);
  if (!reparsed || format_key_file(*reparsed) != again) std::abort();
  return 0;
}
