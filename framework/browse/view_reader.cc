#include "framework/browse/view_reader.h"

#include "framework/browse/view_filter_text.h"
#include "framework/data/table_manager.h"
#include "runtime/locale.h"
#include "storage/field_codec.h"
#include "framework/data/kept_error_state.h"

namespace zelvo {
namespace {

using Op = FileOperation;

constexpr MessageId kRetrievalError = 1;
constexpr MessageId kViewOpenError = 40;

void CollectFiles(const std::vector<ViewJoin>& joins, std::vector<File*>& files) {
  for (const ViewJoin& join : joins) {
    files.push_back(join.file.file);
    CollectFiles(join.joins, files);
  }
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

ViewReader::~ViewReader() = default;

void ViewReader::InitReader(View& readerView, RelationSet& primarySet) {
  view = &readerView;
  primary = &primarySet;
}

std::size_t ViewReader::AddSortOrder(std::size_t key) {
  auto entry = std::make_unique<SortEntry>();
  const std::span<const KeyDeclaration> keys = view->Declaration().primary.file->Declaration().keys;
  if (key >= 1 && key <= keys.size()) {
    entry->mainKey = key;
    const KeyDeclaration& declaration = keys[key - 1];
    for (std::size_t i = 0; i < declaration.count; ++i) {
      if (i > 0) entry->order += ",";
      if (!declaration.components[i].ascending) entry->order += "-";
      entry->order += std::string(Prefix()) + ":" + std::string(declaration.components[i].field);
    }
    SetFreeElement(*entry, 0);
  }
  orders_.push_back(std::move(entry));
  current_ = orders_.size() - 1;
  return orders_.size();
}

void ViewReader::SetFreeElement(SortEntry& entry, std::size_t component) {
  entry.freeElement.reset();
  const KeyDeclaration* key = entry.mainKey ? &view->Declaration().primary.file->Declaration().keys[entry.mainKey - 1]
                                            : nullptr;
  if (key == nullptr || component >= key->count) return;
  RecordBuffer& record = view->Declaration().primary.file->Record();
  const std::string_view name = key->components[component].field;
  if (const auto index = FindField(record.Layout(), name))
    entry.freeElement = FieldBinding(std::string(Prefix()) + ":" + std::string(name), record,
                                     FieldHandle(record.Layout(), *index));
}

void ViewReader::AddRangeLimit(RelationSet& parent, RelationSet& own) {
  SortEntry& entry = CurrentOrder();
  for (RelationSet::Relation& relation : parent.Relations()) {
    if (relation.file != &own) continue;
    entry.rangeList = LinkedFieldPairs();
    for (std::size_t i = 0; i < relation.fields.Size(); ++i)
      entry.rangeList.AddPair(relation.fields.Left(i), relation.fields.Right(i));
    entry.limitType = LimitType::RelatedRecord;
    SetFreeElement(entry, entry.rangeList.Size());
    return;
  }
}

void ViewReader::SetRangeLimit(LimitType type, std::span<const LinkedFieldPairs::Side> limits) {
  SortEntry& entry = CurrentOrder();
  const KeyDeclaration* key = MainKey();
  entry.rangeList = LinkedFieldPairs();
  entry.limitType = LimitType::None;
  if (key == nullptr || type == LimitType::None || type == LimitType::RelatedRecord) return;
  RecordBuffer& record = view->Declaration().primary.file->Record();
  for (std::size_t i = 0; i < limits.size(); ++i) {
    // The two bounds of a pair limit the same component.
    const std::size_t component = type == LimitType::Pair && i + 1 == limits.size() ? i - 1 : i;
    if (component >= key->count) break;
    const auto field = FindField(record.Layout(), key->components[component].field);
    if (!field) return;
    entry.rangeList.AddPair(limits[i], {&record, &record.Layout()[*field]});
  }
  entry.limitType = type;
  SetFreeElement(entry, entry.EqualityPairs());
}

const KeyDeclaration* ViewReader::MainKey() {
  const std::size_t key = CurrentOrder().mainKey;
  return key ? &view->Declaration().primary.file->Declaration().keys[key - 1] : nullptr;
}

bool ViewReader::FreeElementIgnoresCase() {
  const KeyDeclaration* key = MainKey();
  return key != nullptr && key->Has(kKeyNoCase);
}

std::string_view ViewReader::Prefix() const { return view->Declaration().primary.prefix; }

std::vector<File*> ViewReader::ViewFiles() const {
  std::vector<File*> files{view->Declaration().primary.file};
  CollectFiles(view->Declaration().joins, files);
  return files;
}

void ViewReader::Report(MessageId id) { (void)primary->Me().RaiseError(id); }

// ---- virtual operations --------------------------------------------------------

void ViewReader::ExtendOrder(std::string_view text) {
  std::string& order = CurrentOrder().order;
  if (!text.empty() && text.front() == '*') {
    order = std::string(text.substr(1));
    return;
  }
  if (!order.empty()) order += ",";
  order += text;
}

void ViewReader::BuildFilter() {
  const std::string text = ViewFilterText(CurrentOrder(), Prefix(), MainKey());
  if (appliedFilter_ == text) return;
  appliedFilter_ = text;
  (void)view->SetFilter(text);
}

void ViewReader::BuildOrder() {
  const std::string& text = CurrentOrder().order;
  if (appliedOrder_ == text) return;
  if (Failed(view->SetOrder(text))) {
    appliedOrder_.reset();
    Report(kViewOpenError);
    return;
  }
  appliedOrder_ = text;
}

bool ViewReader::RangeChanged() {
  LinkedFieldPairs& range = CurrentOrder().rangeList;
  if (range.Empty() || range.EqualLeftBuffer()) return false;
  range.AssignLeftToBuffer();
  return true;
}

void ViewReader::ShutView() {
  if (!opened) return;
  (void)view->Perform(Op::CLOSE);
  opened = false;
  appliedOrder_.reset();
  appliedFilter_.reset();
}

std::string ViewReader::FreeComponentName() {
  const std::optional<FieldBinding>& free = CurrentOrder().freeElement;
  if (!free) return {};
  return FreeElementIgnoresCase() ? "UPPER(" + free->Name() + ")" : free->Name();
}

std::size_t ViewReader::FreeComponentPosition() {
  const std::optional<FieldBinding>& free = CurrentOrder().freeElement;
  if (!free) return 0;
  const std::string_view field = free->Declaration().name;
  std::string_view order = CurrentOrder().order;
  for (std::size_t position = 1; !order.empty(); ++position) {
    const std::size_t comma = order.find(',');
    std::string_view component = Trimmed(order.substr(0, comma));
    order = comma == std::string_view::npos ? std::string_view{} : order.substr(comma + 1);
    if (!component.empty() && (component.front() == '-' || component.front() == '+')) component.remove_prefix(1);
    if (const std::size_t colon = component.find(':'); colon != std::string_view::npos) {
      if (!SameName(component.substr(0, colon), Prefix())) continue;
      component.remove_prefix(colon + 1);
    }
    if (SameName(Trimmed(component), field)) return position;
  }
  return 0;
}

void ViewReader::KillReader() {
  if (view != nullptr) ShutView();
  orders_.clear();
  current_ = 0;
}

Level ViewReader::ReadForward() { return Read(Op::NEXT); }
Level ViewReader::ReadBackward() { return Read(Op::PREVIOUS); }

Level ViewReader::Read(FileOperation direction) {
  for (;;) {
    const ErrorCode code = view->Perform(direction);
    if (code == ErrorCode::RecordNotAvailable) return LevelNotify;
    if (Failed(code)) {
      Report(kRetrievalError);
      return LevelFatal;
    }
    switch (JudgeRecord()) {
      case Judgement::Take: return LevelOk;
      case Judgement::Stop: return LevelNotify;
      case Judgement::Skip: break;
    }
  }
}

void ViewReader::EnsureViewOpen() {
  if (!opened) {
    for (File* file : ViewFiles())
      if (TableManager* manager = TableManager::ManagerOf(*file)) (void)manager->EnsureUsable(3);
    OperationArguments open;
    open.mode = AccessMode::Of(Access::ReadWrite, Sharing::DenyNone);
    const ErrorCode code = view->Perform(Op::OPEN, open);
    if (Failed(code) && code != ErrorCode::FileAlreadyOpen) {
      Report(kViewOpenError);
    } else {
      // The paging wanted of the view: records per page, pages kept behind
      // and ahead, seconds a page stays valid. A view that keeps no pages of
      // its own (the drivers' page caches do that work) refuses it; reading
      // is the same either way.
      OperationArguments paging;
      paging.count = pageSize;
      paging.length = pagesBehind;
      paging.pointer = pagesAhead;
      paging.seconds = timeout;
      {
        KeptErrorState keep;
        (void)view->Perform(Op::BUFFER, paging);
      }
      opened = true;
      appliedOrder_.reset();
      appliedFilter_.reset();
    }
  }
  BuildOrder();
  BuildFilter();
}

Level ViewReader::PrimeForInsert(bool keep) {
  SortEntry& entry = CurrentOrder();
  // The limit values are taken before the buffers are cleared: a CurrentValue
  // limit is the primary record's own field.
  const std::size_t equalities = entry.EqualityPairs();
  std::vector<RecordBuffer> values;
  values.reserve(equalities);
  for (std::size_t i = 0; i < equalities; ++i) values.push_back(*entry.rangeList.Left(i).record);
  if (!keep)
    for (File* file : ViewFiles()) file->Record().Clear();
  for (std::size_t i = 0; i < equalities; ++i)
    LinkedFieldPairs::CopyValue({&values[i], entry.rangeList.Left(i).field}, entry.rangeList.Right(i));
  return primary->Me().PrimeNewRecord(true);
}

bool ViewReader::PositionView(std::size_t n) {
  EnsureViewOpen();
  OperationArguments start;
  start.count = static_cast<std::int64_t>(n);
  if (Failed(view->Perform(Op::SETview, start))) {
    Report(kViewOpenError);
    return false;
  }
  return true;
}

void ViewReader::SetNamedFilter(std::string_view text, std::string_view id) {
  auto& filters = CurrentOrder().filters;
  if (text.empty()) filters.erase(std::string(id));
  else filters.insert_or_assign(std::string(id), std::string(text));
}

void ViewReader::SetNamedFilterInEveryOrder(std::string_view text, std::string_view id) {
  const std::size_t current = current_;
  for (current_ = 0; current_ < orders_.size(); ++current_) SetNamedFilter(text, id);
  current_ = current;
}

bool ViewReader::SetFreeElementValue(std::string_view text) {
  const std::optional<FieldBinding>& free = CurrentOrder().freeElement;
  if (!free) return false;
  const std::string value = FreeElementIgnoresCase() ? Locale().ToUpper(text) : std::string(text);
  const FieldDeclaration& field = free->Declaration();
  if (!IsTextType(field.type)) return free->Assign(value);
  (void)WriteText(field, free->Record().Bytes().data() + field.offset, value, TextFit::Cut);
  return true;
}

void ViewReader::ReplaceOrder(std::string_view text) { CurrentOrder().order = std::string(text); }

bool ViewReader::SelectSort(std::size_t n) {
  if (n == 0) n = 1;
  if (n > orders_.size() || n - 1 == current_) return false;
  current_ = n - 1;
  return true;
}

}  // namespace zelvo
