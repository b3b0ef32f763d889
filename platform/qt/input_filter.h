// InputFilter: the keyboard of a window's controls. It sees every key before
// the widget does and sends the model what is the model's: Tab and
// Shift+Tab, Enter and Esc, Alt+letter (when the window has that mnemonic;
// otherwise the frame's menu bar takes it), Ctrl+' (ditto), the list keys,
// the function keys, and every key a control does not keep for itself
// (typing in an entry stays with the entry and is reported as Edit). A key
// for the model never reaches the widget, and never triggers a Qt shortcut.
//
// It also reports a control clicked into (Focus), lets an entry know when the
// focus leaves it, and takes every key while the window takes no input.
#pragma once

#include <QObject>

class QKeyEvent;

namespace zelvo {

class FormView;

class InputFilter final : public QObject {
 public:
  explicit InputFilter(FormView& form);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool Key(QObject* watched, QKeyEvent& event);

  FormView& form_;
};

}  // namespace zelvo
