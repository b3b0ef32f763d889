#include "storage/ascii/ascii_driver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include "storage/declare_fields.h"
#include "storage/error_state.h"
#include "storage/testing/faulty_file_system.h"
#include "storage/file_operations.h"
#include "storage/trace_log.h"
#include "tests/testing/file_operation_helpers.h"
#include "tests/testing/scoped_file_system.h"
#include "tests/testing/temporary_folder.h"
#include "runtime/date_time.h"
#include "runtime/decimal.h"

namespace zelvo {
namespace {

namespace fs = std::filesystem;
using Op = FileOperation;
using testing_support::Answer;
using testing_support::Do;
using testing_support::ScopedFileSystem;
using testing_support::Send;
using testing_support::TemporaryFolder;

// The income-tax return's one field, and a short record for the line tests.
#define TEST_LINE_FIELDS(FIELD) FIELD(STR, String(255))
ZELVO_DECLARE_FIELDS(Line, LIN, TEST_LINE_FIELDS);
#define TEST_SHORT_FIELDS(FIELD) FIELD(TEXT, String(10))
ZELVO_DECLARE_FIELDS(Short, SHO, TEST_SHORT_FIELDS);

constexpr AccessMode kReadWrite{0x22};
constexpr AccessMode kShared{0x42};
constexpr AccessMode kReadOnly{0x40};

class AsciiDriverTest : public ::testing::Test {
 protected:
  FileDeclaration Declare(std::span<const FieldDeclaration> fields, std::string_view options = {},
                          std::uint8_t attributes = kFileCreate) {
    return {.label = "NDFL", .driver = Driver::Ascii, .driverOptions = options, .name = path_,
            .attributes = attributes, .fields = fields};
  }

  void WriteFile(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
  std::string FileBytes() const {
    std::ifstream in(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  static ErrorCode Open(File& file, AccessMode mode = kReadWrite) { return testing_support::Open(file, mode); }
  static void SetText(File& file, std::string_view text) {
    std::span<std::uint8_t> bytes = file.Record().Bytes();
    std::fill(bytes.begin(), bytes.end(), std::uint8_t{' '});
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(std::min(text.size(), bytes.size())),
              bytes.begin());
  }
  static std::string Text(const File& file) {
    const auto bytes = file.Record().Bytes();
    return {bytes.begin(), bytes.end()};
  }
  static std::string Clipped(const File& file) {
    std::string text = Text(file);
    return text.erase(text.find_last_not_of(' ') + 1);
  }
  // The lines of the file, read with NEXT from the start.
  static std::vector<std::string> ReadAll(File& file) {
    std::vector<std::string> lines;
    EXPECT_EQ(Do(file, Op::SETfile), ErrorCode::Ok);
    while (Do(file, Op::NEXT) == ErrorCode::Ok) lines.push_back(Clipped(file));
    EXPECT_EQ(RuntimeErrorState().Code(), ErrorCode::RecordNotAvailable);
    return lines;
  }

  TemporaryFolder folder_;
  const fs::path& dir_ = folder_.Path();
  const std::string path_ = folder_.File("NDFL");
};

TEST_F(AsciiDriverTest, AddWritesTheClippedRecordAndTheEndOfRecordSequence) {
  const FileDeclaration decl = Declare(kLineFields);
  File file(decl);
  ASSERT_EQ(Do(file, Op::CREATE), ErrorCode::Ok);
  ASSERT_EQ(Open(file), ErrorCode::Ok);
  SetText(file, "0123456789");  // ten characters and 245 blanks
  ASSERT_EQ(Do(file, Op::ADD), ErrorCode::Ok);
  EXPECT_EQ(Answer(file, Op::BYTES).number, 12u);
  EXPECT_EQ(Answer(file, Op::POINTERfile).number, 1u);
  SetText(file, "");
  ASSERT_EQ(Do(file, Op::APPEND), ErrorCode::Ok);  // all blank: an empty line
  EXPECT_EQ(Answer(file, Op::POINTERfile).number, 13u);
  SetText(file, "\xC8\xE2\xE0\xED\xEE\xE2");  // CP1251 bytes stay single bytes
  OperationArguments three;
  three.length = 3;
  ASSERT_EQ(Do(file, Op::ADDfilelen, three), ErrorCode::Ok);
  EXPECT_EQ(Send(file, "CLIP=OFF"), "OFF");
  SetText(file, "x");
  ASSERT_EQ(Do(file, Op::APPENDlen, three), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);
  EXPECT_EQ(FileBytes(), "0123456789\r\n\r\n\xC8\xE2\xE0\r\nx  \r\n");
}

TEST_F(AsciiDriverTest, AppendingOverwritesATrailingCtrlZOnlyWhenItEndsTheFile) {
  struct Case {
    const char* options;
    const char* before;
    const char* after;
  };
  const Case cases[] = {
      {"", "old\r\n\x1a", "old\r\nnew\r\n"},
      {"/CTRLZISEOF=OFF", "old\r\n\x1a", "old\r\n\x1anew\r\n"},
      {"", "old\r\n", "old\r\nnew\r\n"},
      {"", "", "new\r\n"},
      {"", "old", "old\r\nnew\r\n"},  // a last line without its end is ended first
  };
  for (const Case& c : cases) {
    WriteFile(c.before);
    const FileDeclaration decl = Declare(kShortFields, c.options);
    File file(decl);
    ASSERT_EQ(Open(file), ErrorCode::Ok);
    SetText(file, "new");
    ASSERT_EQ(Do(file, Op::ADD), ErrorCode::Ok);
    ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);
    EXPECT_EQ(FileBytes(), c.after) << c.options << " " << c.before;
  }
}

TEST_F(AsciiDriverTest, EndOfRecordFromSendAndFromTheDriverOptions) {
  for (const char* options : {"", "/ENDOFRECORD=1,10", "/ENDOFRECORD=\"1,10\""}) {
    fs::remove(path_);
    const FileDeclaration decl = Declare(kShortFields, options);
    File file(decl);
    ASSERT_EQ(Do(file, Op::CREATE), ErrorCode::Ok);
    ASSERT_EQ(Open(file), ErrorCode::Ok);
    if (*options == 0) {
      EXPECT_EQ(Send(file, "endofrecord=1,10"), "1");
    }
    EXPECT_EQ(Send(file, "ENDOFRECORD"), "1");
    EXPECT_EQ(Send(file, "ENDOFRECORD=3,1,2"), "1");  // a malformed sequence changes nothing
    EXPECT_EQ(Send(file, "ENDOFRECORD=0"), "1");
    SetText(file, "a");
    ASSERT_EQ(Do(file, Op::ADD), ErrorCode::Ok);
    SetText(file, "b");
    ASSERT_EQ(Do(file, Op::ADD), ErrorCode::Ok);
    EXPECT_EQ(ReadAll(file), (std::vector<std::string>{"a", "b"}));
    ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);
    EXPECT_EQ(FileBytes(), "a\nb\n") << options;
  }
}

TEST_F(AsciiDriverTest, SendSetsAndAnswersEveryOption) {
  WriteFile("");
  const FileDeclaration decl = Declare(kLineFields);
  File file(decl);
  ASSERT_EQ(Open(file, AccessMode{0x42}), ErrorCode::Ok);
  struct Case {
    const char* word;
    const char* answer;
  };
  const Case cases[] = {
      {"CLIP", "ON"},          {"clip=off", "OFF"},     {"CLIP=yes", "ON"},
      {"CTRLZISEOF", "ON"},    {"CtrlZIsEof=Off", "OFF"},
      {"QUICKSCAN", "OFF"},    {"QUICKSCAN=1", "ON"},   // deny none opens without read-ahead
      {"TAB", "8"},            {"TAB=-4", "-4"},        {"TAB=x", "-4"},
      {"FILEBUFFERS", "512"},  {"FILEBUFFERS=4", "2048"},
      {"FILEBUFFERS=1", "512"},  // never below twice the record: 510
      {"ENDOFRECORD=2,13,10", "2"},
      {"NOSUCHWORD", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Send(file, c.word), c.answer) << c.word;

  OperationArguments property;
  property.text = "TAB";
  OperationAnswer answer;
  ASSERT_EQ(PerformFileOperation(file, Op::GET_PROPERTY, property, answer), ErrorCode::Ok);
  EXPECT_EQ(answer.text, "-4");
}

TEST_F(AsciiDriverTest, ALongLineFillsTheRecordAndTheRestIsSkipped) {
  WriteFile(std::string(300, 'x') + "\r\nnext\r\nlast");
  const FileDeclaration decl = Declare(kLineFields);
  File file(decl);
  ASSERT_EQ(Open(file, kReadOnly), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::SETfile), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::NEXT), ErrorCode::Ok);
  EXPECT_EQ(Text(file), std::string(255, 'x'));
  EXPECT_EQ(Answer(file, Op::BYTES).number, 302u);
  ASSERT_EQ(Do(file, Op::NEXT), ErrorCode::Ok);
  EXPECT_EQ(Clipped(file), "next");
  EXPECT_EQ(Answer(file, Op::POINTERfile).number, 303u);
  ASSERT_EQ(Do(file, Op::NEXT), ErrorCode::Ok);  // the last line needs no end
  EXPECT_EQ(Clipped(file), "last");
  EXPECT_EQ(Answer(file, Op::BYTES).number, 4u);

  // Past the end: 33, and the record buffer keeps what it held.
  OperationAnswer eof;
  ASSERT_EQ(PerformFileOperation(file, Op::Eof, {}, eof), ErrorCode::Ok);
  EXPECT_TRUE(eof.flag);
  EXPECT_EQ(Do(file, Op::NEXT), ErrorCode::RecordNotAvailable);
  EXPECT_EQ(RuntimeErrorState().Text(), "Record Not Available");
  EXPECT_EQ(Clipped(file), "last");
  // The failed read took the position away: NEXT needs a SET again.
  EXPECT_EQ(Do(file, Op::NEXT), ErrorCode::RecordNotAvailable);
  ASSERT_EQ(Do(file, Op::SETfile), ErrorCode::Ok);
  ASSERT_EQ(PerformFileOperation(file, Op::Eof, {}, eof), ErrorCode::Ok);
  EXPECT_FALSE(eof.flag);
}

TEST_F(AsciiDriverTest, TabsAreHandledByTheTabOption) {
  struct Case {
    const char* tab;
    std::string expected;
  };
  const Case cases[] = {
      {"TAB=8", "abc     d"},    {"TAB=4", "abc d"},   {"TAB=-4", "abc    d"},
      {"TAB=0", "abcd"},         {"TAB=-100", "abc\td"},
      {"TAB=20", "abc"},  // column counting stops at the record length: "d" is cut
  };
  WriteFile("abc\td\r\n");
  for (const Case& c : cases) {
    const FileDeclaration decl = Declare(kShortFields);
    File file(decl);
    ASSERT_EQ(Open(file, kReadOnly), ErrorCode::Ok);
    (void)Send(file, c.tab);
    ASSERT_EQ(Do(file, Op::SETfile), ErrorCode::Ok);
    ASSERT_EQ(Do(file, Op::NEXT), ErrorCode::Ok);
    EXPECT_EQ(Clipped(file), c.expected) << c.tab;
    ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);
  }
}

TEST_F(AsciiDriverTest, CtrlZEndsTheFileWhenReadingUnlessSwitchedOff) {
  WriteFile("one\r\ntw\x1ao\r\nthree\r\n");
  const FileDeclaration decl = Declare(kShortFields);
  File file(decl);
  ASSERT_EQ(Open(file, kReadOnly), ErrorCode::Ok);
  EXPECT_EQ(ReadAll(file), (std::vector<std::string>{"one", "tw"}));
  EXPECT_EQ(Send(file, "CTRLZISEOF=OFF"), "OFF");
  EXPECT_EQ(ReadAll(file), (std::vector<std::string>{"one", "tw\x1ao", "three"}));
}

TEST_F(AsciiDriverTest, PointersPositionsAndSavedStatesFindRecordsAgain) {
  WriteFile("alpha\r\nbeta\r\ngamma\r\n");
  const FileDeclaration decl = Declare(kShortFields);
  File file(decl);
  ASSERT_EQ(Open(file), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::SETfile), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::NEXT), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::NEXT), ErrorCode::Ok);
  EXPECT_EQ(Answer(file, Op::POINTERfile).number, 8u);
  OperationAnswer position;
  ASSERT_EQ(PerformFileOperation(file, Op::POSITIONfile, {}, position), ErrorCode::Ok);
  const std::uint64_t saved = Answer(file, Op::GETSTATE).number;

  OperationArguments at;
  at.pointer = 14;
  ASSERT_EQ(Do(file, Op::GETfileptr, at), ErrorCode::Ok);
  EXPECT_EQ(Clipped(file), "gamma");
  at.length = 2;
  ASSERT_EQ(Do(file, Op::GETfileptrlen, at), ErrorCode::Ok);
  EXPECT_EQ(Clipped(file), "ga");
  for (std::uint64_t pointer : {0u, 21u, 500u}) {
    at.pointer = pointer;
    EXPECT_EQ(Do(file, Op::GETfileptr, at), ErrorCode::RecordNotFound) << pointer;
  }

  OperationArguments reget;
  reget.position = position.position;
  ASSERT_EQ(Do(file, Op::REGETfile, reget), ErrorCode::Ok);
  EXPECT_EQ(Clipped(file), "beta");
  reget.position = "          ";
  EXPECT_EQ(Do(file, Op::REGETfile, reget), ErrorCode::RecordNotFound);
  reget.position = "not a spot";
  EXPECT_EQ(Do(file, Op::RESETfile, reget), ErrorCode::RecordNotFound);
  reget.position = position.position;
  ASSERT_EQ(Do(file, Op::RESETfile, reget), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::NEXT), ErrorCode::Ok);
  EXPECT_EQ(Clipped(file), "beta");

  at.pointer = 1;
  ASSERT_EQ(Do(file, Op::SETfileptr, at), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::NEXT), ErrorCode::Ok);
  EXPECT_EQ(Clipped(file), "alpha");

  OperationArguments state;
  state.state = saved;
  ASSERT_EQ(Do(file, Op::RESTORESTATE, state), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::NEXT), ErrorCode::Ok);
  EXPECT_EQ(Clipped(file), "gamma");
  ASSERT_EQ(Do(file, Op::FREESTATE, state), ErrorCode::Ok);
  EXPECT_EQ(Do(file, Op::RESTORESTATE, state), ErrorCode::RecordNotFound);
}

TEST_F(AsciiDriverTest, PutRewritesTheLineInPlaceAndNeverIntoTheNextOne) {
  WriteFile("alpha\r\nbeta\r\ngamma\r\n");
  const FileDeclaration decl = Declare(kShortFields);
  File file(decl);
  ASSERT_EQ(Open(file), ErrorCode::Ok);
  EXPECT_EQ(Do(file, Op::PUT), ErrorCode::RecordNotAvailable);  // nothing read yet
  ASSERT_EQ(Do(file, Op::SETfile), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::NEXT), ErrorCode::Ok);
  SetText(file, "ab");
  ASSERT_EQ(Do(file, Op::PUT), ErrorCode::Ok);
  EXPECT_EQ(FileBytes(), "ab   \r\nbeta\r\ngamma\r\n");

  ASSERT_EQ(Do(file, Op::NEXT), ErrorCode::Ok);
  SetText(file, "much longer");
  EXPECT_EQ(Do(file, Op::PUT), ErrorCode::FileSystemError);
  EXPECT_EQ(RuntimeErrorState().FileErrorText(), "The record is longer than the line it replaces");
  EXPECT_EQ(FileBytes(), "ab   \r\nbeta\r\ngamma\r\n");

  OperationArguments last;
  last.pointer = 14;
  ASSERT_EQ(Do(file, Op::PUTfileptr, last), ErrorCode::Ok);  // the last line may grow
  last.pointer = 8;
  last.length = 3;
  SetText(file, "BETA");
  ASSERT_EQ(Do(file, Op::PUTfileptrlen, last), ErrorCode::Ok);
  last.pointer = 99;
  EXPECT_EQ(Do(file, Op::PUTfileptr, last), ErrorCode::RecordNotFound);
  EXPECT_EQ(ReadAll(file), (std::vector<std::string>{"ab", "BET", "much longe"}));

  ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);

  // A last line that PUT makes longer is still read past as one line.
  WriteFile("x");
  ASSERT_EQ(Open(file), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::SETfile), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::NEXT), ErrorCode::Ok);
  SetText(file, "end of it");
  ASSERT_EQ(Do(file, Op::PUT), ErrorCode::Ok);
  EXPECT_EQ(Do(file, Op::NEXT), ErrorCode::RecordNotAvailable);
  EXPECT_EQ(FileBytes(), "end of it\r\n");
}

TEST_F(AsciiDriverTest, RefusalsAnswerTheirCodes) {
  {
    FileDeclaration decl = Declare(kShortFields);
    decl.name = "";
    decl.label = "";
    File unnamed(decl);
    EXPECT_EQ(Open(unnamed), ErrorCode::InvalidFilename);
    EXPECT_FALSE(unnamed.IsOpen());
    EXPECT_EQ(Do(unnamed, Op::NEXT), ErrorCode::FileNotOpen);
  }
  const FileDeclaration noCreate = Declare(kShortFields, "", 0);
  File file(noCreate);
  EXPECT_EQ(Do(file, Op::CREATE), ErrorCode::NoCreateAttribute);
  EXPECT_EQ(Open(file), ErrorCode::FileNotFound);
  EXPECT_EQ(RuntimeErrorState().Text(), "File Not Found");
  EXPECT_EQ(Do(file, Op::ADD), ErrorCode::FileNotOpen);

  WriteFile("line\r\n");
  ASSERT_EQ(Open(file, kReadOnly), ErrorCode::Ok);
  EXPECT_EQ(Open(file), ErrorCode::FileAlreadyOpen);
  EXPECT_EQ(Do(file, Op::ADD), ErrorCode::AccessDenied);  // the runtime refuses: not writable
  EXPECT_EQ(Do(file, Op::ADDfilelen), ErrorCode::AccessDenied);  // the driver refuses
  EXPECT_EQ(Do(file, Op::EMPTY), ErrorCode::ExclusiveAccessRequired);
  for (Op unsupported : {Op::LOGOUT, Op::PREVIOUS, Op::RECORDSfile, Op::SETkey, Op::DELETE,
                         Op::STREAM, Op::HOLDfile, Op::SKIP, Op::BUILDfile, Op::Unused35}) {
    EXPECT_EQ(Do(file, unsupported), ErrorCode::UnsupportedFileDriverFunction) << OperationName(unsupported);
    EXPECT_EQ(RuntimeErrorState().Text(), "Unsupported File Driver Function");
  }
  EXPECT_EQ(FileBytes(), "line\r\n");
}

TEST_F(AsciiDriverTest, FilesAreCreatedEmptiedCopiedRenamedAndRemovedByName) {
  WriteFile("old contents\r\n");
  const FileDeclaration decl = Declare(kShortFields);
  File file(decl);
  ASSERT_EQ(Do(file, Op::CREATE), ErrorCode::Ok);
  EXPECT_EQ(FileBytes(), "");
  WriteFile("kept\r\n");

  OperationArguments target;
  target.text = (dir_ / "COPY.TXT").string();
  ASSERT_EQ(Do(file, Op::COPY, target), ErrorCode::Ok);
  target.text = (dir_ / "MOVED.TXT").string();
  ASSERT_EQ(Do(file, Op::RENAME, target), ErrorCode::Ok);
  EXPECT_FALSE(fs::exists(path_));
  EXPECT_EQ(Do(file, Op::REMOVE), ErrorCode::FileNotFound);
  EXPECT_EQ(Do(file, Op::COPY, target), ErrorCode::FileNotFound);
  target.text = "";
  EXPECT_EQ(Do(file, Op::RENAME, target), ErrorCode::InvalidFilename);

  file.SetName((dir_ / "COPY.TXT").string());
  OperationAnswer name;
  ASSERT_EQ(PerformFileOperation(file, Op::NAME, {}, name), ErrorCode::Ok);
  EXPECT_EQ(name.text, (dir_ / "COPY.TXT").string());
  ASSERT_EQ(Open(file, AccessMode{0x12}), ErrorCode::Ok);  // deny all: exclusive
  EXPECT_EQ(Do(file, Op::REMOVE), ErrorCode::FileAlreadyOpen);
  EXPECT_EQ(ReadAll(file), std::vector<std::string>{"kept"});
  ASSERT_EQ(Do(file, Op::EMPTY), ErrorCode::Ok);
  EXPECT_EQ(ReadAll(file), std::vector<std::string>{});
  ASSERT_EQ(Do(file, Op::FLUSH), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);
  EXPECT_EQ(fs::file_size(dir_ / "COPY.TXT"), 0u);
  ASSERT_EQ(Do(file, Op::REMOVE), ErrorCode::Ok);
  EXPECT_FALSE(fs::exists(dir_ / "COPY.TXT"));
}

TEST_F(AsciiDriverTest, ALockedSharedFileRefusesOtherWriters) {
  WriteFile("");
  const FileDeclaration decl = Declare(kShortFields);
  File holder(decl), other(decl);
  ASSERT_EQ(Open(holder, kShared), ErrorCode::Ok);
  ASSERT_EQ(Open(other, kShared), ErrorCode::Ok);
  ASSERT_EQ(Do(holder, Op::LOCKfile), ErrorCode::Ok);
  EXPECT_EQ(Do(holder, Op::LOCKfile), ErrorCode::Ok);  // already locked: skipped
  OperationArguments none;
  none.seconds = 0;
  EXPECT_EQ(Do(other, Op::LOCKfilesec, none), ErrorCode::FileIsAlreadyLocked);
  SetText(other, "refused");
  EXPECT_EQ(Do(other, Op::ADD), ErrorCode::AccessDenied);
  SetText(holder, "mine");
  ASSERT_EQ(Do(holder, Op::ADD), ErrorCode::Ok);
  // Locked, the holder may empty the file; unlocked, it may not.
  ASSERT_EQ(Do(holder, Op::UNLOCK), ErrorCode::Ok);
  EXPECT_EQ(Do(holder, Op::EMPTY), ErrorCode::ExclusiveAccessRequired);
  ASSERT_EQ(Do(other, Op::ADD), ErrorCode::Ok);
  EXPECT_EQ(FileBytes(), "mine\r\nrefused\r\n");
}

TEST_F(AsciiDriverTest, SharingModesRefuseTheOpensTheyDeny) {
  struct Case {
    std::uint8_t first;
    std::uint8_t second;
    bool admitted;
  };
  const Case cases[] = {
      {0x42, 0x42, true},   {0x02, 0x02, true},   {0x22, 0x40, true},
      {0x22, 0x42, false},  {0x22, 0x41, false},  {0x42, 0x22, false},
      {0x40, 0x12, false},  {0x10, 0x40, false},  {0x32, 0x41, true},
      {0x32, 0x40, false},  {0x40, 0x20, true},   {0x41, 0x20, false},
  };
  WriteFile("");
  const FileDeclaration decl = Declare(kShortFields);
  for (const Case& c : cases) {
    File first(decl), second(decl);
    ASSERT_EQ(Open(first, AccessMode{c.first}), ErrorCode::Ok);
    const ErrorCode opened = Open(second, AccessMode{c.second});
    EXPECT_EQ(opened == ErrorCode::Ok, c.admitted) << std::hex << int{c.first} << " " << int{c.second};
    if (!c.admitted) {
      EXPECT_EQ(RuntimeErrorState().Text(), "Sharing Violation");
      EXPECT_FALSE(second.IsOpen());
      ASSERT_EQ(Do(first, Op::CLOSE), ErrorCode::Ok);
      EXPECT_EQ(Open(second, AccessMode{c.second}), ErrorCode::Ok);  // free once the first is gone
    }
  }
}

// Whatever write fails, and however much of it reached the disk, the file is
// left exactly as it was before the operation.
TEST_F(AsciiDriverTest, AFailedWriteLeavesTheFileAsItWas) {
  struct Case {
    const char* before;
    Op op;
  };
  const Case cases[] = {
      {"one\r\ntwo\r\n", Op::ADD},
      {"one\r\n\x1a", Op::ADD},
      {"one", Op::ADD},
      {"one\r\ntwo\r\n", Op::PUT},
  };
  for (const Case& c : cases) {
    for (std::size_t reached : {0u, 1u, 3u, 6u}) {
      WriteFile(c.before);
      FaultyFileSystem faulty;
      faulty.plan.failWrite = 1;
      faulty.plan.shortWriteBytes = reached;
      {
        ScopedFileSystem use(faulty);
        const FileDeclaration decl = Declare(kShortFields);
        File file(decl);
        ASSERT_EQ(Open(file), ErrorCode::Ok);
        ASSERT_EQ(Do(file, Op::SETfile), ErrorCode::Ok);
        ASSERT_EQ(Do(file, Op::NEXT), ErrorCode::Ok);
        SetText(file, "xy");
        EXPECT_EQ(zelvo::Number(Do(file, c.op)), 339) << c.before << " " << reached;
        EXPECT_EQ(RuntimeErrorState().Text(), "Handle Disk Full");
        ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);
      }
      EXPECT_EQ(FileBytes(), c.before) << OperationName(c.op) << " " << reached;
    }
  }
}

TEST_F(AsciiDriverTest, AFailedReadIsReportedAndTheRecordKept) {
  WriteFile("one\r\n");
  FaultyFileSystem faulty;
  faulty.plan.failRead = 1;
  ScopedFileSystem use(faulty);
  const FileDeclaration decl = Declare(kShortFields);
  File file(decl);
  ASSERT_EQ(Open(file), ErrorCode::Ok);
  SetText(file, "kept");
  ASSERT_EQ(Do(file, Op::SETfile), ErrorCode::Ok);
  EXPECT_EQ(zelvo::Number(Do(file, Op::NEXT)), 330);
  EXPECT_EQ(Clipped(file), "kept");
  ASSERT_EQ(Do(file, Op::SETfile), ErrorCode::Ok);
  EXPECT_EQ(Do(file, Op::NEXT), ErrorCode::Ok);
  EXPECT_EQ(Clipped(file), "one");
  ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);
}

TEST_F(AsciiDriverTest, TracedOperationsAppendOneLineEach) {
  const std::string log = (dir_ / "trace.log").string();
  const WindowsProfile profile =
      WindowsProfile::Parse("[ZRASCII]\nProfile=1\nDetails=1\nTraceFile=" + log + "\n");
  SetTraceProfile(&profile);
  WriteFile("one\r\n");
  {
    const FileDeclaration decl = Declare(kShortFields);
    File file(decl);
    file.SetName("NDFL");
    fs::path cwd = fs::current_path();
    fs::current_path(dir_);
    ASSERT_EQ(Open(file), ErrorCode::Ok);
    ASSERT_EQ(Do(file, Op::SETfile), ErrorCode::Ok);
    ASSERT_EQ(Do(file, Op::NEXT), ErrorCode::Ok);
    EXPECT_EQ(Do(file, Op::NEXT), ErrorCode::RecordNotAvailable);
    ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);
    fs::current_path(cwd);
  }
  SetTraceProfile(nullptr);
  std::ifstream in(log, std::ios::binary);
  // The times depend on the machine's load: only their form is compared.
  const std::string text = std::regex_replace(std::string{std::istreambuf_iterator<char>(in), {}},
                                              std::regex("Time Taken: [0-9]+\\.[0-9][0-9] secs"),
                                              "Time Taken: 0.00 secs");
  EXPECT_EQ(text,
            "FILE,DRIVER('ASCII'),NAME('NDFL'),CREATE\r\n"
            "  TEXT STRING(10)\r\n"
            "END\r\n"
            "OPEN(NDFL 1)      Time Taken: 0.00 secs\r\n"
            "SETfile(NDFL 1)   Time Taken: 0.00 secs\r\n"
            "NEXT(NDFL 1)      Time Taken: 0.00 secs\r\n"
            "  TEXT              : 'one       '\r\n"
            "NEXT(NDFL 1)      Error: Record Not Available Time Taken: 0.00 secs\r\n"
            "CLOSE(NDFL 1)     Time Taken: 0.00 secs\r\n");
}

// A keyed table with one field of most types, for the trace lines.
#define TEST_KEYED_FIELDS(FIELD) \
  FIELD(NUM, Decimal(5, 0)) FIELD(DAY, Date()) FIELD(AT, Time()) FIELD(B, Byte()) \
  FIELD(S, Short()) FIELD(R, Real())
ZELVO_DECLARE_FIELDS(Keyed, KEY, TEST_KEYED_FIELDS);
constexpr KeyDeclaration kKeys[] = {{"NUM_KEY", "BAS:num_key", kKeyPrimary, {{"NUM"}}}};
constexpr FileDeclaration kDecl{.label = "BASA", .driver = Driver::Vxr,
                                .fields = kKeyedFields, .keys = kKeys};

TEST(TraceLine, NamesTheKeyAndTheFileErrorAndPadsToEighteen) {
  File file(kDecl);
  ErrorState state;
  EXPECT_EQ(TraceLine(Op::GETfilekey, file, 1, 2, state, 1234),
            "GETfilekey(BASA,NUM_KEY[1] 2)Time Taken: 12.34 secs\r\n");
  state.SetFileError("-233", "bad data");
  EXPECT_EQ(TraceLine(Op::PUT, file, 0, 3, state, 5),
            "PUT(BASA 3)       File Error: bad data Time Taken: 0.05 secs\r\n");

  ASSERT_EQ(KEY.NUM.Set(file.Record(), Decimal(42)), StoreResult::Ok);
  ASSERT_EQ(KEY.DAY.Set(file.Record(), Date(3, 5, 2004)), StoreResult::Ok);
  ASSERT_EQ(KEY.AT.Set(file.Record(), TimeOf(13, 4, 5, 6)), StoreResult::Ok);
  ASSERT_EQ(KEY.B.Set(file.Record(), 10), StoreResult::Ok);
  ASSERT_EQ(KEY.S.Set(file.Record(), -7), StoreResult::Ok);
  ASSERT_EQ(KEY.R.Set(file.Record(), 0.5), StoreResult::Ok);
  const std::string dump = TraceRecord(file.Record());
  EXPECT_NE(dump.find("  NUM               : 42\r\n"), std::string::npos) << dump;
  EXPECT_NE(dump.find("  DAY               : 05 Mar 2004 ("), std::string::npos) << dump;
  EXPECT_NE(dump.find("  AT                : 13:04:05.06 ("), std::string::npos) << dump;
  EXPECT_NE(dump.find("  B                 : 0AH\r\n"), std::string::npos) << dump;
  EXPECT_NE(dump.find("  S                 : -7\r\n"), std::string::npos) << dump;
  EXPECT_NE(dump.find("  R                 : 0.500000\r\n"), std::string::npos) << dump;
  KEY.DAY.Clear(file.Record());
  EXPECT_NE(TraceRecord(file.Record()).find("Invalid date (0)"), std::string::npos);
  EXPECT_NE(TraceDeclaration(file).find("  KEY NUM_KEY(+NUM),PRIMARY\r\n"), std::string::npos);
}

TEST(TraceSettings, ComeFromTheDriversSectionWithTheirDefaults) {
  const WindowsProfile none;
  const FileDeclaration ascii{.driver = Driver::Ascii};
  TraceSettings s = ReadTraceSettings(none, ascii);
  EXPECT_FALSE(s.enabled);
  EXPECT_EQ(s.traceFile, "ASCII.LOG");
  EXPECT_EQ(ReadTraceSettings(none, {.driver = Driver::Vxr}).traceFile, "QUILLSET.LOG");
  EXPECT_EQ(ReadTraceSettings(none, {.driver = Driver::Dbase}).traceFile, "dBase4.LOG");

  const WindowsProfile on = WindowsProfile::Parse("[zrquillset]\nprofile=1\ndetails=1\n");
  const FileDeclaration secret{.driver = Driver::Vxr, .attributes = kFileEncrypt};
  EXPECT_TRUE(ReadTraceSettings(on, secret).enabled);
  EXPECT_FALSE(ReadTraceSettings(on, secret).details);
  const FileDeclaration allowed{.driver = Driver::Vxr, .driverOptions = "/ALLOWDETAILS",
                                .attributes = kFileEncrypt};
  EXPECT_TRUE(ReadTraceSettings(on, allowed).details);
  EXPECT_FALSE(ReadTraceSettings(on, ascii).enabled);
}

}  // namespace
}  // namespace zelvo
