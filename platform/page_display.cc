#include "platform/window.h"

namespace zelvo {

std::string PagesShown(const PageDisplay& display) {
  const int count = display.pages ? static_cast<int>(display.pages->pages.size()) : 0;
  if (count == 0) return "No pages";
  return "Page " + std::to_string(display.current) + " of " + std::to_string(count);
}

}  // namespace zelvo
