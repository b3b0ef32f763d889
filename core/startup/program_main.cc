#include "core/startup/program_main.h"

#include "core/windows/frame/main_frame.h"
#include "core/startup/program_objects.h"
#include "platform/window_runtime.h"

namespace zelvo {

void ProgramMain() {
  ProgramObjects objects(TheWindowRuntime());
  // The desktops this program runs on drag windows as their own settings
  // say and give a program no switch for it: the drag-full-windows setting
  // is neither read, nor changed for the run, nor restored after it.
  Main();
}

}  // namespace zelvo
