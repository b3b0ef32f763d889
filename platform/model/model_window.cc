#include "platform/model/model_window.h"

#include <algorithm>
#include <charconv>

#include "platform/model/nominal_size.h"
#include "platform/model/procedure_thread.h"
#include "platform/model/window_model.h"
#include "storage/field_declaration.h"

namespace zelvo {
namespace {

bool IsTextField(const FieldBinding& binding) {
  const FieldType type = binding.Declaration().type;
  return type == FieldType::String || type == FieldType::CString || type == FieldType::PString;
}

std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// Whether the bound value is `value` (a check box's on value, an option's value).
bool Holds(const FieldBinding& binding, std::string_view value) {
  if (!binding.IsBound()) return false;
  if (IsTextField(binding)) return TrimRight(binding.ValueText()) == TrimRight(value);
  return binding.Number() == Decimal::Parse(value);
}

// A coordinate read from a saved placement; nullopt for "---Unknown---" and
// anything else that is not a whole number in reach of a screen.
std::optional<int> Coordinate(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  int value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  if (value < -30000 || value > 30000) return std::nullopt;
  return value;
}

constexpr int kSmallestSide = 40;

}  // namespace

ModelWindow::ModelWindow(WindowModel& model, ProcedureThread* owner, int handle, const WindowDefinition& definition)
    : model_(model), owner_(owner), handle_(handle), definition_(definition) {
  for (const ControlDefinition& control : definition_.Controls()) {
    ModelControl& added = controls_.emplace_back();
    added.definition = control;
  }
  for (ModelControl& control : controls_) {
    const ControlDefinition& d = control.definition;
    control.state.id = d.id;
    control.state.text = d.text;
    control.state.enabled = !d.disabled;
    control.state.visible = !d.hidden;
    control.state.readOnly = d.readOnly;
    control.state.isDefault = d.kind == ControlKind::Button && d.isDefault;
    if (d.kind == ControlKind::List) control.visibleRows = std::max(d.rows, 1);
    if (d.kind == ControlKind::Sheet) control.state.chosen = Children(d.id, ControlKind::Tab).empty() ? 0 : 1;
    if (d.kind == ControlKind::Entry || d.kind == ControlKind::Spin) control.picture = Picture::Parse(d.picture);
  }
  nominalHeight_ = NominalSizeOf(definition_).height;
  Display();
  focus_ = NextStop(+1);
}

ModelWindow::~ModelWindow() { model_.CloseNow(*this); }

// Controls -------------------------------------------------------------------------

const ModelControl* ModelWindow::Control(ControlId id) const {
  if (id < 1 || static_cast<std::size_t>(id) > controls_.size()) return nullptr;
  const ModelControl& control = controls_[static_cast<std::size_t>(id) - 1];
  return control.alive ? &control : nullptr;
}

ModelControl* ModelWindow::Mutable(ControlId id) {
  const ModelControl* control = Control(id);
  if (control) dirty = true;
  return const_cast<ModelControl*>(control);
}

std::vector<ControlId> ModelWindow::ControlIds() const {
  std::vector<ControlId> ids;
  for (const ModelControl& control : controls_)
    if (control.alive) ids.push_back(control.definition.id);
  return ids;
}

std::vector<ControlId> ModelWindow::Children(ControlId parent, ControlKind kind) const {
  std::vector<ControlId> children;
  for (const ModelControl& control : controls_)
    if (control.alive && control.definition.parent == parent && control.definition.kind == kind)
      children.push_back(control.definition.id);
  return children;
}

bool ModelWindow::TakesInput() const {
  return open_ && owner_ && owner_->modal == 0 && !owner_->windows.empty() && owner_->windows.back() == this;
}

void ModelWindow::Focus(ControlId control) {
  if (Control(control) == nullptr) return;
  focus_ = control;
  dirty = true;
}

void ModelWindow::Enable(ControlId control, bool enabled) {
  if (ModelControl* c = Mutable(control)) c->state.enabled = enabled;
}

bool ModelWindow::IsEnabled(ControlId control) const {
  for (const ModelControl* c = Control(control); c; c = Control(c->definition.parent))
    if (!c->state.enabled) return false;
  return Control(control) != nullptr;
}

void ModelWindow::Show(ControlId control, bool visible) {
  if (control == 0) {
    hidden_ = !visible;
    dirty = true;
    return;
  }
  if (ModelControl* c = Mutable(control)) c->state.visible = visible;
}

bool ModelWindow::IsVisible(ControlId control) const {
  if (control == 0) return !hidden_;
  for (const ModelControl* c = Control(control); c; c = Control(c->definition.parent)) {
    if (!c->state.visible) return false;
    if (c->definition.kind == ControlKind::Tab && c->definition.id != control) {
      // A tab's controls show only while it is the sheet's chosen tab; the
      // tab itself shows on its sheet either way.
      const std::vector<ControlId> tabs = Children(c->definition.parent, ControlKind::Tab);
      const int chosen = Chosen(c->definition.parent);
      if (chosen < 1 || chosen > static_cast<int>(tabs.size()) || tabs[chosen - 1] != c->definition.id) return false;
    }
  }
  return Control(control) != nullptr;
}

bool ModelWindow::IsUsable(ControlId id) const { return IsEnabled(id) && IsVisible(id); }

void ModelWindow::SetReadOnly(ControlId control, bool readOnly) {
  if (ModelControl* c = Mutable(control)) c->state.readOnly = readOnly;
}

void ModelWindow::SetDefaultButton(ControlId button) {
  const ModelControl* target = Control(button);
  if (target == nullptr || target->definition.kind != ControlKind::Button) return;
  for (ModelControl& control : controls_) control.state.isDefault = control.definition.id == button;
  dirty = true;
}

ControlId ModelWindow::DefaultButton() const {
  for (const ModelControl& control : controls_)
    if (control.alive && control.state.isDefault) return control.definition.id;
  return 0;
}

ControlId ModelWindow::CancelButton() const {
  for (const ModelControl& control : controls_)
    if (control.alive && control.definition.kind == ControlKind::Button &&
        control.definition.role == ButtonRole::Cancel)
      return control.definition.id;
  return 0;
}

// Values ------------------------------------------------------------------------------

void ModelWindow::ShowValue(ModelControl& control) {
  const ControlDefinition& d = control.definition;
  if (!d.value.IsBound()) return;
  switch (d.kind) {
    case ControlKind::Entry:
    case ControlKind::Spin:
      control.state.text = control.picture ? d.value.Show(*control.picture) : d.value.ValueText();
      control.edited = false;
      break;
    case ControlKind::Check:
      control.state.checked = Holds(d.value, d.onValue);
      break;
    case ControlKind::Radio: {
      control.state.chosen = 0;
      const std::vector<ControlId> options = Children(d.id, ControlKind::Option);
      for (std::size_t i = 0; i < options.size(); ++i)
        if (Holds(d.value, Control(options[i])->definition.optionValue)) {
          control.state.chosen = static_cast<int>(i) + 1;
          break;
        }
      break;
    }
    default:
      break;
  }
  dirty = true;
}

// Reads an entry's text through its picture into its value. False, the value
// unchanged and the refused text still shown, when the picture refuses it.
bool ModelWindow::TakeText(ModelControl& control) {
  const ControlDefinition& d = control.definition;
  if (!d.value.IsBound()) {
    control.edited = false;
    return true;
  }
  const bool taken = control.picture ? d.value.Take(*control.picture, control.state.text)
                                     : d.value.Assign(control.state.text);
  if (taken) ShowValue(control);
  return taken;
}

void ModelWindow::Display(ControlId control) {
  if (control != 0) {
    if (ModelControl* c = Mutable(control)) ShowValue(*c);
    return;
  }
  for (ModelControl& c : controls_)
    if (c.alive) ShowValue(c);
}

void ModelWindow::Update(ControlId control) {
  for (ModelControl& c : controls_) {
    if (!c.alive || !c.edited || (control != 0 && c.definition.id != control)) continue;
    (void)TakeText(c);
  }
}

std::string ModelWindow::Text(ControlId control) const {
  if (control == 0) return caption();
  const ModelControl* c = Control(control);
  return c ? c->state.text : std::string();
}

void ModelWindow::SetText(ControlId control, std::string_view text) {
  if (control == 0) {
    caption_ = std::string(text);
    captionSet_ = true;
    dirty = true;
    return;
  }
  if (ModelControl* c = Mutable(control)) {
    c->state.text = std::string(text);
    c->edited = false;
  }
}

void ModelWindow::SelectAll() {
  // Only a text typed since it was shown can be refused: an entry showing its
  // own value reads back as that value.
  for (ModelControl& c : controls_) {
    const ControlKind kind = c.definition.kind;
    if (!c.alive || !c.edited || (kind != ControlKind::Entry && kind != ControlKind::Spin)) continue;
    if (!IsEnabled(c.definition.id) || c.state.readOnly) continue;
    if (!TakeText(c)) {
      focus_ = c.definition.id;
      dirty = true;
      PostEvent(Event{EventNumber::Rejected, c.definition.id});
      return;
    }
  }
  PostEvent(Event{EventNumber::Completed});
}

void ModelWindow::Alert(ControlId control, KeyCode first, KeyCode last) {
  if (control == 0) {
    windowAlerts_.emplace_back(first, last);
  } else if (ModelControl* c = Mutable(control)) {
    c->alerts.emplace_back(first, last);
  }
}

void ModelWindow::Unalert(ControlId control, KeyCode first, KeyCode last) {
  auto within = [&](const std::pair<KeyCode, KeyCode>& range) {
    return range.first >= first && range.second <= last;
  };
  if (control == 0) {
    std::erase_if(windowAlerts_, within);
  } else if (ModelControl* c = Mutable(control)) {
    std::erase_if(c->alerts, within);
  }
}

bool ModelWindow::IsAlerted(ControlId id, KeyCode key) const {
  auto covers = [&](const std::pair<KeyCode, KeyCode>& range) { return key >= range.first && key <= range.second; };
  if (std::any_of(windowAlerts_.begin(), windowAlerts_.end(), covers)) return true;
  const ModelControl* c = Control(id);
  return c && std::any_of(c->alerts.begin(), c->alerts.end(), covers);
}

void ModelWindow::SetTimer(int hundredths) {
  const int before = timer_;
  timer_ = std::max(hundredths, 0);
  if (open_) model_.TimerChanged(before, timer_);
}

// Lists, sheets, progress bars ------------------------------------------------------------

void ModelWindow::SetRows(ControlId list, std::vector<ListRow> rows) {
  if (ModelControl* c = Mutable(list)) {
    c->state.rows = std::move(rows);
    const int count = static_cast<int>(c->state.rows.size());
    if (c->state.selection > count) c->state.selection = count;
  }
}

int ModelWindow::RowCount(ControlId list) const {
  const ModelControl* c = Control(list);
  return c ? static_cast<int>(c->state.rows.size()) : 0;
}

int ModelWindow::Selection(ControlId list) const {
  const ModelControl* c = Control(list);
  return c ? c->state.selection : 0;
}

void ModelWindow::Select(ControlId list, int row) {
  if (ModelControl* c = Mutable(list)) c->state.selection = std::clamp(row, 0, static_cast<int>(c->state.rows.size()));
}

int ModelWindow::VisibleRows(ControlId list) const {
  const ModelControl* c = Control(list);
  return c ? c->visibleRows : 0;
}

void ModelWindow::SetThumb(ControlId list, bool shown, int position) {
  if (ModelControl* c = Mutable(list)) {
    c->state.thumbShown = shown;
    c->state.thumb = std::clamp(position, 0, 100);
  }
}

int ModelWindow::Thumb(ControlId list) const {
  const ModelControl* c = Control(list);
  return c ? c->state.thumb : 0;
}

void ModelWindow::PlaceOverCell(ControlId entry, ControlId list, int row, int column) {
  ModelControl* c = Mutable(entry);
  if (c == nullptr) return;
  if (row <= 0 || Control(list) == nullptr) {
    c->state.overList = 0;
    c->state.overRow = c->state.overColumn = 0;
    c->state.visible = false;
    return;
  }
  c->state.overList = list;
  c->state.overRow = row;
  c->state.overColumn = column;
  c->state.visible = true;
}

int ModelWindow::ChosenTab(ControlId sheet) const { return Chosen(sheet); }

void ModelWindow::ChooseTab(ControlId sheet, int tab) {
  ModelControl* c = Mutable(sheet);
  if (c == nullptr || c->definition.kind != ControlKind::Sheet) return;
  const int tabs = static_cast<int>(Children(sheet, ControlKind::Tab).size());
  if (tab >= 1 && tab <= tabs) c->state.chosen = tab;
}

void ModelWindow::SetProgress(ControlId progress, int percent) {
  if (ModelControl* c = Mutable(progress)) c->state.progress = std::clamp(percent, 0, 100);
}

void ModelWindow::ShowPages(ControlId pages, PageDisplay display) {
  if (ModelControl* c = Mutable(pages)) c->state.pages = std::move(display);
}

ControlId ModelWindow::CreateControl(ControlDefinition control) {
  ModelControl& added = controls_.emplace_back();
  control.id = static_cast<ControlId>(controls_.size());
  if (control.name.empty()) control.name = control.value.IsBound() ? control.value.Name() : control.text;
  added.definition = std::move(control);
  added.created = true;
  const ControlDefinition& d = added.definition;
  added.state.id = d.id;
  added.state.text = d.text;
  added.state.enabled = !d.disabled;
  added.state.visible = !d.hidden;
  added.state.readOnly = d.readOnly;
  if (d.kind == ControlKind::Entry || d.kind == ControlKind::Spin) added.picture = Picture::Parse(d.picture);
  if (d.kind == ControlKind::List) added.visibleRows = std::max(d.rows, 1);
  ShowValue(added);
  dirty = true;
  return d.id;
}

void ModelWindow::DestroyControl(ControlId control) {
  ModelControl* c = Mutable(control);
  if (c == nullptr || !c->created) return;
  c->alive = false;
  if (focus_ == control) focus_ = 0;
}

int ModelWindow::Popup(const std::vector<PopupItem>& items) { return model_.Popup(*this, items); }

// Events -------------------------------------------------------------------------------

Event ModelWindow::NextEvent() { return model_.NextEvent(*this); }

void ModelWindow::Post(EventNumber number, ControlId control) { PostEvent(Event{number, control}); }

void ModelWindow::PostEvent(const Event& event) {
  if (!open_) return;
  events_.push_back(event);
  model_.Posted(*this);
}

std::optional<Event> ModelWindow::TakeEvent() {
  if (events_.empty()) return std::nullopt;
  Event event = events_.front();
  events_.pop_front();
  return event;
}

void ModelWindow::Close() { model_.Close(*this); }

// Placement ------------------------------------------------------------------------------

void ModelWindow::Place(int x, int y, int width, int height) {
  x_ = x;
  y_ = y;
  width_ = std::max(width, kSmallestSide);
  height_ = std::max(height, kSmallestSide);
  dirty = true;
  placementChanged = true;
}

void ModelWindow::SetMaximized(bool maximized) {
  state_ = maximized ? 1 : 0;
  dirty = true;
  placementChanged = true;
}

void ModelWindow::SetPosition(std::string_view x, std::string_view y) {
  Place(Coordinate(x).value_or(x_), Coordinate(y).value_or(y_), width_, height_);
}

void ModelWindow::SetSize(std::string_view width, std::string_view height) {
  if (!IsResizable()) return;
  Place(x_, y_, Coordinate(width).value_or(width_), Coordinate(height).value_or(height_));
}

WindowState ModelWindow::State() const {
  WindowState state;
  state.handle = handle_;
  state.definition = &definition_;
  state.caption = caption();
  for (const ModelControl& control : controls_) {
    if (!control.alive) continue;
    if (control.created) state.created.push_back(control.definition);
    ControlState& shown = state.controls.emplace_back(control.state);
    if (control.definition.value.IsBound()) shown.value = control.definition.value.ValueText();
  }
  state.focus = focus_;
  state.visible = !hidden_;
  state.takesInput = TakesInput();
  state.x = x_;
  state.y = y_;
  state.width = width_;
  state.height = height_;
  state.state = state_;
  state.placementChanged = placementChanged;
  return state;
}

}  // namespace zelvo
