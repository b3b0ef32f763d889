#include "storage/vxr/internal/vxr_page.h"
#include "storage/vxr/vxr_driver.h"
