#include "app/cli/csv_text.h"

namespace zelvo {
namespace {

bool NeedsQuotes(std::string_view cell) {
  if (cell.empty()) return false;
  if (cell.front() == ' ' || cell.back() == ' ') return true;
  return cell.find_first_of(",\"\r\n") != std::string_view::npos;
}

}  // namespace

std::string CsvRow(std::span<const std::string> cells) {
  std::string row;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) row += ',';
    const std::string& cell = cells[i];
    if (!NeedsQuotes(cell)) {
      row += cell;
      continue;
    }
    row += '"';
    for (char c : cell) {
      if (c == '"') row += '"';
      row += c;
    }
    row += '"';
  }
  row += '\n';
  return row;
}

std::optional<CsvRecord> CsvReader::Next() {
  if (at_ >= text_.size()) return std::nullopt;
  CsvRecord record;
  record.line = line_;
  std::string cell;
  bool quoted = false;     // inside a quoted cell
  bool wasQuoted = false;  // the cell's closing quote has been read
  while (at_ < text_.size()) {
    const char c = text_[at_++];
    if (quoted) {
      if (c == '"') {
        if (at_ < text_.size() && text_[at_] == '"') {
          cell += '"';
          ++at_;
        } else {
          quoted = false;
          wasQuoted = true;
        }
      } else {
        if (c == '\n') ++line_;
        cell += c;
      }
      continue;
    }
    if (c == ',') {
      record.cells.push_back(std::move(cell));
      cell.clear();
      wasQuoted = false;
    } else if (c == '\n' || (c == '\r' && at_ < text_.size() && text_[at_] == '\n')) {
      if (c == '\r') ++at_;
      ++line_;
      record.cells.push_back(std::move(cell));
      return record;
    } else if (c == '"' && cell.empty() && !wasQuoted) {
      quoted = true;
    } else if (wasQuoted || c == '"') {
      record.error = "a double quote inside a cell that is not quoted, or text after a closing quote";
      at_ = text_.size();
      return record;
    } else {
      cell += c;
    }
  }
  if (quoted) {
    record.error = "a quoted cell is not closed";
    return record;
  }
  record.cells.push_back(std::move(cell));
  return record;
}

}  // namespace zelvo
