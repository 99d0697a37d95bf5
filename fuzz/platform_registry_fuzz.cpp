// Fuzz target: the machine registry file reader, on any bytes as file text.
// The first line of the input (up to the first NUL) is the key, the next the
// value name, so that the fuzzer can reach the sections it writes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string_view key = "SOFTWARE\\KORVATH\\QELLAR2";
  std::string_view name = "CurrentVersion";
  size_t cut = input.find('\0');
  if (cut != std::string_view::npos) {
    std::string_view head = input.substr(0, cut);
    input.remove_prefix(cut + 1);
    size_t eq = head.find('=');
    key = head.substr(0, eq);
    if (eq != std::string_view::npos) name = head.substr(eq + 1);
  }
  auto value = qel::platform::LookUpRegistryText(input, key, name);
  // A found value is a piece of the text, never longer than it.
  if (value && value->size() > input.size()) __builtin_trap();
  return 0;
}
