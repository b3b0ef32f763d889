#include <QWidget>
#include <vector>
#include "app/cli/missing.h"
