// The dictionary set-up: at start-up one TableManager and one RelationSet per
// table of the data dictionary (core/dictionary.h), bound to the table's
// File, with its keys (primary BAS:NUM_KEY), its relations and linking
// fields, and for BASA, SDELKA and KONST the default values and field rules;
// at the end of the run all of it is released again.
//
// Every window, browse, calculation and report reaches a stored table only
// through the two program-wide pointers named after it:
//     managers::NBASA->AddRecord();     relations::NBASA->DeleteWithChildren(true);
// Both are null before InitDictionary and after KillDictionary.
//
// A field rule names the field for message 15 ("BAS:aliment") and, when the
// value is not in its list, answers LevelNotify, or with reporting the
// level of message 15 with the list text as %Message:
//     "The value of BAS:aliment must be in the list : '0','1','2','3'."
//
// Used only by the run token's holder.
#pragma once

#include <memory>

#include "core/table_declaration.h"
#include "framework/data/error_reporter.h"
#include "framework/data/relation_set.h"
#include "framework/data/table_manager.h"
#include "storage/file.h"

namespace zelvo {

#define ZELVO_DICTIONARY_TABLES(T) \
  T(BASA) T(OSNOVA) T(NDFL) T(PENSTA) T(SPISOK) T(AVANSNEW) T(KATEGOR) T(K1O) T(K2RN) T(K3G) \
  T(K4NP) T(K5UL) T(UCHASTOK) T(SDELKA) T(NZELVO) T(OBEKT) T(BOLNICA) T(KONST) T(NBASA) T(DNI)

namespace managers {
#define ZELVO_DECLARE_MANAGER(label) extern TableManager* label;
ZELVO_DICTIONARY_TABLES(ZELVO_DECLARE_MANAGER)
#undef ZELVO_DECLARE_MANAGER
}  // namespace managers

namespace relations {
#define ZELVO_DECLARE_RELATIONS(label) extern RelationSet* label;
ZELVO_DICTIONARY_TABLES(ZELVO_DECLARE_RELATIONS)
#undef ZELVO_DECLARE_RELATIONS
}  // namespace relations

// The table manager of a dictionary table: its defaults and field rules
// (core/field_hooks.h) over the base behaviour.
class DictionaryTableManager : public TableManager {
 public:
  explicit DictionaryTableManager(const TableDeclaration& table) : table_(&table) {}
  void PrimeFieldDefaults() override;
  Level CheckFieldRule(std::size_t field, bool report) override;
  const TableDeclaration& Table() const { return *table_; }

 private:
  const TableDeclaration* table_;
};

// Binds `manager` and `set` to `file` as the set-up does for `table`: the
// message name, CREATE 1, LOCKRECOVER 10, the keys in order, transactions on.
void BindTable(const TableDeclaration& table, File& file, TableManager& manager, RelationSet& set,
               ErrorReporter& errors);

void InitDictionary(ErrorReporter& errors);
// Kills every manager and set, closes the files still open (rolling back a
// transaction left open) and clears the pointers.
void KillDictionary();

// The manager and the set of a table by its label, null when the dictionary
// is not set up or there is no such table.
TableManager* ManagerOf(std::string_view label);
RelationSet* RelationsOf(std::string_view label);

}  // namespace zelvo
