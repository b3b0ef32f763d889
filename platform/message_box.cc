#include "platform/message_box.h"

#include <algorithm>

namespace zelvo {

std::string_view ButtonLabel(unsigned button) {
  switch (button) {
    case kButtonOk: return "O&k";
    case kButtonYes: return "&Yes";
    case kButtonNo: return "&No";
    case kButtonAbort: return "&Abort";
    case kButtonRetry: return "&Retry";
    case kButtonIgnore: return "&Ignore";
    case kButtonCancel: return "&Cancel";
    case kButtonHelp: return "&Help";
    default: return {};
  }
}

unsigned EffectiveDefault(const MessageBoxRequest& request) {
  const unsigned buttons = request.buttons & 0xFFu;
  if ((request.defaultButton & buttons) != 0 && ButtonLabel(request.defaultButton).size() > 0)
    return request.defaultButton;
  for (unsigned button = 1; button <= kButtonHelp; button <<= 1)
    if ((buttons & button) != 0) return button;
  return kButtonOk;
}

bool NamesButton(std::string_view label, std::string_view name) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return label.size() == name.size() &&
         std::equal(label.begin(), label.end(), name.begin(), [&](char a, char b) { return lower(a) == lower(b); });
}

}  // namespace zelvo
