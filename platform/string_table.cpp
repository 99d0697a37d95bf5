// The process-wide registry of string tables, one per module name.
#include "platform/string_table.h"

#include <strings.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

namespace qel::platform {
namespace {

struct Registration {
  std::string module;
  const StringTableEntry* entries;
  std::size_t count;
  bool is_program;
};

struct Registry {
  std::mutex mutex;
  std::vector<Registration> tables;
  const Registration* program = nullptr;
};

// Built on first use, so that tables registered from other libraries' static
// initialisers find it whatever the initialisation order.
Registry& TheRegistry() {
  static Registry* registry = new Registry;
  return *registry;
}

bool SameModule(std::string_view a, std::string_view b) {
  return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::optional<std::string_view> Find(const Registration& r, unsigned id) {
  auto end = r.entries + r.count;
  auto it = std::lower_bound(r.entries, end, id,
                             [](const StringTableEntry& e, unsigned v) { return e.id < v; });
  if (it == end || it->id != id) return std::nullopt;
  return std::string_view(it->text, it->size);
}

void RefreshProgram(Registry& reg) {
  reg.program = nullptr;
  for (const auto& r : reg.tables) {
    if (r.is_program) reg.program = &r;
  }
}

}  // namespace

void RegisterStringTable(const char* module, const StringTableEntry* entries, std::size_t count,
                         bool is_program) {
  Registry& reg = TheRegistry();
  std::lock_guard lock(reg.mutex);
  std::erase_if(reg.tables, [&](const Registration& r) { return SameModule(r.module, module); });
  reg.tables.push_back({module, entries, count, is_program});
  RefreshProgram(reg);
}

void UnregisterStringTable(const char* module) {
  Registry& reg = TheRegistry();
  std::lock_guard lock(reg.mutex);
  std::erase_if(reg.tables, [&](const Registration& r) { return SameModule(r.module, module); });
  RefreshProgram(reg);
}

bool IsModuleLoaded(std::string_view module) {
  Registry& reg = TheRegistry();
  std::lock_guard lock(reg.mutex);
  return std::any_of(reg.tables.begin(), reg.tables.end(),
                     [&](const Registration& r) { return SameModule(r.module, module); });
}

std::optional<std::string_view> LoadModuleString(std::string_view module, unsigned id) {
  Registry& reg = TheRegistry();
  std::lock_guard lock(reg.mutex);
  for (const auto& r : reg.tables) {
    if (SameModule(r.module, module)) return Find(r, id);
  }
  return std::nullopt;
}

std::optional<std::string_view> LoadProgramString(unsigned id) {
  Registry& reg = TheRegistry();
  std::lock_guard lock(reg.mutex);
  if (reg.program == nullptr) return std::nullopt;
  return Find(*reg.program, id);
}

}  // namespace qel::platform
