// The number of worker threads of a run.
#include <sched.h>

#include <cstdlib>
#include <thread>

#include "xformio/ordered_blocks.h"

namespace qel::xformio {

unsigned WorkThreads() {
  if (const char* text = std::getenv("QEL_THREADS"); text != nullptr && *text != '\0') {
    char* end = nullptr;
    long n = std::strtol(text, &end, 10);
    if (*end == '\0' && n >= 1 && n <= 256) return static_cast<unsigned>(n);
  }
  // The processors this process may run on, which a container or taskset
  // may make fewer than the machine has.
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0) {
    int n = CPU_COUNT(&set);
    if (n >= 1) return static_cast<unsigned>(n);
  }
  unsigned n = std::thread::hardware_concurrency();
  return n >= 1 ? n : 1;
}

}  // namespace qel::xformio
