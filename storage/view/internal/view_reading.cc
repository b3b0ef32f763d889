// The view's statements that read and position: OPEN, SETview, RESETviewfile,
// RESETfile, NEXT, PREVIOUS, SKIP, POSITIONfile, REGETfile, RECORDSfile,
// WATCH and FLUSH.
#include <algorithm>
#include <optional>

#include "storage/field_codec.h"
#include "storage/file_operations.h"
#include "storage/view/internal/view_scope.h"
#include "storage/view/internal/view_state.h"

namespace zelvo {

ErrorCode ViewState::Open() {
  plan_.reset();
  positioned_ = hasRow_ = false;
  pending_ = Pending::None;
  return ErrorCode::Ok;
}

ErrorCode ViewState::SetView(std::int64_t count) {
  const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(std::max<std::int64_t>(count, 0)),
                                              order_.size());
  captured_.assign(order_.size(), std::nullopt);
  if (n > 0) {
    ViewScope scope(files_);  // the order's expressions read the record buffers as they are
    for (std::size_t i = 0; i < n; ++i) captured_[i] = CapturedValue::Of(order_[i].expression);
  }
  capturedCount_ = n;
  skipResetRow_ = false;
  pending_ = Pending::Start;
  positioned_ = true;
  return ErrorCode::Ok;
}

ErrorCode ViewState::ResetViewFile() {
  if (!plan_)
    if (const ErrorCode code = MakePlan(); Failed(code)) return code;
  if (const ErrorCode code = plan_->PrimaryPosition(resetPosition_); Failed(code)) return code;
  skipResetRow_ = false;
  pending_ = Pending::Reset;
  positioned_ = true;
  return ErrorCode::Ok;
}

ErrorCode ViewState::ResetFile(std::string_view position) {
  if (!plan_)
    if (const ErrorCode code = MakePlan(); Failed(code)) return code;
  if (const ErrorCode code = plan_->CheckPosition(position); Failed(code)) return code;
  resetPosition_ = std::string(position);
  skipResetRow_ = false;
  pending_ = Pending::Reset;
  positioned_ = true;
  return ErrorCode::Ok;
}

ErrorCode ViewState::Read(bool forward) {
  const ErrorCode code = ReadRow(forward);
  hasRow_ = !Failed(code);
  return code;
}

ErrorCode ViewState::Skip(std::int64_t count) {
  if (!plan_ && !positioned_) return ErrorCode::RecordNotAvailable;
  const bool forward = count >= 0;
  for (std::int64_t i = 0; i < (forward ? count : -count); ++i)
    if (const ErrorCode code = ReadRow(forward); Failed(code)) return code;
  return ErrorCode::Ok;
}

ErrorCode ViewState::Position(OperationAnswer& answer) const {
  if (!hasRow_ || !plan_) return ErrorCode::RecordNotAvailable;
  answer.position = plan_->Position();
  return ErrorCode::Ok;
}

ErrorCode ViewState::Reget(std::string_view position) {
  if (!plan_)
    if (const ErrorCode code = MakePlan(); Failed(code)) return code;
  if (watch_) {  // a re-read is a read: the watch is on the record it reads
    (void)PerformFileOperation(*declaration_.primary.file, FileOperation::WATCH);
    watch_ = false;
  }
  const ErrorCode code = plan_->Reget(position);
  hasRow_ = !Failed(code) && !plan_->Sorted();
  return code;
}

ErrorCode ViewState::Records(OperationAnswer& answer) {
  if (!plan_)
    if (const ErrorCode code = MakePlan(); Failed(code)) return code;
  if (plan_->Sorted()) {
    answer.number = plan_->SortedRows();
    return ErrorCode::Ok;
  }
  return PerformFileOperation(*declaration_.primary.file, FileOperation::RECORDSfile, {}, answer);
}

ErrorCode ViewState::Watch() {
  watch_ = true;
  return ErrorCode::Ok;
}

// The plan goes; the next read makes a new one and goes on after the row read
// last.
ErrorCode ViewState::Flush() {
  OperationAnswer position;
  if (!Failed(Position(position))) {
    resetPosition_ = position.position;
    pending_ = Pending::Reset;
    skipResetRow_ = true;
  }
  plan_.reset();
  return ErrorCode::Ok;
}

ErrorCode ViewState::ReadRow(bool forward) {
  File& primary = *declaration_.primary.file;
  // Without positioning, a view without a given order continues from the
  // record the program has just set its primary FILE to.
  bool continueFromFile = false;
  if (!positioned_ && pending_ == Pending::None) {
    if (orderGiven_ || (primary.State() & kSetNotRead) == 0) return ErrorCode::RecordNotAvailable;
    continueFromFile = true;
  }
  if (continueFromFile && plan_ && plan_->PrimaryKey() != primary.OrderKey()) plan_.reset();
  if (!plan_)
    if (const ErrorCode code = MakePlan(); Failed(code)) return code;
  if (watch_) {
    (void)PerformFileOperation(primary, FileOperation::WATCH);
    watch_ = false;
  }
  const Pending pending = pending_;
  pending_ = Pending::None;
  positioned_ = true;
  if (continueFromFile) plan_->ContinueFromFile();
  if (pending == Pending::Start) {
    const std::optional<RecordBuffer> probe = forward ? SeekProbe() : std::nullopt;
    if (const ErrorCode code = probe ? plan_->StartAt(*probe) : plan_->Start(forward); Failed(code)) return code;
    for (;;) {
      const ErrorCode code = plan_->Step(forward);
      if (Failed(code) || !BeforeCaptured(forward)) return code;
    }
  }
  if (pending == Pending::Reset) {
    const bool skip = skipResetRow_;
    skipResetRow_ = false;
    return plan_->ResetTo(resetPosition_, skip, forward);
  }
  return plan_->Step(forward);
}

bool ViewState::BeforeCaptured(bool forward) const {
  for (std::size_t i = 0; i < capturedCount_ && i < order_.size(); ++i) {
    if (!captured_[i]) continue;
    int c = captured_[i]->CompareWith(order_[i].expression, WalkedWithoutCase(i));
    if (order_[i].descending) c = -c;
    if (c != 0) return forward ? c < 0 : c > 0;
  }
  return false;
}

bool ViewState::WalkedWithoutCase(std::size_t i) const {
  const std::size_t key = plan_->PrimaryKey();
  if (plan_->Sorted() || key == 0 || !order_[i].field) return false;
  File& primary = *declaration_.primary.file;
  const KeyDeclaration& declaration = primary.Declaration().keys[key - 1];
  if (!declaration.Has(kKeyNoCase)) return false;
  const std::string_view name = primary.Record().Layout()[*order_[i].field].name;
  for (const KeyComponent& component : declaration.Components())
    if (SameName(component.field, name)) return true;
  return false;
}

std::optional<RecordBuffer> ViewState::SeekProbe() const {
  const std::size_t n = std::min(capturedCount_, order_.size());
  const std::size_t walked = plan_->PrimaryKey();
  if (plan_->Sorted() || walked == 0 || plan_->WalksBackwards() || n == 0) return std::nullopt;
  File& primary = *declaration_.primary.file;
  const KeyDeclaration& key = primary.Declaration().keys[walked - 1];
  if (n > key.count) return std::nullopt;
  RecordBuffer probe = primary.Record();
  for (std::size_t i = 0; i < key.count; ++i) {
    const auto field = FindField(probe.Layout(), key.components[i].field);
    if (!field) return std::nullopt;
    const FieldDeclaration& declaration = probe.Layout()[*field];
    if (i >= n) {
      if (!key.components[i].ascending) return std::nullopt;
      probe.ClearField(*field);
      continue;
    }
    const OrderComponent& component = order_[i];
    if (!captured_[i] || component.field != field || component.descending == key.components[i].ascending)
      return std::nullopt;
    if (AssignText(declaration, probe.Bytes().data() + declaration.offset, captured_[i]->text) != StoreResult::Ok)
      return std::nullopt;
  }
  return probe;
}

}  // namespace zelvo
