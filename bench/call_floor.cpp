// Two functions of a shared library shaped like the CSV field reader and
// writer that do next to nothing, so that the benchmark can show what its
// calls through a shared library cost alone on the machine it runs on.
#include <cstdint>

extern "C" {

__attribute__((visibility("default"))) int BenchFieldGet(int handle, char* field,
                                                         int32_t* length, int32_t* end_kind) {
  *length = handle;
  *end_kind = field == nullptr ? 2 : 0;
  return 0;
}

__attribute__((visibility("default"))) int BenchFieldPut(int handle, const char* field,
                                                         int32_t length, int end_kind) {
  return handle < 0 || (field == nullptr && length > 0) || end_kind > 2 ? -1 : 0;
}

}  // extern "C"
