// The scripted sessions a test runs from a folder of NAME.script files:
//
//     std::string text = SessionText(ZELVO_SAMPLE_SESSIONS, "fill_save_list");
//     INSTANTIATE_TEST_SUITE_P(..., ::testing::ValuesIn(SessionNames(ZELVO_SAMPLE_SESSIONS)), ...);
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace zelvo {

// The text of FOLDER/NAME.script; empty when there is none.
inline std::string SessionText(const std::string& folder, const std::string& name) {
  std::ifstream file(folder + "/" + name + ".script");
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// The names of the sessions in FOLDER (NAME.script), sorted.
inline std::vector<std::string> SessionNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.path().extension() == ".script") names.push_back(entry.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace zelvo
