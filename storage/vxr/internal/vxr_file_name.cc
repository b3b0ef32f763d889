#include "storage/vxr/vxr_file_name.h"

namespace zelvo {

VxrName SplitVxrName(std::string_view name) {
  VxrName result;
  const std::size_t mark = name.find("\\!");
  result.path = std::string(name.substr(0, mark));
  result.table = mark == std::string_view::npos ? "UNNAMED" : std::string(name.substr(mark + 2));
  const std::size_t slash = result.path.find_last_of("/\\");
  const std::size_t base = slash == std::string::npos ? 0 : slash + 1;
  if (!result.path.empty() && result.path.find('.', base) == std::string::npos) result.path += ".VXR";
  return result;
}

}  // namespace zelvo
