// MessageDialog: the program's message box — its caption, its text (a "|"
// starts a new line), its icon, and its own buttons in their order with the
// program's texts ("O&k", "&Yes", ...), the default one taking Enter.
//
// It does not wait: it opens over the frame and reports the button pressed as
// MessageAnswer, then closes. Esc and the close box answer Cancel, or Ok when
// Ok is the only button; a box without either ignores them, as the user must
// choose.
#pragma once

#include <string>
#include <vector>

#include <QMessageBox>

#include "platform/message_box.h"
#include "platform/model/user_input.h"
#include "platform/qt/control_widget.h"

namespace zelvo {

class MessageDialog final : public QMessageBox {
 public:
  MessageDialog(const MessageBoxRequest& request, ReportInput report, QWidget* parent);

  // The buttons in order, and the one each answers.
  const std::vector<std::pair<QAbstractButton*, unsigned>>& Buttons() const { return buttons_; }
  // Presses the button answering `button`, as a click does; false when the box has none.
  bool Press(unsigned button);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void Answer(unsigned button);

  ReportInput report_;
  std::vector<std::pair<QAbstractButton*, unsigned>> buttons_;
  unsigned escape_ = 0;  // the button Esc and the close box answer; 0 none
  bool answered_ = false;
};

}  // namespace zelvo
