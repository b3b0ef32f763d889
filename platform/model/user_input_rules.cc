// The rules that turn what the user does to a window into its events (the
// header comment of platform/window.h): focus first, with EVENT:Selected;
// leaving a changed entry stores its text through the picture or refuses it;
// then whatever the input does to the control.
#include <algorithm>

#include "platform/mnemonic.h"
#include "platform/model/model_window.h"
#include "platform/model/window_model.h"

namespace zelvo {
namespace {

bool TakesFocus(ControlKind kind) {
  switch (kind) {
    case ControlKind::Entry:
    case ControlKind::Spin:
    case ControlKind::Check:
    case ControlKind::Radio:
    case ControlKind::Button:
    case ControlKind::List:
      return true;
    default:
      return false;
  }
}

bool IsTyped(ControlKind kind) { return kind == ControlKind::Entry || kind == ControlKind::Spin; }

EventNumber ListScroll(KeyCode key) {
  switch (key) {
    case kUp: return EventNumber::ScrollUp;
    case kDown: return EventNumber::ScrollDown;
    case kPageUp: return EventNumber::PageUp;
    case kPageDown: return EventNumber::PageDown;
    case kCtrlHome: return EventNumber::ScrollTop;
    case kCtrlEnd: return EventNumber::ScrollBottom;
    default: return EventNumber::None;
  }
}

}  // namespace

// The control that a click on `id` gives the focus to: the control itself, an
// option's radio group, the control a prompt names; 0 when it takes none.
ControlId ModelWindow::FocusTarget(ControlId id) const {
  const ModelControl* control = Control(id);
  if (control == nullptr || !IsUsable(id)) return 0;
  switch (control->definition.kind) {
    case ControlKind::Option:
      return FocusTarget(control->definition.parent);
    case ControlKind::Prompt:
      for (ControlId next = id + 1; Control(next); ++next)
        if (TakesFocus(Control(next)->definition.kind)) return FocusTarget(next);
      return 0;
    default:
      return TakesFocus(control->definition.kind) ? id : 0;
  }
}

// The next (direction 1) or previous (-1) control Tab reaches from the focus,
// in definition order, round the end.
ControlId ModelWindow::NextStop(int direction) const {
  const int count = static_cast<int>(controls_.size());
  if (count == 0) return 0;
  const int from = focus_ >= 1 && focus_ <= count ? focus_ - 1 : (direction > 0 ? count - 1 : 0);
  for (int step = 1; step <= count; ++step) {
    const int index = ((from + direction * step) % count + count) % count;
    const ModelControl& control = controls_[static_cast<std::size_t>(index)];
    const ControlId id = control.definition.id;
    if (control.alive && !control.definition.skip && TakesFocus(control.definition.kind) && IsUsable(id)) return id;
  }
  return 0;
}

bool ModelWindow::LeaveFocused() {
  ModelControl* focused = Mutable(focus_);
  if (focused == nullptr || !focused->edited) return true;
  if (TakeText(*focused)) {
    PostEvent(Event{EventNumber::Accepted, focus_});
    return true;
  }
  PostEvent(Event{EventNumber::Rejected, focus_});
  return false;  // the focus stays with the refused text
}

bool ModelWindow::MoveFocus(ControlId id) {
  if (id == 0) return false;
  if (id == focus_) return true;
  if (!LeaveFocused()) return false;
  focus_ = id;
  dirty = true;
  PostEvent(Event{EventNumber::Selected, id});
  return true;
}

void ModelWindow::Apply(const UserInput& input) {
  using Kind = UserInput::Kind;
  if (!open_) return;
  switch (input.kind) {
    case Kind::Focus:
      (void)MoveFocus(FocusTarget(input.control));
      return;
    case Kind::Edit: {
      ModelControl* entry = Mutable(input.control);
      if (entry == nullptr || !IsTyped(entry->definition.kind) || entry->state.readOnly || !IsUsable(input.control))
        return;
      if (!MoveFocus(input.control)) return;
      entry->state.text = input.text;
      entry->edited = true;
      return;
    }
    case Kind::Key:
      PressKey(input.control != 0 ? input.control : focus_, input);
      return;
    case Kind::Press:
      PressControl(input.control);
      return;
    case Kind::Choose:
      ChooseOption(input.control, input.value);
      return;
    case Kind::ChooseTab:
      ChooseTabByUser(input.control, input.value);
      return;
    case Kind::ClickRow:
    case Kind::DoubleClickRow:
    case Kind::RightClickRow:
      ClickRow(input.control, input);
      return;
    case Kind::Drag:
      if (ModelControl* list = Mutable(input.control); list && IsUsable(input.control)) {
        list->state.thumb = std::clamp(input.value, 0, 100);
        PostEvent(Event{EventNumber::ScrollDrag, input.control});
      }
      return;
    case Kind::Wheel:
      if (const ModelControl* list = Control(input.control); list && IsUsable(input.control)) {
        const EventNumber scroll = input.value < 0 ? EventNumber::ScrollUp : EventNumber::ScrollDown;
        for (int i = 0; i < std::abs(input.value); ++i) PostEvent(Event{scroll, input.control});
      }
      return;
    case Kind::MenuItem:
      model_.ChooseMenuItem(*this, input.control);
      return;
    case Kind::CloseBox:
      PostEvent(Event{EventNumber::CloseWindow});
      return;
    case Kind::Activate:
      model_.Activate(*this);
      return;
    case Kind::Placed:
      TakePlacement(input);
      return;
    case Kind::PopupChosen:
    case Kind::MessageAnswer:
      return;  // answers go to the question that waits for them
  }
}

void ModelWindow::PressKey(ControlId id, const UserInput& input) {
  const KeyCode key = input.key;
  if (IsAlerted(id, key)) {
    Event event{EventNumber::AlertKey, id, key, input.character};
    event.mouseRow = input.row;
    event.mouseColumn = input.column;
    PostEvent(event);
    return;
  }
  switch (key) {
    case kTab:
    case kShiftTab:
      (void)MoveFocus(NextStop(key == kTab ? +1 : -1));
      return;
    case kEnter:
      if (ControlId button = DefaultButton(); button && IsUsable(button)) PressControl(button);
      return;
    case kEscape:
      // Cancel leaves a half-typed entry as it is.
      if (ControlId button = CancelButton(); button && IsUsable(button))
        PostEvent(Event{EventNumber::Accepted, button});
      else
        PostEvent(Event{EventNumber::CloseWindow});
      return;
    default:
      break;
  }
  if ((key & kAlt) != 0) {
    if (input.character != 0) FollowMnemonic(input.character);
    return;
  }
  ModelControl* control = Mutable(id);
  if (control == nullptr || !IsUsable(id)) return;
  switch (control->definition.kind) {
    case ControlKind::List:
      if (EventNumber scroll = ListScroll(key); scroll != EventNumber::None) PostEvent(Event{scroll, id});
      return;
    case ControlKind::Button:
    case ControlKind::Check:
      if (key == kSpace) PressControl(id);
      return;
    case ControlKind::Radio:
      if (key == kUp || key == kLeft) ChooseOption(id, control->state.chosen - 1);
      if (key == kDown || key == kRight) ChooseOption(id, control->state.chosen + 1);
      return;
    case ControlKind::Spin:
      if (key == kUp || key == kDown) {
        Step(id, key == kUp ? +1 : -1);
        return;
      }
      Type(*control, input);
      return;
    case ControlKind::Entry:
      Type(*control, input);
      return;
    default:
      return;
  }
}

// A key typed into the focused entry: a character is added (up to the
// picture's width), Backspace takes the last one away.
void ModelWindow::Type(ModelControl& entry, const UserInput& input) {
  if (entry.state.readOnly || entry.definition.id != focus_ || (input.key & kCtrl) != 0) return;
  std::string& text = entry.state.text;
  if (input.key == kBackspace) {
    if (!text.empty()) text.pop_back();
  } else if (input.character >= 32) {
    const std::size_t width = entry.picture ? static_cast<std::size_t>(entry.picture->width()) : 255;
    if (text.size() >= width) return;
    text += static_cast<char>(input.character);
  } else {
    return;
  }
  entry.edited = true;
}

void ModelWindow::PressControl(ControlId id) {
  ModelControl* control = Mutable(id);
  if (control == nullptr || !IsUsable(id)) return;
  switch (control->definition.kind) {
    case ControlKind::Button:
      if (MoveFocus(id)) PostEvent(Event{EventNumber::Accepted, id});
      return;
    case ControlKind::Check: {
      if (!MoveFocus(id)) return;
      const bool checked = !control->state.checked;
      const ControlDefinition& d = control->definition;
      if (d.value.IsBound() && !d.value.Assign(checked ? d.onValue : d.offValue)) return;
      control->state.checked = checked;
      PostEvent(Event{EventNumber::Accepted, id});
      return;
    }
    case ControlKind::Option: {
      const std::vector<ControlId> options = Children(control->definition.parent, ControlKind::Option);
      const auto at = std::find(options.begin(), options.end(), id);
      ChooseOption(control->definition.parent, static_cast<int>(at - options.begin()) + 1);
      return;
    }
    default:
      return;
  }
}

void ModelWindow::ChooseOption(ControlId radio, int option) {
  ModelControl* group = Mutable(radio);
  if (group == nullptr || group->definition.kind != ControlKind::Radio || !IsUsable(radio)) return;
  const std::vector<ControlId> options = Children(radio, ControlKind::Option);
  if (option < 1 || option > static_cast<int>(options.size()) || !IsUsable(options[option - 1])) return;
  if (!MoveFocus(radio)) return;
  if (group->state.chosen == option) return;  // nothing changed
  const ControlDefinition& d = group->definition;
  if (d.value.IsBound() && !d.value.Assign(Control(options[option - 1])->definition.optionValue)) return;
  group->state.chosen = option;
  PostEvent(Event{EventNumber::Accepted, radio});
}

void ModelWindow::ChooseTabByUser(ControlId sheet, int tab) {
  ModelControl* control = Mutable(sheet);
  if (control == nullptr || control->definition.kind != ControlKind::Sheet || !IsUsable(sheet)) return;
  const std::vector<ControlId> tabs = Children(sheet, ControlKind::Tab);
  if (tab < 1 || tab > static_cast<int>(tabs.size()) || !IsUsable(tabs[tab - 1])) return;
  if (!LeaveFocused()) return;
  if (control->state.chosen == tab) return;
  control->state.chosen = tab;
  PostEvent(Event{EventNumber::NewSelection, sheet});
  // A focus on the page that went away moves to the first control of the new one.
  if (focus_ != 0 && !IsVisible(focus_)) {
    focus_ = 0;
    (void)MoveFocus(NextStop(+1));
  }
}

void ModelWindow::ClickRow(ControlId id, const UserInput& input) {
  using Kind = UserInput::Kind;
  const ModelControl* list = Control(id);
  if (list == nullptr || list->definition.kind != ControlKind::List || !IsUsable(id)) return;
  if (!MoveFocus(id)) return;
  Event mouse{EventNumber::AlertKey, id};
  mouse.mouseRow = input.row;
  mouse.mouseColumn = input.column;
  if (input.kind == Kind::RightClickRow) {
    // The row under the mouse is the program's to choose; the selection stays.
    mouse.key = kMouseRight;
    if (IsAlerted(id, kMouseRight)) PostEvent(mouse);
    return;
  }
  if (input.row < 1 || input.row > static_cast<int>(list->state.rows.size())) return;
  Mutable(id)->state.selection = input.row;
  Event selection = mouse;
  selection.number = EventNumber::NewSelection;
  PostEvent(selection);
  if (input.kind == Kind::DoubleClickRow) {
    mouse.key = kMouseLeft2;
    if (IsAlerted(id, kMouseLeft2))
      PostEvent(mouse);
    else
      PostEvent(Event{EventNumber::Accepted, id});
  }
}

void ModelWindow::FollowMnemonic(unsigned char letter) {
  for (const ModelControl& control : controls_) {
    const ControlDefinition& d = control.definition;
    if (!control.alive || MnemonicLetter(control.state.text) != letter || !IsUsable(d.id)) continue;
    switch (d.kind) {
      case ControlKind::Button:
      case ControlKind::Check:
      case ControlKind::Option:
        PressControl(d.id);
        return;
      case ControlKind::Prompt:
        (void)MoveFocus(FocusTarget(d.id));
        return;
      case ControlKind::Tab: {
        const std::vector<ControlId> tabs = Children(d.parent, ControlKind::Tab);
        ChooseTabByUser(d.parent, static_cast<int>(std::find(tabs.begin(), tabs.end(), d.id) - tabs.begin()) + 1);
        return;
      }
      default:
        break;
    }
  }
}

void ModelWindow::Step(ControlId id, int direction) {
  ModelControl* spin = Mutable(id);
  const ControlDefinition& d = spin->definition;
  if (spin->state.readOnly || !d.value.IsBound()) return;
  if (spin->edited && !TakeText(*spin)) {
    PostEvent(Event{EventNumber::Rejected, id});
    return;
  }
  Decimal value = d.value.Number() + (direction > 0 ? d.step : -d.step);
  if (value > d.high) value = d.high;
  if (value < d.low) value = d.low;
  if (!d.value.Assign(value.ToString())) return;
  ShowValue(*spin);
  PostEvent(Event{EventNumber::Accepted, id});
}

void ModelWindow::TakePlacement(const UserInput& input) {
  // The program placed the window (a placement restored as it opened) and
  // the display has not been told yet: what the display reports was true
  // before that and would undo it. It reports again once it has applied it.
  if (placementChanged) return;
  const bool sized = input.width != width_ || input.height != height_ || input.state != state_;
  x_ = input.x;
  y_ = input.y;
  width_ = input.width;
  height_ = input.height;
  state_ = input.state;
  std::size_t list = 0;
  for (ModelControl& control : controls_) {
    if (!control.alive || control.definition.kind != ControlKind::List) continue;
    if (list < input.visibleRows.size()) control.visibleRows = std::max(input.visibleRows[list], 1);
    ++list;
  }
  dirty = true;
  if (sized) PostEvent(Event{EventNumber::Sized});
}

}  // namespace zelvo
