#include "core/windows/table_form.h"

#include <vector>

#include "core/dictionary_setup.h"
#include "core/startup/program_objects.h"
#include "runtime/cp1251.h"

namespace zelvo {

TableForm::TableForm(std::string name, const TableDeclaration& table, std::string_view caption)
    : WindowProcedure(std::move(name), ProgramErrors(), ProgramSettings()),
      table_(table),
      caption_(Cp1251Literal(caption)) {}

RecordBuffer& TableForm::Record() { return ManagerOf(table_.label)->Buffer(); }

FieldBinding TableForm::Bound(FieldHandle field) {
  return FieldBinding(std::string(table_.prefix) + ":" + std::string(field.Name()), Record(), field);
}

ControlId TableForm::Entry(WindowDefinition& w, std::string_view prompt, FieldHandle field,
                           std::string_view picture) {
  const ControlId entry = w.Entry(Cp1251Literal(prompt), Bound(field), std::string(picture));
  FirstValue(entry);
  return entry;
}

ControlId TableForm::Radio(WindowDefinition& w, std::string_view caption, FieldHandle field,
                           std::span<const WindowDefinition::Choice> choices) {
  std::vector<WindowDefinition::Choice> texts;
  for (const WindowDefinition::Choice& choice : choices) texts.push_back({Cp1251Literal(choice.text), choice.value});
  const ControlId radio = w.Radio(Cp1251Literal(caption), Bound(field), texts);
  FirstValue(radio);
  return radio;
}

void TableForm::FirstValue(ControlId control) {
  if (firstField == 0) firstField = control;
}

void TableForm::AddDitto(ControlId control, FieldHandle field) {
  if (!ditto_) WindowProcedure::KeepDitto(Record());
  ditto_ = true;
  AddDittoField(control, field.Number());
}

WindowDefinition TableForm::DefineWindow() {
  WindowDefinition w(Name(), UpdateFormCaption(request, caption_));
  ditto_ = false;
  UsePrimaryTable(*RelationsOf(table_.label));
  DefineFields(w);
  ok_ = w.Button(Cp1251Literal(okText), ButtonRole::Ok);
  okControl = ok_;
  AddCloseButton(w.Button(Cp1251Literal(cancelText), ButtonRole::Cancel), kCancelled);
  return w;
}

Level TableForm::OnAccepted(const Event& event) {
  // Opened to view the form has no OK control of the controller's: the
  // button only closes it.
  if (request == RecordAction::View && event.control == ok_) {
    SetResponse(kCancelled);
    return LevelNotify;
  }
  return WindowProcedure::OnAccepted(event);
}

}  // namespace zelvo
