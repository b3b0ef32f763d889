#include "framework/window/window_controller.h"

#include <algorithm>
#include <cassert>

#include "platform/wait_cursor.h"
#include "platform/window_runtime.h"

namespace zelvo {
namespace {

constexpr unsigned kYesNoCancel = kButtonYes | kButtonNo | kButtonCancel;

bool IsCloseRequest(const Event& event) {
  return event.IsWindowEvent() &&
         (event.number == EventNumber::CloseWindow || event.number == EventNumber::CloseDown);
}

}  // namespace

WindowController::WindowController() = default;
WindowController::~WindowController() = default;

// Lifecycle --------------------------------------------------------------------

Level WindowController::InitWindow() {
  originalRequest = request;
  insertAction = 2;
  deleteAction = 2;
  changeAction = 1;
  cancelAction = 3;
  autoToolbar = true;
  autoRefresh = true;
  dead = false;
  inited = 0;
  opened = false;
  filesOpened = false;
  forcedReset = false;
  response = 0;
  saved = 0;
  lastInsertedPosition.clear();
  abandoned_ = false;
  initialised_ = true;
  return LevelOk;
}

Level WindowController::KillWindow() {
  if (dead || !initialised_) return LevelNotify;
  for (std::size_t i = 0; i < components_.size(); ++i) components_[i]->Kill();
  components_.clear();
  buttons_.clear();
  history_.clear();
  dittoCurrent_ = nullptr;
  dittoSaved_ = nullptr;
  for (const UpdateFile& f : files_)
    if (f.saved != 0) f.manager->UnstashBuffer(f.saved, false);
  files_.clear();
  if (primary != nullptr && saved != 0) primary->Me().UnstashBuffer(saved, false);
  saved = 0;
  if (toolbar != nullptr) toolbar->Kill();
  toolbar = nullptr;
  updateForms_.clear();
  dead = true;
  initialised_ = false;
  return LevelOk;
}

std::uint8_t WindowController::RunWindow() {
  if (InitWindow() == LevelOk) (void)EventLoop();
  (void)KillWindow();
  if (ownedWindow_ != nullptr) {
    ownedWindow_->Close();
    ownedWindow_.reset();
    window_ = nullptr;
  }
  return response == 0 ? kCancelled : response;
}

Level WindowController::EventLoop() {
  if (dead || window_ == nullptr) return LevelOk;
  lastInsertedPosition.clear();
  for (Event event = window_->NextEvent(); event.number != EventNumber::None; event = window_->NextEvent()) {
    const Level level = OnEvent(event);
    if (level == LevelFatal) break;
    // The runtime's default handling of a close request: the window closes.
    if (IsCloseRequest(event) && level != LevelNotify) break;
  }
  return LevelOk;
}

void WindowController::FirstOpen() {
  ResetWindow(false);
  inited |= 1;
}

// The record of an update form -------------------------------------------------

Level WindowController::PrepareRecord() {
  if (primary == nullptr) return LevelOk;
  TableManager& table = primary->Me();
  if (table.EnsureUsable(3) != LevelOk) return LevelFatal;
  primary->RememberLinkValues();
  for (UpdateFile& f : files_) f.saved = f.manager->StashBuffer();
  if (request == RecordAction::Insert && insertAction != 0) {
    // The caller primed the record; the hook may refuse the insert by
    // answering cancelled.
    response = kCompleted;
    PrimeHook();
    if (response == kCancelled) return LevelFatal;
    response = kCancelled;
  } else if (request == RecordAction::Delete && (deleteAction == 2 || deleteAction == 4)) {
    response = primary->DeleteWithChildren(deleteAction == 2) == LevelOk ? kCompleted : kCancelled;
    return LevelFatal;  // the window closes without waiting for the user
  }
  saved = table.StashBuffer();
  return LevelOk;
}

void WindowController::FocusFirstField() {
  if (firstField != 0) window_->Focus(firstField);
}

// The OK path: the OK button's EVENT:Accepted validates the form and
// completes it, which saves and closes; without an OK button, completed as it is.
void WindowController::Save() {
  if (okControl != 0) {
    window_->Post(EventNumber::Accepted, okControl);
  } else {
    window_->Post(EventNumber::Completed);
  }
}

ErrorReporter& WindowController::Reporter() { return errors != nullptr ? *errors : primary->Me().Errors(); }

bool WindowController::Changed() {
  if (primary == nullptr || saved == 0) return false;
  // A text still being typed counts as typed.
  if (window_ != nullptr && window_->IsOpen()) window_->Update();
  return !primary->Me().SameAsSaved(saved);
}

Level WindowController::OnCompleted() {
  // What ditto recalls next: the record as the user completed it, whether
  // or not the write below succeeds.
  if (dittoCurrent_ != nullptr && dittoSaved_ != nullptr) *dittoSaved_ = *dittoCurrent_;
  switch (request) {
    case RecordAction::Insert: return CompleteInsert();
    case RecordAction::Change: return CompleteChange();
    case RecordAction::Delete: return CompleteDelete();
    default: return LevelOk;
  }
}

Level WindowController::CompleteInsert() {
  if (primary == nullptr) return LevelOk;
  if (primary->Me().AddRecord() != LevelOk) {
    FocusFirstField();
    return LevelNotify;
  }
  switch (insertAction) {
    case 3: return AddAnother();
    case 4:
      if (Reporter().Raise(kMsgRecordAdded) == LevelOk) return AddAnother();
      SetResponse(kCompleted);
      return LevelOk;
    default:
      SetResponse(kCompleted);
      return LevelOk;
  }
}

// The form stays open for the next record: the one just added is
// remembered for the caller, and the form starts again from the record as
// it was prepared, with a number of its own.
Level WindowController::AddAnother() {
  TableManager& table = primary->Me();
  lastInsertedPosition = table.CurrentPosition();
  for (UpdateFile& f : files_) {
    f.manager->UnstashBuffer(f.saved, true);
    f.saved = f.manager->StashBuffer();
  }
  table.UnstashBuffer(saved, true);
  saved = 0;
  if (table.ReserveNumber() != LevelOk) {
    window_->Post(EventNumber::CloseWindow);
  } else {
    PrimeHook();
    response = kCancelled;
  }
  saved = table.StashBuffer();
  window_->Display();
  FocusFirstField();
  return LevelOk;
}

Level WindowController::CompleteChange() {
  if (primary == nullptr) return LevelOk;
  response = kCancelled;
  for (;;) {
    bool written = false;
    Level level = LevelOk;
    {
      WaitCursor wait;
      if (Changed()) {
        level = primary->UpdateWithChildren(historyKey != 0);
        written = level == LevelOk;
      }
    }
    if (level == LevelAsk) {
      const unsigned answer = Reporter().AskPlain(kMsgRetryUpdate, kYesNoCancel, kButtonCancel);
      if (answer == kButtonYes) continue;
      if (answer == kButtonNo) {
        // Given up: the close asks nothing more about these changes.
        abandoned_ = true;
        SetResponse(kCancelled);
      }
      return LevelNotify;
    }
    if (level != LevelOk) {
      // Another station's version is in the buffer now (message 7 said so):
      // the user sees it and may recall his own values with ditto.
      window_->Display();
      FocusFirstField();
      return LevelNotify;
    }
    if (written || (toolbar != nullptr && (vcrRequest == nullptr || *vcrRequest == 0))) response = kCompleted;
    window_->Post(EventNumber::CloseWindow);
    return LevelOk;
  }
}

Level WindowController::CompleteDelete() {
  if (primary == nullptr) return LevelOk;
  response = kCancelled;
  Level level = LevelOk;
  {
    WaitCursor wait;
    level = primary->DeleteWithChildren(deleteAction == 2);
  }
  if (level == LevelOk) {
    SetResponse(kCompleted);
    return LevelOk;
  }
  // The relation set has already offered to try again (message 33) and the
  // user declined, or the user declined the delete itself: the form stays
  // open with the record, and Cancel closes it.
  FocusFirstField();
  return LevelNotify;
}

Level WindowController::OnCloseRequest() {
  if (response == kCompleted || primary == nullptr) return LevelOk;
  const bool editing = request == RecordAction::Insert || request == RecordAction::Change;
  if (editing && cancelAction != 0 && !abandoned_ && Changed()) {
    switch (cancelAction) {
      case 3: {
        const unsigned answer = Reporter().AskPlain(kMsgSaveRecord, kYesNoCancel, kButtonCancel);
        if (answer == kButtonYes) {
          Save();
          return LevelNotify;
        }
        if (answer != kButtonNo) {
          FocusFirstField();
          return LevelNotify;
        }
        break;
      }
      case 1:
        if (Reporter().Raise(kMsgChangesWillBeLost) != LevelOk) {
          FocusFirstField();
          return LevelNotify;
        }
        break;
      case 2:
        Save();
        return LevelNotify;
      default: break;
    }
  }
  if (originalRequest == RecordAction::Insert && response == kCancelled) {
    if (primary->ReleaseReservedRecord() != LevelOk) {
      FocusFirstField();
      return LevelNotify;
    }
  }
  if (!lastInsertedPosition.empty()) {
    // The caller sees the last record added while the form stayed open.
    response = kCompleted;
    (void)primary->Me().RereadPosition(lastInsertedPosition);
  }
  return LevelOk;
}

// Events -------------------------------------------------------------------------

Level WindowController::OnEvent(const Event& event) {
  Level level = LevelOk;
  if (event.IsWindowEvent()) {
    level = OnWindowEvent(event);
    if (level != LevelOk) return level;
  } else {
    switch (event.number) {
      case EventNumber::Accepted: level = OnAccepted(event); break;
      case EventNumber::Rejected: level = OnRejected(event); break;
      case EventNumber::Selected:
        if (toolbar == nullptr || !toolbar->ButtonOf(event.control)) lastSelected_ = event.control;
        level = OnSelected(event);
        break;
      case EventNumber::NewSelection: level = OnNewSelection(event); break;
      case EventNumber::AlertKey:
        if (historyKey != 0 && event.key == historyKey) DittoField(event.control);
        break;
      default: break;
    }
    if (level != LevelOk) return level;
    level = OnFieldEvent(event);
    if (level != LevelOk) return level;
  }
  // By index: a component may register another while it takes the event.
  for (std::size_t i = 0; i < components_.size(); ++i) {
    level = components_[i]->TakeEvent(event);
    if (level != LevelOk) return level;
  }
  if (autoRefresh) {
    for (std::size_t i = 0; i < components_.size(); ++i) {
      if (components_[i]->NeedsRefresh()) {
        ResetWindow(false);
        break;
      }
    }
  }
  return LevelOk;
}

Level WindowController::OnWindowEvent(const Event& event) {
  switch (event.number) {
    case EventNumber::OpenWindow:
      if ((inited & 1) == 0) FirstOpen();
      FocusFirstField();
      return LevelOk;
    case EventNumber::LoseFocus:
      if (resetOnGainFocus) forcedReset = true;
      return LevelOk;
    case EventNumber::GainFocus:
      if ((inited & 1) != 0) {
        ResetWindow(false);
      } else {
        FirstOpen();
      }
      return LevelOk;
    case EventNumber::Sized:
      if ((inited & 2) == 0) {
        inited |= 2;
      } else {
        ResetWindow(false);
      }
      return LevelOk;
    case EventNumber::Completed: return OnCompleted();
    case EventNumber::CloseWindow:
    case EventNumber::CloseDown: return OnCloseRequest();
    default: return LevelOk;
  }
}

Level WindowController::OnAccepted(const Event& event) {
  if (toolbar != nullptr) {
    (void)toolbar->TakeEvent(event);
    // The button took the focus when it was pressed: ditto acts on the
    // field the user was in before.
    if (toolbar->ButtonOf(event.control) == ToolbarButton::Ditto) DittoField(lastSelected_);
  }
  for (const CloseButton& b : buttons_) {
    if (b.control == event.control) {
      SetResponse(b.action);
      return LevelNotify;
    }
  }
  if (okControl != 0 && event.control == okControl) {
    if (originalRequest == RecordAction::Insert || originalRequest == RecordAction::Change) {
      window_->SelectAll();  // EVENT:Completed when every entry is acceptable
    } else {
      window_->Post(EventNumber::Completed);
    }
  }
  return LevelOk;
}

Level WindowController::OnRejected(const Event& event) {
  window_->Beep();
  window_->Display(event.control);
  window_->Focus(event.control);
  return LevelOk;
}

Level WindowController::OnNewSelection(const Event& event) {
  const WindowDefinition& definition = window_->Definition();
  const bool isList = event.control >= 1 && static_cast<std::size_t>(event.control) <= definition.Controls().size() &&
                      definition[event.control].kind == ControlKind::List;
  if (isList) {
    ResetWindow(false);
    if (autoToolbar && toolbar != nullptr) toolbar->SetTarget(event.control);
  }
  return LevelOk;
}

void WindowController::SetResponse(std::uint8_t value) {
  response = value;
  if (value == kCancelled && vcrRequest != nullptr) *vcrRequest = 0;
  if (window_ != nullptr) window_->Post(EventNumber::CloseWindow);
}

// The window and its components ---------------------------------------------------

void WindowController::ResetWindow(bool force) {
  // A closed window is not to be redrawn.
  if (window_ == nullptr || !window_->IsOpen()) return;
  force = force || forcedReset;
  forcedReset = false;
  for (std::size_t i = 0; i < components_.size(); ++i) components_[i]->Reset(force);
  for (std::size_t i = 0; i < components_.size(); ++i) components_[i]->Redraw();
  window_->Display();
}

void WindowController::UpdateComponents() {
  for (std::size_t i = 0; i < components_.size(); ++i) components_[i]->UpdateBuffers();
}

void WindowController::ArmHotKeys() {
  for (std::size_t i = 0; i < components_.size(); ++i) components_[i]->ArmHotKeys();
  if (historyKey == 0 || window_ == nullptr) return;
  for (const DittoEntry& d : history_) window_->Alert(d.control, historyKey, historyKey);
}

void WindowController::DittoField(ControlId control) {
  if (dittoCurrent_ == nullptr || dittoSaved_ == nullptr) return;
  const auto entry = std::find_if(history_.begin(), history_.end(),
                                  [&](const DittoEntry& d) { return d.control == control; });
  if (entry == history_.end()) return;
  const auto layout = dittoCurrent_->Layout();
  if (entry->fieldNumber == 0 || entry->fieldNumber > layout.size()) return;
  const FieldDeclaration& field = layout[entry->fieldNumber - 1];
  const auto from = dittoSaved_->Bytes().subspan(field.offset, field.Bytes());
  std::copy(from.begin(), from.end(), dittoCurrent_->Bytes().begin() + field.offset);
  if (window_ != nullptr) window_->Display(control);
}

std::uint8_t WindowController::RunUpdateForm(int procedure, RecordAction action) {
  if (procedure < 1 || static_cast<std::size_t>(procedure) > updateForms_.size()) return kCancelled;
  // A window opened to view changes nothing, not even through its lists.
  if (request == RecordAction::View) return kCancelled;
  PendingRequest = action;
  updateForms_[static_cast<std::size_t>(procedure) - 1]();
  return LastResponse == 0 ? kCancelled : LastResponse;
}

// Registration ----------------------------------------------------------------------

void WindowController::BindToolbar(Toolbar& bar) {
  toolbar = &bar;
  bar.Kill();
  bar.AddTarget(formTarget_);
}

void WindowController::AddComponent(WindowComponent& component) { components_.push_back(&component); }

void WindowController::AddUpdateFile(TableManager& manager) { files_.push_back({&manager, 0}); }

void WindowController::AddCloseButton(ControlId control, std::uint8_t action) { buttons_.push_back({control, action}); }

void WindowController::SetDittoRecord(RecordBuffer& current, RecordBuffer& savedCopy) {
  assert(current.Layout().data() == savedCopy.Layout().data() && "a ditto copy has its record's layout");
  dittoCurrent_ = &current;
  dittoSaved_ = &savedCopy;
}

void WindowController::AddDittoField(ControlId control, std::size_t fieldNumber) {
  history_.push_back({control, fieldNumber});
}

int WindowController::AddUpdateForm(std::function<void()> form) {
  updateForms_.push_back(std::move(form));
  return static_cast<int>(updateForms_.size());
}

Window& WindowController::OpenWindow(const WindowDefinition& definition) {
  ownedWindow_ = TheWindowRuntime().Open(definition);
  window_ = ownedWindow_.get();
  return *window_;
}

void WindowController::UseWindow(Window& other) {
  ownedWindow_.reset();
  window_ = &other;
}

void WindowController::FormTarget::TakeToolbarButton(ToolbarButton button) {
  if (form_.vcrRequest != nullptr) *form_.vcrRequest = static_cast<std::int32_t>(button);
  if (form_.window_ == nullptr) return;
  if (form_.okControl != 0) {
    form_.window_->Post(EventNumber::Accepted, form_.okControl);
  } else {
    form_.window_->Post(EventNumber::CloseWindow);
  }
}

}  // namespace zelvo
