// Control names in scripts: how a script line names a control of a window.
//
//   a control's prompt ("Дата:"), its own text ("&Добавить"), the field or
//   variable it is bound to (DNI:DATA, SDE:CASY[15], dat), or its name
//   @ok, @cancel     the form's OK and cancel buttons, whatever their texts
//   list, list2 ...  the window's lists in definition order
//   NAME#N           the N-th control so named, in definition order
//
// Names are compared after dropping "&" marks, a final colon and surrounding
// blanks; case and all else exact. A prompt and the control it names are one
// name, the control. A name that fits no control, or several, is an error
// naming the candidates.
#pragma once

#include <string>
#include <string_view>

#include "platform/user_driver.h"

namespace zelvo {

// "&Дата: " -> "Дата".
std::string NormalControlName(std::string_view name);

// The control `name` names in `window`: "" with `id` set, or why not.
std::string ResolveControl(const WindowView& window, std::string_view name, ControlId* id);

// The tab whose text is `text`: "" with its sheet and its place (1-based)
// among the sheet's tabs, or why not.
std::string ResolveTab(const WindowView& window, std::string_view text, ControlId* sheet, int* tab);

}  // namespace zelvo
