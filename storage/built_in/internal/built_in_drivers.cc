#include "storage/built_in/built_in_drivers.h"

#include "storage/ascii/ascii_driver.h"
#include "storage/dbase/dbase_driver.h"
#include "storage/file_driver.h"
#include "storage/vxr/vxr_driver.h"

namespace zelvo {

void RegisterBuiltInDrivers() {
  static VxrDriver vxr;
  static DbaseDriver dbase;
  static AsciiDriver ascii;
  (void)RegisterFileDriver(Driver::Vxr, &vxr);
  (void)RegisterFileDriver(Driver::Dbase, &dbase);
  (void)RegisterFileDriver(Driver::Ascii, &ascii);
}

}  // namespace zelvo
