#include "framework/data/table_use_registry.h"

#include <string>
#include <vector>

#include "framework/data/table_manager.h"
#include "framework/data/thread_number.h"

namespace zelvo::table_use {
namespace {

struct UseEntry {
  std::int32_t thread;
  std::string procedure;
  TableManager* table;
  int strongest;          // USTAT
  std::uint32_t hold;     // the state saved for the caller, 0 none
  std::uint16_t nested;   // NESTEDOPEN
};

std::vector<UseEntry>& Entries() {
  static std::vector<UseEntry> entries;
  return entries;
}

UseEntry* Find(TableManager& table, std::int32_t thread, const std::string& procedure) {
  for (UseEntry& e : Entries())
    if (e.table == &table && e.thread == thread && e.procedure == procedure) return &e;
  return nullptr;
}

}  // namespace

void Use(TableManager& table, int mode, bool opening) {
  const std::int32_t thread = CurrentThreadNumber();
  const std::string procedure = table.Errors().CurrentProcedure();
  if (UseEntry* entry = Find(table, thread, procedure)) {
    if (mode > entry->strongest) entry->strongest = mode;
    if (opening) ++entry->nested;
    return;
  }
  bool another = false;
  for (const UseEntry& e : Entries()) another = another || (e.table == &table && e.thread == thread);
  UseEntry entry{thread, procedure, &table, mode, 0, 0};
  Entries().push_back(entry);
  // SaveState runs no registry call, so the entry may be filled in afterwards.
  if (another && mode < 3) {
    const std::uint32_t hold = table.SaveState();
    if (UseEntry* added = Find(table, thread, procedure)) added->hold = hold;
  }
}

void Close(TableManager& table) {
  const std::int32_t thread = CurrentThreadNumber();
  const std::string procedure = table.Errors().CurrentProcedure();
  UseEntry* entry = Find(table, thread, procedure);
  if (entry == nullptr) return;
  if (entry->nested > 0) {
    --entry->nested;
    return;
  }
  const UseEntry done = *entry;
  std::erase_if(Entries(), [&](const UseEntry& e) { return &e == entry; });
  if (done.hold != 0) table.RestoreState(done.hold, done.strongest < 3);
}

void Forget(TableManager& table) {
  std::erase_if(Entries(), [&](const UseEntry& e) { return e.table == &table; });
}

}  // namespace zelvo::table_use
