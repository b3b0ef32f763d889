// The program-wide objects of a run: the dictionary's managers exist while
// they live, and making them touches no table file.
#include "core/startup/program_objects.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>

#include "core/dictionary_setup.h"
#include "core/program_variables.h"
#include "framework/window/record_action.h"
#include "platform/headless/command_line_message_box.h"
#include "tests/testing/temporary_folder.h"

namespace zelvo {
namespace {

TEST(ProgramObjectsTest, LiveFromStartUpToShutdownAndOpenNoTable) {
  testing_support::TemporaryFolder folder;
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder.Path());
  (void)VAR.numG.Set(ProgramVariables(), Decimal(7));
  PendingRequest = RecordAction::Insert;
  {
    CommandLineMessageBox boxes(std::cerr);
    ProgramObjects objects(boxes);
    EXPECT_NE(managers::KONST, nullptr);
    EXPECT_NE(relations::NBASA, nullptr);
    EXPECT_EQ(&ProgramErrors(), &objects.Errors());
    EXPECT_EQ(ProgramSettings().FileName(), "zelvo5.INI");
    // Every run starts from zero: no employee chosen, no request pending.
    EXPECT_EQ(VAR.numG.Get(ProgramVariables()), Decimal(0));
    EXPECT_EQ(PendingRequest, RecordAction::None);
  }
  EXPECT_EQ(managers::KONST, nullptr);
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
    files.push_back(entry.path().filename().string());
  std::filesystem::current_path(previous);
  EXPECT_EQ(files, std::vector<std::string>{"zelvo5.INI"});
}

}  // namespace
}  // namespace zelvo
