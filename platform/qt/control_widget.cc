#include "platform/qt/control_widget.h"

#include <QVariant>
#include <QWidget>

#include "platform/qt/qt_text.h"
#include "runtime/cp1251.h"

namespace zelvo {
namespace {
constexpr const char* kControlProperty = "zelvoControl";
}  // namespace

ControlWidget::ControlWidget(const ControlDefinition& definition, ReportInput report)
    : definition_(definition), report_(std::move(report)) {
  state_.id = definition.id;
  state_.enabled = !definition.disabled;
  state_.visible = !definition.hidden;
  state_.readOnly = definition.readOnly;
  state_.text = definition.text;
}

ControlWidget::~ControlWidget() = default;

void ControlWidget::Apply(const ControlState& state) {
  Remember(state);
  QWidget* widget = Widget();
  if (widget->isEnabled() != state.enabled) widget->setEnabled(state.enabled);
  if (widget->isHidden() == state.visible) widget->setHidden(!state.visible);
}

void ControlWidget::Read(ControlView& view) const {
  view.id = definition_.id;
  view.kind = definition_.kind;
  view.parent = definition_.parent;
  view.role = definition_.role;
  view.name = Cp1251ToUtf8(definition_.name);
  view.prompt = Cp1251ToUtf8(definition_.prompt);
  // The control's own flags: FormView adds what its containers hide.
  view.enabled = Widget()->isEnabledTo(Widget()->parentWidget());
  view.visible = !Widget()->isHidden();
}

void ControlWidget::Report(UserInput input) const {
  if (input.control == 0) input.control = definition_.id;
  report_(std::move(input));
}

void ControlWidget::Claim(QWidget* widget, ControlId as) const {
  widget->setProperty(kControlProperty, as != 0 ? as : definition_.id);
}

ControlId ClaimedControl(const QObject* object) {
  for (; object != nullptr; object = object->parent()) {
    const QVariant id = object->property(kControlProperty);
    if (id.isValid()) return id.toInt();
    if (object->isWidgetType() && static_cast<const QWidget*>(object)->isWindow()) break;
  }
  return 0;
}

}  // namespace zelvo
