#include "platform/qt/program_icon.h"

// The resource lives in this static library: it must be registered by name,
// outside any namespace, before it is used.
static void RegisterResources() { Q_INIT_RESOURCE(zelvo); }

namespace zelvo {

QIcon ProgramIcon() {
  static const bool registered = (RegisterResources(), true);
  (void)registered;
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128}) icon.addFile(QString(":/zelvo/icon-%1.png").arg(size), QSize(size, size));
  return icon;
}

}  // namespace zelvo
