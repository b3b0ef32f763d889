// TableForm: the update form of one table of the dictionary — its controls
// bound to the table's record buffer, captioned by its request ("Добавить
// запись", "Изменить запись", "View Record"), with an OK and a Cancel button
// after them. A form of the payroll defines only its controls:
//
//     class ObektUpForm final : public TableForm {
//       void DefineFields(WindowDefinition& w) override {
//         AddDitto(Entry(w, "Наименование:", OBE.OBEKT, "@s20"), OBE.OBEKT);
//       }
//     };
//
// The record is written by the window controller (framework/window/
// window_controller.h) as its insert, change and delete actions say; in a
// form opened to view, where nothing is written, OK closes the form as
// Cancel does. The first control that takes a value receives the focus.
//
// Runs on its procedure's thread while it holds the run token.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "core/table_declaration.h"
#include "framework/window/window_procedure.h"
#include "platform/field_binding.h"
#include "storage/field_handle.h"

namespace zelvo {

class TableForm : public WindowProcedure {
 public:
  // `caption`: the caption for a request without one of its own (UTF-8).
  TableForm(std::string name, const TableDeclaration& table, std::string_view caption);

 protected:
  // The form's controls, between the caption and the buttons; the actions
  // and ditto fields set here too.
  virtual void DefineFields(WindowDefinition& w) = 0;

  // The table's record and a binding to one of its fields ("KON:VAL").
  RecordBuffer& Record();
  FieldBinding Bound(FieldHandle field);
  // An entry for `field` with its prompt (UTF-8) and picture.
  ControlId Entry(WindowDefinition& w, std::string_view prompt, FieldHandle field, std::string_view picture);
  // A radio group over `field`, one option per choice (UTF-8 texts).
  ControlId Radio(WindowDefinition& w, std::string_view caption, FieldHandle field,
                  std::span<const WindowDefinition::Choice> choices);
  // Ctrl+' on `control` recalls `field` as this form saved it last.
  void AddDitto(ControlId control, FieldHandle field);

  // The buttons' texts (UTF-8).
  std::string_view okText = "Ввод";
  std::string_view cancelText = "Отмена";

 private:
  WindowDefinition DefineWindow() final;
  Level OnAccepted(const Event& event) override;
  void FirstValue(ControlId control);

  const TableDeclaration& table_;
  std::string caption_;
  ControlId ok_ = 0;
  bool ditto_ = false;
};

}  // namespace zelvo
