#include "app/cli/table_command.h"

#include <iostream>
#include <optional>

#include "app/cli/bound_values.h"
#include "app/cli/csv_text.h"
#include "app/cli/input_file.h"
#include "app/cli/json_document.h"
#include "app/cli/record_json.h"
#include "core/dictionary.h"
#include "core/dictionary_setup.h"
#include "framework/data/error_reporter.h"
#include "platform/headless/command_line_message_box.h"
#include "runtime/cp1251.h"
#include "runtime/windows_profile.h"
#include "storage/drive_folders.h"
#include "storage/error_state.h"
#include "storage/file.h"
#include "storage/file_operations.h"
#include "storage/os_file.h"
#include "storage/view/view.h"
#include "storage/vxr/vxr_file_name.h"

namespace zelvo {
namespace {

constexpr const char* kSummary = "a table of the dictionary to and from JSON lines or CSV";

constexpr const char* kHelpFooter = R"(
TABLE is the table's label, in any case: BASA, NBASA, NZELVO, KONST, DNI, ...
  dump TABLE [--key KEY]   writes every record to standard output, in record
                           order or in the order of KEY ("NUM_KEY" or "NBA:NUM_KEY")
    [--filter EXPR] [--order TEXT] [--bind NAME=VALUE[:TYPE]]...
                           only the records for which EXPR is true, in the order
                           of TEXT, fields named with the table's prefix:
                           --filter "year(NBA:data)=2004" --order "-NBA:FAM"
  load TABLE FILE          adds the records of FILE ("-": standard input)
                           through the table manager; a missing file is created
Forms (--format): json (default), one object a line, every field by name:
DECIMAL as a string with its places ("4761.90", "21"), BYTE..ULONG and REAL as
numbers, dates "YYYY-MM-DD" or null, times "HH:MM:SS.hh" or null, arrays as
JSON arrays, texts UTF-8; csv, a header row of field names, arrays as their
JSON text in one cell, an empty cell a field left zero or blank.
On load a number may also be given as a string, and fields may be left out.
Every line is checked before anything is written: each bad line is reported
as "line N: FIELD: ..." and then nothing is written (exit status 2).
A record starts as a new record of its table, so a field left out takes the
table's default (BAS:KTU 1, SDE:P "Нет"). A record the table refuses (a value
outside its list, a duplicate key) shows the program's message, is named by
its line and left out; the others are added and the exit status is 1.
--raw adds through the driver alone and stops at the first refusal.
SPISOK and PENSTA are the pension-fund program's dBase IV tables at
C:\INP_2004\BASE2004: the drive's folder is the setting C=FOLDER in section
[Drives] of zelvo5.INI in the data directory. --file PATH names any table file
instead (a DBF whose columns match the table's declaration).)";

constexpr AccessMode kReadDenyNone{0x40};
constexpr AccessMode kReadWriteDenyNone{0x42};
// Beyond this many bad lines the rest are counted, not listed.
constexpr std::size_t kMostBadLinesShown = 20;

TableOutcome Failure(std::string message) {
  TableOutcome outcome;
  outcome.errors.push_back(std::move(message));
  return outcome;
}

// What the runtime error state says of the last failed operation.
std::string FailureText(ErrorCode code) {
  std::string text = ErrorText(code);
  const std::string& detail = RuntimeErrorState().FileErrorText();
  if (code == ErrorCode::FileSystemError && !detail.empty()) text += ": " + detail;
  return text;
}

// Null when the table's driver can serve it, else why not.
std::optional<std::string> DriverProblem(const TableDeclaration& table) {
  if (FindFileDriver(table.driver) == nullptr)
    return "no driver serves " + std::string(DriverName(table.driver)) + " files";
  return std::nullopt;
}

// The table's file: the one named, a fixed drive-letter path as it stands
// (the driver finds its folder), or the dictionary's name in the data directory.
std::string TablePath(const TableDeclaration& table, const TableOptions& options) {
  if (!options.file.empty()) return options.file;
  if (options.directory.empty() || HasDriveLetter(table.fileName)) return std::string(table.fileName);
  return options.directory + "/" + std::string(table.fileName);
}

// A table's FILE, closed when it goes.
class TableFile {
 public:
  TableFile(const TableDeclaration& table, const TableOptions& options)
      : path_(TablePath(table, options)),
        declaration_{.label = table.label,
                     .driver = table.driver,
                     .name = path_,
                     .attributes = static_cast<std::uint8_t>(table.create ? kFileCreate : 0),
                     .fields = table.fields,
                     .keys = table.keys},
        file_(declaration_) {}
  TableFile(const TableFile&) = delete;
  TableFile& operator=(const TableFile&) = delete;
  ~TableFile() {
    if (file_.IsOpen()) (void)PerformFileOperation(file_, FileOperation::CLOSE);
  }

  File& file() { return file_; }
  // "cannot open ...: File Not Found"; a path on a drive letter also says
  // where it is here, or that no folder stands for its drive.
  std::string Problem(std::string_view doing, ErrorCode code) const {
    std::string where = path_;
    if (HasDriveLetter(path_)) {
      const std::optional<std::string> here = MachinePath(path_);
      where += here ? " (" + *here + ")"
                    : " (drive " + path_.substr(0, 2) + " has no folder: set " + path_.substr(0, 1) +
                          "=FOLDER in section [" + std::string(kDriveFoldersSection) + "] of zelvo5.INI)";
    }
    return "cannot " + std::string(doing) + " " + where + ": " + FailureText(code);
  }

  ErrorCode Open(AccessMode mode) {
    OperationArguments arguments;
    arguments.mode = mode;
    return PerformFileOperation(file_, FileOperation::OPEN, arguments);
  }

 private:
  std::string path_;
  FileDeclaration declaration_;
  File file_;
};

// The key's index in the table's keys: "NUM_KEY", or with the table's field
// prefix "NBA:NUM_KEY".
std::optional<std::size_t> FindKey(const TableDeclaration& table, std::string_view name) {
  if (const std::size_t colon = name.find(':'); colon != std::string_view::npos) {
    if (!SameName(name.substr(0, colon), table.prefix)) return std::nullopt;
    name.remove_prefix(colon + 1);
  }
  for (std::size_t i = 0; i < table.keys.size(); ++i)
    if (SameName(table.keys[i].name, name)) return i;
  return std::nullopt;
}

std::string KeyList(const TableDeclaration& table) {
  if (table.keys.empty()) return "it has none";
  std::string list;
  for (const KeyDeclaration& key : table.keys) list += (list.empty() ? "" : ", ") + std::string(key.name);
  return "its keys: " + list;
}

std::string JsonText(const Json& value) { return value.dump(-1, ' ', false, Json::error_handler_t::replace); }

// The CSV cell of a field's value: texts as they are, null as nothing.
std::string CellText(const Json& value) {
  if (value.is_null()) return {};
  if (value.is_string()) return value.get<std::string>();
  return JsonText(value);
}

void WriteRecord(const RecordBuffer& record, TableFormat format, std::ostream& out) {
  const Json object = RecordToJson(record);
  if (format == TableFormat::JsonLines) {
    out << JsonText(object) << '\n';
    return;
  }
  std::vector<std::string> cells;
  for (const auto& member : object.items()) cells.push_back(CellText(member.value()));
  out << CsvRow(cells);
}

// A record read from the input and the line it came from.
struct InputRecord {
  std::size_t line;
  RecordBuffer record;
};

struct ParsedInput {
  std::vector<InputRecord> records;
  std::vector<std::string> errors;
  std::size_t badLines = 0;

  void Bad(std::size_t line, std::string problem) {
    if (++badLines <= kMostBadLinesShown)
      errors.push_back("line " + std::to_string(line) + ": " + std::move(problem));
  }
  // A new record starts as this (cleared, or primed with the table's defaults).
  std::optional<RecordBuffer> start;

  // Reads the fields of one line's object into a record of its own, so that a
  // bad value leaves nothing behind.
  void Add(const TableDeclaration& table, std::size_t line, const Json& object) {
    RecordBuffer record(table.fields);
    record.Clear();
    if (start) record = *start;
    if (const JsonReadResult error = RecordFromJson(object, record, "")) {
      std::string path = error->path;
      if (!path.empty() && path.front() == '.') path.erase(0, 1);
      Bad(line, path.empty() ? error->problem : path + ": " + error->problem);
      return;
    }
    records.push_back({line, std::move(record)});
  }
};

std::string_view WithoutByteOrderMark(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  return text;
}

void ParseJsonLines(const TableDeclaration& table, std::string_view text, ParsedInput& parsed) {
  std::size_t line = 0;
  while (!text.empty()) {
    ++line;
    const std::size_t end = text.find('\n');
    std::string_view row = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (row.find_first_not_of(" \t\r") == std::string_view::npos) continue;  // blank lines
    const JsonDocument document = ParseJsonDocument(row);
    if (!document.ok()) {
      parsed.Bad(line, "not JSON: " + document.error);
    } else if (!document.value.is_object()) {
      parsed.Bad(line, "not an object of fields");
    } else {
      parsed.Add(table, line, document.value);
    }
  }
}

// The header names fields; a cell becomes the JSON value the field takes
// (an array field's cell is its JSON text), an empty cell no value at all.
void ParseCsv(const TableDeclaration& table, std::string_view text, ParsedInput& parsed) {
  CsvReader reader(text);
  std::optional<CsvRecord> header = reader.Next();
  if (!header) return;  // an empty input is an empty table
  if (!header->ok()) return parsed.Bad(header->line, header->error);
  std::vector<const FieldDeclaration*> columns;
  for (const std::string& name : header->cells) {
    const std::optional<std::size_t> index = table.Field(name);
    if (!index) return parsed.Bad(header->line, "\"" + name + "\" is not a field of " + std::string(table.label));
    columns.push_back(&table.fields[*index]);
  }
  while (std::optional<CsvRecord> row = reader.Next()) {
    if (!row->ok()) return parsed.Bad(row->line, row->error);
    if (row->cells.size() == 1 && row->cells[0].find_first_not_of(" \t\r") == std::string::npos)
      continue;  // blank lines
    if (row->cells.size() != columns.size()) {
      parsed.Bad(row->line, "has " + std::to_string(row->cells.size()) + " cells, the header " +
                                std::to_string(columns.size()));
      continue;
    }
    Json object = Json::object();
    std::optional<std::string> problem;
    for (std::size_t i = 0; i < columns.size() && !problem; ++i) {
      const std::string& cell = row->cells[i];
      if (cell.empty()) continue;
      const std::string name(columns[i]->name);
      if (columns[i]->elements == 1) {
        object[name] = cell;
        continue;
      }
      JsonDocument array = ParseJsonDocument(cell);
      if (array.ok()) object[name] = std::move(array.value);
      else problem = name + ": not a JSON array: " + array.error;
    }
    if (problem) parsed.Bad(row->line, *problem);
    else parsed.Add(table, row->line, object);
  }
}

}  // namespace

TableOutcome DumpTable(const TableDeclaration& table, const TableOptions& options, std::ostream& out) {
  if (auto problem = DriverProblem(table)) return Failure(std::string(table.label) + ": " + *problem);
  std::optional<std::size_t> key;
  if (!options.key.empty()) {
    key = FindKey(table, options.key);
    if (!key)
      return Failure("\"" + options.key + "\" is not a key of " + std::string(table.label) + " (" +
                     KeyList(table) + ")");
  }
  TableFile tableFile(table, options);
  File& file = tableFile.file();
  if (const ErrorCode code = tableFile.Open(kReadDenyNone); Failed(code))
    return Failure(tableFile.Problem("open", code));
  OperationArguments start;
  start.key = key ? *key + 1 : 0;
  if (const ErrorCode code = PerformFileOperation(file, key ? FileOperation::SETkey : FileOperation::SETfile, start);
      Failed(code))
    return Failure(tableFile.Problem("read", code));

  if (options.format == TableFormat::Csv) {
    std::vector<std::string> names;
    for (const FieldDeclaration& field : table.fields) names.emplace_back(field.name);
    out << CsvRow(names);
  }
  // With a filter or an order the records come through a view over the FILE,
  // its fields bound under the table's prefix beside the bound values.
  std::optional<View> view;
  BoundValues values;
  FilterBindings& bindings = CurrentBindings();
  bindings.Push();
  struct PopScope {
    FilterBindings& b;
    ~PopScope() { (void)b.Pop(); }
  } pop{bindings};
  const std::optional<std::string> filter = Utf8ToCp1251(options.filter);
  const std::optional<std::string> order = Utf8ToCp1251(options.order);
  if (!filter || !order) return Failure("--filter or --order holds a character this program cannot hold");
  if (!filter->empty() || !order->empty()) {
    for (const std::string& binding : options.bindings)
      if (auto problem = values.Add(binding)) return Failure("--bind " + *problem);
    BoundValues::BindProgramVariables(bindings);
    values.Bind(bindings);
    view.emplace(ViewDeclaration{.label = table.label, .primary = {&file, table.prefix}, .projection = {},
                                 .filter = *filter, .order = *order, .joins = {}});
    // Without an order of its own the view goes on from the key just set.
    if (!order->empty() || !key)
      if (const ErrorCode code = view->Perform(FileOperation::SETview); Failed(code))
        return Failure(tableFile.Problem("read", code));
  }
  TableOutcome outcome;
  for (;;) {
    const ErrorCode code = view ? view->Perform(FileOperation::NEXT) : PerformFileOperation(file, FileOperation::NEXT);
    if (code == ErrorCode::InvalidExpression || code == ErrorCode::NoBindOnVariable) {
      outcome.errors.push_back("--filter or --order: " + RuntimeErrorState().Text());
      break;
    }
    if (code == ErrorCode::RecordNotAvailable) break;  // the end
    if (Failed(code)) {
      outcome.errors.push_back(tableFile.Problem("read", code) + " after " + std::to_string(outcome.records) +
                               " records");
      break;
    }
    WriteRecord(file.Record(), options.format, out);
    ++outcome.records;
    if (!out) break;  // nobody reads on: a closed pipe ends the dump
  }
  out.flush();
  if (!out && outcome.ok()) outcome.errors.push_back("cannot write the output");
  return outcome;
}

// The records of one load written as one: a transaction (LOGOUT ... COMMIT)
// where the driver has them, so that the load is one durable write and a
// failed write leaves all of it or none of it; else STREAM ... FLUSH, the writes
// put off as the driver allows.
class LoadBatch {
 public:
  void Begin(File& file) {
    atomic_ = PerformFileOperation(file, FileOperation::LOGOUT) == ErrorCode::Ok;
    streaming_ = !atomic_ && PerformFileOperation(file, FileOperation::STREAM) == ErrorCode::Ok;
    open_ = atomic_ || streaming_;
  }
  ErrorCode Finish(File& file) {
    if (!open_) return ErrorCode::Ok;
    open_ = false;
    if (!atomic_) return PerformFileOperation(file, FileOperation::FLUSH);
    const ErrorCode committed = PerformFileOperation(file, FileOperation::COMMIT);
    if (Failed(committed) && (file.State() & kInTransaction) != 0)
      (void)PerformFileOperation(file, FileOperation::ROLLBACK);
    return committed;
  }
  // The message's end for a failed Finish: what the table holds now. A
  // transaction whose write failed after it became final is finished by the
  // next open of the file.
  std::string FailureLeft() const {
    return atomic_ ? "the table holds every record of the load or none of them"
                   : "the file holds what was written before the failure";
  }

 private:
  bool atomic_ = false;
  bool streaming_ = false;
  bool open_ = false;
};

// Adds the records through the table's manager, as a form adds a new record.
// The table's messages go to stderr as message boxes; a fatal one (the file
// cannot be opened or created) ends the command with status 2.
class ManagedLoad {
 public:
  ManagedLoad(const TableDeclaration& table, const TableOptions& options)
      : box_(std::cerr),
        reporter_(box_),
        declaration_{.label = table.label,
                     .driver = table.driver,
                     .name = path_ = TablePath(table, options),
                     .attributes = static_cast<std::uint8_t>(table.create ? kFileCreate : 0),
                     .fields = table.fields,
                     .keys = table.keys},
        file_(declaration_),
        manager_(table) {
    reporter_.InitDefault();
    reporter_.haltStatus = 2;
    BindTable(table, file_, manager_, set_, reporter_);
    (void)manager_.OpenTable();
  }
  ManagedLoad(const ManagedLoad&) = delete;
  ManagedLoad& operator=(const ManagedLoad&) = delete;
  ~ManagedLoad() {
    (void)manager_.CloseTable();
    manager_.KillTable();
    reporter_.KillReporter();
  }

  // A new record as the table primes it.
  RecordBuffer Primed() {
    (void)manager_.PrimeNewRecord();
    return file_.Record();
  }
  // Opens the file for the batch (a file that cannot be opened is the
  // manager's fatal message) and starts it.
  void Begin() {
    if (manager_.OpenPhysically(true) == LevelOk) batch_.Begin(file_);
  }
  // True when the record was added.
  bool Add(const RecordBuffer& record) {
    (void)manager_.PrimeNewRecord();
    std::copy(record.Bytes().begin(), record.Bytes().end(), file_.Record().Bytes().begin());
    std::size_t failing = 0;
    return manager_.CheckRecord(true, failing) == LevelOk && manager_.AddRecord() == LevelOk;
  }
  // Writes the batch.
  ErrorCode Finish() { return batch_.Finish(file_); }
  const LoadBatch& Batch() const { return batch_; }

 private:
  CommandLineMessageBox box_;
  ErrorReporter reporter_;
  std::string path_;
  FileDeclaration declaration_;
  File file_;
  DictionaryTableManager manager_;
  RelationSet set_;
  LoadBatch batch_;
};

// Two loads into a missing indexed record file at once must not both create
// it: the second CREATE would remove the table the first has begun to fill.
// The file is made once (storage/os_file.h); a file naming a table inside
// another file ("\\!") is left to its manager. Null when the file is there
// now, else what went wrong.
std::optional<std::string> CreateMissingFile(const TableDeclaration& table, const TableOptions& options) {
  if (table.driver != Driver::Vxr || !table.create) return std::nullopt;
  const std::string name = TablePath(table, options);
  if (name.find("\\!") != std::string::npos) return std::nullopt;
  const std::string path = SplitVxrName(name).path;
  const ErrorCode code = MakeFileOnce(path, [&](const std::string& draft) {
    const FileDeclaration declaration{.label = table.label, .driver = table.driver, .name = draft,
                                      .attributes = kFileCreate, .fields = table.fields, .keys = table.keys};
    File file(declaration);
    const ErrorCode created = PerformFileOperation(file, FileOperation::CREATE);
    // A draft whose last write failed is not linked into place.
    const ErrorCode closed = file.IsOpen() ? PerformFileOperation(file, FileOperation::CLOSE) : ErrorCode::Ok;
    return Failed(created) ? created : closed;
  });
  if (Failed(code)) return "cannot create " + path + ": " + FailureText(code);
  return std::nullopt;
}

TableOutcome LoadTable(const TableDeclaration& table, const TableOptions& options, std::string_view input) {
  if (auto problem = DriverProblem(table)) return Failure(std::string(table.label) + ": " + *problem);
  std::optional<ManagedLoad> managed;
  ParsedInput parsed;
  if (!options.raw) {
    managed.emplace(table, options);
    parsed.start = managed->Primed();
  }
  input = WithoutByteOrderMark(input);
  if (options.format == TableFormat::Csv) ParseCsv(table, input, parsed);
  else ParseJsonLines(table, input, parsed);
  if (parsed.badLines > 0) {
    TableOutcome outcome;
    outcome.errors = std::move(parsed.errors);
    if (parsed.badLines > kMostBadLinesShown)
      outcome.errors.push_back("... and " + std::to_string(parsed.badLines - kMostBadLinesShown) +
                               " more bad lines");
    outcome.errors.push_back("nothing was written to " + std::string(table.label));
    return outcome;
  }
  if (auto problem = CreateMissingFile(table, options)) return Failure(*problem);

  if (managed) {
    TableOutcome outcome;
    managed->Begin();
    for (const InputRecord& in : parsed.records) {
      if (managed->Add(in.record)) {
        ++outcome.records;
      } else {
        ++outcome.refused;
        std::cerr << "zelvo table load: line " << in.line << ": the record was not added\n";
      }
    }
    if (const ErrorCode flushed = managed->Finish(); Failed(flushed)) {
      outcome.errors.push_back("writing the records to " + std::string(table.label) +
                               " failed: " + FailureText(flushed) + "; " + managed->Batch().FailureLeft());
      return outcome;
    }
    if (outcome.refused > 0)
      std::cerr << "zelvo table load: " << outcome.records << " records added to " << table.label << ", "
                << outcome.refused << " refused\n";
    return outcome;
  }

  TableFile tableFile(table, options);
  File& file = tableFile.file();
  ErrorCode code = tableFile.Open(kReadWriteDenyNone);
  if (code == ErrorCode::FileNotFound && table.create) {
    // A table without its file: made as the program makes it on first open.
    if (code = PerformFileOperation(file, FileOperation::CREATE); Failed(code))
      return Failure(tableFile.Problem("create", code));
    code = tableFile.Open(kReadWriteDenyNone);
  }
  if (Failed(code)) return Failure(tableFile.Problem("open", code));

  // One batch, which every way out of the loop ends: the records before a
  // refused one are added.
  LoadBatch batch;
  batch.Begin(file);
  TableOutcome outcome;
  std::optional<std::string> refused;
  for (const InputRecord& in : parsed.records) {
    std::copy(in.record.Bytes().begin(), in.record.Bytes().end(), file.Record().Bytes().begin());
    if (code = PerformFileOperation(file, FileOperation::ADD); Failed(code)) {
      refused = "line " + std::to_string(in.line) + ": " + FailureText(code);
      break;
    }
    ++outcome.records;
  }
  if (const ErrorCode flushed = batch.Finish(file); Failed(flushed)) {
    outcome.errors.push_back("writing the records to " + std::string(table.label) + " failed: " +
                             FailureText(flushed) + "; " + batch.FailureLeft());
    return outcome;
  }
  if (refused) {
    outcome.errors.push_back(*refused);
    outcome.errors.push_back(std::to_string(outcome.records) + " records before it were added to " +
                             std::string(table.label) + ", none after it");
  }
  return outcome;
}

TableCommand::TableCommand(CLI::App& parent) : command_(parent.add_subcommand("table", kSummary)) {
  command_->require_subcommand(1, 1);
  command_->footer(kHelpFooter);
  const auto common = [this](CLI::App* sub) {
    sub->add_option("TABLE", table_, "The table's label (BASA, NBASA, ...)")->required();
    sub->add_option("--dir", directory_, "Data directory (default: the current directory)")
        ->type_name("DIR");
    sub->add_option("--format", format_, "json (JSON lines, the default) or csv")
        ->check(CLI::IsMember({"json", "csv"}, CLI::ignore_case));
    sub->add_option("--file", tableFile_, "The table's file instead of the dictionary's (a DBF for SPISOK, PENSTA)")
        ->type_name("PATH");
  };
  dump_ = command_->add_subcommand("dump", "Write every record of TABLE to standard output");
  common(dump_);
  dump_->add_option("--key", key_, "Follow this key's order: NUM_KEY or NBA:NUM_KEY")->type_name("KEY");
  dump_->add_option("--filter", filter_, "Only the records for which EXPR is true")->type_name("EXPR");
  dump_->add_option("--order", order_, "In this order: \"NBA:FAM, -NBA:DATA\"")->type_name("TEXT");
  dump_->add_option("--bind", bindings_, "A variable the filter may use")->type_name("NAME=VALUE[:TYPE]");
  load_ = command_->add_subcommand("load", "Add the records of FILE to TABLE");
  common(load_);
  load_->add_option("FILE", file_, "The records; - for standard input")->required();
  load_->add_flag("--raw", raw_,
                  "Add through the driver's ADD alone, bypassing the table manager");
}

int TableCommand::Run() const {
  const char* name = dump_->parsed() ? "zelvo table dump" : "zelvo table load";
  const TableDeclaration* table = FindTable(table_);
  if (table == nullptr) {
    std::cerr << name << ": \"" << table_ << "\" is not a table\n";
    return 2;
  }
  TableOptions options;
  options.directory = directory_;
  options.format = CLI::detail::to_lower(format_) == "csv" ? TableFormat::Csv : TableFormat::JsonLines;
  options.key = key_;
  options.filter = filter_;
  options.order = order_;
  options.bindings = bindings_;
  options.file = tableFile_;
  // The drive folders of the pension-fund tables, from the data directory's settings.
  LoadDriveFolders(WindowsProfile::Load(directory_.empty() ? "zelvo5.INI" : directory_ + "/zelvo5.INI"));
  options.raw = raw_;

  TableOutcome outcome;
  if (dump_->parsed()) {
    outcome = DumpTable(*table, options, std::cout);
  } else {
    const std::optional<std::string> input = ReadInput(file_, name);
    if (!input) return 2;
    outcome = LoadTable(*table, options, *input);
  }
  for (const std::string& error : outcome.errors) std::cerr << name << ": " << error << "\n";
  if (!outcome.errors.empty()) return 2;
  return outcome.refused > 0 ? 1 : 0;
}

}  // namespace zelvo
