// PromptControl, GroupControl and ProgressControl: the controls that only
// show something. A prompt's mnemonic belongs to the control after it (the
// model moves the focus there); a group frames the controls laid inside it.
#pragma once

#include "platform/qt/control_widget.h"

class QGroupBox;
class QLabel;
class QProgressBar;

namespace zelvo {

// A prompt clicked reports Focus for itself: the model gives the focus to
// the control it names.
class PromptControl final : public ControlWidget {
 public:
  PromptControl(const ControlDefinition& definition, ReportInput report);

  QWidget* Widget() const override;
  // The control the prompt names.
  void SetBuddy(QWidget* control);
  void Apply(const ControlState& state) override;
  void Read(ControlView& view) const override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLabel* label_;
};

class GroupControl final : public ControlWidget {
 public:
  GroupControl(const ControlDefinition& definition, ReportInput report);

  QWidget* Widget() const override;
  QGroupBox* Box() const { return box_; }
  void Apply(const ControlState& state) override;
  void Read(ControlView& view) const override;

 private:
  QGroupBox* box_;
};

class ProgressControl final : public ControlWidget {
 public:
  ProgressControl(const ControlDefinition& definition, ReportInput report);

  QWidget* Widget() const override;
  void Apply(const ControlState& state) override;
  void Read(ControlView& view) const override;

 private:
  QProgressBar* bar_;
};

}  // namespace zelvo
