#include "framework/window/window_procedure.h"

#include <cassert>
#include <map>

#include "runtime/cp1251.h"

namespace zelvo {
namespace {

// The copies ditto recalls, one per procedure, kept for the program's run so
// that a form opened again recalls the record saved last by an earlier call.
RecordBuffer& DittoCopy(const std::string& procedure, const RecordBuffer& like) {
  static std::map<std::string, RecordBuffer, std::less<>> copies;
  auto [entry, added] = copies.try_emplace(procedure, like.Layout());
  assert(entry->second.Layout().data() == like.Layout().data() && "one ditto record per procedure");
  (void)added;
  return entry->second;
}

}  // namespace

WindowProcedure::WindowProcedure(std::string name, ErrorReporter& reporter, IniStore& settings)
    : name_(std::move(name)), reporter_(reporter), settings_(settings) {}

std::uint8_t WindowProcedure::RunWindow() {
  const std::uint8_t answer = WindowController::RunWindow();
  LastResponse = answer;
  return answer;
}

Level WindowProcedure::InitWindow() {
  reporter_.EnterProcedure(name_);
  request = PendingRequest;
  (void)WindowController::InitWindow();
  errors = &reporter_;
  vcrRequest = &PendingVcrRequest;
  BindToolbar(toolbar_);
  PendingRequest = RecordAction::None;
  LastResponse = 0;

  tables_.clear();
  definition_ = std::make_unique<WindowDefinition>(DefineWindow());

  Level usable = LevelOk;
  for (RelationSet* set : tables_)
    if (const Level level = set->OpenAll(); level != LevelOk && usable == LevelOk) usable = level;
  filesOpened = true;
  if (usable != LevelOk) return LevelNotify;

  if (request == RecordAction::View) {
    insertAction = 1;
    deleteAction = 1;
    changeAction = 0;
    cancelAction = 0;
    okControl = 0;
  } else if (primary != nullptr && PrepareRecord() != LevelOk) {
    return LevelNotify;
  }

  (void)OpenWindow(*definition_);
  opened = true;
  if (WindowOpened() != LevelOk) return LevelNotify;
  settings_.RestoreWindow(name_, window());
  ArmHotKeys();
  return LevelOk;
}

Level WindowProcedure::KillWindow() {
  if (WindowController::KillWindow() != LevelOk) return LevelNotify;
  if (opened && HasWindow() && window().IsOpen()) settings_.SaveWindow(name_, window());
  if (filesOpened) {
    for (RelationSet* set : tables_) set->CloseAll();
    filesOpened = false;
  }
  if (HasWindow()) window().Close();
  reporter_.LeaveProcedure();
  return LevelOk;
}

void WindowProcedure::UseTable(RelationSet& relations) { tables_.push_back(&relations); }

void WindowProcedure::UsePrimaryTable(RelationSet& relations) {
  UseTable(relations);
  primary = &relations;
}

void WindowProcedure::KeepDitto(RecordBuffer& current) {
  historyKey = kCtrlQuote;
  SetDittoRecord(current, DittoCopy(name_, current));
}

std::string WindowProcedure::UpdateFormCaption(RecordAction action, std::string_view otherwise) {
  switch (action) {
    case RecordAction::Insert: return Cp1251Literal("Добавить запись");
    case RecordAction::Change: return Cp1251Literal("Изменить запись");
    case RecordAction::View: return "View Record";
    default: return std::string(otherwise);
  }
}

}  // namespace zelvo
