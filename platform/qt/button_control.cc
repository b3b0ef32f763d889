#include "platform/qt/button_control.h"

#include <QPushButton>

#include "platform/qt/key_translation.h"
#include "platform/qt/qt_text.h"

namespace zelvo {

ButtonControl::ButtonControl(const ControlDefinition& definition, ReportInput report)
    : ControlWidget(definition, std::move(report)), button_(new QPushButton(ToQString(definition.text))) {
  button_->setAutoDefault(false);
  button_->setDefault(definition.isDefault);
  QObject::connect(button_, &QPushButton::clicked, this, [this] {
    UserInput input;
    input.kind = UserInput::Kind::Press;
    Report(input);
  });
  Claim(button_);
}

QWidget* ButtonControl::Widget() const { return button_; }

void ButtonControl::Apply(const ControlState& state) {
  ControlWidget::Apply(state);
  const QString text = ToQString(state.text);
  if (button_->text() != text) button_->setText(text);
  if (button_->isDefault() != state.isDefault) button_->setDefault(state.isDefault);
}

bool ButtonControl::KeepsKey(const QKeyEvent& event) const { return IsPlainSpace(event); }

void ButtonControl::Read(ControlView& view) const {
  ControlWidget::Read(view);
  view.text = ToUtf8(button_->text());
  view.shown = ToUtf8(WithoutMnemonic(button_->text()));
}

}  // namespace zelvo
