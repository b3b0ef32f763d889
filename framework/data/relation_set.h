// RelationSet: a table manager together with the table's relations to other
// tables' sets — the linking fields (framework/data/linked_field_pairs.h), the related
// table's key that starts with them, and the update and delete modes
// (framework/data/relation_mode.h). It opens and closes the related tables with its
// own, and carries updates and deletes to the related records: restrict,
// clear or cascade, inside one transaction when USELOGOUT is set.
//
// Relations may form cycles (a child names its parent back); every walk over
// the sets (OpenAll, CloseAll, SwitchQuickScan) marks each set it reaches with
// the walk's pass number and never enters a set twice.
//
// Transactions: before an update or a delete every table the action can write
// joins a transaction (LOGOUT, 2 seconds); a driver that answers 80 (no
// transactions) switches USELOGOUT off for good and the work goes on without;
// any other refusal raises message 21. Any failure below rolls the
// transaction back; success commits it.
//
// Example (the pay tables): deleting an NBASA record through its set deletes
// the NZELVO lines with the same NUM and DATA, and nothing when one of them
// cannot be deleted. Used only by the run token's holder.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "framework/data/linked_field_pairs.h"
#include "framework/data/relation_mode.h"
#include "framework/data/table_manager.h"

namespace zelvo {

class RelationSet {
 public:
  struct Relation {
    RelationSet* file;
    LinkedFieldPairs fields;
    std::size_t hisKey = 0;  // the related table's key number; 0 towards a parent
    RelationMode update = RelationMode::None;
    RelationMode remove = RelationMode::None;
  };

  RelationSet() = default;
  RelationSet(const RelationSet&) = delete;
  RelationSet& operator=(const RelationSet&) = delete;
  virtual ~RelationSet() = default;

  void InitRelations(TableManager& me, bool useTransactions);
  // A relation towards a child, reached by key `hisKey` (1-based) of its table.
  void DefineRelation(RelationSet& related, RelationMode update, RelationMode remove, std::size_t hisKey);
  // A link of the last relation defined: field `left` of this table (0-based)
  // equals field `right` of the related table.
  void DefineLink(std::size_t left, std::size_t right);
  // A relation towards a parent: opened and closed with this table, no actions.
  void DefineRelation(RelationSet& parent);

  virtual Level ReleaseReservedRecord();
  virtual void CloseAll();
  // Deletes the current record and applies the delete to the related records;
  // with `ask`, only after the user confirms (message 9).
  virtual Level DeleteWithChildren(bool ask);
  virtual Level ApplyDeleteToChildren(LinkedFieldPairs& pairs, std::size_t hisKey, RelationMode mode);
  virtual void KillRelations();
  // Opens this table and every related one; this table is usable afterwards.
  virtual Level OpenAll();
  virtual void RememberLinkValues();
  // scope 0 this table only, 1 also the children, 2 also the parents, other all.
  virtual void SwitchQuickScan(bool on, int scope);
  // Rewrites the current record and applies the change to the related records.
  virtual Level UpdateWithChildren(bool fromForm);
  virtual Level ApplyUpdateToChildren(LinkedFieldPairs& pairs, std::size_t hisKey, RelationMode mode);

  TableManager& Me() { return *me_; }
  std::vector<Relation>& Relations() { return relations_; }
  bool useLogout = true;

 private:
  friend class TransactionFrame;
  void OpenPass(int pass);
  void ClosePass(int pass);
  void QuickScanPass(bool on, int scope, int pass);
  // The children whose links changed get the change, then the record is PUT.
  Level RewriteThroughCascade();

  TableManager* me_ = nullptr;
  std::vector<Relation> relations_;
  int lastTouched_ = 0;
};

}  // namespace zelvo
