// `zelvo table dump TABLE` and `zelvo table load TABLE FILE`: any table of the
// dictionary to and from text, through its file driver.
//
// Forms: JSON lines (one object a record, every field by its name, values as
// app/cli/record_json.h writes them) or CSV (app/cli/csv_text.h): a header row of the
// field names, then one row a record; a cell holds the value's text (a
// DECIMAL "4761.90", a date "2024-03-01"), an array field the JSON array text
// ("[1,0,0]"), and an empty cell is a field left zero, blank or without a
// date. On load a JSON object, or the CSV header, may name any of the fields
// in any order; the others are zero or blank.
//
// Dump reads in record order, or in the order of one key ("NUM_KEY" or
// "NBA:NUM_KEY"); a table with no file yet is an error, and dump never makes
// one. Load opens the file for reading and writing and, when it is missing,
// creates it as the program does (a table declared to be created on first
// open). Every record is read and checked before the first is written: any bad
// line (bad JSON or CSV, an unknown field, a value that is not of its field's
// form or does not fit) is reported as "line N: FIELD: what", every bad line
// of the input is reported and nothing at all is written. Records are then
// added one by one through the table's manager, as a form adds them: each
// starts as a new record (PrimeNewRecord: a field the input leaves out takes
// the table's default, BAS:KTU 1, SDE:P "Нет"), its field rules are checked
// and it is added. A refused record (a field rule, a duplicate key) shows the
// system's message on stderr, names its line and adds nothing of it; the load
// goes on and the exit status is 1. With `raw` the records go through the
// driver's ADD alone, and a refused one stops the load there (those before it
// are added). The records of a load are written as one transaction where the
// driver has them (LOGOUT ... COMMIT): one durable write at the end, and a
// write that fails leaves every record of the load or none of them; else as
// one STREAM ... FLUSH.
//
// The tables of the pension-fund program (SPISOK, PENSTA) are dBase IV files
// at a fixed drive-letter path; the drive's folder comes from zelvo5.INI in
// the data directory (storage/drive_folders.h). Any table may be given its
// file by path instead (--file).
//
// Uses the process-wide driver registry and runtime error state (registering
// the indexed record file driver when none is): run token holder only.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include <CLI/CLI.hpp>

#include "core/table_declaration.h"

namespace zelvo {

enum class TableFormat { JsonLines, Csv };

struct TableOptions {
  std::string directory;  // the data directory; empty for the current one
  TableFormat format = TableFormat::JsonLines;
  std::string key;        // dump: the key whose order is followed; empty for record order
  // dump through a view (storage/view/view.h): a filter, an order text, and the
  // NAME=VALUE[:TYPE] bindings they may use (app/cli/bound_values.h).
  std::string filter;
  std::string order;
  std::vector<std::string> bindings;
  std::string file;       // the table's file instead of the dictionary's; empty for that
  bool raw = false;       // load: through the driver's ADD alone, not the table manager
};

struct [[nodiscard]] TableOutcome {
  std::size_t records = 0;          // records written out (dump) or added (load)
  std::vector<std::string> errors;  // one line each; empty when all went well
  std::size_t refused = 0;          // load: records the table manager refused (the rest were added)
  bool ok() const { return errors.empty(); }
};

TableOutcome DumpTable(const TableDeclaration& table, const TableOptions& options, std::ostream& out);
TableOutcome LoadTable(const TableDeclaration& table, const TableOptions& options, std::string_view input);

class TableCommand {
 public:
  // Registers `table` with its `dump` and `load` subcommands.
  explicit TableCommand(CLI::App& parent);

  bool Chosen() const { return command_->parsed(); }
  // Runs the chosen subcommand: output on stdout, messages on stderr; the exit
  // status is 0, 1 when the table refused some records, or 2 for bad input
  // or a file that cannot be used.
  int Run() const;

 private:
  CLI::App* command_;
  CLI::App* dump_;
  CLI::App* load_;
  std::string table_;
  std::string file_;
  std::string directory_;
  std::string format_ = "json";
  std::string key_;
  std::string filter_;
  std::string order_;
  std::vector<std::string> bindings_;
  std::string tableFile_;
  bool raw_ = false;
};

}  // namespace zelvo
