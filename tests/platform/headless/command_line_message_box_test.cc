#include "platform/headless/command_line_message_box.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "runtime/cp1251.h"

namespace zelvo {
namespace {

TEST(CommandLineBoxTest, WritesTheBoxAndAnswersTheNamedButton) {
  std::ostringstream out;
  CommandLineMessageBox box(out);
  ::unsetenv(CommandLineMessageBox::kAnswerVariable);
  const MessageBoxRequest request{Cp1251Literal("Удаление|записи"), "Q", MessageIcon::Question,
                                  kButtonYes | kButtonNo, kButtonYes};
  EXPECT_EQ(box.Show(request), unsigned{kButtonYes});
  EXPECT_EQ(out.str(), "--- Q ---\nУдаление\nзаписи\n[Yes*] [No]\n");
  ::setenv(CommandLineMessageBox::kAnswerVariable, "no", 1);
  EXPECT_EQ(box.Show(request), unsigned{kButtonNo});
  ::setenv(CommandLineMessageBox::kAnswerVariable, "Retry", 1);  // not offered: the default
  EXPECT_EQ(box.Show(request), unsigned{kButtonYes});
  ::unsetenv(CommandLineMessageBox::kAnswerVariable);
}

}  // namespace
}  // namespace zelvo
