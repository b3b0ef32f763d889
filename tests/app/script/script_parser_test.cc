// The script language's reading: words and quotes, every command's words,
// and a malformed line anywhere refusing the whole script.
#include <gtest/gtest.h>

#include "app/script/script.h"

namespace zelvo {
namespace {

TEST(ScriptWords, QuotesHoldBlanksAndDoubledQuotes) {
  std::string why;
  struct Case {
    std::string line;
    std::vector<std::string> words;
  };
  const Case cases[] = {
      {"type \"Дата:\"  1.03.2004", {"type", "Дата:", "1.03.2004"}},
      {"expect-message \"say \"\"yes\"\"\"", {"expect-message", "say \"yes\""}},
      {"key Ctrl+'", {"key", "Ctrl+'"}},
      {"\ttype\t\"\"\tx ", {"type", "", "x"}},
      {"menu \"Базовые данные/Константы\"", {"menu", "Базовые данные/Константы"}},
  };
  for (const Case& c : cases) {
    std::optional<std::vector<std::string>> words = SplitScriptWords(c.line, &why);
    ASSERT_TRUE(words) << c.line << ": " << why;
    EXPECT_EQ(*words, c.words) << c.line;
  }
}

TEST(ScriptParser, ReadsEveryCommandWithItsWords) {
  std::string error;
  std::optional<Script> script = ParseScript(
      "# a session\n\n  # indented comment\r\nmenu \"Данные/Анкета\"\r\nwindow Anketa\n"
      "press Пол Женский\nexpect-row list 1 Иванов \"1 000.00\"\nexpect-value \"Сумма:\" -12.5\n"
      "place 0 -10 300 200\nkey Alt+Ф\nsave-report out.pdf\n",
      "a.script", &error);
  ASSERT_TRUE(script) << error;
  ASSERT_EQ(script->lines.size(), 8u);
  EXPECT_EQ(script->lines[0].number, 4);
  EXPECT_EQ(script->lines[0].command, ScriptCommand::Menu);
  EXPECT_EQ(script->lines[0].words, std::vector<std::string>{"Данные/Анкета"});
  EXPECT_EQ(script->lines[2].words, (std::vector<std::string>{"Пол", "Женский"}));
  EXPECT_EQ(script->lines[3].command, ScriptCommand::ExpectRow);
  EXPECT_EQ(script->lines[3].words.size(), 4u);
  EXPECT_EQ(script->lines[7].command, ScriptCommand::SaveReport);
}

TEST(ScriptParser, AMalformedLineRefusesTheWholeScriptNamingItsLine) {
  struct Case {
    std::string line;
    std::string message;  // what the error must say after "s:2: "
  };
  const Case cases[] = {
      {"frobnicate x", "\"frobnicate\" is not a command"},
      {"type \"Дата:", "a quoted word is not closed"},
      {"type \"Дата:\"x 1", "a quoted word must be followed by a blank"},
      {"type Да\"та 1", "a word with a double quote is written in double quotes"},
      {"type Дата", "type takes 2 words, not 1"},
      {"close now", "close takes no words, not 1"},
      {"press a b c", "press takes 1 word or 2, not 3"},
      {"select list 0", "\"0\" is not a row number (1 is the top row shown)"},
      {"select list x", "\"x\" is not a row number (1 is the top row shown)"},
      {"expect-rows list -1", "\"-1\" is not a count"},
      {"expect-windows Konst two", "\"two\" is not a count"},
      {"expect-value dat 1,5", "\"1,5\" is not a number"},
      {"expect-value dat 1.2.3", "\"1.2.3\" is not a number"},
      {"key Ctrl+Nothing", "\"Ctrl+Nothing\" is not a key"},
      {"key F13", "\"F13\" is not a key"},
      {"place 0 0 0 100", "\"0\" is not a size in pixels"},
      {"place 0 0 100", "place takes 4 words, not 3"},
      {"expect-menu \"Файл/Выход\" on", "\"on\" is neither enabled nor disabled"},
      {"expect-row list 1", "expect-row takes at least 3 words, not 2"},
      {"expect-columns list", "expect-columns takes at least 2 words, not 1"},
      {std::string("type x \xff"), "the line is not UTF-8 text"},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_FALSE(ParseScript("menu \"Файл/Выход\"\n" + c.line + "\nclose\n", "s", &error)) << c.line;
    EXPECT_EQ(error, "s:2: " + c.message) << c.line;
  }
}

}  // namespace
}  // namespace zelvo
