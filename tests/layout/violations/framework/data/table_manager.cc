#include "storage/vxr/internal/vxr_page.h"
#include "core/dictionary.h"
#include "platform/headless/box.h"
