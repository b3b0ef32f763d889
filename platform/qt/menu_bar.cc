#include "platform/qt/menu_bar.h"

#include <algorithm>

#include <QMenu>
#include <QMenuBar>

#include "platform/qt/qt_text.h"
#include "runtime/cp1251.h"

namespace zelvo {

MenuBar::MenuBar(QMenuBar& bar, const std::vector<ControlDefinition>& definitions, ReportInput report) : bar_(bar) {
  std::map<ControlId, QMenu*> menus;
  for (const ControlDefinition& control : definitions) {
    if (control.kind != ControlKind::Menu && control.kind != ControlKind::MenuItem) continue;
    definitions_.push_back(control);
  }
  for (const ControlDefinition& control : definitions_) {
    QMenu* parent = menus.count(control.parent) ? menus[control.parent] : nullptr;
    QAction* action = nullptr;
    if (control.kind == ControlKind::Menu) {
      QMenu* menu = parent ? parent->addMenu(ToQString(control.text)) : bar_.addMenu(ToQString(control.text));
      menus[control.id] = menu;
      action = menu->menuAction();
    } else if (control.text == "-") {
      action = parent ? parent->addSeparator() : bar_.addSeparator();
    } else {
      action = parent ? parent->addAction(ToQString(control.text)) : bar_.addAction(ToQString(control.text));
      QObject::connect(action, &QAction::triggered, &bar_, [report, id = control.id] {
        UserInput input;
        input.kind = UserInput::Kind::MenuItem;
        input.control = id;
        report(input);
      });
    }
    action->setStatusTip(ToQString(control.status));
    action->setEnabled(!control.disabled);
    action->setVisible(!control.hidden);
    entries_[control.id] = {&control, action};
  }
}

bool MenuBar::Apply(const ControlState& state) {
  const auto found = entries_.find(state.id);
  if (found == entries_.end()) return false;
  QAction& action = *found->second.action;
  if (!action.isSeparator()) {
    const QString text = ToQString(state.text);
    if (action.text() != text) action.setText(text);
  }
  if (action.isEnabled() != state.enabled) action.setEnabled(state.enabled);
  if (action.isVisible() != state.visible) action.setVisible(state.visible);
  return true;
}

std::vector<std::string> MenuBar::PathOf(ControlId id) const {
  std::vector<std::string> path;
  for (auto found = entries_.find(id); found != entries_.end(); found = entries_.find(found->second.definition->parent))
    path.insert(path.begin(), ToUtf8(WithoutMnemonic(found->second.action->text())));
  return path;
}

std::vector<MenuItemView> MenuBar::Items() const {
  std::vector<MenuItemView> items;
  for (const auto& [id, entry] : entries_) {
    if (entry.definition->kind != ControlKind::MenuItem || entry.action->isSeparator() || !entry.action->isVisible())
      continue;
    items.push_back({PathOf(id), entry.action->isEnabled()});
  }
  return items;
}

std::vector<QAction*> MenuBar::Path(const std::vector<std::string>& texts) const {
  for (const auto& [id, entry] : entries_) {
    if (entry.action->isSeparator() || !entry.action->isVisible() || PathOf(id) != texts) continue;
    std::vector<QAction*> actions;
    for (auto step = entries_.find(id); step != entries_.end(); step = entries_.find(step->second.definition->parent))
      actions.insert(actions.begin(), step->second.action);
    return actions;
  }
  return {};
}

void MenuBar::Read(std::vector<ControlView>& views) const {
  for (const auto& [id, entry] : entries_) {
    ControlView& view = views.emplace_back();
    view.id = id;
    view.kind = entry.definition->kind;
    view.parent = entry.definition->parent;
    view.name = Cp1251ToUtf8(entry.definition->name);
    view.text = ToUtf8(entry.action->text());
    view.shown = ToUtf8(WithoutMnemonic(entry.action->text()));
    view.enabled = entry.action->isEnabled();
    view.visible = entry.action->isVisible();
  }
  std::sort(views.begin(), views.end(), [](const ControlView& a, const ControlView& b) { return a.id < b.id; });
}

}  // namespace zelvo
