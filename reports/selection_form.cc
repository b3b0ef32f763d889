#include "reports/selection_form.h"

#include "runtime/cp1251.h"

namespace zelvo {

SelectionForm::SelectionForm(std::string name, ErrorReporter& reporter, IniStore& settings, std::string caption,
                             OkKind ok)
    : WindowProcedure(std::move(name), reporter, settings), caption_(std::move(caption)), okKind_(ok) {}

void SelectionForm::Prompt(std::string text) { controls_.push_back({false, std::move(text), {}, {}}); }

void SelectionForm::Entry(std::string prompt, FieldBinding value, std::string picture) {
  controls_.push_back({true, std::move(prompt), std::move(value), std::move(picture)});
}

WindowDefinition SelectionForm::DefineWindow() {
  WindowDefinition w(Name(), caption_);
  w.BeginSheet("Sheet1");
  w.BeginTab("Tab1");
  for (const Control& c : controls_) {
    const ControlId id = c.isEntry ? w.Entry(c.text, c.value, c.picture) : w.Prompt(c.text);
    if (c.isEntry && firstField == 0) firstField = id;
  }
  w.End();
  w.End();
  ok_ = w.Button("OK");
  AddCloseButton(w.Button(Cp1251Literal("Ввод"), ButtonRole::Cancel), kCancelled);
  return w;
}

Level SelectionForm::OnAccepted(const Event& event) {
  if (event.control == ok_) {
    window().Update();
    if (okKind_ == OkCloses) SetResponse(kCompleted);
    return LevelOk;
  }
  return WindowProcedure::OnAccepted(event);
}

}  // namespace zelvo
