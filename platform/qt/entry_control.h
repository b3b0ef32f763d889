// EntryControl: a value typed through a picture — an Entry, or a Spin (the
// same entry with arrows beside it). The line edits its own text and
// reports every change as Edit; the model stores it through the picture when
// the user leaves (Tab, a click elsewhere) and sends back what to show.
//
// An entry is as wide as its picture. Numbers stand right; a number's or a
// date's padding and a text's trailing blanks are not shown (the model's
// text keeps them), so the caret lands where the typing is. Typing a
// character the program's code page lacks is refused.
//
// A spin box's arrows report Up and Down as its keys do: the model steps the
// value between the spin's limits and sends the text back.
#pragma once

#include <deque>
#include <optional>
#include <string>

#include "platform/qt/control_widget.h"
#include "runtime/picture.h"

class QAbstractSpinBox;
class QLineEdit;

namespace zelvo {

// The texts an entry reported as typed that the model may not have seen yet.
// The model answers each Edit with a state showing that text; until it has
// caught up, a state it sent before it saw the latest keys must not undo them.
class PendingEdits {
 public:
  void Typed(std::string text) { pending_.push_back(std::move(text)); }
  // True when `modelText` is the model catching up with the typing (a text
  // reported earlier, or the text it showed before); false when it is a
  // change of the program's own, which then replaces the typing.
  bool IsEcho(const std::string& modelText);
  // The user moved on (a key for the model, the focus gone): whatever the
  // model sends from now on is shown.
  void Settle() { pending_.clear(); }

 private:
  std::deque<std::string> pending_;
  std::string seen_;  // the last text the model sent
};

class EntryControl final : public ControlWidget {
 public:
  EntryControl(const ControlDefinition& definition, ReportInput report);

  QWidget* Widget() const override;  // the line, or the spin box around it
  QLineEdit* Line() const { return line_; }
  void Apply(const ControlState& state) override;
  bool KeepsKey(const QKeyEvent& event) const override;
  void Settle() override { pending_.Settle(); }
  // What it shows, and the value the model says it holds.
  void Read(ControlView& view) const override;

 private:
  class SpinBox;
  void Typed(const QString& text);
  void Step(int steps);

  std::optional<Picture> picture_;
  QAbstractSpinBox* spin_ = nullptr;
  QLineEdit* line_;
  PendingEdits pending_;
};

}  // namespace zelvo
