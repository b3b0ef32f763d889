#include "app/cli/csv_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zelvo {
namespace {

TEST(CsvText, CellsThatNeedItAreQuotedAndReadBackAsWritten) {
  const std::vector<std::string> cells = {"NUM", "Иванов, Пётр", "say \"hi\"", "", " padded ",
                                          "two\nlines", "[1,2]"};
  const std::string row = CsvRow(cells);
  EXPECT_EQ(row, "NUM,\"Иванов, Пётр\",\"say \"\"hi\"\"\",,\" padded \",\"two\nlines\",\"[1,2]\"\n");
  const std::string text = row + "next\r\n";
  CsvReader reader(text);  // reads a view of the text
  const std::optional<CsvRecord> first = reader.Next();
  ASSERT_TRUE(first && first->ok());
  EXPECT_EQ(first->cells, cells);
  EXPECT_EQ(first->line, 1u);
  const std::optional<CsvRecord> second = reader.Next();
  ASSERT_TRUE(second && second->ok());
  EXPECT_EQ(second->cells, std::vector<std::string>{"next"});
  EXPECT_EQ(second->line, 3u);  // the quoted line break counts
  EXPECT_FALSE(reader.Next());
}

TEST(CsvText, QuotingFaultsEndTheReading) {
  struct Case {
    const char* text;
    const char* error;
  };
  const Case cases[] = {{"a,\"b", "a quoted cell is not closed"},
                        {"a,b\"c\nd", "a double quote inside a cell that is not quoted"},
                        {"a,\"b\"c\nd", "a double quote inside a cell that is not quoted"}};
  for (const Case& c : cases) {
    CsvReader reader(c.text);
    const std::optional<CsvRecord> row = reader.Next();
    ASSERT_TRUE(row) << c.text;
    EXPECT_EQ(row->error.substr(0, std::string(c.error).size()), c.error) << c.text;
    EXPECT_FALSE(reader.Next()) << c.text;
  }
}

}  // namespace
}  // namespace zelvo
