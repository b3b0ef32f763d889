#include "platform/window_runtime.h"

#include <cassert>

namespace zelvo {
namespace {
WindowRuntime* installed = nullptr;
}  // namespace

WindowRuntime& TheWindowRuntime() {
  assert(installed && "no window runtime installed");
  return *installed;
}

void InstallWindowRuntime(WindowRuntime* runtime) { installed = runtime; }

WindowRuntime* InstalledWindowRuntime() { return installed; }

}  // namespace zelvo
