#include "storage/vxr/internal/vxr_page.h"
