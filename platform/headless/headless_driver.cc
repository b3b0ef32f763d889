#include "platform/headless/headless_driver.h"

#include <algorithm>

#include "platform/mnemonic.h"
#include "platform/model/nominal_size.h"
#include "runtime/cp1251.h"

namespace zelvo {
namespace {

using Kind = UserInput::Kind;

std::string Utf8(std::string_view cp1251) { return Cp1251ToUtf8(cp1251); }

UserInput MakeInput(Kind kind, ControlId control = 0, int value = 0) {
  UserInput input;
  input.kind = kind;
  input.control = control;
  input.value = value;
  return input;
}

std::string Quoted(const ModelControl& control) { return "\"" + Utf8(control.definition.name) + "\""; }

// Why the user cannot reach the control, "" when they can.
std::string Unreachable(const ModelWindow& window, ControlId id) {
  const ModelControl* control = window.Control(id);
  if (control == nullptr) return "the window has no control " + std::to_string(id);
  if (!window.IsVisible(id)) return Quoted(*control) + " is hidden";
  if (!window.IsEnabled(id)) return Quoted(*control) + " is disabled";
  return {};
}

bool IsFocusable(ControlKind kind) {
  switch (kind) {
    case ControlKind::Entry:
    case ControlKind::Spin:
    case ControlKind::Check:
    case ControlKind::Radio:
    case ControlKind::Option:
    case ControlKind::Button:
    case ControlKind::List:
    case ControlKind::Prompt:
      return true;
    default:
      return false;
  }
}

std::string ShownText(const ModelWindow& window, const ModelControl& control) {
  const ControlDefinition& d = control.definition;
  auto childText = [&](ControlKind kind) {
    const std::vector<ControlId> children = window.Children(d.id, kind);
    const int chosen = control.state.chosen;
    if (chosen < 1 || chosen > static_cast<int>(children.size())) return std::string();
    return Utf8(WithoutMnemonics(window.Control(children[chosen - 1])->state.text));
  };
  switch (d.kind) {
    case ControlKind::Entry:
    case ControlKind::Spin:
      return Utf8(control.state.text);
    case ControlKind::Radio:
      return childText(ControlKind::Option);
    case ControlKind::Sheet:
      return childText(ControlKind::Tab);
    case ControlKind::Progress:
      return std::to_string(control.state.progress);
    case ControlKind::Pages:
      return PagesShown(control.state.pages);
    default:
      return Utf8(WithoutMnemonics(control.state.text));
  }
}

ControlView ViewOf(const ModelWindow& window, const ModelControl& control) {
  const ControlDefinition& d = control.definition;
  ControlView view;
  view.id = d.id;
  view.kind = d.kind;
  view.parent = d.parent;
  view.role = d.role;
  view.name = Utf8(d.name);
  view.text = Utf8(control.state.text);
  if (d.kind == ControlKind::Entry || d.kind == ControlKind::Spin) view.text.clear();
  view.prompt = Utf8(d.prompt);
  view.shown = ShownText(window, control);
  if (d.value.IsBound()) view.value = Utf8(d.value.ValueText());
  view.enabled = window.IsEnabled(d.id);
  view.visible = window.IsVisible(d.id);
  view.focused = window.Focused() == d.id;
  view.checked = control.state.checked;
  if (d.kind == ControlKind::List) {
    for (const ColumnDefinition& column : d.columns) view.headers.push_back(Utf8(column.header));
    for (const ListRow& row : control.state.rows) {
      std::vector<std::string>& shown = view.rows.emplace_back();
      for (const std::string& cell : row) shown.push_back(Utf8(cell));
    }
    view.selection = control.state.selection;
    view.visibleRows = control.visibleRows;
  }
  view.pages = control.state.pages;
  return view;
}

}  // namespace

bool HeadlessDriver::WaitIdle(double seconds, std::string* busy) { return model_.WaitIdle(seconds, busy); }

std::vector<WindowView> HeadlessDriver::Windows() const {
  std::vector<WindowView> views;
  model_.Inspect([&] {
    for (const ModelWindow* window : model_.OpenWindows()) {
      WindowView& view = views.emplace_back();
      view.handle = window->handle();
      view.procedure = Utf8(window->Definition().Procedure());
      view.caption = Utf8(window->caption());
      view.kind = window->kind();
      view.active = model_.ActiveWindow() == window;
      view.takesInput = window->TakesInput();
      view.visible = window->IsVisible(0);
      view.x = window->X();
      view.y = window->Y();
      view.width = window->Width();
      view.height = window->Height();
      view.maximized = window->IsMaximized();
      view.minimized = window->IsMinimized();
      for (ControlId id : window->ControlIds()) view.controls.push_back(ViewOf(*window, *window->Control(id)));
    }
  });
  return views;
}

std::optional<MessageView> HeadlessDriver::Message() const {
  for (const OpenQuestion& question : model_.Questions()) {
    if (question.isPopup) continue;
    MessageView view;
    view.caption = Utf8(question.message.caption);
    std::string text = question.message.text;
    std::replace(text.begin(), text.end(), '|', '\n');
    view.text = Utf8(text);
    for (unsigned button = kButtonOk; button <= kButtonHelp; button <<= 1)
      if ((question.message.buttons & button) != 0) view.buttons.push_back(WithoutMnemonics(ButtonLabel(button)));
    return view;
  }
  return std::nullopt;
}

std::vector<MenuItemView> HeadlessDriver::Menu() const {
  std::vector<MenuItemView> items;
  model_.Inspect([&] {
    const ModelWindow* frame = model_.Frame();
    if (frame == nullptr) return;
    for (ControlId id : frame->ControlIds()) {
      const ModelControl& item = *frame->Control(id);
      if (item.definition.kind != ControlKind::MenuItem) continue;
      MenuItemView& view = items.emplace_back();
      for (const ModelControl* c = &item; c; c = frame->Control(c->definition.parent))
        view.path.insert(view.path.begin(), Utf8(WithoutMnemonics(c->state.text)));
      view.enabled = frame->IsEnabled(id);
    }
  });
  return items;
}

std::string HeadlessDriver::StatusText() const {
  std::string text;
  model_.Inspect([&] { text = Utf8(model_.StatusText()); });
  return text;
}

std::string HeadlessDriver::Act(int handle, bool needsInput,
                                const std::function<std::string(const ModelWindow&, std::vector<UserInput>&)>& act) {
  std::string why;
  model_.Inspect([&] {
    const ModelWindow* window = model_.FindWindow(handle);
    if (window == nullptr) {
      why = "the window is not open";
      return;
    }
    if (needsInput && !window->TakesInput()) {
      why = "\"" + Utf8(window->caption()) + "\" takes no input while a window or message opened after it is open";
      return;
    }
    std::vector<UserInput> inputs;
    why = act(*window, inputs);
    if (!why.empty()) return;
    // A click into a window that is not the active one activates it first.
    if (window->kind() == WindowKind::Document && model_.ActiveWindow() != window)
      model_.Input(handle, MakeInput(Kind::Activate));
    for (UserInput& input : inputs) model_.Input(handle, std::move(input));
  });
  return why;
}

std::string HeadlessDriver::ChooseMenu(const std::vector<std::string>& path) {
  int frame = 0;
  model_.Inspect([&] {
    if (model_.Frame()) frame = model_.Frame()->handle();
  });
  if (frame == 0) return "the frame is not open";
  std::string wanted;
  for (const std::string& part : path) wanted += (wanted.empty() ? "" : "/") + part;
  return Act(frame, true, [&](const ModelWindow& window, std::vector<UserInput>& inputs) -> std::string {
    for (ControlId id : window.ControlIds()) {
      const ModelControl* c = window.Control(id);
      if (c->definition.kind != ControlKind::MenuItem) continue;
      std::vector<std::string> itemPath;
      for (const ModelControl* p = c; p; p = window.Control(p->definition.parent))
        itemPath.insert(itemPath.begin(), Utf8(WithoutMnemonics(p->state.text)));
      if (itemPath != path) continue;
      if (!window.IsEnabled(id)) return "the menu item \"" + wanted + "\" is disabled";
      inputs.push_back(MakeInput(Kind::MenuItem, id));
      return {};
    }
    return "the menu has no item \"" + wanted + "\"";
  });
}

std::string HeadlessDriver::Type(int handle, ControlId control, const std::string& text) {
  std::optional<std::string> typed = Utf8ToCp1251(text);
  if (!typed) return "the text has characters the program cannot hold";
  return Act(handle, true, [&](const ModelWindow& window, std::vector<UserInput>& inputs) -> std::string {
    if (std::string why = Unreachable(window, control); !why.empty()) return why;
    const ModelControl& entry = *window.Control(control);
    if (entry.definition.kind != ControlKind::Entry && entry.definition.kind != ControlKind::Spin)
      return Quoted(entry) + " is not an entry";
    if (entry.state.readOnly) return Quoted(entry) + " is read-only";
    inputs.push_back(MakeInput(Kind::Focus, control));
    UserInput clear = MakeInput(Kind::Edit, control);
    inputs.push_back(clear);
    for (char c : *typed) {
      std::optional<NamedKey> key = KeyFromName(Utf8(std::string(1, c)));
      UserInput press = MakeInput(Kind::Key, control);
      press.key = key ? key->code : 0;
      press.character = static_cast<unsigned char>(c);
      inputs.push_back(press);
    }
    UserInput tab = MakeInput(Kind::Key, control);
    tab.key = kTab;
    inputs.push_back(tab);
    return {};
  });
}

std::string HeadlessDriver::Press(int handle, ControlId control) {
  return Act(handle, true, [&](const ModelWindow& window, std::vector<UserInput>& inputs) -> std::string {
    if (std::string why = Unreachable(window, control); !why.empty()) return why;
    const ModelControl& pressed = *window.Control(control);
    const ControlKind kind = pressed.definition.kind;
    if (kind != ControlKind::Button && kind != ControlKind::Check && kind != ControlKind::Option)
      return Quoted(pressed) + " cannot be pressed";
    inputs.push_back(MakeInput(Kind::Press, control));
    return {};
  });
}

std::string HeadlessDriver::Choose(int handle, ControlId radio, int option) {
  return Act(handle, true, [&](const ModelWindow& window, std::vector<UserInput>& inputs) -> std::string {
    if (std::string why = Unreachable(window, radio); !why.empty()) return why;
    const std::vector<ControlId> options = window.Children(radio, ControlKind::Option);
    if (option < 1 || option > static_cast<int>(options.size()))
      return Quoted(*window.Control(radio)) + " has no option " + std::to_string(option);
    if (std::string why = Unreachable(window, options[option - 1]); !why.empty()) return why;
    inputs.push_back(MakeInput(Kind::Choose, radio, option));
    return {};
  });
}

std::string HeadlessDriver::Click(int handle, ControlId control) {
  return Act(handle, true, [&](const ModelWindow& window, std::vector<UserInput>& inputs) -> std::string {
    if (std::string why = Unreachable(window, control); !why.empty()) return why;
    if (!IsFocusable(window.Control(control)->definition.kind))
      return Quoted(*window.Control(control)) + " takes no focus";
    inputs.push_back(MakeInput(Kind::Focus, control));
    return {};
  });
}

std::string HeadlessDriver::ChooseTab(int handle, ControlId sheet, int tab) {
  return Act(handle, true, [&](const ModelWindow& window, std::vector<UserInput>& inputs) -> std::string {
    if (std::string why = Unreachable(window, sheet); !why.empty()) return why;
    const std::vector<ControlId> tabs = window.Children(sheet, ControlKind::Tab);
    if (tab < 1 || tab > static_cast<int>(tabs.size()))
      return Quoted(*window.Control(sheet)) + " has no tab " + std::to_string(tab);
    if (std::string why = Unreachable(window, tabs[tab - 1]); !why.empty()) return why;
    inputs.push_back(MakeInput(Kind::ChooseTab, sheet, tab));
    return {};
  });
}

std::string HeadlessDriver::SelectRow(int handle, ControlId list, int row) {
  return Act(handle, true, [&](const ModelWindow& window, std::vector<UserInput>& inputs) -> std::string {
    if (std::string why = Unreachable(window, list); !why.empty()) return why;
    const ModelControl& control = *window.Control(list);
    if (control.definition.kind != ControlKind::List) return Quoted(control) + " is not a list";
    const int rows = static_cast<int>(control.state.rows.size());
    if (row < 1 || row > rows) return Quoted(control) + " shows " + std::to_string(rows) + " rows";
    UserInput click = MakeInput(Kind::ClickRow, list);
    click.row = row;
    click.column = 1;
    inputs.push_back(click);
    return {};
  });
}

std::string HeadlessDriver::PressKey(int handle, ControlId control, NamedKey key) {
  return Act(handle, true, [&](const ModelWindow& window, std::vector<UserInput>& inputs) -> std::string {
    if (control != 0) {
      if (std::string why = Unreachable(window, control); !why.empty()) return why;
      if (!IsFocusable(window.Control(control)->definition.kind))
        return Quoted(*window.Control(control)) + " takes no focus";
      inputs.push_back(MakeInput(Kind::Focus, control));
    }
    UserInput press = MakeInput(Kind::Key);
    press.key = key.code;
    press.character = key.character;
    inputs.push_back(press);
    return {};
  });
}

std::string HeadlessDriver::Answer(const std::string& button) {
  for (const OpenQuestion& question : model_.Questions()) {
    if (question.isPopup) continue;
    std::string offered;
    for (unsigned bit = kButtonOk; bit <= kButtonHelp; bit <<= 1) {
      if ((question.message.buttons & bit) == 0) continue;
      const std::string label = WithoutMnemonics(ButtonLabel(bit));
      if (NamesButton(label, button)) {
        model_.Input(question.handle, MakeInput(Kind::MessageAnswer, 0, static_cast<int>(bit)));
        return {};
      }
      offered += (offered.empty() ? "" : ", ") + label;
    }
    return "the message box has no button \"" + button + "\" (it has " + offered + ")";
  }
  return "no message box is open";
}

std::string HeadlessDriver::Close(int handle) {
  return Act(handle, true, [&](const ModelWindow&, std::vector<UserInput>& inputs) -> std::string {
    inputs.push_back(MakeInput(Kind::CloseBox));
    return {};
  });
}

std::string HeadlessDriver::Placed(int handle, int x, int y, int width, int height, int state) {
  return Act(handle, true, [&](const ModelWindow& window, std::vector<UserInput>& inputs) -> std::string {
    if (width < 1 || height < 1) return "a window's width and height are at least 1";
    if (state == 0 && !window.IsResizable() && (width != window.Width() || height != window.Height()))
      return "\"" + Utf8(window.caption()) + "\" cannot be resized";
    UserInput placed = MakeInput(Kind::Placed);
    placed.x = x;
    placed.y = y;
    placed.width = width;
    placed.height = height;
    placed.state = state;
    const int shownHeight = state == 1 ? kNominalFrameHeight : height;
    for (ControlId id : window.ControlIds()) {
      const ModelControl& control = *window.Control(id);
      if (control.definition.kind != ControlKind::List) continue;
      placed.visibleRows.push_back(state == 2 ? control.visibleRows
                                              : NominalVisibleRows(std::max(control.definition.rows, 1),
                                                                   window.nominalHeight(), shownHeight));
    }
    inputs.push_back(placed);
    return {};
  });
}

std::string HeadlessDriver::Place(int handle, int x, int y, int width, int height) {
  return Placed(handle, x, y, width, height, 0);
}

std::string HeadlessDriver::SetState(int handle, ShowState state) {
  int x = 0, y = 0, width = 0, height = 0;
  model_.Inspect([&] {
    if (const ModelWindow* window = model_.FindWindow(handle)) {
      x = window->X();
      y = window->Y();
      width = window->Width();
      height = window->Height();
    }
  });
  const int code = state == ShowState::Maximized ? 1 : state == ShowState::Minimized ? 2 : 0;
  return Placed(handle, x, y, width, height, code);
}

}  // namespace zelvo
