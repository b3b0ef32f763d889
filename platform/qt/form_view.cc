#include "platform/qt/form_view.h"

#include <algorithm>

#include <QApplication>

#include "platform/qt/input_filter.h"
#include "platform/qt/list_control.h"
#include "platform/qt/qt_text.h"

namespace zelvo {
namespace {

bool ShowsMnemonic(ControlKind kind) {
  switch (kind) {
    case ControlKind::Prompt:
    case ControlKind::Button:
    case ControlKind::Check:
    case ControlKind::Option:
    case ControlKind::Radio:
    case ControlKind::Group:
    case ControlKind::Tab: return true;
    default: return false;
  }
}

}  // namespace

FormView::FormView(const WindowDefinition& definition, ReportInput report, QWidget* parent)
    : QWidget(parent), definitions_(definition.Controls()), report_(std::move(report)),
      filter_(new InputFilter(*this)) {
  FormBuilder(definitions_, report_, controls_).Build(*this);
  for (QWidget* widget : findChildren<QWidget*>()) widget->installEventFilter(filter_);
  // Over everything, while the window takes no input: clicks end on it.
  cover_ = new QWidget(this);
  cover_->hide();
}

// The filter goes first: the widgets' last focus events must not reach controls already gone.
FormView::~FormView() { delete filter_; }

ControlWidget* FormView::Control(ControlId id) const {
  const auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second.get();
}

ControlWidget* FormView::ControlOf(const QObject* widget) const { return Control(ClaimedControl(widget)); }

void FormView::Watch(QWidget& widget) {
  widget.installEventFilter(filter_);
  for (QWidget* inside : widget.findChildren<QWidget*>()) inside->installEventFilter(filter_);
}

void FormView::Create(const ControlDefinition& definition) {
  std::unique_ptr<ControlWidget> control = FormBuilder::Make(definition, report_);
  if (!control) return;
  control->Widget()->setParent(this);
  Watch(*control->Widget());
  definitions_.push_back(definition);
  controls_[definition.id] = std::move(control);
}

void FormView::Place(ControlWidget& control, const ControlState& state) {
  QWidget* widget = control.Widget();
  auto* list = dynamic_cast<ListControl*>(Control(state.overList));
  if (!list || state.overRow < 1) {
    widget->hide();  // a cell editor waiting for its cell
    return;
  }
  list->PlaceOver(widget, state.overRow, state.overColumn);
  widget->setVisible(state.visible);
}

void FormView::Apply(const WindowState& state, bool active) {
  const auto defined = static_cast<ControlId>(state.definition ? state.definition->Controls().size() : 0);
  for (const ControlDefinition& created : state.created)
    if (!Control(created.id)) Create(created);
  for (auto it = controls_.begin(); it != controls_.end();) {
    const ControlId id = it->first;
    const bool kept = id <= defined || std::any_of(state.created.begin(), state.created.end(),
                                                   [id](const ControlDefinition& c) { return c.id == id; });
    if (kept) {
      ++it;
      continue;
    }
    delete it->second->Widget();
    it = controls_.erase(it);
    std::erase_if(definitions_, [id](const ControlDefinition& c) { return c.id == id; });
  }
  for (const ControlState& control : state.controls) {
    ControlWidget* shown = Control(control.id);
    if (!shown) continue;
    shown->Apply(control);
    if (control.id > defined) Place(*shown, control);
  }
  takesInput_ = state.takesInput;
  if (cover_->isHidden() == takesInput_) {
    cover_->setGeometry(rect());
    cover_->raise();
    cover_->setHidden(takesInput_);
  }
  focus_ = state.focus;
  if (active) TakeFocus();
}

void FormView::TakeFocus() {
  ControlWidget* control = Control(focus_);
  if (!control || !takesInput_) return;
  if (ControlOf(QApplication::focusWidget()) == control) return;
  control->FocusTarget()->setFocus(Qt::OtherFocusReason);
}

bool FormView::HasMnemonic(QChar letter) const {
  letter = letter.toUpper();
  for (const auto& [id, control] : controls_) {
    const ControlState& state = control->State();
    if (!ShowsMnemonic(control->Definition().kind) || !state.visible || !state.enabled) continue;
    if (MnemonicOf(ToQString(state.text)) == letter) return true;
  }
  return false;
}

ControlId FormView::FocusedControl() const {
  const QWidget* focused = QApplication::focusWidget();
  if (!focused || !isAncestorOf(focused)) focused = focusWidget();
  const ControlWidget* control = ControlOf(focused);
  return control ? control->Id() : 0;
}

std::vector<int> FormView::VisibleRows() const {
  std::vector<int> rows;
  for (const auto& [id, control] : controls_)
    if (const auto* list = dynamic_cast<const ListControl*>(control.get())) rows.push_back(list->VisibleRows());
  return rows;
}

std::vector<ControlView> FormView::Read() const {
  std::vector<ControlView> views;
  std::map<ControlId, std::size_t> at;
  const ControlId focused = FocusedControl();
  for (const auto& [id, control] : controls_) {  // in id order: containers before what they hold
    ControlView& view = views.emplace_back();
    control->Read(view);
    view.focused = id == focused;
    const auto parent = at.find(view.parent);
    if (parent != at.end()) view.visible = view.visible && views[parent->second].visible;
    at[id] = views.size() - 1;
  }
  return views;
}

void FormView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  cover_->setGeometry(rect());
}

}  // namespace zelvo
