#include "storage/view/internal/view_plan.h"

#include <algorithm>

#include "storage/error_state.h"
#include "storage/field_codec.h"
#include "storage/file_operations.h"
#include "storage/sort_store.h"
#include "storage/view/internal/view_scope.h"

namespace zelvo {
namespace {

using Op = FileOperation;

ErrorCode Do(File& file, Op op, const OperationArguments& arguments = {}) {
  return PerformFileOperation(file, op, arguments);
}

void AppendPart(std::string& position, std::string_view part) {
  position.push_back(static_cast<char>(part.size() & 0xFF));
  position.push_back(static_cast<char>((part.size() >> 8) & 0xFF));
  position.append(part);
}

// The link condition of a key join: key component i equals linking field i,
// both upper-cased on a NOCASE key.
std::string LinkText(const ViewJoin& j, std::string_view enclosingPrefix) {
  const KeyDeclaration& key = j.file.file->Declaration().keys[j.key - 1];
  const bool noCase = key.Has(kKeyNoCase);
  std::string text;
  for (std::size_t i = 0; i < j.linkFields.size() && i < key.count; ++i) {
    std::string link(j.linkFields[i]);
    if (link.find(':') == std::string::npos) link = std::string(enclosingPrefix) + ":" + link;
    std::string component = std::string(j.file.prefix) + ":" + std::string(key.components[i].field);
    if (noCase) {
      link = "UPPER(" + link + ")";
      component = "UPPER(" + component + ")";
    }
    text += (text.empty() ? "" : " AND ") + component + "=" + link;
  }
  return text.empty() ? "1" : text;
}

// Compiles a whole text; 800 or 801 in the error state when it does not.
ErrorCode CompileWhole(std::string_view text, const FilterBindings& bindings, std::string_view leftOver,
                       std::optional<FilterExpression>& expression) {
  FilterCompilation c = FilterExpression::Compile(text, bindings);
  if (c.Whole(text)) {
    expression = std::move(*c.expression);
    return ErrorCode::Ok;
  }
  const FilterError e = c.ok() ? FilterError{ErrorCode::InvalidExpression, c.end, std::string(leftOver), ""} : c.error;
  if (e.code == ErrorCode::NoBindOnVariable) RuntimeErrorState().Set(e.code, " (" + e.name + ")");
  else RuntimeErrorState().Set(e.code);
  return e.code;
}

}  // namespace

ViewPlan::~ViewPlan() = default;

std::string ViewPlan::FilePosition(File& file, std::size_t key) {
  OperationArguments args;
  args.key = key;
  OperationAnswer answer;
  (void)PerformFileOperation(file, key ? Op::POSITIONkey : Op::POSITIONfile, args, answer);
  return std::move(answer.position);
}

ErrorCode ViewPlan::Make(const ViewDeclaration& declaration, const std::vector<ViewFile>& files,
                         std::string_view filter, const std::vector<OrderComponent>* order,
                         std::unique_ptr<ViewPlan>& plan) {
  std::unique_ptr<ViewPlan> made(new ViewPlan);
  made->files_.push_back(RowFile{});
  made->files_[0].file = declaration.primary;
  made->AddJoins(0, declaration.joins);
  {
    ViewScope scope(files);
    for (RowFile& f : made->files_) {
      if (!f.join) continue;
      const std::string link = f.key ? LinkText(*f.join, made->files_[static_cast<std::size_t>(f.parent)].file.prefix)
                                     : std::string(f.join->expression);
      if (const ErrorCode code = CompileWhole(link, scope.Bindings(), "", f.link); Failed(code)) return code;
    }
    if (!filter.empty())
      if (const ErrorCode code = CompileWhole(filter, scope.Bindings(), "text after the expression", made->filter_);
          Failed(code))
        return code;
  }
  RowFile& primary = made->files_[0];
  File& file = *primary.file.file;
  if (order) {
    const KeyChoice choice = ChooseKey(*order, file.Record().Layout(), file.Declaration().keys);
    primary.key = choice.key;
    primary.backwards = choice.backwards;
    made->sorted_ = choice.delivered < order->size();
  } else {
    primary.key = file.OrderKey();
  }
  if (made->sorted_)
    if (const ErrorCode code = made->Sort(*order); Failed(code)) return code;
  plan = std::move(made);
  return ErrorCode::Ok;
}

// Adds the FILEs of the joins in the order of the view's FILEs.
void ViewPlan::AddJoins(int parent, const std::vector<ViewJoin>& joins) {
  for (const ViewJoin& j : joins) {
    RowFile f;
    f.file = j.file;
    f.parent = parent;
    f.join = &j;
    f.key = j.key;
    files_.push_back(std::move(f));
    AddJoins(static_cast<int>(files_.size()) - 1, j.joins);
  }
}

// Reads every row and keeps their positions in the order's sense. Each item
// sorted is the order's values, a sequence number (so equal values keep
// their scan order), the position and its length.
ErrorCode ViewPlan::Sort(const std::vector<OrderComponent>& order) {
  if (const ErrorCode code = StartScan(); Failed(code)) return code;
  SortStore store;
  std::uint64_t sequence = 0;
  std::string item;
  for (;;) {
    const ErrorCode code = StepScan(true);
    if (code == ErrorCode::RecordNotAvailable) break;
    if (Failed(code)) return code;
    item.clear();
    for (const OrderComponent& c : order) AppendSortValue(c, item);
    for (int i = 7; i >= 0; --i) item.push_back(static_cast<char>((sequence >> (8 * i)) & 0xFF));
    ++sequence;
    const std::string position = RowPosition();
    item += position;
    item.push_back(static_cast<char>(position.size() & 0xFF));
    item.push_back(static_cast<char>((position.size() >> 8) & 0xFF));
    if (const ErrorCode added = store.Add(item); Failed(added)) return added;
  }
  for (;;) {
    SortedItem sorted = store.Next();
    if (Failed(sorted.code)) return sorted.code;
    if (sorted.end) return ErrorCode::Ok;
    const std::size_t n = sorted.item.size();
    const std::size_t length = static_cast<unsigned char>(sorted.item[n - 2]) |
                               static_cast<std::size_t>(static_cast<unsigned char>(sorted.item[n - 1])) << 8;
    rows_.push_back(sorted.item.substr(n - 2 - length, length));
  }
}

std::size_t ViewPlan::PrimaryKey() const { return files_[0].key; }

ErrorCode ViewPlan::Start(bool forward) {
  if (sorted_) {
    rowAt_ = forward ? -1 : static_cast<std::ptrdiff_t>(rows_.size());
    return ErrorCode::Ok;
  }
  if (const ErrorCode code = StartScan(); Failed(code)) return code;
  edge_ = Edge::None;
  return ErrorCode::Ok;
}

ErrorCode ViewPlan::StartAt(const RecordBuffer& probe) {
  for (RowFile& f : files_) f.active = false;
  RowFile& p = files_[0];
  File& file = *p.file.file;
  const RecordBuffer kept = file.Record();
  file.Record() = probe;
  OperationArguments args;
  args.key = p.key;
  const ErrorCode code = Do(file, Op::SETkeykey, args);
  file.Record() = kept;
  if (Failed(code)) return code;
  edge_ = Edge::None;
  return ErrorCode::Ok;
}

void ViewPlan::ContinueFromFile() {
  for (RowFile& f : files_) f.active = false;
  edge_ = Edge::None;
}

ErrorCode ViewPlan::Step(bool forward) {
  if (!sorted_) {
    if (edge_ != Edge::None) {
      // At an end, or before the first read: start from the end the direction leaves.
      if (edge_ == (forward ? Edge::End : Edge::Start)) return ErrorCode::RecordNotAvailable;
      if (const ErrorCode code = StartScan(); Failed(code)) return code;
      edge_ = Edge::None;
    }
    const ErrorCode code = StepScan(forward);
    if (code == ErrorCode::RecordNotAvailable) edge_ = forward ? Edge::End : Edge::Start;
    return code;
  }
  const auto count = static_cast<std::ptrdiff_t>(rows_.size());
  for (;;) {
    rowAt_ += forward ? 1 : -1;
    if (rowAt_ < 0 || rowAt_ >= count) {
      rowAt_ = rowAt_ < 0 ? -1 : count;
      return ErrorCode::RecordNotAvailable;
    }
    const ErrorCode code = Reget(rows_[static_cast<std::size_t>(rowAt_)]);
    if (code == ErrorCode::RecordNotFound || code == ErrorCode::RecordNotAvailable) continue;  // since deleted
    if (Failed(code)) return code;
    if (!filter_ || filter_->Truth()) return ErrorCode::Ok;
  }
}

ErrorCode ViewPlan::ResetTo(std::string_view position, bool skip, bool forward) {
  if (sorted_) {
    if (const ErrorCode code = CheckPosition(position); Failed(code)) return code;
    std::ptrdiff_t at = -1;
    for (std::size_t i = 0; i < rows_.size(); ++i)
      if (rows_[i] == position) at = static_cast<std::ptrdiff_t>(i);
    if (at < 0) at = 0;
    rowAt_ = skip ? at : at + (forward ? -1 : 1);
    return Step(forward);
  }
  if (const ErrorCode code = ResetScan(position); Failed(code)) return code;
  edge_ = Edge::None;
  ErrorCode code = Step(forward);
  if (!Failed(code) && skip && RowPosition() == position) code = Step(forward);
  return code;
}

std::string ViewPlan::Position() {
  return sorted_ && rowAt_ >= 0 ? rows_[static_cast<std::size_t>(rowAt_)] : RowPosition();
}

ErrorCode ViewPlan::PrimaryPosition(std::string& position) {
  const RowFile& p = files_[0];
  OperationArguments args;
  args.key = p.key;
  OperationAnswer answer;
  if (const ErrorCode code = PerformFileOperation(*p.file.file, p.key ? Op::POSITIONkey : Op::POSITIONfile,
                                                  args, answer);
      Failed(code))
    return code;
  position.clear();
  AppendPart(position, answer.position);
  return ErrorCode::Ok;
}

ErrorCode ViewPlan::CheckPosition(std::string_view position) const {
  std::vector<std::optional<std::string>> parts;
  return Split(position, parts);
}

ErrorCode ViewPlan::Reget(std::string_view position) {
  std::vector<std::optional<std::string>> parts;
  if (const ErrorCode code = Split(position, parts); Failed(code)) return code;
  for (std::size_t i = 0; i < files_.size(); ++i) {
    RowFile& f = files_[i];
    if (!parts[i]) {
      f.file.file->Record().Clear();
      f.null = true;
      continue;
    }
    f.null = false;
    OperationArguments args;
    args.key = f.key;
    args.position = *parts[i];
    if (const ErrorCode code = Do(*f.file.file, f.key ? Op::REGETkey : Op::REGETfile, args); Failed(code))
      return code;
  }
  return ErrorCode::Ok;
}

// ---- scanning -----------------------------------------------------------------

ErrorCode ViewPlan::StartScan() {
  for (RowFile& f : files_) f.active = false;
  RowFile& p = files_[0];
  OperationArguments args;
  args.key = p.key;
  return Do(*p.file.file, p.key ? Op::SETkey : Op::SETfile, args);
}

// The next row of a scan in the direction: the innermost join that can move
// moves, the joins inside it start again; when none can, the primary reads
// on.
ErrorCode ViewPlan::StepScan(bool forward) {
  const std::size_t n = files_.size();
  std::size_t i = n - 1;
  for (;;) {
    while (i >= 1 && !AdvanceJoin(files_[i], forward)) --i;
    if (i == 0)
      if (const ErrorCode code = AdvancePrimary(forward); Failed(code)) return code;
    std::size_t j = i + 1;
    for (; j < n; ++j) {
      bool has = false;
      if (const ErrorCode code = StartJoin(files_[j], j, forward, has); Failed(code)) return code;
      if (!has) break;
    }
    if (j < n) {
      i = j - 1;
      continue;
    }
    resetParts_.clear();
    if (!filter_ || filter_->Truth()) return ErrorCode::Ok;
    i = n - 1;
  }
}

// A scan continues at the row of `position`, or its successor.
ErrorCode ViewPlan::ResetScan(std::string_view position) {
  std::vector<std::optional<std::string>> parts;
  if (const ErrorCode code = Split(position, parts); Failed(code)) return code;
  for (RowFile& f : files_) f.active = false;
  RowFile& p = files_[0];
  OperationArguments args;
  args.key = p.key;
  args.position = parts[0].value_or("");
  if (args.position.empty()) return StartScan();
  resetParts_.clear();
  for (std::size_t i = 1; i < parts.size(); ++i) resetParts_.push_back(parts[i].value_or(""));
  return Do(*p.file.file, p.key ? Op::RESETkey : Op::RESETfile, args);
}

std::string ViewPlan::RowPosition() {
  std::string position;
  AppendPart(position, FilePosition(*files_[0].file.file, files_[0].key));
  for (std::size_t i = 1; i < files_.size(); ++i) {
    const RowFile& f = files_[i];
    if (!f.join->inner) position.push_back(f.null ? '\x02' : '\x01');
    if (!f.null) AppendPart(position, f.active && f.at >= 0 ? f.matches[static_cast<std::size_t>(f.at)].position : "");
  }
  return position;
}

ErrorCode ViewPlan::Split(std::string_view position, std::vector<std::optional<std::string>>& parts) const {
  parts.assign(files_.size(), std::string{});
  std::size_t at = 0;
  for (std::size_t i = 0; i < files_.size() && at < position.size(); ++i) {
    if (i > 0 && !files_[i].join->inner) {
      const char flag = position[at++];
      if (flag == '\x02') {
        parts[i] = std::nullopt;
        continue;
      }
      if (flag != '\x01') return ErrorCode::UnknownErrorPosted;
    }
    if (position.size() - at < 2) return ErrorCode::UnknownErrorPosted;
    const std::size_t length = static_cast<unsigned char>(position[at]) |
                               static_cast<std::size_t>(static_cast<unsigned char>(position[at + 1])) << 8;
    at += 2;
    if (position.size() - at < length) return ErrorCode::UnknownErrorPosted;
    parts[i] = std::string(position.substr(at, length));
    at += length;
  }
  return ErrorCode::Ok;
}

}  // namespace zelvo
