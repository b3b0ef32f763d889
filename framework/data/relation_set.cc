#include "framework/data/relation_set.h"

#include <algorithm>

#include "framework/data/kept_error_state.h"
#include "storage/file_operations.h"

namespace zelvo {
namespace {

int& PassCounter() {
  static int pass = 0;
  return pass;
}

bool Acts(RelationMode mode) { return mode != RelationMode::None; }

}  // namespace

// The transaction of the update or delete in progress: the tables that
// joined it, rolled back at the first failure anywhere below.
class TransactionFrame {
 public:
  TransactionFrame() : outer_(current_) { current_ = this; }
  ~TransactionFrame() {
    Rollback();
    current_ = outer_;
  }
  TransactionFrame(const TransactionFrame&) = delete;
  TransactionFrame& operator=(const TransactionFrame&) = delete;

  // Joins every table the action on `set` can write; LevelOk also when the
  // driver offers no transactions (then USELOGOUT goes off for good).
  Level Start(RelationSet& set, bool forDelete) {
    if (!set.useLogout) return LevelOk;
    std::vector<RelationSet*> marked;
    Collect(set, forDelete, marked);
    for (RelationSet* table : marked) {
      TableManager& manager = table->Me();
      if (manager.EnsureUsable(2) != LevelOk) return LevelFatal;
      OperationArguments arguments;
      arguments.seconds = 2;
      const ErrorCode code = PerformFileOperation(manager.file(), FileOperation::LOGOUT, arguments);
      if (code == ErrorCode::UnsupportedFileDriverFunction) {
        Rollback();
        set.useLogout = false;
        return LevelOk;
      }
      if (Failed(code)) {
        manager.SetLastError(kMsgTransactionCancelled);
        (void)manager.RaiseError(kMsgTransactionCancelled);
        Rollback();
        return LevelNotify;
      }
      joined_.push_back(&manager);
    }
    return LevelOk;
  }

  // Takes every joined table out of the transaction, its changes made final.
  // The first COMMIT finishes the whole transaction; the others only settle
  // their table's state.
  ErrorCode Commit() { return End(FileOperation::COMMIT); }
  // The failure that caused it is what the message after it reports.
  void Rollback() {
    KeptErrorState keep;
    (void)End(FileOperation::ROLLBACK);
  }

  static void RollbackCurrent() {
    if (current_ != nullptr) current_->Rollback();
  }

 private:
  static void Collect(RelationSet& set, bool forDelete, std::vector<RelationSet*>& marked) {
    if (std::find(marked.begin(), marked.end(), &set) != marked.end()) return;
    marked.push_back(&set);
    for (RelationSet::Relation& r : set.Relations()) {
      if (r.fields.Empty()) continue;
      const RelationMode mode = forDelete ? r.remove : r.update;
      if (mode == RelationMode::Clear) Collect(*r.file, false, marked);
      if (mode == RelationMode::Cascade) Collect(*r.file, forDelete, marked);
    }
  }

  ErrorCode End(FileOperation op) {
    ErrorCode first = ErrorCode::Ok;
    for (std::size_t i = 0; i < joined_.size(); ++i) {
      File& file = joined_[i]->file();
      if ((file.State() & kInTransaction) == 0) continue;
      const ErrorCode code = PerformFileOperation(file, op);
      if (i == 0) first = code;
    }
    joined_.clear();
    return first;
  }

  static inline TransactionFrame* current_ = nullptr;
  TransactionFrame* outer_;
  std::vector<TableManager*> joined_;
};

void RelationSet::InitRelations(TableManager& me, bool useTransactions) {
  me_ = &me;
  useLogout = useTransactions;
  relations_.clear();
  lastTouched_ = 0;
}

void RelationSet::DefineRelation(RelationSet& related, RelationMode update, RelationMode remove,
                                 std::size_t hisKey) {
  relations_.push_back({&related, {}, hisKey, update, remove});
}

void RelationSet::DefineLink(std::size_t left, std::size_t right) {
  if (relations_.empty()) return;
  Relation& r = relations_.back();
  RecordBuffer& mine = me_->Buffer();
  RecordBuffer& his = r.file->Me().Buffer();
  if (left >= mine.Layout().size() || right >= his.Layout().size()) return;
  r.fields.AddPair({&mine, &mine.Layout()[left]}, {&his, &his.Layout()[right]});
}

void RelationSet::DefineRelation(RelationSet& parent) { relations_.push_back({&parent, {}, 0, {}, {}}); }

void RelationSet::KillRelations() { relations_.clear(); }

Level RelationSet::ReleaseReservedRecord() { return me_->ReleaseReservedRecord(this); }

void RelationSet::RememberLinkValues() {
  for (Relation& r : relations_) r.fields.AssignLeftToBuffer();
}

Level RelationSet::OpenAll() {
  OpenPass(++PassCounter());
  return me_->EnsureUsable(2);
}

void RelationSet::OpenPass(int pass) {
  if (lastTouched_ == pass) return;
  lastTouched_ = pass;
  (void)me_->OpenTable();
  for (Relation& r : relations_) r.file->OpenPass(pass);
}

void RelationSet::CloseAll() { ClosePass(++PassCounter()); }

void RelationSet::ClosePass(int pass) {
  if (lastTouched_ == pass) return;
  lastTouched_ = pass;
  (void)me_->CloseTable();
  for (Relation& r : relations_) r.file->ClosePass(pass);
}

void RelationSet::SwitchQuickScan(bool on, int scope) { QuickScanPass(on, scope, ++PassCounter()); }

void RelationSet::QuickScanPass(bool on, int scope, int pass) {
  if (lastTouched_ == pass) return;
  lastTouched_ = pass;
  OperationArguments arguments;
  arguments.text = on ? "QUICKSCAN=on" : "QUICKSCAN=off";
  (void)PerformFileOperation(me_->file(), FileOperation::SEND, arguments);
  if (scope == 0) return;
  for (Relation& r : relations_) {
    const bool child = r.hisKey != 0;
    if ((scope == 1 && child) || (scope == 2 && !child) || (scope != 1 && scope != 2))
      r.file->QuickScanPass(on, scope, pass);
  }
}

Level RelationSet::RewriteThroughCascade() {
  for (Relation& r : relations_) {
    if (r.fields.Empty() || !Acts(r.update) || r.fields.EqualLeftBuffer()) continue;
    if (const Level level = r.file->ApplyUpdateToChildren(r.fields, r.hisKey, r.update); level != LevelOk) {
      r.fields.AssignRightToLeft();
      return level;
    }
  }
  if (me_->TryUpdateRecord() != LevelOk) {
    TransactionFrame::RollbackCurrent();
    (void)me_->RaiseLastError();
    return LevelNotify;
  }
  return LevelOk;
}

Level RelationSet::UpdateWithChildren(bool fromForm) {
  (void)OpenAll();
  TransactionFrame transaction;
  if (const Level level = transaction.Start(*this, false); level != LevelOk) {
    CloseAll();
    return level;
  }
  const Level updated = me_->TryUpdateRecord();
  if (updated != LevelOk) {
    transaction.Rollback();
    if (fromForm && me_->LastError() == kMsgRecordChangedElsewhere) me_->SetLastError(kMsgRecordChangedElsewhereShown);
    if (updated == LevelNotify) (void)me_->RaiseLastError();
    const std::uint16_t last = me_->LastError();
    CloseAll();
    return last == 6 || last == 7 ? LevelNotify : LevelAsk;
  }
  for (Relation& r : relations_) {
    if (r.fields.Empty() || !Acts(r.update) || r.fields.EqualLeftBuffer()) continue;
    if (const Level level = r.file->ApplyUpdateToChildren(r.fields, r.hisKey, r.update); level != LevelOk) {
      r.fields.AssignRightToLeft();
      CloseAll();
      return level;
    }
  }
  if (Failed(transaction.Commit())) {
    (void)me_->RaiseError(kMsgRecordNotUpdated);
    CloseAll();
    return LevelAsk;
  }
  CloseAll();
  return LevelOk;
}

Level RelationSet::ApplyUpdateToChildren(LinkedFieldPairs& pairs, std::size_t hisKey, RelationMode mode) {
  if (me_->EnsureUsable(2) != LevelOk) return LevelFatal;
  const std::uint32_t state = me_->SaveState();
  // Each rewritten child leaves the old link values, so seeking them again
  // finds the next child still to do, wherever the rewrite moved it.
  const auto seek = [&] {
    me_->Buffer().Clear();
    pairs.AssignBufferToRight();
    (void)me_->SeekKey(hisKey);
  };
  seek();
  Level result = LevelOk;
  for (;;) {
    const Level read = me_->TryReadNext();
    if (read == LevelFatal) {
      TransactionFrame::RollbackCurrent();
      (void)me_->RaiseLastError();
      result = LevelNotify;
      break;
    }
    if (read != LevelOk || !pairs.EqualRightBuffer()) break;
    RememberLinkValues();
    if (mode == RelationMode::Restrict) {
      me_->SetLastError(kMsgUpdateRestricted);
      TransactionFrame::RollbackCurrent();
      (void)me_->RaiseError(kMsgUpdateRestricted);
      pairs.AssignBufferToLeft();
      result = LevelNotify;
      break;
    }
    if (mode == RelationMode::Clear) pairs.ClearRight();
    else pairs.AssignLeftToRight();
    if (const Level level = RewriteThroughCascade(); level != LevelOk) {
      result = level;
      break;
    }
    seek();
  }
  me_->RestoreState(state, true);
  return result;
}

Level RelationSet::ApplyDeleteToChildren(LinkedFieldPairs& pairs, std::size_t hisKey, RelationMode mode) {
  if (me_->EnsureUsable(2) != LevelOk) return LevelFatal;
  const std::uint32_t state = me_->SaveState();
  const auto seek = [&] {
    me_->Buffer().Clear();
    pairs.AssignLeftToRight();
    (void)me_->SeekKey(hisKey);
  };
  seek();
  Level result = LevelOk;
  for (;;) {
    const Level read = me_->TryReadNext();
    if (read == LevelFatal) {
      TransactionFrame::RollbackCurrent();
      (void)me_->RaiseLastError();
      result = LevelNotify;
      break;
    }
    if (read != LevelOk || !pairs.EqualLeftRight()) break;
    if (me_->SkipChildRecord()) continue;
    if (mode == RelationMode::Restrict) {
      me_->SetLastError(kMsgDeleteRestricted);
      TransactionFrame::RollbackCurrent();
      (void)me_->RaiseError(kMsgDeleteRestricted);
      result = LevelNotify;
      break;
    }
    if (mode == RelationMode::Clear) {
      RememberLinkValues();
      pairs.ClearRight();
      result = RewriteThroughCascade();
    } else {
      for (Relation& r : relations_) {
        if (r.fields.Empty() || !Acts(r.remove)) continue;
        result = r.file->ApplyDeleteToChildren(r.fields, r.hisKey, r.remove);
        if (result != LevelOk) break;
      }
      if (result == LevelOk && me_->RemoveRecord(false) != LevelOk) {
        TransactionFrame::RollbackCurrent();
        (void)me_->RaiseError(kMsgRecordNotDeleted);
        result = LevelNotify;
      }
    }
    if (result != LevelOk) break;
    seek();
  }
  me_->RestoreState(state, true);
  return result;
}

Level RelationSet::DeleteWithChildren(bool ask) {
  if (ask && me_->RaiseError(kMsgConfirmDelete) != LevelOk) return LevelNotify;
  for (;;) {
    Level failure = LevelOk;
    const std::string position = me_->CurrentPosition();
    (void)OpenAll();
    {
      TransactionFrame transaction;
      failure = transaction.Start(*this, true);
      if (failure == LevelOk && Failed(me_->RereadPosition(position))) {
        me_->SetLastError(kMsgRecordNotDeleted);
        transaction.Rollback();
        failure = me_->RaiseError(kMsgRecordNotDeleted);
      }
      for (Relation& r : relations_) {
        if (failure != LevelOk) break;
        if (r.fields.Empty() || !Acts(r.remove)) continue;
        failure = r.file->ApplyDeleteToChildren(r.fields, r.hisKey, r.remove);
      }
      if (failure == LevelOk) {
        if (me_->RemoveRecord(false) != LevelOk) {
          transaction.Rollback();
          failure = me_->RaiseError(kMsgRecordNotDeleted);
        } else if (Failed(transaction.Commit())) {
          failure = me_->RaiseError(kMsgRecordNotDeleted);
        }
      }
    }
    CloseAll();
    if (failure == LevelOk) return LevelOk;
    if (me_->RaiseError(kMsgRetryDelete) != LevelOk) return failure;
  }
}

}  // namespace zelvo
