#include "platform/qt/choice_controls.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/qt/key_translation.h"
#include "platform/qt/qt_text.h"
#include "runtime/cp1251.h"

namespace zelvo {
namespace {

// A button of the Button class that, clicked, asks instead of changing:
// the model answers with the state to show.
template <class Button>
class AskingButton final : public Button {
 public:
  AskingButton(const QString& text, std::function<void()> clicked) : Button(text), clicked_(std::move(clicked)) {}

 protected:
  void nextCheckState() override { clicked_(); }

 private:
  std::function<void()> clicked_;
};

void ShowText(QAbstractButton& button, const std::string& text) {
  const QString shown = ToQString(text);
  if (button.text() != shown) button.setText(shown);
}

void ReadButton(const QAbstractButton& button, ControlView& view) {
  view.text = ToUtf8(button.text());
  view.shown = ToUtf8(WithoutMnemonic(button.text()));
  view.checked = button.isChecked();
}

}  // namespace

CheckControl::CheckControl(const ControlDefinition& definition, ReportInput report)
    : ControlWidget(definition, std::move(report)) {
  box_ = new AskingButton<QCheckBox>(ToQString(definition.text), [this] {
    UserInput input;
    input.kind = UserInput::Kind::Press;
    Report(input);
  });
  Claim(box_);
}

QWidget* CheckControl::Widget() const { return box_; }

void CheckControl::Apply(const ControlState& state) {
  ControlWidget::Apply(state);
  ShowText(*box_, state.text);
  if (box_->isChecked() != state.checked) box_->setChecked(state.checked);
}

bool CheckControl::KeepsKey(const QKeyEvent& event) const { return IsPlainSpace(event); }

void CheckControl::Read(ControlView& view) const {
  ControlWidget::Read(view);
  ReadButton(*box_, view);
  view.value = Cp1251ToUtf8(box_->isChecked() ? Definition().onValue : Definition().offValue);
}

RadioControl::RadioControl(const ControlDefinition& definition, ReportInput report)
    : ControlWidget(definition, std::move(report)), caption_(new QLabel(ToQString(definition.text))),
      box_(new QWidget) {
  Claim(box_);
  Claim(caption_);
}

QWidget* RadioControl::Widget() const { return box_; }
QWidget* RadioControl::Caption() const { return caption_; }

QWidget* RadioControl::FocusTarget() const {
  for (OptionControl* option : options_)
    if (option->Button()->isChecked()) return option->Button();
  if (options_.empty()) return box_;
  return options_.front()->Button();
}

void RadioControl::SetOptions(std::vector<OptionControl*> options) {
  constexpr std::size_t kInARow = 3;
  options_ = std::move(options);
  QBoxLayout* layout = options_.size() <= kInARow ? static_cast<QBoxLayout*>(new QHBoxLayout(box_))
                                                  : static_cast<QBoxLayout*>(new QVBoxLayout(box_));
  layout->setContentsMargins(0, 0, 0, 0);
  for (OptionControl* option : options_) layout->addWidget(option->Widget());
  layout->addStretch(1);
  if (!options_.empty()) caption_->setBuddy(options_.front()->Button());
}

void RadioControl::Apply(const ControlState& state) {
  ControlWidget::Apply(state);
  const QString caption = ToQString(state.text);
  if (caption_->text() != caption) caption_->setText(caption);
  caption_->setHidden(!state.visible);
  for (std::size_t i = 0; i < options_.size(); ++i) options_[i]->SetChosen(static_cast<int>(i) + 1 == state.chosen);
}

// Space chooses the option that has the focus.
bool RadioControl::KeepsKey(const QKeyEvent& event) const { return IsPlainSpace(event); }

void RadioControl::Read(ControlView& view) const {
  ControlWidget::Read(view);
  view.text = ToUtf8(caption_->text());
  for (const OptionControl* option : options_) {
    if (!option->Button()->isChecked()) continue;
    view.shown = ToUtf8(WithoutMnemonic(option->Button()->text()));
    view.value = Cp1251ToUtf8(option->Definition().optionValue);
  }
}

OptionControl::OptionControl(const ControlDefinition& definition, ReportInput report, int number)
    : ControlWidget(definition, std::move(report)) {
  button_ = new AskingButton<QRadioButton>(ToQString(definition.text), [this, number] {
    UserInput input;
    input.kind = UserInput::Kind::Choose;
    input.control = Definition().parent;
    input.value = number;
    Report(input);
  });
  button_->setAutoExclusive(false);
  // Keys and clicks in an option are the radio group's, as Tab reaches the group.
  Claim(button_, definition.parent);
}

QWidget* OptionControl::Widget() const { return button_; }

void OptionControl::Apply(const ControlState& state) {
  ControlWidget::Apply(state);
  ShowText(*button_, state.text);
}

void OptionControl::SetChosen(bool chosen) {
  if (button_->isChecked() != chosen) button_->setChecked(chosen);
}

void OptionControl::Read(ControlView& view) const {
  ControlWidget::Read(view);
  ReadButton(*button_, view);
}

}  // namespace zelvo
