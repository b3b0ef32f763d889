// SelectionForm: the small form a report asks its values in before it runs
// ("Update the mnz File": the payslips' employee numbers, the payment
// order's number). Its entries are bound to the variables the report reads;
// "OK" takes what was typed, and "Ввод" is the form's cancel button. Either
// way the report goes on with the values as they stand.
//
// Two kinds of OK: OkCloses takes the typing and closes the form;
// OkStays takes the typing and leaves the form open (as the date picker's OK
// does), so the user closes it with "Ввод".
#pragma once

#include <string>
#include <vector>

#include "framework/window/window_procedure.h"

namespace zelvo {

class SelectionForm final : public WindowProcedure {
 public:
  enum OkKind { OkCloses, OkStays };
  SelectionForm(std::string name, ErrorReporter& reporter, IniStore& settings, std::string caption, OkKind ok);

  // The form's controls, in order (CP1251 texts).
  void Prompt(std::string text);
  void Entry(std::string prompt, FieldBinding value, std::string picture);

 protected:
  WindowDefinition DefineWindow() override;
  Level OnAccepted(const Event& event) override;

 private:
  struct Control {
    bool isEntry;
    std::string text;
    FieldBinding value;
    std::string picture;
  };
  std::string caption_;
  OkKind okKind_;
  std::vector<Control> controls_;
  ControlId ok_ = 0;
};

}  // namespace zelvo
