// ListPopup: the popup menu of a browse list (right mouse button) — one item
// per action button the browse has, each bound to its button so that it is
// enabled, disabled or left out with it, and separators ("-").
//
//     popup.Add("&Insert", insertButton);  popup.Add("-");  ...
//     ControlId button = popup.Show(window);   // the button chosen, 0 none
//
// Used only by the run token's holder.
#pragma once

#include <string>
#include <vector>

#include "platform/window.h"

namespace zelvo {

class ListPopup {
 public:
  // An item bound to `button`; "-" with no button is a separator.
  void Add(std::string text, ControlId button = 0) { items_.push_back({std::move(text), button}); }
  void Clear() { items_.clear(); }
  bool Empty() const { return items_.empty(); }

  // Shows the items whose buttons are visible (a disabled button's item
  // disabled) and answers the button of the item chosen; 0 when none was.
  ControlId Show(Window& window) const {
    std::vector<PopupItem> shown;
    std::vector<ControlId> buttons;
    for (const Item& item : items_) {
      if (item.button != 0 && !window.IsVisible(item.button)) continue;
      shown.push_back({item.text, item.button == 0 || window.IsEnabled(item.button)});
      buttons.push_back(item.button);
    }
    const int chosen = shown.empty() ? 0 : window.Popup(shown);
    return chosen >= 1 && chosen <= static_cast<int>(buttons.size()) ? buttons[static_cast<std::size_t>(chosen) - 1] : 0;
  }

 private:
  struct Item {
    std::string text;
    ControlId button;
  };
  std::vector<Item> items_;
};

}  // namespace zelvo
