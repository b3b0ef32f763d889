// ButtonControl: a push button. Clicked (or Space while it has the focus) it
// reports Press; Enter and Esc are the model's (the default and the cancel
// button), so the button itself never acts on them.
#pragma once

#include "platform/qt/control_widget.h"

class QPushButton;

namespace zelvo {

class ButtonControl final : public ControlWidget {
 public:
  ButtonControl(const ControlDefinition& definition, ReportInput report);

  QWidget* Widget() const override;
  void Apply(const ControlState& state) override;
  bool KeepsKey(const QKeyEvent& event) const override;
  void Read(ControlView& view) const override;

 private:
  QPushButton* button_;
};

}  // namespace zelvo
