#include "platform/qt/input_filter.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>

#include "platform/qt/form_view.h"
#include "platform/qt/key_translation.h"
#include "runtime/cp1251.h"

namespace zelvo {

InputFilter::InputFilter(FormView& form) : QObject(&form), form_(form) {}

bool InputFilter::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
      return Key(watched, static_cast<QKeyEvent&>(*event));
    case QEvent::KeyRelease:
      return !form_.TakesInput();
    case QEvent::FocusIn:
      if (static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason && form_.TakesInput()) {
        if (const ControlWidget* control = form_.ControlOf(watched)) {
          UserInput input;
          input.kind = UserInput::Kind::Focus;
          input.control = control->Id();
          form_.Report(input);
        }
      }
      return false;
    case QEvent::FocusOut:
      if (ControlWidget* control = form_.ControlOf(watched)) control->Settle();
      return false;
    default:
      return false;
  }
}

bool InputFilter::Key(QObject* watched, QKeyEvent& event) {
  // A key the focused widget let pass climbs to its parents: it was decided there.
  const QWidget* focused = QApplication::focusWidget();
  if (focused && watched != focused) return false;
  const bool override = event.type() == QEvent::ShortcutOverride;
  if (!form_.TakesInput()) {
    event.accept();
    return true;
  }
  const std::optional<NamedKey> key = ProgramKey(event);
  if (!key) return false;
  const bool mnemonic = (key->code & (kAlt | kCtrl)) == kAlt && key->character != 0;
  if (mnemonic && !form_.HasMnemonic(QChar(static_cast<char16_t>(Cp1251ToUnicode(key->character))))) {
    // The menu bar's shortcuts have their turn; what none of them took types nothing.
    return !override;
  }
  ControlWidget* control = form_.ControlOf(watched);
  if (!mnemonic && control && control->KeepsKey(event)) return false;
  event.accept();
  if (override) return true;  // the key press follows, and no shortcut acts on it
  if (control) control->Settle();
  UserInput input;
  input.kind = UserInput::Kind::Key;
  input.control = control ? control->Id() : 0;
  input.key = key->code;
  input.character = key->character;
  form_.Report(input);
  return true;
}

}  // namespace zelvo
