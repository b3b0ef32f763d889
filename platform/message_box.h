// MessageBox: what the program needs of the window runtime to show a modal
// message box — a text (a "|" starts a new line), a caption, an icon, a set of
// buttons and the default one — answering the button pressed.
//
// Buttons are bits, a set of them their sum; the answer is one bit:
//     1 OK ("O&k")   2 Yes ("&Yes")   4 No ("&No")   8 Abort ("&Abort")
//     16 Retry ("&Retry")   32 Ignore ("&Ignore")   64 Cancel ("&Cancel")   128 Help ("&Help")
// Example: buttons kButtonYes | kButtonNo (6), default kButtonYes: answers 2 or 4.
//
// Texts are CP1251, as everywhere inside the program; a back end converts
// them for its display. Implementations are called only by the run token's
// holder and need no lock.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zelvo {

enum MessageButton : unsigned {
  kButtonOk = 1,
  kButtonYes = 2,
  kButtonNo = 4,
  kButtonAbort = 8,
  kButtonRetry = 16,
  kButtonIgnore = 32,
  kButtonCancel = 64,
  kButtonHelp = 128,
};

enum class MessageIcon : std::uint8_t { None, Question, Exclamation, Information, Stop };

struct MessageBoxRequest {
  std::string text;     // CP1251; "|" starts a new line
  std::string caption;  // CP1251
  MessageIcon icon = MessageIcon::None;
  unsigned buttons = kButtonOk;
  unsigned defaultButton = kButtonOk;
};

// The button's label with its mnemonic: "O&k", "&Yes"; empty for anything
// that is not exactly one button.
std::string_view ButtonLabel(unsigned button);
// The button a request falls back to: its default when that is one of its
// buttons, else its lowest button, else OK.
unsigned EffectiveDefault(const MessageBoxRequest& request);
// True when the user's `name` for a button ("yes") names the button shown as
// `label` without its "&" ("Yes"): the same text, Latin letters in either case.
bool NamesButton(std::string_view label, std::string_view name);

class MessageBox {
 public:
  virtual ~MessageBox() = default;
  // Shows the box until the user presses a button; answers that button.
  [[nodiscard]] virtual unsigned Show(const MessageBoxRequest& request) = 0;
};

}  // namespace zelvo
