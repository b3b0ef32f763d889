#include "platform/headless/command_line_message_box.h"

#include <cstdlib>
#include <ostream>

#include "runtime/cp1251.h"

namespace zelvo {
namespace {

std::string Plain(std::string_view label) {
  std::string plain;
  for (char c : label)
    if (c != '&') plain += c;
  return plain;
}

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto low = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (low(a[i]) != low(b[i])) return false;
  }
  return true;
}

}  // namespace

unsigned ButtonNamed(std::string_view name) {
  const std::string wanted = Plain(name);
  if (SameLetters(wanted, "OK")) return kButtonOk;
  for (unsigned button = 1; button <= kButtonHelp; button <<= 1)
    if (SameLetters(wanted, Plain(ButtonLabel(button)))) return button;
  return 0;
}

CommandLineMessageBox::CommandLineMessageBox(std::ostream& out) : out_(out) {}

unsigned CommandLineMessageBox::Show(const MessageBoxRequest& request) {
  const unsigned fallback = EffectiveDefault(request);
  std::string text = Cp1251ToUtf8(request.text);
  for (char& c : text)
    if (c == '|') c = '\n';
  out_ << "--- " << Cp1251ToUtf8(request.caption) << " ---\n" << text << "\n";
  for (unsigned button = 1; button <= kButtonHelp; button <<= 1) {
    if ((request.buttons & button) == 0) continue;
    out_ << (button == 1 || (request.buttons & (button - 1)) == 0 ? "" : " ") << "["
         << Plain(ButtonLabel(button)) << (button == fallback ? "*" : "") << "]";
  }
  out_ << "\n";
  out_.flush();
  if (const char* named = std::getenv(kAnswerVariable)) {
    const unsigned button = ButtonNamed(named);
    if ((button & request.buttons) != 0) return button;
  }
  return fallback;
}

}  // namespace zelvo
