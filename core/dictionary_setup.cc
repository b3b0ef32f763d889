#include "core/dictionary_setup.h"

#include <vector>

#include "core/dictionary.h"
#include "core/field_hooks.h"
#include "runtime/cp1251.h"
#include "storage/file_operations.h"

namespace zelvo {

namespace managers {
#define ZELVO_DEFINE_MANAGER(label) TableManager* label = nullptr;
ZELVO_DICTIONARY_TABLES(ZELVO_DEFINE_MANAGER)
#undef ZELVO_DEFINE_MANAGER
}  // namespace managers

namespace relations {
#define ZELVO_DEFINE_RELATIONS(label) RelationSet* label = nullptr;
ZELVO_DICTIONARY_TABLES(ZELVO_DEFINE_RELATIONS)
#undef ZELVO_DEFINE_RELATIONS
}  // namespace relations

namespace {

struct BoundTable {
  const TableDeclaration* table;
  std::unique_ptr<FileDeclaration> declaration;
  std::unique_ptr<File> file;
  std::unique_ptr<DictionaryTableManager> manager;
  std::unique_ptr<RelationSet> set;
};

std::vector<BoundTable>& Bound() {
  static std::vector<BoundTable> bound;
  return bound;
}

struct Pointers {
  std::string_view label;
  TableManager** manager;
  RelationSet** set;
};

constexpr Pointers kPointers[] = {
#define ZELVO_POINTERS(label) {#label, &managers::label, &relations::label},
    ZELVO_DICTIONARY_TABLES(ZELVO_POINTERS)
#undef ZELVO_POINTERS
};

const Pointers* PointersOf(std::string_view label) {
  for (const Pointers& p : kPointers)
    if (SameName(p.label, label)) return &p;
  return nullptr;
}

RelationSet* SetOf(const TableDeclaration* table) {
  for (BoundTable& b : Bound())
    if (b.table == table) return b.set.get();
  return nullptr;
}

}  // namespace

void DictionaryTableManager::PrimeFieldDefaults() { zelvo::PrimeFieldDefaults(*table_, Buffer()); }

Level DictionaryTableManager::CheckFieldRule(std::size_t field, bool report) {
  const Level base = TableManager::CheckFieldRule(field, report);
  const FieldRule* rule = RuleForField(*table_, field);
  if (rule == nullptr) return base;
  Errors().PutFieldName(Cp1251Literal(rule->messageField));
  if (PassesFieldRule(*table_, *rule, Buffer())) return base;
  SetLastError(kMsgValueNotInList);
  if (!report) return LevelNotify;
  return RaiseErrorText(kMsgValueNotInList, Cp1251Literal(rule->listText));
}

void BindTable(const TableDeclaration& table, File& file, TableManager& manager, RelationSet& set,
               ErrorReporter& errors) {
  manager.InitTable(file, errors);
  manager.fileNameValue_ = std::string(table.messageName);
  manager.create = table.create;
  manager.lockRecover = table.lockRecover;
  for (std::size_t i = 0; i < table.keys.size(); ++i)
    manager.AddKey(i + 1, table.keys[i].description, 0, table.keys[i].Has(kKeyPrimary));
  set.InitRelations(manager, true);
}

void InitDictionary(ErrorReporter& errors) {
  KillDictionary();
  for (const TableDeclaration* table : Tables()) {
    BoundTable b{table, std::make_unique<FileDeclaration>(), nullptr, nullptr, nullptr};
    *b.declaration = FileDeclaration{.label = table->label,
                                     .driver = table->driver,
                                     .name = table->fileName,
                                     .attributes = static_cast<std::uint8_t>(table->create ? kFileCreate : 0),
                                     .fields = table->fields,
                                     .keys = table->keys};
    b.file = std::make_unique<File>(*b.declaration);
    b.manager = std::make_unique<DictionaryTableManager>(*table);
    b.set = std::make_unique<RelationSet>();
    BindTable(*table, *b.file, *b.manager, *b.set, errors);
    if (const Pointers* p = PointersOf(table->label)) {
      *p->manager = b.manager.get();
      *p->set = b.set.get();
    }
    Bound().push_back(std::move(b));
  }
  for (const RelationDeclaration& r : Relations()) {
    RelationSet* from = SetOf(r.from);
    RelationSet* to = SetOf(r.to);
    if (from == nullptr || to == nullptr) continue;
    if (r.TowardsParent()) {
      from->DefineRelation(*to);
      continue;
    }
    from->DefineRelation(*to, r.update, r.remove, r.RelatedKey().value_or(0) + 1);
    for (const LinkPair& link : r.Links())
      from->DefineLink(r.from->Field(link.left).value_or(0), r.to->Field(link.right).value_or(0));
  }
}

void KillDictionary() {
  for (BoundTable& b : Bound()) {
    b.manager->KillTable();
    b.set->KillRelations();
    // A file still open is closed before its File goes, so its driver
    // finishes what was written and gives up its locks; a transaction never
    // committed is rolled back first.
    if (b.file->IsOpen()) {
      if ((b.file->State() & kInTransaction) != 0) (void)PerformFileOperation(*b.file, FileOperation::ROLLBACK);
      (void)PerformFileOperation(*b.file, FileOperation::CLOSE);
    }
    if (const Pointers* p = PointersOf(b.table->label)) {
      *p->manager = nullptr;
      *p->set = nullptr;
    }
  }
  Bound().clear();
}

TableManager* ManagerOf(std::string_view label) {
  const Pointers* p = PointersOf(label);
  return p == nullptr ? nullptr : *p->manager;
}

RelationSet* RelationsOf(std::string_view label) {
  const Pointers* p = PointersOf(label);
  return p == nullptr ? nullptr : *p->set;
}

}  // namespace zelvo
