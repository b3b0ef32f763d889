// FormView: the controls of one window (a document window's contents, or
// the frame's controls beside its menu), built from the definition by
// FormBuilder and kept in step with the model's WindowState.
//
// The model owns the focus: FormView gives the widget focus to the control
// the model names, but only while its window is the active one (a focus set
// in a window behind would bring it forward), and again when it becomes
// active. While a later window of its procedure runs the window takes no
// input: a transparent cover takes its clicks and the input filter its keys.
#pragma once

#include <string>
#include <vector>

#include <QWidget>

#include "platform/qt/form_builder.h"

namespace zelvo {

class InputFilter;

class FormView final : public QWidget {
 public:
  FormView(const WindowDefinition& definition, ReportInput report, QWidget* parent = nullptr);
  ~FormView() override;

  // Shows the state; `active` says whether the window may take the focus.
  void Apply(const WindowState& state, bool active);
  // Gives the focus to the model's focused control (the window became active).
  void TakeFocus();

  bool Empty() const { return controls_.empty(); }
  bool TakesInput() const { return takesInput_; }
  ControlWidget* Control(ControlId id) const;
  // The control a widget of this form belongs to; null for none.
  ControlWidget* ControlOf(const QObject* widget) const;
  // True when a control the user can reach shows `letter` as its mnemonic.
  bool HasMnemonic(QChar letter) const;
  // The control holding the focus within this form (0 none).
  ControlId FocusedControl() const;
  // Rows each list shows at its present size, lists in id order.
  std::vector<int> VisibleRows() const;
  // What every control shows, in id order, visibility including the
  // containers' (a control inside a hidden group or tab is not visible).
  std::vector<ControlView> Read() const;

  void Report(UserInput input) const { report_(std::move(input)); }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Create(const ControlDefinition& definition);
  void Watch(QWidget& widget);
  void Place(ControlWidget& control, const ControlState& state);

  std::vector<ControlDefinition> definitions_;  // the definition's, then the created ones
  ReportInput report_;
  Controls controls_;
  InputFilter* filter_;
  QWidget* cover_;
  bool takesInput_ = true;
  ControlId focus_ = 0;
};

}  // namespace zelvo
