// CSV text as the table tool writes and reads it: comma-separated cells,
// one record a row, quoting as RFC 4180 has it. A cell holding a comma, a
// double quote, a line break or a blank at either end is written between
// double quotes, with each double quote doubled; others are written as they
// are. Rows end in LF on writing; LF and CR LF are both read as row ends, and
// a quoted cell may hold line breaks of its own.
//
//     CsvRow({"NUM", "Иванов, Пётр", "say \"hi\""})  -> NUM,"Иванов, Пётр","say ""hi"""\n
//
// CsvReader walks a text row by row; it keeps a view of the text, which the
// caller keeps alive. Not thread-safe; values are free of shared state.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zelvo {

// One row, its line break included.
std::string CsvRow(std::span<const std::string> cells);

struct CsvRecord {
  std::size_t line = 0;            // the line, from 1, that the row starts on
  std::vector<std::string> cells;  // at least one: an empty line is one empty cell
  std::string error;               // a quoting fault: the row is unusable
  bool ok() const { return error.empty(); }
};

class CsvReader {
 public:
  explicit CsvReader(std::string_view text) : text_(text) {}
  // The next row; nullopt at the end of the text. After a quoting fault the
  // rest of the text is taken as unusable and reading ends.
  std::optional<CsvRecord> Next();

 private:
  std::string_view text_;
  std::size_t at_ = 0;
  std::size_t line_ = 1;
};

}  // namespace zelvo
