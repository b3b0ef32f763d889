// WindowProcedure: the opening and closing ritual that every window
// procedure of the program follows — the main frame, each browse, each
// update form — so that a procedure is its window definition and a few
// overrides:
//
//     class KonstUp final : public WindowProcedure {
//      public:
//       KonstUp(ErrorReporter& errors, IniStore& settings) : WindowProcedure("KonstUp", errors, settings) {}
//      protected:
//       WindowDefinition DefineWindow() override {
//         WindowDefinition w("KonstUp", UpdateFormCaption(request, "Константы"));
//         firstField = w.Entry(...);
//         okControl = w.Button("Ввод", ButtonRole::Ok);
//         AddCloseButton(w.Button("Отмена", ButtonRole::Cancel), kCancelled);
//         UsePrimaryTable(konstSet);
//         KeepDitto(konst.Record());  AddDittoField(firstField, KON.SUMM.Number());
//         deleteAction = 4;  cancelAction = 0;
//         return w;
//       }
//     };
//     KonstUp(errors, settings).RunWindow();   // the response is in LastResponse too
//
// InitWindow, in this order:
//   1 EnterProcedure(name) on the reporter; REQUEST := PendingRequest;
//   2 the controller's defaults; ERRORS, VCRREQUEST, the toolbar bound;
//     PendingRequest := 0, LastResponse := 0;
//   3 DefineWindow: the definition (control ids are known from here on) and
//     the registrations (first field, OK, close buttons, ditto, update files,
//     the tables used and the primary one, the actions);
//   4 OpenAll on every table used; FILESOPENED;
//   5 view (6): the view settings (no insert, delete or change handling, no
//     question on closing, no OK button); otherwise PrepareRecord when there
//     is a primary table, which may end the procedure here (a delete carried
//     out at once, an insert its hook refused) before any window is shown —
//     so the first PrimeHook runs before the window opens;
//   6 the window opened from the definition; OPENED; WindowOpened (browse
//     lists and other components); the placement restored from the settings
//     under the procedure's name; ArmHotKeys.
// KillWindow: the controller's kill; the placement saved when the window was
// opened; CloseAll on the tables used; the window closed; LeaveProcedure.
// RunWindow leaves the response (0 read as 2) in LastResponse.
//
// Runs on its procedure's thread while it holds the run token.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "framework/data/error_reporter.h"
#include "framework/data/ini_store.h"
#include "framework/data/relation_set.h"
#include "framework/window/toolbar.h"
#include "framework/window/window_controller.h"
#include "platform/window_definition.h"

namespace zelvo {

class WindowProcedure : public WindowController {
 public:
  WindowProcedure(std::string name, ErrorReporter& reporter, IniStore& settings);

  const std::string& Name() const { return name_; }

  std::uint8_t RunWindow() override;

 protected:
  Level InitWindow() override;
  Level KillWindow() override;

  // The procedure's window and its registrations (step 3 above).
  virtual WindowDefinition DefineWindow() = 0;
  // After the window opened: browse lists and other components. A level
  // other than LevelOk ends the procedure before its event loop.
  virtual Level WindowOpened() { return LevelOk; }

  // A table the procedure uses: opened with it, closed when it ends.
  void UseTable(RelationSet& relations);
  // The table an update form edits; used as above.
  void UsePrimaryTable(RelationSet& relations);
  // Ditto on Ctrl+' over `current`, recalling the values saved last by this
  // procedure in any earlier call of the program run.
  void KeepDitto(RecordBuffer& current);

  // The caption of an update form by its request: "Добавить запись",
  // "Изменить запись", "View Record", else `otherwise` (CP1251).
  static std::string UpdateFormCaption(RecordAction action, std::string_view otherwise);

 private:
  std::string name_;
  ErrorReporter& reporter_;
  IniStore& settings_;
  Toolbar toolbar_;
  std::vector<RelationSet*> tables_;
  std::unique_ptr<WindowDefinition> definition_;  // lives while the window is open
};

}  // namespace zelvo
