// PopupMenu: a list's popup menu at the mouse. It does not wait: the item
// chosen (1-based, in the order given; 0 when the menu closed without a
// choice) is reported as PopupChosen once the menu has closed.
#pragma once

#include <vector>

#include <QMenu>

#include "platform/qt/control_widget.h"
#include "platform/window.h"

namespace zelvo {

class PopupMenu final : public QMenu {
 public:
  PopupMenu(const std::vector<PopupItem>& items, ReportInput report, QWidget* parent);

 private:
  void Closed();

  ReportInput report_;
  int chosen_ = 0;
};

}  // namespace zelvo
