// Scripted sessions end to end: scripts run on the sample program through the
// headless back end, as `zelvo script` runs them on the payroll.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/script/script_session.h"
#include "platform/headless/headless_driver.h"
#include "platform/headless/headless_runtime.h"
#include "runtime/date_time.h"
#include "tests/testing/sample_program.h"

namespace zelvo {
namespace {

struct Outcome {
  int status = -1;
  std::string errors;
  std::vector<std::string> saved;
  bool ended = false;
};

Outcome RunScript(const std::string& text, const std::string& fileName = "s") {
  SampleProgram program;
  HeadlessRuntime runtime;
  HeadlessDriver driver(runtime);
  InstallWindowRuntime(&runtime);
  std::ostringstream errors;
  Outcome outcome;
  outcome.status = RunScriptSession(text, fileName, driver, runtime, [&] { program.Main(); }, errors);
  InstallWindowRuntime(nullptr);
  outcome.errors = errors.str();
  outcome.saved = program.Saved();
  outcome.ended = driver.Ended();
  return outcome;
}

// The sample sessions every back end runs (tests/testing/sample_sessions).
Outcome RunScriptFile(const std::string& name) {
  std::ifstream file(std::string(ZELVO_SAMPLE_SESSIONS) + "/" + name + ".script");
  std::stringstream text;
  text << file.rdbuf();
  EXPECT_FALSE(text.str().empty()) << name;
  return RunScript(text.str(), name + ".script");
}

TEST(ScriptSession, AFormFilledThroughItsPicturesIsSavedAndListed) {
  const Outcome outcome = RunScriptFile("fill_save_list");
  EXPECT_EQ(outcome.errors, "");
  EXPECT_EQ(outcome.status, 0);
  ASSERT_EQ(outcome.saved.size(), 1u);
  EXPECT_EQ(outcome.saved[0], "Иванов;" + std::to_string(Date(3, 1, 2004)) + ";8500;2;0;Ж");
  EXPECT_TRUE(outcome.ended);
}

TEST(ScriptSession, TheProgramEndsAsItsExitDoesWhenTheScriptEnds) {
  const Outcome outcome = RunScriptFile("end_closes_frame");
  EXPECT_EQ(outcome.errors, "");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_TRUE(outcome.ended);
  EXPECT_TRUE(outcome.saved.empty()) << "the frame's close asks the form, which closes unsaved";
}

TEST(ScriptSession, ARefusedTextStaysShownWithTheFocusAndTheValueUnchanged) {
  const Outcome outcome = RunScriptFile("refused_text");
  EXPECT_EQ(outcome.errors, "");
  EXPECT_EQ(outcome.status, 0);
}

TEST(ScriptSession, AWindowOpenedOnTheSameThreadTakesTheInputUntilItCloses) {
  const Outcome outcome = RunScriptFile("window_stack");
  EXPECT_EQ(outcome.errors, "");
  EXPECT_EQ(outcome.status, 0);
  ASSERT_EQ(outcome.saved.size(), 1u);
  EXPECT_EQ(outcome.saved[0].substr(0, outcome.saved[0].find(';')), "Сидоров");
}

TEST(ScriptSession, EachFailureSaysWhereAndWhat) {
  struct Case {
    std::string script;
    std::string error;
  };
  const Case cases[] = {
      {"menu Данные/Анкета\nwindow Анкета\nexpect-text Фамилия Петров\n",
       "s:3: expected \"Петров\", found \"\"\n"},
      {"menu Данные/Отчет\n", "s:1: the menu item \"Данные/Отчет\" is disabled\n"},
      {"menu Данные/Печать\n", "s:1: the menu has no item \"Данные/Печать\"\n"},
      {"menu Данные/Анкета\nwindow Анкета\npress @ok\nexpect-text Фамилия \"\"\n",
       "s:4: unexpected message box: Сохранить запись?\n"},
      {"menu Данные/Анкета\nwindow Анкета\nclick Нет\n", "s:3: no control \"Нет\" in \"Анкета\"\n"},
      {"window Konst\n", "s:1: no window \"Konst\" opened (open: Пример)\n"},
      {"expect-message Ошибка\n", "s:1: expected a message box, found none\n"},
      {"menu Файл/Выход\nexpect-closed Пример\n", "s:2: the program has ended\n"},
      {"menu Данные/Анкета\nwindow Анкета\nsave-report a.pdf\n", "s:3: no report preview: \"Анкета\" is not one\n"},
      {"menu Данные/Список\nwindow Список\nselect list 1\n", "s:3: \"list\" shows 0 rows\n"},
  };
  for (const Case& c : cases) {
    const Outcome outcome = RunScript(c.script);
    EXPECT_EQ(outcome.status, 1) << c.script;
    EXPECT_EQ(outcome.errors, c.error) << c.script;
    EXPECT_TRUE(outcome.ended) << c.script;
  }
}

TEST(ScriptSession, AMalformedLineRunsNothing) {
  const Outcome outcome = RunScript("menu Данные/Анкета\nselect list first\n");
  EXPECT_EQ(outcome.status, 2);
  EXPECT_EQ(outcome.errors, "s:2: \"first\" is not a row number (1 is the top row shown)\n");
  EXPECT_FALSE(outcome.ended) << "the program never started";
}

TEST(FixedDateClock, ReadsOnlyRealDates) {
  ASSERT_TRUE(FixedDateClock::FromText("2004-02-29"));
  EXPECT_EQ(FixedDateClock::FromText("2004-02-29")->Now().day, 29);
  for (const char* wrong : {"2003-02-29", "2004-13-01", "2004-1-01", "04-01-01", "2004-01-01x", ""})
    EXPECT_FALSE(FixedDateClock::FromText(wrong)) << wrong;
}

}  // namespace
}  // namespace zelvo
