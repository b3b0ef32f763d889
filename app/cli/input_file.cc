#include "app/cli/input_file.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

namespace zelvo {

std::optional<std::string> ReadInput(const std::string& path, std::string_view command) {
  if (path == "-") return std::string(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  if (in) text << in.rdbuf();
  if (!in || in.bad()) {
    std::cerr << command << ": cannot read " << path << ": " << std::strerror(errno) << "\n";
    return std::nullopt;
  }
  return std::move(text).str();
}

}  // namespace zelvo
