// WindowController: runs one window procedure — the main frame, a browse, an
// update form, a report's progress window. It owns the window's lifecycle:
// initialisation, the tables it opens, the window, the event loop, the
// reaction to OK and Cancel, closing, and the response returned to the caller.
// Each procedure derives its own controller and overrides a few operations.
//
// An update form is opened with a request (insert, change, delete, view) on
// one primary table: it prepares the record, tracks whether the user changed
// it, asks before losing changes, writes the record through the table's
// RelationSet, and offers ditto (Ctrl+'): the value each ditto field had in
// the record saved last in this form.
//
// Lifecycle (RunWindow):
//
//     InitWindow --LevelOk--> EventLoop --loop ends--> KillWindow --> RESPONSE (0 read as 2)
//         \--otherwise-------------------------------^
//
//     RESPONSE: 0 --PrepareRecord--> 2 (insert and change: 2 while the form is open)
//               --a record written / selected--> 1 (completed)
//
// Event routing (OnEvent): window events to OnWindowEvent; Accepted, Rejected,
// Selected, NewSelection and the ditto key to their handlers; then
// OnFieldEvent; then every component in registration order; then, with
// autoRefresh, one ResetWindow when a component needs a refresh. LevelFatal
// from a handler ends the loop; LevelNotify skips the runtime's default
// handling. The only default handling is that of EVENT:CloseWindow and
// EVENT:CloseDown: the window closes, so LevelNotify from OnCloseRequest
// keeps it open. A close that goes ahead ends the loop; the window itself
// closes in RunWindow after KillWindow, so a procedure still reads its
// placement while it is killed.
//
// Questions the controller asks itself: 3 "Record Added" (INSERTACTION 4),
// 8 "Changes will be lost!" (CANCELACTION 1), 35 "Save Record" (CANCELACTION
// 3), 34 "Record Update Error" (a save that failed otherwise than for another
// station's change). A delete's confirmation (9) and its retry (33) are the
// relation set's; a delete that failed after them leaves the form open.
//
// Used only by the run token's holder, on the procedure's thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/data/error_reporter.h"
#include "framework/data/relation_set.h"
#include "framework/data/result_level.h"
#include "framework/data/table_manager.h"
#include "framework/window/record_action.h"
#include "framework/window/toolbar.h"
#include "framework/window/window_component.h"
#include "platform/window.h"

namespace zelvo {

class WindowController {
 public:
  WindowController();
  WindowController(const WindowController&) = delete;
  WindowController& operator=(const WindowController&) = delete;
  virtual ~WindowController();

  // Virtual operations, in slot order.
  virtual Level EventLoop();
  virtual Level InitWindow();
  virtual Level KillWindow();
  virtual void FirstOpen();
  virtual void PrimeHook() {}
  virtual Level PrepareRecord();
  virtual void ResetWindow(bool force);
  virtual void DittoField(ControlId control);
  virtual std::uint8_t RunWindow();
  virtual std::uint8_t RunUpdateForm(int procedure, RecordAction request);
  virtual void ArmHotKeys();
  virtual void SetResponse(std::uint8_t response);
  virtual Level OnAccepted(const Event& event);
  virtual Level OnCompleted();
  virtual Level OnCloseRequest();
  virtual Level OnEvent(const Event& event);
  virtual Level OnFieldEvent(const Event& event) { (void)event; return LevelOk; }
  virtual Level OnNewSelection(const Event& event);
  virtual Level OnRejected(const Event& event);
  virtual Level OnSelected(const Event& event) { (void)event; return LevelOk; }
  virtual Level OnWindowEvent(const Event& event);
  virtual void UpdateComponents();

  // Registration, while the procedure initialises.
  // The window's toolbar; the form becomes its first target.
  void BindToolbar(Toolbar& toolbar);
  // A browse registers itself here and turns to selecting when `request` is Select.
  void AddComponent(WindowComponent& component);
  // A further table whose buffer the form changes: stashed when the record is prepared.
  void AddUpdateFile(TableManager& manager);
  void AddCloseButton(ControlId control, std::uint8_t response);
  // The record whose fields ditto recalls, and the copy that keeps the values
  // saved last (it must live as long as the program).
  void SetDittoRecord(RecordBuffer& current, RecordBuffer& saved);
  void AddDittoField(ControlId control, std::size_t fieldNumber);
  // An update form this window's browses call by number (from 1, in the
  // order added): RunUpdateForm hands it the request through PendingRequest
  // and answers its LastResponse.
  int AddUpdateForm(std::function<void()> form);

  // The window (REQUIRES: opened through OpenWindow or given by UseWindow).
  Window& window() { return *window_; }
  bool HasWindow() const { return window_ != nullptr; }
  // Opens the procedure's window from its definition; the controller owns it
  // and closes it when the procedure ends.
  Window& OpenWindow(const WindowDefinition& definition);
  // Works on a window that another controller of this thread owns (the
  // in-place editor on its browse's window); it is never closed from here.
  void UseWindow(Window& window);

  // Fields, with their defaults (set by InitWindow's base part).
  bool autoRefresh = true;
  bool autoToolbar = true;
  std::uint8_t cancelAction = 3;   // bits: 0 close, 1 ask message 8, 3 ask message 35, 2 save
  std::uint8_t changeAction = 1;
  bool dead = false;
  std::uint8_t deleteAction = 2;   // 2 confirm and delete at once, 4 delete at once, else on OK
  ErrorReporter* errors = nullptr;
  bool filesOpened = false;
  ControlId firstField = 0;
  bool forcedReset = false;
  KeyCode historyKey = 0;          // 734 (Ctrl+') in the program's forms
  std::uint8_t inited = 0;         // bit 0 first open done, bit 1 first size event seen
  std::uint8_t insertAction = 2;   // 0 none, 2 add and close, 3 add and stay, 4 ask message 3
  std::string lastInsertedPosition;
  ControlId okControl = 0;
  bool opened = false;
  RecordAction originalRequest = RecordAction::None;
  RelationSet* primary = nullptr;
  RecordAction request = RecordAction::None;
  bool resetOnGainFocus = false;
  std::uint8_t response = 0;
  std::uint32_t saved = 0;         // stash id of the primary record as prepared
  Toolbar* toolbar = nullptr;
  std::int32_t* vcrRequest = &PendingVcrRequest;

 protected:
  struct CloseButton {
    ControlId control;
    std::uint8_t action;
  };
  struct UpdateFile {
    TableManager* manager;
    std::uint32_t saved;
  };
  struct DittoEntry {
    ControlId control;
    std::size_t fieldNumber;
  };

  std::vector<CloseButton> buttons_;
  std::vector<WindowComponent*> components_;
  std::vector<UpdateFile> files_;
  std::vector<DittoEntry> history_;
  std::vector<std::function<void()>> updateForms_;
  RecordBuffer* dittoCurrent_ = nullptr;
  RecordBuffer* dittoSaved_ = nullptr;
  Window* window_ = nullptr;
  std::unique_ptr<Window> ownedWindow_;
  bool initialised_ = false;  // the base InitWindow ran since the last kill

 private:
  // The form as a target of its toolbar: a navigation button becomes the
  // pending navigation request and the form is completed (or, without an OK
  // button, closed), so the browse behind it moves on and opens it again.
  class FormTarget final : public ToolbarTarget {
   public:
    explicit FormTarget(WindowController& form) : form_(form) {}
    void TakeToolbarButton(ToolbarButton button) override;

   private:
    WindowController& form_;
  };

  // The record differs from the copy prepared (SAVED), typing in progress included.
  bool Changed();
  // ERRORS, or the primary table's reporter when the procedure set none.
  ErrorReporter& Reporter();
  void FocusFirstField();
  void Save();
  Level CompleteInsert();
  Level CompleteChange();
  Level CompleteDelete();
  Level AddAnother();
  FormTarget formTarget_{*this};
  ControlId lastSelected_ = 0;  // the control last selected, toolbar buttons aside
  bool abandoned_ = false;      // the user gave up a save that failed: close without asking
};

}  // namespace zelvo
