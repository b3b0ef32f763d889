#include "framework/window/record_action.h"

namespace zelvo {

RecordAction PendingRequest = RecordAction::None;
std::uint8_t LastResponse = 0;
std::int32_t PendingVcrRequest = 0;

}  // namespace zelvo
