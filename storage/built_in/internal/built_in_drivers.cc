#include "storage/built_in/built_in_drivers.h"

#include "storage/ascii/ascii_driver.h"
#include "storage/dbase/dbase_driver.h"
#include "storage/file_driver.h"
#include "storage/vxr/vxr_driver.h"

namespace zelvo {

void RegisterBuiltInDrivers() {
  (void)RegisterFileDriver(Driver::Quillset, &VxrDriver());
  (void)RegisterFileDriver(Driver::DBase4, &DbaseDriver());
  (void)RegisterFileDriver(Driver::Ascii, &AsciiDriver());
}

}  // namespace zelvo
