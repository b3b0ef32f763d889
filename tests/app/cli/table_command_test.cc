// `zelvo table dump` and `load` through DumpTable and LoadTable, on tables of
// the dictionary in a temporary data directory.
#include "app/cli/table_command.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli/record_json.h"
#include "core/dictionary.h"
#include "storage/drive_folders.h"
#include "storage/testing/faulty_file_system.h"
#include "storage/vxr/vxr_check.h"
#include "tests/storage/vxr/vxr_page_places.h"
#include "tests/testing/scoped_file_system.h"
#include "tests/testing/temporary_folder.h"

namespace zelvo {
namespace {

namespace fs = std::filesystem;

// A value of the field's type that differs with `k` (so that unique keys
// stay unique) and fills its places, dates and texts.
Json SampleElement(const FieldDeclaration& field, int k) {
  switch (field.type) {
    case FieldType::Byte:
    case FieldType::Short:
    case FieldType::UShort:
    case FieldType::Long:
    case FieldType::ULong: return k + 1;
    case FieldType::Real: return 1.25 * (k + 1);
    case FieldType::Date: return "2024-03-0" + std::to_string(k + 1);
    case FieldType::Time: return "12:34:56.7" + std::to_string(k);
    case FieldType::Decimal: {
      std::string text = field.size > field.places ? std::to_string(k + 1) : "0";
      if (field.places > 0) text += "." + std::string(field.places - 1u, '7') + std::to_string(k);
      return text;
    }
    case FieldType::String:
    case FieldType::CString:
    case FieldType::PString: {
      const std::string digit = std::to_string(k);
      const std::size_t room = field.size - (field.type == FieldType::String ? 0u : 1u);
      return room >= 5 ? "Ж, \"" + digit : digit;  // Cyrillic, a comma and a quote where they fit
    }
  }
  return nullptr;
}

std::string SampleLine(const TableDeclaration& table, int k) {
  RecordBuffer record(table.fields);
  for (const FieldDeclaration& field : table.fields) {
    Json value = SampleElement(field, k);
    if (field.elements > 1) value = Json::array({value, SampleElement(field, k + 2)});
    const JsonReadResult error = FieldFromJson(value, field, record, field.name);
    EXPECT_FALSE(error) << table.label << ": " << error->Message();
  }
  return RecordToJson(record).dump() + "\n";
}

class TableCommandTest : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(Dir(1));
    fs::create_directories(Dir(2));
  }

  std::string Dir(int n) const { return (dir_ / std::to_string(n)).string(); }
  // The driver's own path: these cases are about the forms and the files.
  TableOptions Options(int dir, TableFormat format = TableFormat::JsonLines, std::string key = {}) const {
    return {.directory = Dir(dir), .format = format, .key = std::move(key), .filter = {}, .order = {},
            .bindings = {}, .file = {}, .raw = true};
  }
  static std::string Dump(const TableDeclaration& table, const TableOptions& options) {
    std::ostringstream out;
    const TableOutcome outcome = DumpTable(table, options, out);
    EXPECT_TRUE(outcome.ok()) << table.label << ": " << (outcome.ok() ? "" : outcome.errors.front());
    return out.str();
  }
  static void Load(const TableDeclaration& table, const TableOptions& options, const std::string& input) {
    const TableOutcome outcome = LoadTable(table, options, input);
    EXPECT_TRUE(outcome.ok()) << table.label << ": " << (outcome.ok() ? "" : outcome.errors.front());
  }

  testing_support::TemporaryFolder folder_;
  const fs::path& dir_ = folder_.Path();
};

// Every table the program keeps in its own files: loaded from JSON lines it
// dumps back identical, and its CSV dump loaded into another directory
// restores it exactly.
TEST_F(TableCommandTest, EveryTableDumpsBackWhatWasLoadedInEitherForm) {
  for (const TableDeclaration* table : Tables()) {
    if (table->driver == Driver::Dbase) continue;
    SCOPED_TRACE(table->label);
    const std::string input = SampleLine(*table, 0) + SampleLine(*table, 1) + SampleLine(*table, 2);
    Load(*table, Options(1), input);
    EXPECT_EQ(Dump(*table, Options(1)), input);

    const std::string csv = Dump(*table, Options(1, TableFormat::Csv));
    Load(*table, Options(2, TableFormat::Csv), csv);
    EXPECT_EQ(Dump(*table, Options(2)), input);
    EXPECT_EQ(Dump(*table, Options(2, TableFormat::Csv)), csv);
  }
}

TEST_F(TableCommandTest, FieldsLeftOutAreClearedAndNumbersMayBeStrings) {
  Load(kBasaTable, Options(1), R"({"num": 7, "OKLAD": 10000.5, "KTU": "1", "A": "3", "D1": null})" "\n");
  const Json record = Json::parse(Dump(kBasaTable, Options(1)));
  EXPECT_EQ(record["NUM"], "7");
  EXPECT_EQ(record["OKLAD"], "10000.50");
  EXPECT_EQ(record["KTU"], "1.00");
  EXPECT_EQ(record["A"], 3);
  EXPECT_EQ(record["FAM"], "");
  EXPECT_EQ(record["DATA"], nullptr);
}

TEST_F(TableCommandTest, DumpFollowsTheKeyNamedWithOrWithoutItsPrefix) {
  Load(kBasaTable, Options(1),
       "{\"NUM\": 7, \"FAM\": \"Яковлев\"}\n{\"NUM\": 3, \"FAM\": \"Борисов\"}\n"
       "{\"NUM\": 5, \"FAM\": \"Антонов\"}\n");
  const auto numbers = [&](std::string key) {
    std::ostringstream out;
    const TableOutcome outcome = DumpTable(kBasaTable, Options(1, TableFormat::Csv, key), out);
    EXPECT_TRUE(outcome.ok()) << key;
    EXPECT_EQ(outcome.records, 3u);
    std::string column;
    std::istringstream rows(out.str());
    std::string row;
    std::getline(rows, row);  // the header
    while (std::getline(rows, row)) column += row.substr(0, row.find(',')) + " ";
    return column;
  };
  EXPECT_EQ(numbers(""), "7 3 5 ");
  EXPECT_EQ(numbers("NUM_KEY"), "3 5 7 ");
  EXPECT_EQ(numbers("bas:num_key"), "3 5 7 ");
  EXPECT_EQ(numbers("FAM_KEY"), "5 3 7 ");

  for (const char* bad : {"NO_KEY", "NBA:NUM_KEY"}) {
    std::ostringstream out;
    const TableOutcome outcome = DumpTable(kBasaTable, Options(1, TableFormat::JsonLines, bad), out);
    ASSERT_FALSE(outcome.ok()) << bad;
    EXPECT_NE(outcome.errors.front().find("is not a key of BASA (its keys: NUM_KEY"), std::string::npos)
        << outcome.errors.front();
    EXPECT_EQ(out.str(), "");
  }
}

// A bad value anywhere refuses the whole input with its line and field, and
// the table, here already holding one record, is left as it was.
TEST_F(TableCommandTest, BadLinesAreReportedAndNothingIsWritten) {
  const std::string good = "{\"NUM\": 1, \"FAM\": \"Иванов\"}\n";
  Load(kBasaTable, Options(1), good);
  const std::string before = Dump(kBasaTable, Options(1));
  struct Case {
    TableFormat format;
    std::string input;
    std::vector<std::string> errors;
  };
  const Case cases[] = {
      {TableFormat::JsonLines, good + "\n{\"NUM\": 2, \"OKLAD\": \"10 000\"}\n",
       {"line 3: OKLAD: \"10 000\" is not a number"}},
      {TableFormat::JsonLines, "{\"NUM\": 2, \"OKLAD\": 1, \"D1\": \"2024-02-30\"}\n" + good,
       {"line 1: D1: \"2024-02-30\" is not a date"}},
      {TableFormat::JsonLines, "{\"NUM\": 2, \"NOSUCH\": 1}\n{\"NUM\": 2\n[1]\n",
       {"line 1: NOSUCH: ", "line 2: not JSON: ", "line 3: not an object of fields"}},
      {TableFormat::JsonLines, "{\"NUM\": 2, \"FAM\": \"" + std::string(40, 'x') + "\"}\n",
       {"line 1: FAM: the text is longer than its field"}},
      {TableFormat::Csv, "NUM,FAM\n2,Петров\n3\n4,\"a\"b\n", {"line 3: has 1 cells, the header 2", "line 4: "}},
      {TableFormat::Csv, "NUM,NOSUCH\n2,x\n", {"line 1: \"NOSUCH\" is not a field of BASA"}},
      {TableFormat::Csv, "NUM,FAM\n2,x\n\"3,\"\"y\",z\n", {"line 3: NUM: \"3,\\\"y\" is not a number"}},
      {TableFormat::Csv, "NUM,FAM\n2,\"x\n", {"line 2: a quoted cell is not closed"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    const TableOutcome outcome = LoadTable(kBasaTable, Options(1, c.format), c.input);
    ASSERT_EQ(outcome.errors.size(), c.errors.size() + 1);
    for (std::size_t i = 0; i < c.errors.size(); ++i)
      EXPECT_EQ(outcome.errors[i].substr(0, c.errors[i].size()), c.errors[i]) << outcome.errors[i];
    EXPECT_EQ(outcome.errors.back(), "nothing was written to BASA");
    EXPECT_EQ(outcome.records, 0u);
    EXPECT_EQ(Dump(kBasaTable, Options(1)), before);
  }
  // Nor is a missing file made for input that is refused.
  EXPECT_FALSE(LoadTable(kNbasaTable, Options(2), "{\"NOSUCH\": 1}\n").ok());
  EXPECT_TRUE(fs::is_empty(Dir(2)));
}

TEST_F(TableCommandTest, ADuplicateOfAUniqueKeyStopsTheLoadAtItsLine) {
  const TableOutcome outcome =
      LoadTable(kBasaTable, Options(1), "{\"NUM\": 1}\n{\"NUM\": 2}\n{\"NUM\": 1}\n{\"NUM\": 4}\n");
  ASSERT_EQ(outcome.errors.size(), 2u);
  EXPECT_EQ(outcome.errors[0], "line 3: Creates Duplicate Key");
  EXPECT_EQ(outcome.errors[1], "2 records before it were added to BASA, none after it");
  EXPECT_EQ(outcome.records, 2u);
  const std::string dumped = Dump(kBasaTable, Options(1));
  EXPECT_EQ(std::count(dumped.begin(), dumped.end(), '\n'), 2);
}

TEST_F(TableCommandTest, MissingFilesAndTablesWithoutADriverAreErrors) {
  std::ostringstream out;
  TableOutcome outcome = DumpTable(kNbasaTable, Options(1), out);
  ASSERT_FALSE(outcome.ok());
  EXPECT_NE(outcome.errors.front().find("cannot open " + Dir(1) + "/NBASA: File Not Found"), std::string::npos)
      << outcome.errors.front();
  EXPECT_TRUE(fs::is_empty(Dir(1)));  // a dump never makes a file

}

// The pension-fund tables at their fixed path: the drive's folder must be
// set and hold the path's folders; then they load and dump like any table.
TEST_F(TableCommandTest, ThePensionFundTablesLiveInTheirDriveFolder) {
  const std::string line = R"({"NOM": 12, "TIP": "Ж", "ST": "2004-01-01", "FN": null, "KOEF": 1.5, "VSDOP3": -12.25})";
  for (const TableDeclaration* table : {FindTable("SPISOK"), FindTable("pensta")}) {
    ASSERT_NE(table, nullptr);
    const TableOutcome outcome = LoadTable(*table, Options(1), "{}\n");
    ASSERT_FALSE(outcome.ok());
    EXPECT_EQ(outcome.errors.front(), "cannot open " + std::string(table->fileName) +
                                          " (drive C: has no folder: set C=FOLDER in section [Drives] of "
                                          "zelvo5.INI): Path Not Found");
  }
  SetDriveFolder('C', Dir(1));
  std::ostringstream out;
  const TableOutcome missing = DumpTable(kPenstaTable, Options(1), out);
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.errors.front(), "cannot open C:\\INP_2004\\BASE2004\\PENSTA.DBF (" + Dir(1) +
                                        "/INP_2004/BASE2004/PENSTA.DBF): Path Not Found");
  EXPECT_TRUE(fs::is_empty(Dir(1)));

  fs::create_directories(Dir(1) + "/INP_2004/BASE2004");
  Load(kPenstaTable, Options(1), line + "\n");
  const Json record = Json::parse(Dump(kPenstaTable, Options(1)));
  EXPECT_EQ(record["NOM"], 12);
  EXPECT_EQ(record["TIP"], "Ж");
  EXPECT_EQ(record["ST"], "2004-01-01");
  EXPECT_EQ(record["FN"], nullptr);
  EXPECT_EQ(record["KOEF"], 1.5);
  EXPECT_EQ(record["VSDOP3"], -12.25);
  SetDriveFolder('C', "");

  // Any file by its path.
  TableOptions elsewhere = Options(2);
  elsewhere.file = Dir(2) + "/copy.dbf";
  Load(kPenstaTable, elsewhere, line + "\n" + line + "\n");
  EXPECT_EQ(Dump(kPenstaTable, elsewhere), Dump(kPenstaTable, elsewhere));
  std::ostringstream twice;
  const TableOutcome dumped = DumpTable(kPenstaTable, elsewhere, twice);
  EXPECT_EQ(dumped.records, 2u);
  // A number too large for its column is refused by the driver with its line.
  const TableOutcome tooLarge = LoadTable(kPenstaTable, elsewhere, R"({"KOEF": 10})" "\n");
  ASSERT_EQ(tooLarge.errors.size(), 2u);
  EXPECT_EQ(tooLarge.errors[0], "line 1: File System Error: bad data");
}

// A missing file whose making fails at any write is not made: the load says
// so and writes nothing, and no half-made file or draft is left.
TEST_F(TableCommandTest, AMissingFileThatCannotBeMadeWholeIsNotMade) {
  FaultyFileSystem faulty;
  const std::filesystem::path file = std::filesystem::path(Dir(1)) / "NBASA.VXR";
  std::uint64_t n = 1;
  {
    testing_support::ScopedFileSystem use(faulty);
    for (; n < 100; ++n) {
      faulty.plan = {};
      faulty.plan.failWrite = faulty.WritesSeen() + n;
      const TableOutcome outcome = LoadTable(kNbasaTable, Options(1), SampleLine(kNbasaTable, 0));
      if (std::filesystem::exists(file)) {  // made: the fault came later, or not at all
        faulty.plan = {};
        EXPECT_TRUE(CheckVxrPath(file.string()).Sound()) << n;
        EXPECT_EQ(Dump(kNbasaTable, Options(1)), outcome.ok() ? SampleLine(kNbasaTable, 0) : "") << n;
        break;
      }
      ASSERT_FALSE(outcome.ok()) << n;
      EXPECT_TRUE(outcome.errors.front().starts_with("cannot create ")) << n << ": " << outcome.errors.front();
      EXPECT_TRUE(std::filesystem::is_empty(Dir(1))) << n;
    }
  }
  EXPECT_GT(n, 2u);  // making the file writes more than once
  EXPECT_LT(n, 100u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir(1)), {}), 1);
}

// A load is one write: one that fails at any point of it leaves the table
// with all of the load or none of it (a failure after the write became
// final is finished by the next open), never part of it, through the driver
// alone or through the manager.
TEST_F(TableCommandTest, ALoadWhoseWriteFailsIsWrittenWholeOrNotAtAll) {
  std::string input;
  for (int k = 0; k < 700; ++k) input += SampleLine(kNbasaTable, k % 3);  // more than a streamed batch puts off
  for (const bool raw : {true, false}) {
    SCOPED_TRACE(raw ? "raw" : "through the manager");
    TableOptions options = Options(raw ? 1 : 2);
    Load(kNbasaTable, options, SampleLine(kNbasaTable, 0));
    options.raw = raw;
    const std::string before = Dump(kNbasaTable, options);
    FaultyFileSystem faulty;
    std::uint64_t n = 1, untouched = 0;
    for (;; ++n) {
      TableOutcome outcome;
      {
        testing_support::ScopedFileSystem use(faulty);
        faulty.plan = {};
        faulty.plan.failWrite = faulty.WritesSeen() + n;
        outcome = LoadTable(kNbasaTable, options, input);
        faulty.plan = {};
      }
      if (outcome.ok()) break;
      ASSERT_TRUE(outcome.errors.back().ends_with("the table holds every record of the load or none of them"))
          << n << ": " << outcome.errors.back();
      const std::string now = Dump(kNbasaTable, options);
      if (now == before) {
        ++untouched;
        continue;
      }
      ASSERT_EQ(std::count(now.begin(), now.end(), '\n'), 701) << n;
      break;  // written whole: loading again would add the records twice
    }
    EXPECT_GT(untouched, 20u);  // the load writes its pages, and the fault met each write
    const std::string after = Dump(kNbasaTable, options);
    EXPECT_EQ(std::count(after.begin(), after.end(), '\n'), 701);
    EXPECT_TRUE(CheckVxrPath(Dir(raw ? 1 : 2) + "/NBASA.VXR").Sound());
  }
}

// Two processes loading into one file at once both succeed, every record of
// both is there, and a dump meanwhile reads the file as it stands — also
// when the file is missing and both would make it.
TEST_F(TableCommandTest, TwoProcessesLoadIntoOneFileAtOnce) {
  for (const bool existing : {true, false}) {
    SCOPED_TRACE(existing ? "existing file" : "missing file");
    const int dir = existing ? 1 : 2;
    if (existing) Load(kNbasaTable, Options(dir), SampleLine(kNbasaTable, 0));
    constexpr int kEach = 300;
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
      children[c] = fork();
      ASSERT_GE(children[c], 0);
      if (children[c] == 0) {
        std::string input;
        const std::string line = SampleLine(kNbasaTable, 1 + c);  // the pay records' keys allow duplicates
        for (int k = 0; k < kEach; ++k) input += line;
        _exit(LoadTable(kNbasaTable, Options(dir), input).ok() ? 0 : 1);
      }
    }
    if (existing) {
      std::ostringstream meanwhile;
      EXPECT_TRUE(DumpTable(kNbasaTable, Options(dir), meanwhile).ok());
    }
    for (const pid_t child : children) {
      int status = 0;
      ASSERT_EQ(waitpid(child, &status, 0), child);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    const std::string dumped = Dump(kNbasaTable, Options(dir));
    EXPECT_EQ(std::count(dumped.begin(), dumped.end(), '\n'), (existing ? 1 : 0) + 2 * kEach);
    for (int c = 0; c < 2; ++c) {
      const std::string line = SampleLine(kNbasaTable, 1 + c);
      std::size_t found = 0;
      for (std::size_t at = dumped.find(line); at != std::string::npos; at = dumped.find(line, at + 1)) ++found;
      EXPECT_EQ(found, static_cast<std::size_t>(kEach)) << c;
    }
    std::vector<std::string> files;  // no file made on the way is left behind
    for (const auto& entry : std::filesystem::directory_iterator(Dir(dir))) {
      files.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(files, std::vector<std::string>{"NBASA.VXR"});
  }
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Output that takes `lines` lines and then fails, as a pipe closed by its
// reader does: a dump that would go on for ever stops there.
class LineBudget final : public std::streambuf {
 public:
  explicit LineBudget(std::size_t lines) : left_(lines) {}

 protected:
  int overflow(int c) override {
    if (c == '\n' && left_-- == 0) return traits_type::eof();
    return c;
  }

 private:
  std::size_t left_;
};

// A few bytes flipped in a page of the tree made `table dump` of a loaded
// table print the same records for ever: a child reference that leads back to
// a leaf already read. Each walk now ends there with the driver's corruption
// text, in record order and in key order, and the file stays as it was.
TEST_F(TableCommandTest, ADamagedTreeEndsTheDumpWithTheCorruptionText) {
  constexpr int kRecords = 3000;
  std::string input;
  for (int k = 0; k < kRecords; ++k) {
    input += R"({"NOM": )" + std::to_string(k % 10) + R"(, "NM": "Constant )" + std::to_string(k * 7919 % kRecords) +
             R"(", "VAL": ")" + std::to_string(k) + ".50\"}\n";
  }
  Load(kKonstTable, Options(1), input);
  const std::string path = Dir(1) + "/KONST.VXR";
  std::string bytes = ReadBytes(path);
  // In every page just above the leaves a child reference in the middle
  // becomes the one before it.
  int damaged = 0;
  for (const testing_vxr::VxrPagePlace& p : testing_vxr::VxrPagePlaces(bytes)) {
    if (p.level != 1 || p.children < 2) continue;
    const std::uint64_t middle = p.offset + 13 + 4 * (p.children / 2u);
    const std::string before = bytes.substr(middle - 4, 4);
    bytes.replace(middle, 4, before);
    ++damaged;
  }
  ASSERT_GE(damaged, 2);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;

  for (const std::string key : {"", "NOM_KEY"}) {
    SCOPED_TRACE(key.empty() ? "record order" : key);
    LineBudget budget(kRecords);
    std::ostream out(&budget);
    const TableOutcome outcome = DumpTable(kKonstTable, Options(1, TableFormat::JsonLines, key), out);
    ASSERT_EQ(outcome.errors.size(), 1u);
    EXPECT_NE(outcome.errors[0].find("File System Error: Possible data corruption in file ("), std::string::npos)
        << outcome.errors[0];
    EXPECT_GT(outcome.records, 0u);  // the walk started, and ended at the damage
    EXPECT_LT(outcome.records, static_cast<std::size_t>(kRecords));
  }
  EXPECT_EQ(ReadBytes(path), bytes);
}

}  // namespace
}  // namespace zelvo
