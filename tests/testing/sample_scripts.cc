#include "tests/testing/sample_scripts.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace zelvo {

std::string SampleScript(std::string_view name) {
  std::ifstream file(std::filesystem::path(ZELVO_SAMPLE_SCRIPTS) / (std::string(name) + ".script"));
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

std::vector<std::string> SampleScriptNames() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(ZELVO_SAMPLE_SCRIPTS))
    if (entry.path().extension() == ".script") names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace zelvo
