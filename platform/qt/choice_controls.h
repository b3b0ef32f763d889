// CheckControl, RadioControl and OptionControl: the controls that store one
// of a few values. Neither ticks itself when clicked: a check box reports
// Press, an option reports Choose for its radio group, and both show what
// the model sends back.
#pragma once

#include <vector>

#include "platform/qt/control_widget.h"

class QAbstractButton;
class QLabel;

namespace zelvo {

class CheckControl final : public ControlWidget {
 public:
  CheckControl(const ControlDefinition& definition, ReportInput report);

  QWidget* Widget() const override;
  void Apply(const ControlState& state) override;
  bool KeepsKey(const QKeyEvent& event) const override;
  void Read(ControlView& view) const override;

 private:
  QAbstractButton* box_;
};

class OptionControl;

// The radio group: its caption in the prompt column of a form and its
// options beside it, in a row when there are few, else one under another.
class RadioControl final : public ControlWidget {
 public:
  RadioControl(const ControlDefinition& definition, ReportInput report);

  QWidget* Widget() const override;  // the options
  QWidget* Caption() const;
  // The chosen option (or the first) takes the focus the model gives the group.
  QWidget* FocusTarget() const override;
  void Apply(const ControlState& state) override;
  bool KeepsKey(const QKeyEvent& event) const override;
  void Read(ControlView& view) const override;

  // Called by the builder once with every option, in definition order.
  void SetOptions(std::vector<OptionControl*> options);
  const std::vector<OptionControl*>& Options() const { return options_; }

 private:
  QLabel* caption_;
  QWidget* box_;
  std::vector<OptionControl*> options_;
};

class OptionControl final : public ControlWidget {
 public:
  // `number`: the option's place in its group, from 1.
  OptionControl(const ControlDefinition& definition, ReportInput report, int number);

  QWidget* Widget() const override;
  QAbstractButton* Button() const { return button_; }
  void Apply(const ControlState& state) override;
  void Read(ControlView& view) const override;
  void SetChosen(bool chosen);

 private:
  QAbstractButton* button_;
};

}  // namespace zelvo
