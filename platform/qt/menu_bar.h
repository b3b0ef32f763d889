// MenuBar: the frame's menus, made from the Menu and MenuItem controls of
// its definition, with their mnemonics. While the mouse or the keyboard
// rests on an item the status bar shows the item's status text; an item the
// program disabled is shown disabled. Choosing an item reports MenuItem: the
// model starts its procedure or performs its standard action.
#pragma once

#include <map>
#include <vector>

#include "platform/qt/control_widget.h"

class QAction;
class QMenuBar;

namespace zelvo {

class MenuBar {
 public:
  MenuBar(QMenuBar& bar, const std::vector<ControlDefinition>& definitions, ReportInput report);

  // Shows the state of a menu or menu item; false for any other control.
  bool Apply(const ControlState& state);

  // Every item, with its path of texts (without "&").
  std::vector<MenuItemView> Items() const;
  // The actions the user goes through to reach an item, from the bar down;
  // empty when the path names nothing.
  std::vector<QAction*> Path(const std::vector<std::string>& texts) const;
  void Read(std::vector<ControlView>& views) const;

 private:
  struct Entry {
    const ControlDefinition* definition;
    QAction* action;  // a menu's own action on its parent
  };
  std::vector<std::string> PathOf(ControlId id) const;

  QMenuBar& bar_;
  std::vector<ControlDefinition> definitions_;
  std::map<ControlId, Entry> entries_;
};

}  // namespace zelvo
