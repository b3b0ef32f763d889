// CommandLineMessageBox: the message box of the command-line faces. It writes
// the box to a stream (standard error) — the caption, the text with "|" as
// line breaks, the buttons with the default marked — and answers at once:
// the button named in the environment variable ZELVO_MESSAGE_ANSWER ("Yes",
// "no", "Retry", ...; case and "&" ignored) when the box has it, otherwise
// the default button. Texts arrive in CP1251 and are written as UTF-8.
//
//     --- Value Error ---
//     The value of BAS:aliment must be in the list : '0','1','2','3'.
//     [Ok*]
//
// Used by one thread at a time (the run token's holder).
#pragma once

#include <iosfwd>
#include <string>

#include "platform/message_box.h"

namespace zelvo {

class CommandLineMessageBox final : public MessageBox {
 public:
  static constexpr const char* kAnswerVariable = "ZELVO_MESSAGE_ANSWER";

  explicit CommandLineMessageBox(std::ostream& out);
  [[nodiscard]] unsigned Show(const MessageBoxRequest& request) override;

 private:
  std::ostream& out_;
};

// The button called `name` ("Yes", "&yes", "OK"), 0 when none is.
unsigned ButtonNamed(std::string_view name);

}  // namespace zelvo
