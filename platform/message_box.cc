#include "platform/message_box.h"

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

}  // namespace zelvo
