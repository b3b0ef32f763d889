// Test support for the Qt back end: a sample form with a control of every
// kind, the state a model would present for a definition, and a recorder of
// what the display reports.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QString>

#include "platform/model/presenter.h"
#include "platform/model/user_input.h"
#include "platform/qt/control_widget.h"

class QWidget;

namespace zelvo::testing {

// Ids of the sample form's controls.
struct SampleIds {
  ControlId surname, salary, hired, dependants, pensioner, sex, sexMale, sexFemale, list, insert, change,
      remove, sheet, firstTab, note, progress, ok, cancel;
};

// "Сотрудник": entries of a text, an amount and a date, a spin box, a check
// box, a radio group, a list with a stacked column, its buttons, a sheet of
// two tabs, a progress bar, OK and Cancel.
std::unique_ptr<WindowDefinition> SampleForm(SampleIds* ids);

// What a model presents for `definition` before the program changed
// anything: every control with its definition's text and flags.
WindowState StateOf(const WindowDefinition& definition, int handle = 1);
ControlState& Control(WindowState& state, ControlId id);
// CP1251 from the UTF-8 of the source.
std::string Cp(const char* utf8);

struct Recorder {
  std::vector<UserInput> inputs;
  ReportInput Reporter() {
    return [this](UserInput input) { inputs.push_back(std::move(input)); };
  }
  // The inputs of one kind, in order.
  std::vector<UserInput> Of(UserInput::Kind kind) const;
};

// Shows `widget` as an active window and waits until it is.
void ShowActive(QWidget& widget);
// Saves a grab of `widget` as NAME.png in the test build's screenshot folder.
void SaveGrab(QWidget& widget, const QString& name);

}  // namespace zelvo::testing
