#include "platform/qt/popup_menu.h"

#include <QTimer>

#include "platform/qt/qt_text.h"

namespace zelvo {

PopupMenu::PopupMenu(const std::vector<PopupItem>& items, ReportInput report, QWidget* parent)
    : QMenu(parent), report_(std::move(report)) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].text == "-") {
      addSeparator();
      continue;
    }
    QAction* action = addAction(ToQString(items[i].text));
    action->setEnabled(items[i].enabled);
    const int number = static_cast<int>(i) + 1;
    QObject::connect(action, &QAction::triggered, this, [this, number] { chosen_ = number; });
  }
  // The menu hides before its action triggers: answer once both have happened.
  QObject::connect(this, &QMenu::aboutToHide, this, [this] { QTimer::singleShot(0, this, [this] { Closed(); }); });
}

void PopupMenu::Closed() {
  UserInput input;
  input.kind = UserInput::Kind::PopupChosen;
  input.value = chosen_;
  report_(std::move(input));
  deleteLater();
}

}  // namespace zelvo
