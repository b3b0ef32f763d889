#include "storage/driver_kind.h"

namespace zelvo {

std::string_view DriverName(Driver driver) {
  switch (driver) {
    case Driver::Vxr: return "Quillset";
    case Driver::Dbase: return "dBase4";
    case Driver::Ascii: return "ASCII";
  }
  return "";
}

}  // namespace zelvo
