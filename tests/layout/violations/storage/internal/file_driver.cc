#include "storage/vxr/vxr_driver.h"
#include "runtime/value.h"
