#include "platform/event.h"

namespace zelvo {

const char* EventName(EventNumber number) {
  switch (number) {
    case EventNumber::None: return "EVENT:None";
    case EventNumber::Accepted: return "EVENT:Accepted";
    case EventNumber::NewSelection: return "EVENT:NewSelection";
    case EventNumber::ScrollUp: return "EVENT:ScrollUp";
    case EventNumber::ScrollDown: return "EVENT:ScrollDown";
    case EventNumber::PageUp: return "EVENT:PageUp";
    case EventNumber::PageDown: return "EVENT:PageDown";
    case EventNumber::ScrollTop: return "EVENT:ScrollTop";
    case EventNumber::ScrollBottom: return "EVENT:ScrollBottom";
    case EventNumber::Locate: return "EVENT:Locate";
    case EventNumber::AlertKey: return "EVENT:AlertKey";
    case EventNumber::ScrollDrag: return "EVENT:ScrollDrag";
    case EventNumber::Rejected: return "EVENT:Rejected";
    case EventNumber::Selected: return "EVENT:Selected";
    case EventNumber::CloseWindow: return "EVENT:CloseWindow";
    case EventNumber::CloseDown: return "EVENT:CloseDown";
    case EventNumber::OpenWindow: return "EVENT:OpenWindow";
    case EventNumber::LoseFocus: return "EVENT:LoseFocus";
    case EventNumber::GainFocus: return "EVENT:GainFocus";
    case EventNumber::Timer: return "EVENT:Timer";
    case EventNumber::Completed: return "EVENT:Completed";
    case EventNumber::Sized: return "EVENT:Sized";
  }
  return "EVENT:?";
}

}  // namespace zelvo
