#include "storage/view/view_declaration.h"

namespace zelvo {

std::string DescribeView(const ViewDeclaration& view) {
  auto fields = [](std::string_view prefix, const std::vector<std::string_view>& projection) {
    std::string text;
    for (std::string_view f : projection) {
      text += ",FIELD(" + std::string(f.find(':') == std::string_view::npos ? std::string(prefix) + ":" : "") +
              std::string(f) + ")";
    }
    return text.empty() ? std::string{} : ",PROJECT(" + text.substr(1) + ")";
  };
  std::string text = "VIEW(" + std::string(view.primary.file->Declaration().label) + ")" +
                     fields(view.primary.prefix, view.projection);
  auto joins = [&](auto& self, const std::vector<ViewJoin>& list) -> void {
    for (const ViewJoin& j : list) {
      text += ",JOIN(";
      if (j.key > 0) {
        text += std::string(j.file.prefix) + ":" + std::string(j.file.file->Declaration().keys[j.key - 1].name);
        for (std::string_view link : j.linkFields) text += "," + std::string(link);
      } else {
        text += "'" + std::string(j.expression) + "'";
      }
      text += ")";
      if (j.inner) text += ",INNER";
      text += fields(j.file.prefix, j.projection);
      self(self, j.joins);
      text += ",END";
    }
  };
  joins(joins, view.joins);
  return text + ",END";
}

}  // namespace zelvo
