#include "tests/testing/temporary_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>

namespace zelvo::testing_support {
namespace {

std::string FolderName() {
  static std::atomic<int> count{0};
  std::string name = "zelvo";
  if (const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info())
    name += std::string("-") + test->test_suite_name() + "." + test->name();
  for (char& c : name)
    if (c == '/') c = '_';  // parameterised tests
  return name + "-" + std::to_string(::getpid()) + "-" + std::to_string(count++);
}

}  // namespace

TemporaryFolder::TemporaryFolder() : TemporaryFolder(::testing::TempDir()) {}

TemporaryFolder::TemporaryFolder(const std::filesystem::path& root) : path_(root / FolderName()) {
  std::filesystem::remove_all(path_);
  std::filesystem::create_directories(path_);
}

TemporaryFolder::~TemporaryFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TemporaryFolder::File(std::string_view name) const { return (path_ / std::string(name)).string(); }

}  // namespace zelvo::testing_support
