#include "storage/driver_kind.h"

namespace zelvo {

std::string_view DriverName(Driver driver) {
  switch (driver) {
    case Driver::Quillset: return "Quillset";
    case Driver::DBase4: return "dBase4";
    case Driver::Ascii: return "ASCII";
  }
  return "";
}

}  // namespace zelvo
