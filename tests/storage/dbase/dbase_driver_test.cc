// The dBase4 driver through the file operations, as the program uses it.
#include "storage/dbase/dbase_driver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "runtime/date_time.h"
#include "storage/dbase/internal/dbase_table.h"
#include "storage/declare_fields.h"
#include "storage/drive_folders.h"
#include "storage/driver_result.h"
#include "storage/error_state.h"
#include "storage/testing/faulty_file_system.h"
#include "storage/file_operations.h"
#include "storage/trace_log.h"
#include "tests/testing/file_operation_helpers.h"
#include "tests/testing/manual_wait_clock.h"
#include "tests/testing/scoped_file_system.h"
#include "tests/testing/temporary_folder.h"

namespace zelvo {
namespace {

namespace fs = std::filesystem;
using Op = FileOperation;
using testing_support::Answer;
using testing_support::Do;
using testing_support::Open;
using testing_support::ScopedFileSystem;
using testing_support::Send;
using testing_support::TemporaryFolder;

#define TEST_PERIOD_FIELDS(FIELD)                 \
  FIELD(NOM, Real().External("NOM=N(10.0)"))      \
  FIELD(TIP, String(1))                           \
  FIELD(ST, Date())                               \
  FIELD(KOEF, Real().External("PEN:KOEF=N(4.2)")) \
  FIELD(VSDOP3, Real().External("VSDOP3=N(7.2)")) \
  FIELD(METKA, String(1).External("METKA=L"))     \
  FIELD(OK, Byte())                               \
  FIELD(KPOS, String(20))
ZELVO_DECLARE_FIELDS(Period, PER, TEST_PERIOD_FIELDS);

#define TEST_TINY_FIELDS(FIELD) \
  FIELD(NOM, Real().External("NOM=N(10.0)")) FIELD(TIP, String(1)) FIELD(ST, Date())
ZELVO_DECLARE_FIELDS(Tiny, TIN, TEST_TINY_FIELDS);

constexpr AccessMode kExclusive{0x22};  // read and write, deny write: buffered
constexpr AccessMode kShared{0x42};
constexpr AccessMode kDenyAll{0x12};   // unbuffered exclusive

class FixedClock final : public Clock {
 public:
  LocalDateTime Now() const override { return {2005, 3, 7, 12, 0, 0, 0}; }
};

class DbaseDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetClock(&clock_);
    declaration_ = Declare(kPeriodFields);
  }
  void TearDown() override {
    SetClock(nullptr);
    SetDbaseZeroY2K(false);
  }

  FileDeclaration Declare(std::span<const FieldDeclaration> fields, std::string_view options = {}) {
    return {.label = "PENSTA", .driver = Driver::Dbase, .driverOptions = options, .name = path_,
            .fields = fields};
  }

  std::string Bytes(const std::string& path) const {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  void WriteBytes(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }

  static void Fill(File& file, double nom, std::string_view tip = "A", DayNumber st = 0) {
    RecordBuffer& r = file.Record();
    r.Clear();
    ASSERT_EQ(PER.NOM.Set(r, nom), StoreResult::Ok);
    ASSERT_EQ(PER.TIP.Set(r, tip), StoreResult::Ok);
    ASSERT_EQ(PER.ST.Set(r, st), StoreResult::Ok);
  }
  // A fresh table with records whose NOM are `noms`, closed again.
  void MakeTable(std::initializer_list<double> noms) {
    File file(declaration_);
    ASSERT_EQ(Do(file, Op::CREATE), ErrorCode::Ok);
    ASSERT_EQ(Open(file, kDenyAll), ErrorCode::Ok);
    for (const double nom : noms) {
      Fill(file, nom);
      ASSERT_EQ(Do(file, Op::ADD), ErrorCode::Ok);
    }
    ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);
  }
  // NOM of every record a sequential read returns.
  static std::vector<double> Noms(File& file) {
    std::vector<double> noms;
    EXPECT_EQ(Do(file, Op::SETfile), ErrorCode::Ok);
    while (Do(file, Op::NEXT) == ErrorCode::Ok) noms.push_back(PER.NOM.Get(file.Record()));
    return noms;
  }

  FixedClock clock_;
  TemporaryFolder folder_;
  const fs::path& dir_ = folder_.Path();
  const std::string path_ = folder_.File("PENSTA.DBF");
  FileDeclaration declaration_;
};

TEST_F(DbaseDriverTest, CreateWritesTheHeaderDescriptorsAndEndOfFile) {
  const FileDeclaration tiny = Declare(kTinyFields);
  File file(tiny);
  ASSERT_EQ(Do(file, Op::CREATE), ErrorCode::Ok);
  const std::string bytes = Bytes(path_);
  ASSERT_EQ(bytes.size(), 130u);
  EXPECT_EQ(bytes[0], 0x03);
  EXPECT_EQ(bytes.substr(1, 3), std::string("\x69\x03\x07", 3));  // 2005 - 1900, March, 7
  EXPECT_EQ(bytes.substr(4, 4), std::string(4, '\0'));
  EXPECT_EQ(bytes.substr(8, 4), std::string("\x81\x00\x14\x00", 4));  // 129 and 20
  EXPECT_EQ(bytes.substr(32, 11), std::string("NOM\0\0\0\0\0\0\0\0", 11));
  EXPECT_EQ(bytes[43], 'N');
  EXPECT_EQ(bytes[48], 10);
  EXPECT_EQ(bytes[64 + 11], 'C');
  EXPECT_EQ(bytes[96 + 11], 'D');
  EXPECT_EQ(bytes[96 + 16], 8);
  EXPECT_EQ(bytes.substr(128), "\x0D\x1A");

  // ZEROY2K writes the year's last two digits.
  ASSERT_EQ(Open(file, kDenyAll), ErrorCode::Ok);
  EXPECT_EQ(Send(file, "zeroy2k=on"), "ON");
  ASSERT_EQ(TIN.NOM.Set(file.Record(), 1.0), StoreResult::Ok);
  ASSERT_EQ(Do(file, Op::ADD), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);
  const std::string after = Bytes(path_);
  EXPECT_EQ(after[1], 5);
  EXPECT_EQ(after[4], 1);
  EXPECT_EQ(after.size(), 150u);
  EXPECT_EQ(after.back(), 0x1A);
}

TEST_F(DbaseDriverTest, EveryEncodingIsWrittenAsTheColumnsHoldItAndReadBack) {
  File file(declaration_);
  ASSERT_EQ(Do(file, Op::CREATE), ErrorCode::Ok);
  ASSERT_EQ(Open(file, kDenyAll), ErrorCode::Ok);
  RecordBuffer& r = file.Record();
  Fill(file, 123, "Z", Date(12, 31, 2004));
  ASSERT_EQ(PER.KOEF.Set(r, 1.5), StoreResult::Ok);
  ASSERT_EQ(PER.VSDOP3.Set(r, 123.4), StoreResult::Ok);
  ASSERT_EQ(PER.METKA.Set(r, "y"), StoreResult::Ok);
  ASSERT_EQ(PER.OK.Set(r, 0), StoreResult::Ok);
  ASSERT_EQ(PER.KPOS.Set(r, "\xCF\xF0\xE8"), StoreResult::Ok);  // CP1251 as it stands
  ASSERT_EQ(Do(file, Op::ADD), ErrorCode::Ok);
  Fill(file, -5);  // no date, and a BYTE of 63 stores a blank
  ASSERT_EQ(PER.OK.Set(r, 63), StoreResult::Ok);
  ASSERT_EQ(Do(file, Op::ADD), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);

  const std::string bytes = Bytes(path_);
  const std::size_t header = 32 * 9 + 1, length = 1 + 10 + 1 + 8 + 4 + 7 + 1 + 1 + 20;
  ASSERT_EQ(bytes.size(), header + 2 * length + 1);
  EXPECT_EQ(bytes.substr(header, length),
            std::string("        123Z200412311.50 123.40TF\xCF\xF0\xE8") + std::string(17, ' '));
  EXPECT_EQ(bytes.substr(header + length, 12 + 8), "         -5A        ");
  EXPECT_EQ(bytes[header + 2 * length - 21], ' ');  // the blank BYTE

  ASSERT_EQ(Open(file, kShared), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::SETfile), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::NEXT), ErrorCode::Ok);
  EXPECT_EQ(PER.NOM.Get(r), 123);
  EXPECT_EQ(PER.ST.Get(r), Date(12, 31, 2004));
  EXPECT_DOUBLE_EQ(PER.KOEF.Get(r), 1.5);
  EXPECT_DOUBLE_EQ(PER.VSDOP3.Get(r), 123.4);
  EXPECT_EQ(PER.METKA.Get(r), "T");
  EXPECT_EQ(PER.OK.Get(r), 0);
  EXPECT_EQ(PER.KPOS.Clipped(r), "\xCF\xF0\xE8");
  ASSERT_EQ(Do(file, Op::NEXT), ErrorCode::Ok);
  EXPECT_EQ(PER.NOM.Get(r), -5);
  EXPECT_EQ(PER.ST.Get(r), 0);
  EXPECT_EQ(PER.OK.Get(r), 63);  // a blank logical
  EXPECT_EQ(PER.METKA.Get(r), " ");
  const RecordBuffer last = r;
  EXPECT_TRUE(Answer(file, Op::Eof).flag);
  EXPECT_EQ(Do(file, Op::NEXT), ErrorCode::RecordNotAvailable);
  EXPECT_EQ(r, last);  // the buffer keeps the last record
  ASSERT_EQ(Do(file, Op::SETfile), ErrorCode::Ok);
  EXPECT_EQ(Do(file, Op::PREVIOUS), ErrorCode::Ok);  // from the end
  EXPECT_EQ(PER.NOM.Get(r), -5);
  EXPECT_EQ(Do(file, Op::PREVIOUS), ErrorCode::Ok);
  EXPECT_EQ(PER.NOM.Get(r), 123);
  EXPECT_EQ(Answer(file, Op::RECORDSfile).number, 2u);
  EXPECT_EQ(Answer(file, Op::POINTERfile).number, 1u);
}

TEST_F(DbaseDriverTest, ANumberTooLargeForItsColumnIsBadDataAndNothingIsWritten) {
  MakeTable({1});
  const std::string before = Bytes(path_);
  File file(declaration_);
  ASSERT_EQ(Open(file, kShared), ErrorCode::Ok);
  Fill(file, 2);
  ASSERT_EQ(PER.VSDOP3.Set(file.Record(), 100000.0), StoreResult::Ok);
  EXPECT_EQ(Do(file, Op::ADD), ErrorCode::FileSystemError);
  EXPECT_EQ(RuntimeErrorState().FileErrorCode(), "-233");
  EXPECT_EQ(RuntimeErrorState().FileErrorText(), "bad data");
  EXPECT_EQ(Bytes(path_), before);

  // PUT is refused the same way and leaves the record as it was.
  ASSERT_EQ(Do(file, Op::SETfile), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::NEXT), ErrorCode::Ok);
  ASSERT_EQ(PER.NOM.Set(file.Record(), 1e12), StoreResult::Ok);
  EXPECT_EQ(Do(file, Op::PUT), ErrorCode::FileSystemError);
  EXPECT_EQ(Bytes(path_), before);
  // A text longer than its column is cut: a status, not a failure.
  ASSERT_EQ(Do(file, Op::SETfile), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::NEXT), ErrorCode::Ok);
  ASSERT_EQ(PER.METKA.Set(file.Record(), "Q"), StoreResult::Ok);
  EXPECT_EQ(Do(file, Op::PUT), ErrorCode::FileSystemError);  // not a logical value
  EXPECT_EQ(Bytes(path_), before);
}

TEST_F(DbaseDriverTest, DeletedRecordsAreSkippedUntilIgnoreStatusAndPackDropsThem) {
  MakeTable({1, 2, 3});
  File file(declaration_);
  ASSERT_EQ(Open(file, kExclusive), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::SETfile), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::NEXT), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::NEXT), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::DELETE), ErrorCode::Ok);
  EXPECT_EQ(Noms(file), (std::vector<double>{1, 3}));

  OperationArguments deleted;
  deleted.text = "DELETED";
  EXPECT_EQ(Do(file, Op::SEND, deleted), ErrorCode::RecordNotAvailable);
  EXPECT_EQ(Send(file, "IGNORESTATUS=ON"), "ON");
  EXPECT_EQ(Noms(file), (std::vector<double>{1, 2, 3}));
  OperationArguments second;
  second.pointer = 2;
  ASSERT_EQ(Do(file, Op::GETfileptr, second), ErrorCode::Ok);
  EXPECT_EQ(Send(file, "DELETED"), "ON");
  second.pointer = 3;
  ASSERT_EQ(Do(file, Op::GETfileptr, second), ErrorCode::Ok);
  EXPECT_EQ(Send(file, "DELETED"), "OFF");
  EXPECT_EQ(Send(file, "IGNORESTATUS=OFF"), "OFF");

  ASSERT_EQ(Do(file, Op::PACK), ErrorCode::Ok);
  EXPECT_EQ(Answer(file, Op::RECORDSfile).number, 2u);
  EXPECT_EQ(Noms(file), (std::vector<double>{1, 3}));
  ASSERT_EQ(Do(file, Op::SETfile), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::NEXT), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::NEXT), ErrorCode::Ok);
  EXPECT_EQ(Answer(file, Op::POINTERfile).number, 2u);  // record numbers are dense again
  ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);
  EXPECT_TRUE(fs::exists(dir_ / "PENSTA.BAK"));
  EXPECT_EQ(Bytes((dir_ / "PENSTA.BAK").string())[4], 3);  // the old file, its three records
  EXPECT_FALSE(fs::exists(dir_ / "0.DBF"));
  EXPECT_EQ(Bytes(path_)[4], 2);
}

TEST_F(DbaseDriverTest, RecoverUnmarksAndEmptyLeavesNoRecords) {
  MakeTable({1, 2});
  File file(declaration_);
  ASSERT_EQ(Open(file, kDenyAll), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::SETfile), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::NEXT), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::DELETE), ErrorCode::Ok);
  EXPECT_EQ(Noms(file), (std::vector<double>{2}));
  EXPECT_EQ(Send(file, "RECOVER"), "");
  EXPECT_EQ(Noms(file), (std::vector<double>{1, 2}));
  ASSERT_EQ(Do(file, Op::EMPTY), ErrorCode::Ok);
  EXPECT_EQ(Answer(file, Op::RECORDSfile).number, 0u);
  EXPECT_EQ(Noms(file), std::vector<double>{});
  ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);
  EXPECT_EQ(Bytes(path_).size(), std::size_t{32 * 9 + 1 + 1});
}

TEST_F(DbaseDriverTest, DamagedOrForeignFilesAnswerTheirCodesAndStayClosed) {
  MakeTable({1});
  const std::string sound = Bytes(path_);
  auto patched = [&](std::size_t at, char value) {
    std::string bytes = sound;
    bytes[at] = value;
    return bytes;
  };
  const struct {
    const char* what;
    std::string bytes;
    ErrorCode code;
  } cases[] = {
      {"version 0x30", patched(0, 0x30), ErrorCode::InvalidDataFile},
      {"production index flag 2", patched(28, 2), ErrorCode::InvalidDataFile},
      {"record length", patched(10, 60), ErrorCode::InvalidRecordDeclaration},
      {"type letter", patched(32 + 11, 'X'), ErrorCode::InvalidFieldTypeDescriptor},
      {"memo without its bit", patched(32 + 11, 'M'), ErrorCode::InvalidDataFile},
      {"a column the declaration lacks", patched(32, 'X'), ErrorCode::InvalidRecordDeclaration},
      {"a date column as text", patched(96 + 11, 'C'), ErrorCode::InvalidFieldTypeDescriptor},
      {"truncated header", sound.substr(0, 20), ErrorCode::InvalidBrintalFile},
      {"truncated descriptors", sound.substr(0, 100), ErrorCode::InvalidBrintalFile},
      {"garbage", std::string(300, '\x55'), ErrorCode::InvalidDataFile},
  };
  for (const auto& c : cases) {
    WriteBytes(c.bytes);
    File file(declaration_);
    EXPECT_EQ(Open(file, kShared), c.code) << c.what;
    EXPECT_FALSE(file.IsOpen()) << c.what;
    EXPECT_EQ(Do(file, Op::NEXT), ErrorCode::FileNotOpen) << c.what;
  }

  // A count beyond the records present: what is there reads, then a read failure.
  std::string claimed = sound;
  claimed[4] = 5;
  WriteBytes(claimed);
  File file(declaration_);
  ASSERT_EQ(Open(file, kShared), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::SETfile), ErrorCode::Ok);
  EXPECT_EQ(Do(file, Op::NEXT), ErrorCode::Ok);
  EXPECT_EQ(Do(file, Op::NEXT), ErrorCode::AccessDenied);  // -202 "file read failure"
  ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);

  fs::remove(path_);
  EXPECT_EQ(Open(file, kShared), ErrorCode::FileNotFound);
  const std::string missing = (dir_ / "missing" / "PENSTA.DBF").string();
  const FileDeclaration elsewhere{.label = "PENSTA", .driver = Driver::Dbase, .name = missing,
                                  .fields = kPeriodFields};
  File lost(elsewhere);
  EXPECT_EQ(Open(lost, kShared), ErrorCode::PathNotFound);
}

TEST_F(DbaseDriverTest, ExtendedErrorsShowTheMissingTableInTheStopBox) {
  std::string shown, title;
  SetStopBox([&](std::string_view message, std::string_view caption) {
    shown = message;
    title = caption;
  });
  const FileDeclaration declared = Declare(kPeriodFields, "/EXTERRORS=ON");
  File file(declared);
  EXPECT_EQ(Open(file, AccessMode{0x02}), ErrorCode::FileNotFound);
  EXPECT_EQ(shown, "File PENSTA.DBF, xBase Error (-205): File Not Found");
  EXPECT_EQ(title, "Stop");
  SetStopBox(nullptr);
}

TEST_F(DbaseDriverTest, BufferedAppendsReachTheFileAtFlushAndClose) {
  MakeTable({});
  File file(declaration_);
  ASSERT_EQ(Open(file, kExclusive), ErrorCode::Ok);
  for (const double nom : {1.0, 2.0, 3.0}) {
    Fill(file, nom);
    ASSERT_EQ(Do(file, Op::ADD), ErrorCode::Ok);
  }
  EXPECT_EQ(Bytes(path_)[4], 0);  // still in the append buffer
  EXPECT_EQ(Noms(file), (std::vector<double>{1, 2, 3}));
  ASSERT_EQ(Do(file, Op::FLUSH), ErrorCode::Ok);
  EXPECT_EQ(Bytes(path_)[4], 3);
  Fill(file, 4);
  ASSERT_EQ(Do(file, Op::ADD), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);
  const std::string bytes = Bytes(path_);
  EXPECT_EQ(bytes[4], 4);
  EXPECT_EQ(bytes.back(), 0x1A);

  // A whole window's worth of appends goes to the file at once.
  ASSERT_EQ(Open(file, kExclusive), ErrorCode::Ok);
  for (int i = 0; i < 40; ++i) {
    Fill(file, i);
    ASSERT_EQ(Do(file, Op::ADD), ErrorCode::Ok);
  }
  EXPECT_GT(static_cast<unsigned char>(Bytes(path_)[4]), 4);
  ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);
  EXPECT_EQ(Bytes(path_)[4], 44);
}

TEST_F(DbaseDriverTest, SharedStationsAppendAtTheCountInTheFile) {
  MakeTable({});
  File a(declaration_), b(declaration_);
  ASSERT_EQ(Open(a, kShared), ErrorCode::Ok);
  ASSERT_EQ(Open(b, kShared), ErrorCode::Ok);
  Fill(a, 1);
  ASSERT_EQ(Do(a, Op::ADD), ErrorCode::Ok);
  EXPECT_EQ(Bytes(path_)[4], 1);  // unbuffered: the header follows every write
  Fill(b, 2);
  ASSERT_EQ(Do(b, Op::ADD), ErrorCode::Ok);
  EXPECT_EQ(Answer(b, Op::POINTERfile).number, 2u);
  EXPECT_EQ(Answer(a, Op::RECORDSfile).number, 2u);
  EXPECT_EQ(Noms(a), (std::vector<double>{1, 2}));

  // An exclusive open is refused while others share the file, and the other way round.
  File c(declaration_);
  EXPECT_EQ(Open(c, kExclusive), ErrorCode::AccessDenied);
  ASSERT_EQ(Do(a, Op::CLOSE), ErrorCode::Ok);
  ASSERT_EQ(Do(b, Op::CLOSE), ErrorCode::Ok);
  ASSERT_EQ(Open(c, kExclusive), ErrorCode::Ok);
  EXPECT_EQ(Open(a, kShared), ErrorCode::AccessDenied);
}

TEST_F(DbaseDriverTest, HeldRecordsAndFileLocksExcludeOtherStations) {
  MakeTable({1, 2});
  File a(declaration_), b(declaration_);
  ASSERT_EQ(Open(a, kShared), ErrorCode::Ok);
  ASSERT_EQ(Open(b, kShared), ErrorCode::Ok);
  ASSERT_EQ(Do(a, Op::SETfile), ErrorCode::Ok);
  ASSERT_EQ(Do(a, Op::HOLDfile), ErrorCode::Ok);
  ASSERT_EQ(Do(a, Op::NEXT), ErrorCode::Ok);  // holds record 1

  ASSERT_EQ(Do(b, Op::SETfile), ErrorCode::Ok);
  ASSERT_EQ(Do(b, Op::NEXT), ErrorCode::Ok);
  ASSERT_EQ(PER.TIP.Set(b.Record(), "B"), StoreResult::Ok);
  EXPECT_EQ(Do(b, Op::PUT), ErrorCode::FileIsAlreadyLocked);
  EXPECT_EQ(Do(b, Op::DELETE), ErrorCode::FileIsAlreadyLocked);
  ASSERT_EQ(Do(b, Op::SETfile), ErrorCode::Ok);
  ASSERT_EQ(Do(b, Op::HOLDfile), ErrorCode::Ok);
  EXPECT_EQ(Do(b, Op::NEXT), ErrorCode::RecordIsAlreadyHeld);

  ASSERT_EQ(Do(a, Op::RELEASE), ErrorCode::Ok);
  ASSERT_EQ(Do(b, Op::SETfile), ErrorCode::Ok);
  ASSERT_EQ(Do(b, Op::NEXT), ErrorCode::Ok);
  ASSERT_EQ(PER.TIP.Set(b.Record(), "B"), StoreResult::Ok);
  EXPECT_EQ(Do(b, Op::PUT), ErrorCode::Ok);

  {
    // HOLDfilesec tries again for its seconds; the holder letting go ends the wait.
    testing_support::ManualWaitClock clock;
    ASSERT_EQ(Do(a, Op::HOLDfile), ErrorCode::Ok);
    ASSERT_EQ(Do(a, Op::SETfile), ErrorCode::Ok);
    ASSERT_EQ(Do(a, Op::NEXT), ErrorCode::Ok);
    OperationArguments twoSeconds;
    twoSeconds.seconds = 2;
    ASSERT_EQ(Do(b, Op::SETfile), ErrorCode::Ok);
    ASSERT_EQ(Do(b, Op::HOLDfilesec, twoSeconds), ErrorCode::Ok);
    EXPECT_EQ(Do(b, Op::NEXT), ErrorCode::RecordIsAlreadyHeld);
    EXPECT_EQ(clock.Waited(), std::chrono::seconds(2));
    clock.onPause = [&](int pauses) {
      if (pauses == 40 + 5) {
        EXPECT_EQ(Do(a, Op::RELEASE), ErrorCode::Ok);
      }
    };
    ASSERT_EQ(Do(b, Op::SETfile), ErrorCode::Ok);
    ASSERT_EQ(Do(b, Op::HOLDfilesec, twoSeconds), ErrorCode::Ok);
    EXPECT_EQ(Do(b, Op::NEXT), ErrorCode::Ok);
    EXPECT_EQ(clock.Pauses(), 40 + 5);  // 40 for the first read
    ASSERT_EQ(Do(b, Op::RELEASE), ErrorCode::Ok);
  }

  ASSERT_EQ(Do(a, Op::LOCKfile), ErrorCode::Ok);
  OperationArguments once;
  once.seconds = 0;
  EXPECT_EQ(Do(b, Op::LOCKfilesec, once), ErrorCode::FileIsAlreadyLocked);
  Fill(b, 3);
  EXPECT_EQ(Do(b, Op::ADD), ErrorCode::FileIsAlreadyLocked);  // the header byte is inside the file lock
  Fill(a, 4);
  ASSERT_EQ(Do(a, Op::ADD), ErrorCode::Ok);  // the lock's holder appends under it ...
  EXPECT_EQ(Do(b, Op::LOCKfilesec, once), ErrorCode::FileIsAlreadyLocked);  // ... and keeps all of it
  ASSERT_EQ(Do(a, Op::UNLOCK), ErrorCode::Ok);
  EXPECT_EQ(Do(b, Op::ADD), ErrorCode::Ok);
  EXPECT_EQ(Noms(a), (std::vector<double>{1, 2, 4, 3}));
}

TEST_F(DbaseDriverTest, OemFilesHoldOemTextAndNamesGetTheirExtension) {
  const std::string bare = (dir_ / "OEMTAB").string();
  const FileDeclaration oem{.label = "OEMTAB", .driver = Driver::Dbase, .name = bare,
                            .attributes = kFileCreate | kFileOem, .fields = kTinyFields};
  File file(oem);
  ASSERT_EQ(Do(file, Op::CREATE), ErrorCode::Ok);
  ASSERT_TRUE(fs::exists(bare + ".DBF"));
  ASSERT_EQ(Open(file, kDenyAll), ErrorCode::Ok);
  ASSERT_EQ(TIN.TIP.Set(file.Record(), "\xCF"), StoreResult::Ok);  // CP1251 capital Pe
  ASSERT_EQ(Do(file, Op::ADD), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);
  EXPECT_EQ(Bytes(bare + ".DBF")[129 + 11], '\x8F');  // its OEM code
  ASSERT_EQ(Open(file, kDenyAll), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::SETfile), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::NEXT), ErrorCode::Ok);
  EXPECT_EQ(TIN.TIP.Get(file.Record()), "\xCF");
}

TEST_F(DbaseDriverTest, TheProfileTurnsTwoDigitYearsOnForEveryTable) {
  const WindowsProfile profile = WindowsProfile::Parse("[ZRdBase4]\nY2KZERO=1\n");
  SetTraceProfile(&profile);
  MakeTable({1});
  SetTraceProfile(nullptr);
  EXPECT_TRUE(DbaseZeroY2K());
  EXPECT_EQ(Bytes(path_)[1], 5);
}

TEST_F(DbaseDriverTest, AWatchedRecordChangedByAnotherStationIsNotOverwritten) {
  MakeTable({1});
  File a(declaration_), b(declaration_);
  ASSERT_EQ(Open(a, kShared), ErrorCode::Ok);
  ASSERT_EQ(Open(b, kShared), ErrorCode::Ok);
  ASSERT_EQ(Do(a, Op::SETfile), ErrorCode::Ok);
  ASSERT_EQ(Do(a, Op::WATCH), ErrorCode::Ok);
  ASSERT_EQ(Do(a, Op::NEXT), ErrorCode::Ok);
  ASSERT_EQ(Do(b, Op::SETfile), ErrorCode::Ok);
  ASSERT_EQ(Do(b, Op::NEXT), ErrorCode::Ok);
  ASSERT_EQ(PER.TIP.Set(b.Record(), "B"), StoreResult::Ok);
  ASSERT_EQ(Do(b, Op::PUT), ErrorCode::Ok);
  ASSERT_EQ(PER.TIP.Set(a.Record(), "A"), StoreResult::Ok);
  EXPECT_EQ(Do(a, Op::PUT), ErrorCode::RecordChangedByAnotherStation);
  ASSERT_EQ(Do(a, Op::SETfile), ErrorCode::Ok);
  ASSERT_EQ(Do(a, Op::NEXT), ErrorCode::Ok);
  EXPECT_EQ(PER.TIP.Get(a.Record()), "B");
}

TEST_F(DbaseDriverTest, AFailedWriteLeavesTheTableAsItWas) {
  MakeTable({1});
  const std::string before = Bytes(path_);
  for (std::uint64_t failing = 1; failing <= 2; ++failing) {
    for (const bool add : {true, false}) {
      WriteBytes(before);
      FaultyFileSystem faulty;
      {
        ScopedFileSystem use(faulty);
        File file(declaration_);
        ASSERT_EQ(Open(file, kShared), ErrorCode::Ok);
        faulty.plan.failWrite = faulty.WritesSeen() + failing;
        faulty.plan.shortWriteBytes = 3;
        if (add) {
          Fill(file, 2);
          EXPECT_NE(Do(file, Op::ADD), ErrorCode::Ok) << failing;
        } else {
          ASSERT_EQ(Do(file, Op::SETfile), ErrorCode::Ok);
          ASSERT_EQ(Do(file, Op::NEXT), ErrorCode::Ok);
          Fill(file, 7);
          const ErrorCode put = Do(file, Op::PUT);
          if (failing == 1) {
            EXPECT_NE(put, ErrorCode::Ok);
          }
        }
        faulty.plan.failWrite = 0;
        (void)Do(file, Op::CLOSE);
      }
      File file(declaration_);
      ASSERT_EQ(Open(file, kShared), ErrorCode::Ok);
      EXPECT_EQ(Answer(file, Op::RECORDSfile).number, 1u) << failing << add;
      const std::vector<double> noms = Noms(file);
      // A rewrite whose header write failed has its row in place: either value is whole.
      EXPECT_TRUE(noms == std::vector<double>{1} || (!add && failing == 2 && noms == std::vector<double>{7}))
          << failing << add;
      if (failing == 1) {
        EXPECT_EQ(Bytes(path_), before) << add;
      }
      ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);
    }
  }
}

TEST_F(DbaseDriverTest, TheFixedPathsGoThroughTheirDriveFolder) {
  const FileDeclaration fixed{.label = "PENSTA", .driver = Driver::Dbase,
                              .name = "C:\\INP_2004\\BASE2004\\PENSTA.DBF", .fields = kPeriodFields};
  File file(fixed);
  EXPECT_EQ(Open(file, kShared), ErrorCode::PathNotFound);  // no folder for C:
  SetDriveFolder('C', dir_.string());
  EXPECT_EQ(Open(file, kShared), ErrorCode::PathNotFound);  // the folder lacks INP_2004\BASE2004
  EXPECT_EQ(Do(file, Op::CREATE), ErrorCode::PathNotFound);
  fs::create_directories(dir_ / "INP_2004" / "BASE2004");
  EXPECT_EQ(Open(file, kShared), ErrorCode::FileNotFound);
  ASSERT_EQ(Do(file, Op::CREATE), ErrorCode::Ok);
  EXPECT_TRUE(fs::exists(dir_ / "INP_2004" / "BASE2004" / "PENSTA.DBF"));
  ASSERT_EQ(Open(file, kShared), ErrorCode::Ok);
  EXPECT_EQ(Answer(file, Op::NAME).text, (dir_ / "INP_2004" / "BASE2004" / "PENSTA.DBF").string());
  ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);
  SetDriveFolder('C', "");
}

TEST_F(DbaseDriverTest, OperationsOutsideTheListAndKeyedOnesAreRefused) {
  MakeTable({1});
  File file(declaration_);
  ASSERT_EQ(Open(file, kShared), ErrorCode::Ok);
  EXPECT_EQ(Do(file, Op::LOGOUT), ErrorCode::UnsupportedFileDriverFunction);
  EXPECT_EQ(Do(file, Op::COMMIT), ErrorCode::UnsupportedFileDriverFunction);
  EXPECT_EQ(FindFileDriver(Driver::Dbase)->Operations().size(), 64u);
  OperationArguments key;
  key.key = 1;
  EXPECT_EQ(Do(file, Op::BUILDdyn, key), ErrorCode::InvalidRecordDeclaration);  // no index tag
  EXPECT_EQ(Do(file, Op::EMPTY), ErrorCode::ExclusiveAccessRequired);
  ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);
  ASSERT_EQ(Open(file, AccessMode{0x40}), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::SETfile), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::NEXT), ErrorCode::Ok);
  EXPECT_EQ(Do(file, Op::PUT), ErrorCode::AccessDenied);  // read only, before the driver
}

}  // namespace
}  // namespace zelvo
