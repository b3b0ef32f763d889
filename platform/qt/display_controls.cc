#include "platform/qt/display_controls.h"

#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>

#include "platform/qt/qt_text.h"

namespace zelvo {

PromptControl::PromptControl(const ControlDefinition& definition, ReportInput report)
    : ControlWidget(definition, std::move(report)), label_(new QLabel(ToQString(definition.text))) {
  label_->setTextFormat(Qt::PlainText);
  label_->installEventFilter(this);
  Claim(label_);
}

bool PromptControl::eventFilter(QObject*, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    UserInput input;
    input.kind = UserInput::Kind::Focus;
    Report(input);
  }
  return false;
}

QWidget* PromptControl::Widget() const { return label_; }

void PromptControl::SetBuddy(QWidget* control) { label_->setBuddy(control); }

void PromptControl::Apply(const ControlState& state) {
  ControlWidget::Apply(state);
  const QString text = ToQString(state.text);
  if (label_->text() != text) label_->setText(text);
}

void PromptControl::Read(ControlView& view) const {
  ControlWidget::Read(view);
  view.text = ToUtf8(label_->text());
  view.shown = ToUtf8(WithoutMnemonic(label_->text()));
}

GroupControl::GroupControl(const ControlDefinition& definition, ReportInput report)
    : ControlWidget(definition, std::move(report)), box_(new QGroupBox(ToQString(definition.text))) {
  Claim(box_);
}

QWidget* GroupControl::Widget() const { return box_; }

void GroupControl::Apply(const ControlState& state) {
  ControlWidget::Apply(state);
  const QString title = ToQString(state.text);
  if (box_->title() != title) box_->setTitle(title);
}

void GroupControl::Read(ControlView& view) const {
  ControlWidget::Read(view);
  view.text = ToUtf8(box_->title());
  view.shown = ToUtf8(WithoutMnemonic(box_->title()));
}

ProgressControl::ProgressControl(const ControlDefinition& definition, ReportInput report)
    : ControlWidget(definition, std::move(report)), bar_(new QProgressBar) {
  bar_->setRange(0, 100);
  bar_->setValue(0);
  Claim(bar_);
}

QWidget* ProgressControl::Widget() const { return bar_; }

void ProgressControl::Apply(const ControlState& state) {
  ControlWidget::Apply(state);
  if (bar_->value() != state.progress) bar_->setValue(state.progress);
}

void ProgressControl::Read(ControlView& view) const {
  ControlWidget::Read(view);
  view.shown = std::to_string(bar_->value());
}

}  // namespace zelvo
