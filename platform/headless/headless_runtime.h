// HeadlessRuntime: the window runtime with no display. Windows and controls
// are the window model's objects; a HeadlessDriver acts on them as the user
// would and reads them back. Timers run out whenever their thread would wait
// (platform/model/window_model.h), so a session never depends on the clock.
#pragma once

#include "platform/model/window_model.h"

namespace zelvo {

class HeadlessRuntime final : public WindowModel {
 public:
  HeadlessRuntime() : WindowModel(nullptr) {}
};

}  // namespace zelvo
