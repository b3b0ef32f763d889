// TemporaryFolder: a fresh, empty folder for a test's files, removed with all
// it holds when the object goes. Its name joins the running test's suite and
// name, the process and a count, so tests that CTest runs side by side (and
// several folders of one test) never share one.
//
//     TemporaryFolder folder;
//     const FileDeclaration table{.label = "NUMB", .name = folder.File("NUMB"), ...};
//
// The folder lies under the tests' temporary directory unless another root
// is given (a memory-backed one, for tests that sync a lot).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zelvo::testing_support {

class TemporaryFolder {
 public:
  TemporaryFolder();
  explicit TemporaryFolder(const std::filesystem::path& root);
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The path of `name` in the folder, as text.
  std::string File(std::string_view name) const;

 private:
  std::filesystem::path path_;
};

}  // namespace zelvo::testing_support
