#include "platform/window_definition.h"

#include <cassert>

namespace zelvo {

WindowDefinition::WindowDefinition(std::string procedure, std::string caption, WindowKind kind)
    : procedure_(std::move(procedure)), caption_(std::move(caption)), kind_(kind) {}

ControlDefinition& WindowDefinition::Add(ControlKind kind, std::string name, std::string text) {
  ControlDefinition& control = controls_.emplace_back();
  control.kind = kind;
  control.id = static_cast<ControlId>(controls_.size());
  control.parent = open_.empty() ? 0 : open_.back();
  control.text = std::move(text);
  control.name = name.empty() ? control.text : std::move(name);
  return control;
}

ControlId WindowDefinition::Prompt(std::string text) { return Add(ControlKind::Prompt, {}, std::move(text)).id; }

ControlId WindowDefinition::Entry(std::string prompt, FieldBinding value, std::string picture) {
  if (!prompt.empty()) Prompt(prompt);
  ControlDefinition& entry = Add(ControlKind::Entry, value.Name(), {});
  entry.prompt = std::move(prompt);
  entry.value = std::move(value);
  entry.picture = std::move(picture);
  return entry.id;
}

ControlId WindowDefinition::Check(std::string text, FieldBinding value, std::string onValue, std::string offValue) {
  ControlDefinition& check = Add(ControlKind::Check, value.Name(), std::move(text));
  check.value = std::move(value);
  check.onValue = std::move(onValue);
  check.offValue = std::move(offValue);
  return check.id;
}

ControlId WindowDefinition::Radio(std::string caption, FieldBinding value, const std::vector<Choice>& choices) {
  ControlDefinition& radio = Add(ControlKind::Radio, value.Name(), caption);
  radio.prompt = std::move(caption);
  radio.value = std::move(value);
  const ControlId id = radio.id;
  open_.push_back(id);
  for (const Choice& choice : choices) Add(ControlKind::Option, {}, choice.text).optionValue = choice.value;
  open_.pop_back();
  return id;
}

ControlId WindowDefinition::Spin(std::string prompt, FieldBinding value, std::string picture, Decimal low,
                                 Decimal high, Decimal step) {
  if (!prompt.empty()) Prompt(prompt);
  ControlDefinition& spin = Add(ControlKind::Spin, value.Name(), {});
  spin.prompt = std::move(prompt);
  spin.value = std::move(value);
  spin.picture = std::move(picture);
  spin.low = low;
  spin.high = high;
  spin.step = step;
  return spin.id;
}

ControlId WindowDefinition::Button(std::string text, ButtonRole role) {
  ControlDefinition& button = Add(ControlKind::Button, {}, std::move(text));
  button.role = role;
  button.isDefault = role == ButtonRole::Ok;
  return button.id;
}

ControlId WindowDefinition::List(std::string label, std::vector<ColumnDefinition> columns, int rows) {
  ControlDefinition& list = Add(ControlKind::List, std::move(label), {});
  list.columns = std::move(columns);
  list.rows = rows;
  return list.id;
}

ControlId WindowDefinition::Progress(std::string label) { return Add(ControlKind::Progress, std::move(label), {}).id; }
ControlId WindowDefinition::Pages(std::string label) { return Add(ControlKind::Pages, std::move(label), {}).id; }

ControlId WindowDefinition::BeginGroup(std::string caption) {
  const ControlId id = Add(ControlKind::Group, {}, std::move(caption)).id;
  open_.push_back(id);
  return id;
}

ControlId WindowDefinition::BeginSheet(std::string label) {
  const ControlId id = Add(ControlKind::Sheet, std::move(label), {}).id;
  open_.push_back(id);
  return id;
}

ControlId WindowDefinition::BeginTab(std::string text) {
  assert(!open_.empty() && controls_[open_.back() - 1].kind == ControlKind::Sheet && "a tab sits in a sheet");
  const ControlId id = Add(ControlKind::Tab, {}, std::move(text)).id;
  open_.push_back(id);
  return id;
}

ControlId WindowDefinition::BeginMenu(std::string text, std::string status) {
  ControlDefinition& menu = Add(ControlKind::Menu, {}, std::move(text));
  menu.status = std::move(status);
  open_.push_back(menu.id);
  return menu.id;
}

ControlId WindowDefinition::MenuItem(std::string text, std::string status, StandardAction action) {
  ControlDefinition& item = Add(ControlKind::MenuItem, {}, std::move(text));
  item.status = std::move(status);
  item.action = action;
  return item.id;
}

void WindowDefinition::End() {
  assert(!open_.empty() && "End without a container begun");
  if (!open_.empty()) open_.pop_back();
}

ControlDefinition& WindowDefinition::operator[](ControlId id) {
  assert(id >= 1 && static_cast<std::size_t>(id) <= controls_.size());
  return controls_[static_cast<std::size_t>(id) - 1];
}

const ControlDefinition& WindowDefinition::operator[](ControlId id) const {
  assert(id >= 1 && static_cast<std::size_t>(id) <= controls_.size());
  return controls_[static_cast<std::size_t>(id) - 1];
}

}  // namespace zelvo
