#include "storage/vxr/vxr_driver.h"

#include "storage/filter/filter_bindings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "storage/declare_fields.h"
#include "storage/error_state.h"
#include "storage/testing/faulty_file_system.h"
#include "storage/file_operations.h"
#include "storage/vxr/vxr_check.h"
#include "storage/vxr/vxr_file_name.h"
#include "tests/testing/file_operation_helpers.h"
#include "tests/testing/scoped_file_system.h"
#include "tests/testing/temporary_folder.h"

namespace zelvo {
namespace {

namespace fs = std::filesystem;
using Op = FileOperation;
using std::string_literals::operator""s;
using testing_support::Answer;
using testing_support::Do;
using testing_support::ScopedFileSystem;
using testing_support::Send;
using testing_support::TemporaryFolder;

#define TEST_PERSON_FIELDS(FIELD) FIELD(NUM, Long()) FIELD(FAM, String(6)) FIELD(NOTE, CString(5))
ZELVO_DECLARE_FIELDS(Person, PER, TEST_PERSON_FIELDS);
#define TEST_OTHER_FIELDS(FIELD) FIELD(NUM, Long()) FIELD(FAM, String(7))
ZELVO_DECLARE_FIELDS(Other, OTH, TEST_OTHER_FIELDS);
#define TEST_RENAMED_FIELDS(FIELD) FIELD(NOMER, Long()) FIELD(FAMILY, String(6)) FIELD(REM, CString(5))
ZELVO_DECLARE_FIELDS(Renamed, REN, TEST_RENAMED_FIELDS);

constexpr KeyDeclaration kPersonKeys[] = {{"NUM_KEY", "PER:num_key", kKeyPrimary | kKeyOpt, {{"NUM"}}},
                                          {"FAM_KEY", "", kKeyDup | kKeyNoCase, {{"FAM"}}}};
constexpr KeyDeclaration kDynamicKeys[] = {{"NUM_KEY", "", kKeyPrimary | kKeyOpt, {{"NUM"}}},
                                           {"FAM_KEY", "", kKeyDup | kKeyNoCase, {{"FAM"}}},
                                           {"DYN_KEY", "", kKeyDynamic | kKeyNoCase | kKeyOpt, {{"FAM", false}}}};
constexpr KeyDeclaration kRenamedKeys[] = {{"N_KEY", "", kKeyPrimary | kKeyOpt, {{"NOMER"}}},
                                           {"F_KEY", "", kKeyDup | kKeyNoCase, {{"FAMILY"}}}};

constexpr AccessMode kReadWrite{0x42};
constexpr AccessMode kReadOnly{0x40};

class VxrDriverTest : public testing::Test {
 protected:
  FileDeclaration Declare(std::span<const FieldDeclaration> fields, std::span<const KeyDeclaration> keys,
                          std::uint8_t attributes = kFileCreate, std::string_view suffix = {}) {
    names_.push_back(name_ + std::string(suffix));
    return {.label = "PER", .driver = Driver::Vxr, .name = names_.back(), .attributes = attributes,
            .fields = fields, .keys = keys};
  }
  FileDeclaration Person(std::uint8_t attributes = kFileCreate, std::string_view suffix = {}) {
    return Declare(kPersonFields, kPersonKeys, attributes, suffix);
  }

  static ErrorCode Open(File& file, AccessMode mode = kReadWrite) { return testing_support::Open(file, mode); }
  static void Set(File& file, std::int32_t num, std::string_view fam, std::string_view note = "") {
    auto& r = file.Record();
    std::fill(r.Bytes().begin(), r.Bytes().end(), std::uint8_t{0});
    (void)PER.NUM.Set(r, num);
    (void)PER.FAM.Set(r, fam);
    (void)PER.NOTE.Set(r, note);
  }
  static std::string Fam(const File& file) {
    std::string fam = PER.FAM.Get(file.Record());
    return fam.erase(fam.find_last_not_of(' ') + 1);
  }
  // The surnames in record order, by NEXT from the start.
  static std::vector<std::string> ReadAll(File& file) {
    std::vector<std::string> out;
    EXPECT_EQ(Do(file, Op::SETfile), ErrorCode::Ok);
    while (Do(file, Op::NEXT) == ErrorCode::Ok) out.push_back(Fam(file));
    EXPECT_EQ(RuntimeErrorState().Code(), ErrorCode::RecordNotAvailable);
    return out;
  }
  std::string Path() const { return name_ + ".VXR"; }
  std::string Bytes() const {
    std::ifstream in(Path(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  TemporaryFolder folder_;
  const fs::path& dir_ = folder_.Path();
  const std::string name_ = folder_.File("NBASA");
  std::vector<std::string> names_ = std::vector<std::string>();

 public:
  VxrDriverTest() { names_.reserve(16); }  // declarations keep views of these names
};

TEST_F(VxrDriverTest, CreateAddReadChangeDeleteAndReopen) {
  const FileDeclaration decl = Person();
  File file(decl);
  ASSERT_EQ(Do(file, Op::CREATE), ErrorCode::Ok);
  ASSERT_TRUE(fs::exists(Path()));
  ASSERT_EQ(Open(file), ErrorCode::Ok);
  for (const auto& [num, fam] : std::vector<std::pair<int, std::string>>{{1, "IVANOV"}, {2, "PETROV"}, {3, "SIDOR"}}) {
    Set(file, num, fam);
    ASSERT_EQ(Do(file, Op::ADD), ErrorCode::Ok);
  }
  EXPECT_EQ(Answer(file, Op::RECORDSfile).number, 3u);
  EXPECT_EQ(ReadAll(file), (std::vector<std::string>{"IVANOV", "PETROV", "SIDOR"}));
  ASSERT_EQ(Do(file, Op::SETfile), ErrorCode::Ok);  // PREVIOUS from the start reads the last
  ASSERT_EQ(Do(file, Op::PREVIOUS), ErrorCode::Ok);
  EXPECT_EQ(Fam(file), "SIDOR");
  ASSERT_EQ(Do(file, Op::PREVIOUS), ErrorCode::Ok);
  EXPECT_EQ(Fam(file), "PETROV");
  OperationAnswer position;
  ASSERT_EQ(PerformFileOperation(file, Op::POSITIONfile, {}, position), ErrorCode::Ok);
  ASSERT_EQ(position.position.size(), 4u);

  (void)PER.FAM.Set(file.Record(), "PETROVA");
  ASSERT_EQ(Do(file, Op::PUT), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::SETfile), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::NEXT), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::DELETE), ErrorCode::Ok);
  EXPECT_EQ(Do(file, Op::PUT), ErrorCode::RecordNotAvailable);  // no current record after DELETE
  EXPECT_EQ(Answer(file, Op::RECORDSfile).number, 2u);

  OperationArguments reget;
  reget.position = position.position;
  ASSERT_EQ(Do(file, Op::REGETfile, reget), ErrorCode::Ok);
  EXPECT_EQ(Fam(file), "PETROV");
  ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);

  File again(decl);
  ASSERT_EQ(Open(again, kReadOnly), ErrorCode::Ok);
  EXPECT_EQ(ReadAll(again), (std::vector<std::string>{"PETROV", "SIDOR"}));
  EXPECT_EQ(Do(again, Op::ADD), ErrorCode::AccessDenied);
  EXPECT_EQ(Do(again, Op::REGETfile, [] { OperationArguments a; a.position = "\0\0\0\x09"s; return a; }()),
            ErrorCode::RecordNotFound);
  ASSERT_EQ(Do(again, Op::CLOSE), ErrorCode::Ok);
}

TEST_F(VxrDriverTest, RecordNumbersAreUniqueInTheFileAndNeverReused) {
  const FileDeclaration first = Person(kFileCreate, "\\!FIRST");
  const FileDeclaration second = Declare(kOtherFields, {}, kFileCreate, "\\!SECOND");
  File a(first), b(second);
  ASSERT_EQ(Do(a, Op::CREATE), ErrorCode::Ok);
  ASSERT_EQ(Do(b, Op::CREATE), ErrorCode::Ok);
  ASSERT_EQ(Open(a), ErrorCode::Ok);
  ASSERT_EQ(Open(b), ErrorCode::Ok);  // the same file, opened once
  std::vector<std::uint64_t> numbers;
  for (int i = 0; i < 3; ++i) {
    Set(a, i + 1, "A");
    ASSERT_EQ(Do(a, Op::ADD), ErrorCode::Ok);
    numbers.push_back(Answer(a, Op::POINTERfile).number);
    ASSERT_EQ(Do(b, Op::ADD), ErrorCode::Ok);
    numbers.push_back(Answer(b, Op::POINTERfile).number);
  }
  for (std::size_t i = 1; i < numbers.size(); ++i) EXPECT_GT(numbers[i], numbers[i - 1]);
  ASSERT_EQ(Do(b, Op::DELETE), ErrorCode::Ok);  // the last one
  ASSERT_EQ(Do(b, Op::ADD), ErrorCode::Ok);
  EXPECT_GT(Answer(b, Op::POINTERfile).number, numbers.back());
  EXPECT_EQ(Answer(a, Op::RECORDSfile).number, 3u);
  EXPECT_EQ(Answer(b, Op::RECORDSfile).number, 3u);
  EXPECT_EQ(Send(a, "PNM=A"), "FIRST");
  EXPECT_EQ(Send(a, "PNM=G"), "SECOND");
  EXPECT_EQ(Send(a, "PNM=T"), "");
  ASSERT_EQ(Do(a, Op::CLOSE), ErrorCode::Ok);
  ASSERT_EQ(Do(b, Op::CLOSE), ErrorCode::Ok);
  EXPECT_EQ(Send(a, "PNMQ=B"), "FIRST");  // opens the file by itself
}

TEST_F(VxrDriverTest, OpeningAnswersTheSpecifiedCodes) {
  const FileDeclaration person = Person();
  File file(person);
  ASSERT_EQ(Do(file, Op::CREATE), ErrorCode::Ok);

  const FileDeclaration noCreate = Person(0);
  File refused(noCreate);
  EXPECT_EQ(Do(refused, Op::CREATE), ErrorCode::NoCreateAttribute);

  struct Case {
    const char* what;
    FileDeclaration declaration;
    ErrorCode code;
  };
  const Case cases[] = {
      {"missing table", Person(kFileCreate, "\\!NOSUCH"), ErrorCode::FileNotFound},
      {"other layout", Declare(kOtherFields, {}), ErrorCode::InvalidRecordDeclaration},
      {"one key less", Declare(kPersonFields, std::span(kPersonKeys).first(1)), ErrorCode::InvalidRecordDeclaration},
      {"names only", Declare(kRenamedFields, kRenamedKeys), ErrorCode::Ok},
      {"missing file", Declare(kPersonFields, kPersonKeys, kFileCreate, "X"), ErrorCode::FileNotFound},
  };
  for (const Case& c : cases) {
    File f(c.declaration);
    EXPECT_EQ(Open(f), c.code) << c.what;
    if (c.code == ErrorCode::Ok) {
      EXPECT_EQ(Do(f, Op::CLOSE), ErrorCode::Ok);
    }
  }
  EXPECT_EQ(Open(file, AccessMode{0x41}), ErrorCode::AccessDenied);  // write only
}

TEST_F(VxrDriverTest, DamagedOrForeignFilesAreNeverWritten) {
  const FileDeclaration decl = Person();
  File file(decl);
  ASSERT_EQ(Do(file, Op::CREATE), ErrorCode::Ok);
  ASSERT_EQ(Open(file), ErrorCode::Ok);
  for (int i = 1; i <= 50; ++i) {
    Set(file, i, "NAME" + std::to_string(i));
    ASSERT_EQ(Do(file, Op::ADD), ErrorCode::Ok);
  }
  ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);
  const std::string good = Bytes();

  struct Case {
    const char* what;
    std::string bytes;
    ErrorCode code;
  };
  std::string badPage = good;
  badPage[0x200] ^= 0x01;  // the first page no longer names its own position
  std::string badRoot = good;
  badRoot[28] = 0x77;      // a root outside every zone
  const Case cases[] = {
      {"foreign", "not a data file at all, just some text that is long enough ......", ErrorCode::InvalidDataFile},
      {"signature", good.substr(0, 14) + "QUIL" + good.substr(18), ErrorCode::InvalidDataFile},
      {"page home", badPage, ErrorCode::FileSystemError},
      {"root", badRoot, ErrorCode::FileSystemError},
      {"truncated", good.substr(0, 0x280), ErrorCode::FileSystemError},
  };
  for (const Case& c : cases) {
    std::ofstream(Path(), std::ios::binary | std::ios::trunc) << c.bytes;
    File f(decl);
    EXPECT_EQ(Open(f), c.code) << c.what;
    if (c.code == ErrorCode::FileSystemError) {
      EXPECT_EQ(RuntimeErrorState().FileErrorText().rfind("Possible data corruption in file (", 0), 0u) << c.what;
    }
    EXPECT_EQ(Bytes(), c.bytes) << c.what;
  }
}

TEST_F(VxrDriverTest, KeysAreKeptAndADuplicateLeavesNoTrace) {
  const FileDeclaration decl = Person();
  File file(decl);
  ASSERT_EQ(Do(file, Op::CREATE), ErrorCode::Ok);
  ASSERT_EQ(Open(file), ErrorCode::Ok);
  Set(file, 7, "IVANOV");
  ASSERT_EQ(Do(file, Op::ADD), ErrorCode::Ok);
  const std::string before = Bytes();
  Set(file, 7, "PETROV");
  EXPECT_EQ(Do(file, Op::ADD), ErrorCode::CreatesDuplicateKey);
  EXPECT_EQ(Bytes(), before);  // nothing was written
  EXPECT_EQ(Answer(file, Op::RECORDSfile).number, 1u);
  EXPECT_EQ(ReadAll(file), std::vector<std::string>{"IVANOV"});

  // While streaming, a refused ADD keeps the ADDs put off before it.
  ASSERT_EQ(Do(file, Op::STREAM), ErrorCode::Ok);
  Set(file, 8, "PETROV");
  ASSERT_EQ(Do(file, Op::ADD), ErrorCode::Ok);
  Set(file, 8, "SIDOR");
  EXPECT_EQ(Do(file, Op::ADD), ErrorCode::CreatesDuplicateKey);
  ASSERT_EQ(Do(file, Op::FLUSH), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);
  ASSERT_EQ(Open(file), ErrorCode::Ok);
  EXPECT_EQ(ReadAll(file), (std::vector<std::string>{"IVANOV", "PETROV"}));
  ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);
}

TEST_F(VxrDriverTest, OemTextIsStoredInTheOemCodePage) {
  const FileDeclaration oem = Declare(kPersonFields, {}, kFileCreate | kFileOem);
  File file(oem);
  ASSERT_EQ(Do(file, Op::CREATE), ErrorCode::Ok);
  ASSERT_EQ(Open(file), ErrorCode::Ok);
  Set(file, 1, "\xCF\xF0\xE8", "\xE0\xE1");  // CP1251 text
  ASSERT_EQ(Do(file, Op::ADD), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::SETfile), ErrorCode::Ok);
  Set(file, 0, "");
  ASSERT_EQ(Do(file, Op::NEXT), ErrorCode::Ok);
  EXPECT_EQ(Fam(file), "\xCF\xF0\xE8");
  ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);

  const FileDeclaration plain = Declare(kPersonFields, {});
  File raw(plain);
  ASSERT_EQ(Open(raw), ErrorCode::Ok);
  ASSERT_EQ(Do(raw, Op::SETfile), ErrorCode::Ok);
  ASSERT_EQ(Do(raw, Op::NEXT), ErrorCode::Ok);
  EXPECT_EQ(Fam(raw), "\x8F\xE0\xA8");  // CP866 in the file
  EXPECT_EQ(std::string(PER.NOTE.Get(raw.Record())), "\xA0\xA1");
  ASSERT_EQ(Do(raw, Op::CLOSE), ErrorCode::Ok);
}

TEST_F(VxrDriverTest, SendWords) {
  const FileDeclaration decl = Person();
  File file(decl);
  ASSERT_EQ(Do(file, Op::CREATE), ErrorCode::Ok);
  ASSERT_EQ(Open(file), ErrorCode::Ok);
  EXPECT_EQ(Send(file, "FULLBUILD"), "OFF");
  EXPECT_EQ(Send(file, "FULLBUILD=on"), "ON");
  EXPECT_EQ(Send(file, "FULLBUILD=yes"), "OFF");
  EXPECT_EQ(Send(file, "FLAGS"), "0");
  EXPECT_EQ(Send(file, "FLAGS=12"), "12");
  EXPECT_EQ(Send(file, "TCF=/tmp/x.tcf"), "/tmp/x.tcf");
  EXPECT_EQ(Send(file, "TCF"), "/tmp/x.tcf");
  EXPECT_EQ(Send(file, "TCF="), "");
  EXPECT_EQ(Send(file, "QUICKSCAN=ON"), "ON");
  EXPECT_EQ(Send(file, "Recover=1"), "1");
  EXPECT_EQ(Send(file, "CACHE"), "65536");  // kilobytes of decoded pages
  EXPECT_EQ(Send(file, "CACHE=128"), "128");
  EXPECT_EQ(Send(file, "CACHE=none"), "128");
  ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);
  File again(decl);
  ASSERT_EQ(Open(again), ErrorCode::Ok);
  EXPECT_EQ(Send(again, "FLAGS"), "12");  // kept in the file
  ASSERT_EQ(Do(again, Op::CLOSE), ErrorCode::Ok);
}

// An ADD that meets a failed write at any point leaves a file that opens and
// holds either the records before it or those after it.
TEST_F(VxrDriverTest, FailedAddAtEveryWriteLeavesACommittedFile) {
  const FileDeclaration decl = Person();
  {
    File file(decl);
    ASSERT_EQ(Do(file, Op::CREATE), ErrorCode::Ok);
    ASSERT_EQ(Open(file), ErrorCode::Ok);
    for (int i = 1; i <= 30; ++i) {
      Set(file, i, "N" + std::to_string(i));
      ASSERT_EQ(Do(file, Op::ADD), ErrorCode::Ok);
    }
    ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);
  }
  const std::string saved = Bytes();
  for (std::uint64_t failAt = 1;; ++failAt) {
    std::ofstream(Path(), std::ios::binary | std::ios::trunc) << saved;
    FaultyFileSystem faulty;
    faulty.plan.failWrite = failAt;
    faulty.plan.shortWriteBytes = 7;
    ErrorCode added;
    {
      ScopedFileSystem use(faulty);
      File file(decl);
      ASSERT_EQ(Open(file), ErrorCode::Ok);
      Set(file, 99, "LAST");
      added = Do(file, Op::ADD);
      ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);
    }
    const bool failed = faulty.WritesSeen() >= failAt;
    EXPECT_EQ(Failed(added), failed) << failAt;

    File check(decl);
    ASSERT_EQ(Open(check), ErrorCode::Ok) << failAt;
    const std::size_t records = ReadAll(check).size();
    EXPECT_TRUE(records == 30 || records == 31) << failAt;
    EXPECT_EQ(Answer(check, Op::RECORDSfile).number, records) << failAt;
    ASSERT_EQ(Do(check, Op::CLOSE), ErrorCode::Ok);
    if (!failed) break;
  }
}

TEST_F(VxrDriverTest, EmptyStreamFlushAndFilesByName) {
  const FileDeclaration decl = Person();
  File file(decl);
  ASSERT_EQ(Do(file, Op::CREATE), ErrorCode::Ok);
  ASSERT_EQ(Open(file, AccessMode{0x22}), ErrorCode::Ok);  // EMPTY needs others kept from writing
  ASSERT_EQ(Do(file, Op::STREAM), ErrorCode::Ok);
  const std::string before = Bytes();
  for (int i = 1; i <= 10; ++i) {
    Set(file, i, "S");
    ASSERT_EQ(Do(file, Op::ADD), ErrorCode::Ok);
  }
  EXPECT_EQ(Bytes(), before);  // put off
  ASSERT_EQ(Do(file, Op::FLUSH), ErrorCode::Ok);
  EXPECT_NE(Bytes(), before);
  ASSERT_EQ(Do(file, Op::EMPTY), ErrorCode::Ok);
  EXPECT_EQ(Answer(file, Op::RECORDSfile).number, 0u);
  EXPECT_TRUE(ReadAll(file).empty());
  EXPECT_EQ(Do(file, Op::REMOVE), ErrorCode::FileAlreadyOpen);
  ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);

  OperationArguments to;
  to.text = (dir_ / "COPY1").string();
  ASSERT_EQ(Do(file, Op::COPY, to), ErrorCode::Ok);
  EXPECT_TRUE(fs::exists(dir_ / "COPY1.VXR"));
  to.text = (dir_ / "MOVED").string();
  ASSERT_EQ(Do(file, Op::RENAME, to), ErrorCode::Ok);
  EXPECT_FALSE(fs::exists(Path()));
  EXPECT_EQ(Do(file, Op::REMOVE), ErrorCode::FileNotFound);
}

TEST_F(VxrDriverTest, ReadingInKeyOrder) {
  const FileDeclaration decl = Person();
  File file(decl);
  ASSERT_EQ(Do(file, Op::CREATE), ErrorCode::Ok);
  ASSERT_EQ(Open(file, AccessMode{0x22}), ErrorCode::Ok);
  const std::vector<std::pair<int, std::string>> people = {{3, "petrov"}, {1, "SIDOR"}, {2, "IVANOV"}, {4, "PETROV"}};
  for (const auto& [num, fam] : people) {
    Set(file, num, fam);
    ASSERT_EQ(Do(file, Op::ADD), ErrorCode::Ok);
  }
  auto inKey = [&](std::size_t key, Op direction) {
    std::vector<std::string> out;
    OperationArguments args;
    args.key = key;
    EXPECT_EQ(Do(file, Op::SETkey, args), ErrorCode::Ok);
    while (Do(file, direction) == ErrorCode::Ok) out.push_back(Fam(file));
    return out;
  };
  EXPECT_EQ(inKey(1, Op::NEXT), (std::vector<std::string>{"SIDOR", "IVANOV", "petrov", "PETROV"}));
  // NOCASE and DUP: both PETROVs, by record number.
  EXPECT_EQ(inKey(2, Op::NEXT), (std::vector<std::string>{"IVANOV", "petrov", "PETROV", "SIDOR"}));
  EXPECT_EQ(inKey(2, Op::PREVIOUS), (std::vector<std::string>{"SIDOR", "PETROV", "petrov", "IVANOV"}));

  OperationArguments byKey;
  byKey.key = 1;
  Set(file, 2, "");
  ASSERT_EQ(Do(file, Op::GETfilekey, byKey), ErrorCode::Ok);
  EXPECT_EQ(Fam(file), "IVANOV");
  OperationAnswer position;
  ASSERT_EQ(PerformFileOperation(file, Op::POSITIONkey, byKey, position), ErrorCode::Ok);
  EXPECT_EQ(position.position.size(), 8u);
  Set(file, 9, "");
  EXPECT_EQ(Do(file, Op::GETfilekey, byKey), ErrorCode::RecordNotFound);
  OperationArguments reset = byKey;
  reset.position = position.position;
  ASSERT_EQ(Do(file, Op::RESETkey, reset), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::NEXT), ErrorCode::Ok);
  EXPECT_EQ(Fam(file), "IVANOV");
  ASSERT_EQ(Do(file, Op::NEXT), ErrorCode::Ok);
  EXPECT_EQ(Fam(file), "petrov");

  OperationAnswer count;
  ASSERT_EQ(PerformFileOperation(file, Op::RECORDSkey, byKey, count), ErrorCode::Ok);
  EXPECT_EQ(count.number, 4u);
  Set(file, 3, "NEW");  // the current record's own value
  OperationAnswer duplicate;
  ASSERT_EQ(PerformFileOperation(file, Op::DUPLICATEkey, byKey, duplicate), ErrorCode::Ok);
  EXPECT_FALSE(duplicate.flag);
  Set(file, 1, "NEW");  // SIDOR's
  ASSERT_EQ(PerformFileOperation(file, Op::DUPLICATEkey, byKey, duplicate), ErrorCode::Ok);
  EXPECT_TRUE(duplicate.flag);

  // APPEND leaves its record to a BUILD; the key then finds it.
  Set(file, 5, "ADDED");
  ASSERT_EQ(Do(file, Op::APPEND), ErrorCode::Ok);
  Set(file, 5, "");
  EXPECT_EQ(Do(file, Op::GETfilekey, byKey), ErrorCode::RecordNotFound);
  ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);
  ASSERT_EQ(Do(file, Op::BUILDfile), ErrorCode::Ok);  // a closed FILE: the build opens it
  ASSERT_EQ(Open(file), ErrorCode::Ok);
  Set(file, 5, "");
  ASSERT_EQ(Do(file, Op::GETfilekey, byKey), ErrorCode::Ok);
  EXPECT_EQ(Fam(file), "ADDED");
  ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);
}

// A table whose record order and surname order differ, the numbers the
// records got (record order) kept.
class VxrReadingTest : public VxrDriverTest {
 protected:
  void SetUp() override {
    VxrDriverTest::SetUp();
    decl_ = Person();
    file_ = std::make_unique<File>(decl_);
    ASSERT_EQ(Do(*file_, Op::CREATE), ErrorCode::Ok);
    ASSERT_EQ(Open(*file_, AccessMode{0x22}), ErrorCode::Ok);
    for (const auto& [num, fam] : std::vector<std::pair<int, std::string>>{
             {1, "SIDOR"}, {2, "IVANOV"}, {3, "PETROV"}, {4, "ANTON"}, {5, "KOZLOV"}}) {
      Set(*file_, num, fam);
      ASSERT_EQ(Do(*file_, Op::ADD), ErrorCode::Ok);
      numbers_.push_back(Answer(*file_, Op::POINTERfile).number);
    }
  }
  void TearDown() override {
    if (file_->IsOpen()) {
      EXPECT_EQ(Do(*file_, Op::CLOSE), ErrorCode::Ok);
    }
    VxrDriverTest::TearDown();
  }
  static OperationArguments Pointer(std::uint64_t pointer) {
    OperationArguments a;
    a.pointer = pointer;
    return a;
  }
  static OperationArguments KeyNumbered(std::size_t key) {
    OperationArguments a;
    a.key = key;
    return a;
  }
  bool Flag(Op op) {
    OperationAnswer answer;
    EXPECT_EQ(PerformFileOperation(*file_, op, {}, answer), ErrorCode::Ok);
    return answer.flag;
  }
  ErrorCode SkipBy(std::int64_t count) {
    OperationArguments a;
    a.count = count;
    return Do(*file_, Op::SKIP, a);
  }
  std::string Read(Op op) {
    if (Do(*file_, op) != ErrorCode::Ok) return "(" + std::to_string(static_cast<int>(RuntimeErrorState().Code())) + ")";
    return Fam(*file_);
  }

  FileDeclaration decl_;
  std::unique_ptr<File> file_;
  std::vector<std::uint64_t> numbers_;
};

TEST_F(VxrReadingTest, SkipBofAndEofInRecordOrder) {
  File& f = *file_;
  ASSERT_EQ(Do(f, Op::SETfile), ErrorCode::Ok);
  EXPECT_FALSE(Flag(Op::Eof));
  EXPECT_FALSE(Flag(Op::BOF));  // from the start PREVIOUS reads the last record
  EXPECT_EQ(Read(Op::NEXT), "SIDOR");
  EXPECT_TRUE(Flag(Op::BOF));
  EXPECT_FALSE(Flag(Op::Eof));
  ASSERT_EQ(SkipBy(2), ErrorCode::Ok);  // past IVANOV and PETROV, reading neither
  EXPECT_EQ(Fam(f), "SIDOR");
  EXPECT_EQ(Do(f, Op::PUT), ErrorCode::RecordNotAvailable);  // SKIP leaves no current record
  EXPECT_EQ(Read(Op::NEXT), "ANTON");
  EXPECT_FALSE(Flag(Op::BOF));
  ASSERT_EQ(SkipBy(-2), ErrorCode::Ok);
  EXPECT_EQ(Read(Op::PREVIOUS), "SIDOR");
  ASSERT_EQ(SkipBy(0), ErrorCode::Ok);
  EXPECT_EQ(Read(Op::NEXT), "IVANOV");
  EXPECT_EQ(SkipBy(3), ErrorCode::Ok);
  EXPECT_TRUE(Flag(Op::Eof));  // standing on KOZLOV, the last
  EXPECT_EQ(SkipBy(1), ErrorCode::RecordNotAvailable);
  EXPECT_EQ(Do(f, Op::Eof), ErrorCode::RecordNotAvailable);  // the failed SKIP lost the position

  // A loop on EOF reads every record once.
  std::vector<std::string> seen;
  ASSERT_EQ(Do(f, Op::SETfile), ErrorCode::Ok);
  while (!Flag(Op::Eof)) seen.push_back(Read(Op::NEXT));
  EXPECT_EQ(seen, (std::vector<std::string>{"SIDOR", "IVANOV", "PETROV", "ANTON", "KOZLOV"}));
  ASSERT_EQ(Do(f, Op::SETfile), ErrorCode::Ok);
  EXPECT_EQ(SkipBy(std::numeric_limits<std::int64_t>::min()), ErrorCode::RecordNotAvailable);
  EXPECT_EQ(Answer(f, Op::BYTES).number, f.Record().Size());
  EXPECT_EQ(Do(f, Op::NOMEMO), ErrorCode::Ok);
}

TEST_F(VxrReadingTest, SkipBofAndEofInKeyOrder) {
  File& f = *file_;
  ASSERT_EQ(Do(f, Op::SETkey, KeyNumbered(2)), ErrorCode::Ok);
  EXPECT_EQ(Read(Op::NEXT), "ANTON");
  EXPECT_TRUE(Flag(Op::BOF));
  ASSERT_EQ(SkipBy(2), ErrorCode::Ok);  // IVANOV, KOZLOV
  EXPECT_EQ(Read(Op::NEXT), "PETROV");
  EXPECT_FALSE(Flag(Op::Eof));
  EXPECT_EQ(Read(Op::NEXT), "SIDOR");
  EXPECT_TRUE(Flag(Op::Eof));
  EXPECT_EQ(Read(Op::PREVIOUS), "PETROV");
  ASSERT_EQ(SkipBy(-3), ErrorCode::Ok);
  EXPECT_TRUE(Flag(Op::BOF));  // on ANTON
  EXPECT_EQ(SkipBy(-1), ErrorCode::RecordNotAvailable);
}

TEST_F(VxrReadingTest, PositionsByPointerAndByKeyInRecordOrder) {
  File& f = *file_;
  struct Case {
    const char* what;
    Op set;
    std::uint64_t pointer;
    std::string fam;  // in the record buffer, for SETfilekey
    std::string next, previous;
  };
  const std::uint64_t third = numbers_[2];
  const Case cases[] = {
      {"pointer of a record", Op::SETfileptr, third, "", "PETROV", "PETROV"},
      {"pointer past every record", Op::SETfileptr, 0xFFFFFFFFu, "", "(33)", "KOZLOV"},
      {"pointer 0", Op::SETfileptr, 0, "", "SIDOR", "(33)"},
      {"key value present", Op::SETfilekey, 0, "IVANOV", "IVANOV", "IVANOV"},
      {"key value between", Op::SETfilekey, 0, "J", "KOZLOV", "KOZLOV"},
      {"key value above all", Op::SETfilekey, 0, "ZZZ", "(33)", "KOZLOV"},
  };
  for (const Case& c : cases) {
    for (const Op direction : {Op::NEXT, Op::PREVIOUS}) {
      OperationArguments a = Pointer(c.pointer);
      a.key = 2;
      Set(f, 0, c.fam);
      ASSERT_EQ(Do(f, c.set, a), ErrorCode::Ok) << c.what;
      EXPECT_EQ(Read(direction), direction == Op::NEXT ? c.next : c.previous) << c.what;
    }
  }
  // Record order goes on from there.
  ASSERT_EQ(Do(f, Op::SETfileptr, Pointer(third)), ErrorCode::Ok);
  EXPECT_EQ(Read(Op::NEXT), "PETROV");
  EXPECT_EQ(Read(Op::NEXT), "ANTON");
  EXPECT_EQ(Do(f, Op::SETfileptr, Pointer(std::uint64_t{1} << 32)), ErrorCode::RecordNotFound);
  EXPECT_EQ(Answer(f, Op::RECORDSfile).number, 5u);
}

TEST_F(VxrReadingTest, PutByPointerKeepsTheKeys) {
  File& f = *file_;
  OperationArguments byName = KeyNumbered(2);
  Set(f, 2, "IVANOF");
  ASSERT_EQ(Do(f, Op::PUTfileptr, Pointer(numbers_[1])), ErrorCode::Ok);
  ASSERT_EQ(Do(f, Op::GETfilekey, byName), ErrorCode::Ok);  // found under the new surname
  EXPECT_EQ(Answer(f, Op::POINTERfile).number, numbers_[1]);
  Set(f, 0, "IVANOV");
  EXPECT_EQ(Do(f, Op::GETfilekey, byName), ErrorCode::RecordNotFound);  // the old entry went

  Set(f, 1, "X");  // SIDOR's number on IVANOF's record
  EXPECT_EQ(Do(f, Op::PUTfileptr, Pointer(numbers_[1])), ErrorCode::CreatesDuplicateKey);
  EXPECT_EQ(Do(f, Op::PUTfileptr, Pointer(numbers_.back() + 10)), ErrorCode::RecordNotFound);
  EXPECT_EQ(Do(f, Op::PUTfileptr, Pointer(0)), ErrorCode::RecordNotFound);
  EXPECT_EQ(ReadAll(f), (std::vector<std::string>{"SIDOR", "IVANOF", "PETROV", "ANTON", "KOZLOV"}));
}

TEST_F(VxrReadingTest, SavedStatesPutBackThePositionAndItsFlags) {
  File& f = *file_;
  ASSERT_EQ(Do(f, Op::SETkey, KeyNumbered(2)), ErrorCode::Ok);
  EXPECT_EQ(Read(Op::NEXT), "ANTON");
  EXPECT_EQ(Read(Op::NEXT), "IVANOV");
  const std::uint64_t saved = Answer(f, Op::GETSTATE).number;
  ASSERT_EQ(Do(f, Op::SETfile), ErrorCode::Ok);  // another order, then lost altogether
  while (Do(f, Op::NEXT) == ErrorCode::Ok) {
  }
  ASSERT_EQ(Do(f, Op::STREAM), ErrorCode::Ok);
  ASSERT_EQ(f.State() & (kCurrentRecord | kPositioned), 0);

  OperationArguments restore;
  restore.state = saved;
  ASSERT_EQ(Do(f, Op::RESTORESTATE, restore), ErrorCode::Ok);
  EXPECT_EQ(f.State() & (kCurrentRecord | kPositioned), kCurrentRecord | kPositioned);
  EXPECT_NE(f.State() & kStreaming, 0);  // what the state does not hold stays as it is
  EXPECT_EQ(Answer(f, Op::POINTERfile).number, numbers_[1]);
  EXPECT_EQ(Read(Op::NEXT), "KOZLOV");  // in key order from IVANOV
  ASSERT_EQ(Do(f, Op::RESTORESTATE, restore), ErrorCode::Ok);  // kept until freed
  EXPECT_EQ(Read(Op::NEXT), "KOZLOV");
  ASSERT_EQ(Do(f, Op::FREESTATE, restore), ErrorCode::Ok);
  EXPECT_EQ(Do(f, Op::RESTORESTATE, restore), ErrorCode::RecordNotFound);

  const std::uint64_t again = Answer(f, Op::GETSTATE).number;
  EXPECT_NE(again, saved);
  ASSERT_EQ(Do(f, Op::CLOSE), ErrorCode::Ok);
  ASSERT_EQ(Open(f), ErrorCode::Ok);
  restore.state = again;
  EXPECT_EQ(Do(f, Op::RESTORESTATE, restore), ErrorCode::RecordNotFound);  // gone with the close
}

TEST_F(VxrReadingTest, PropertiesOfTheFileAndItsKeys) {
  File& f = *file_;
  auto property = [&](Op op, std::size_t key, std::string text) {
    OperationArguments a;
    a.key = key;
    a.text = std::move(text);
    OperationAnswer answer;
    const ErrorCode code = PerformFileOperation(f, op, a, answer);
    return Failed(code) ? "(" + std::to_string(static_cast<int>(code)) + ")" : answer.text;
  };
  struct Case {
    Op op;
    std::size_t key;
    std::string text, answer;
  };
  const Case cases[] = {
      {Op::GET_PROPERTY, 0, "FLAGS", "0"},
      {Op::SET_PROPERTY, 0, "FLAGS=5", "5"},
      {Op::GET_PROPERTY, 0, "FLAGS=9", "5"},  // reading sets nothing
      {Op::GET_PROPERTY, 0, "FULLBUILD", "OFF"},
      {Op::GET_PROPERTY, 0, "NOSUCH", ""},
      {Op::GET_PROPERTY, 0, "PNM=A", "UNNAMED"},
      {Op::GETPROPERTYkey, 1, "NAME", "NUM_KEY"},
      {Op::GETPROPERTYkey, 1, "label", "PER:num_key"},
      {Op::GETPROPERTYkey, 1, "PRIMARY", "1"},
      {Op::GETPROPERTYkey, 1, "DUP", "0"},
      {Op::GETPROPERTYkey, 2, "DUP", "1"},
      {Op::GETPROPERTYkey, 2, "NOCASE", "1"},
      {Op::GETPROPERTYkey, 2, "OPT", "0"},
      {Op::GETPROPERTYkey, 2, "COMPONENTS", "1"},
      {Op::GETPROPERTYkey, 2, "BUILT", "1"},
      {Op::GETPROPERTYkey, 2, "NOSUCH", ""},
      {Op::SETPROPERTYkey, 2, "DUP=0", "1"},  // no key property can be changed
      {Op::GETPROPERTYkey, 2, "DUP", "1"},
      {Op::GETPROPERTYkey, 3, "NAME", "(38)"},
  };
  for (const Case& c : cases) EXPECT_EQ(property(c.op, c.key, c.text), c.answer) << c.text;
}

// PACK counts the records and builds every key anew, and leaves a file
// that checks sound; a closed FILE is opened for it.
TEST_F(VxrReadingTest, PackMakesKeysAndCountsWhole) {
  File& f = *file_;
  ASSERT_EQ(Do(f, Op::STREAM), ErrorCode::Ok);
  for (int i = 6; i <= 300; ++i) {
    Set(f, i, "N" + std::to_string(i % 37));
    ASSERT_EQ(Do(f, i % 3 == 0 ? Op::APPEND : Op::ADD), ErrorCode::Ok);
    if (i % 7 == 0) {
      ASSERT_EQ(Do(f, Op::DELETE), ErrorCode::Ok);
    }
  }
  ASSERT_EQ(Do(f, Op::FLUSH), ErrorCode::Ok);
  OperationArguments byNumber = KeyNumbered(1);
  Set(f, 9, "");
  EXPECT_EQ(Do(f, Op::GETfilekey, byNumber), ErrorCode::RecordNotFound);  // appended: not in the key yet
  EXPECT_EQ(Do(f, Op::NEXT), ErrorCode::RecordNotAvailable);
  ASSERT_EQ(Do(f, Op::SETfile), ErrorCode::Ok);
  ASSERT_EQ(Do(f, Op::NEXT), ErrorCode::Ok);
  ASSERT_EQ(Do(f, Op::PACK), ErrorCode::Ok);
  EXPECT_EQ(Do(f, Op::PUT), ErrorCode::RecordNotAvailable);  // PACK leaves no current record, no position
  EXPECT_EQ(Do(f, Op::NEXT), ErrorCode::RecordNotAvailable);

  const std::uint64_t records = Answer(f, Op::RECORDSfile).number;
  EXPECT_EQ(records, 5u + 295u - 42u);
  OperationAnswer count;
  for (std::size_t key : {1u, 2u}) {
    ASSERT_EQ(PerformFileOperation(f, Op::RECORDSkey, KeyNumbered(key), count), ErrorCode::Ok);
    EXPECT_EQ(count.number, records) << key;
  }
  Set(f, 9, "");
  ASSERT_EQ(Do(f, Op::GETfilekey, byNumber), ErrorCode::Ok);
  EXPECT_EQ(Fam(f), "N9");
  ASSERT_EQ(Do(f, Op::CLOSE), ErrorCode::Ok);
  ASSERT_EQ(Do(f, Op::PACK), ErrorCode::Ok);  // closed: opened for it and closed again
  EXPECT_FALSE(f.IsOpen());
  const VxrCheckReport report = CheckVxrPath(Path());
  for (const VxrFinding& finding : report.findings) ADD_FAILURE() << finding.location << ": " << finding.text;
  EXPECT_TRUE(report.Sound());

  ASSERT_EQ(Open(f, kReadWrite), ErrorCode::Ok);  // others may write: PACK needs them kept out
  EXPECT_EQ(Do(f, Op::PACK), ErrorCode::ExclusiveAccessRequired);
}

// A BUILD given progress events reports its percent while state B refuses
// what the events try on the FILE; a cancel or a CLOSE from an event stops
// it, leaving the keys as they were written last.
TEST_F(VxrReadingTest, BuildWithProgressEvents) {
  File& f = *file_;
  auto appendSome = [&](int from) {
    for (int i = from; i < from + 40; ++i) {
      Set(f, i, "A" + std::to_string(i));
      ASSERT_EQ(Do(f, Op::APPEND), ErrorCode::Ok);
    }
  };
  auto built = [&](std::size_t key) {
    OperationArguments a = KeyNumbered(key);
    a.text = "BUILT";
    OperationAnswer answer;
    EXPECT_EQ(PerformFileOperation(f, Op::GETPROPERTYkey, a, answer), ErrorCode::Ok);
    return answer.text == "1";
  };
  appendSome(100);
  ASSERT_FALSE(built(1));

  std::vector<int> percents;
  std::vector<ErrorCode> meanwhile;
  OperationArguments build;
  build.progress = [&](int percent) {
    percents.push_back(percent);
    if (percents.size() == 1) {
      EXPECT_NE(f.State() & kBuildRunning, 0);
      meanwhile.push_back(Do(f, Op::RECORDSfile));
      meanwhile.push_back(Do(f, Op::ADD));
      OperationArguments flags;
      flags.text = "FLAGS";
      meanwhile.push_back(Do(f, Op::GET_PROPERTY, flags));
    }
    return true;
  };
  ASSERT_EQ(Do(f, Op::BUILDfile, build), ErrorCode::Ok);
  EXPECT_EQ(meanwhile, (std::vector<ErrorCode>{ErrorCode::BuildInProgress, ErrorCode::BuildInProgress, ErrorCode::Ok}));
  ASSERT_FALSE(percents.empty());
  EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
  EXPECT_EQ(percents.back(), 100);
  EXPECT_EQ(f.State() & kBuildRunning, 0);
  EXPECT_TRUE(built(1) && built(2));

  // Cancelled: nothing of the build was written, the keys stay to be built;
  // what streaming had put off before the build is kept.
  appendSome(200);
  ASSERT_EQ(Do(f, Op::STREAM), ErrorCode::Ok);
  Set(f, 300, "STREAM");
  ASSERT_EQ(Do(f, Op::ADD), ErrorCode::Ok);
  build.progress = [](int percent) { return percent < 30; };
  EXPECT_EQ(Do(f, Op::BUILDfile, build), ErrorCode::BuildCancelled);
  ASSERT_EQ(Do(f, Op::FLUSH), ErrorCode::Ok);
  const std::string before = Bytes();
  EXPECT_EQ(ReadAll(f).back(), "STREAM");
  EXPECT_FALSE(built(1));
  Set(f, 210, "");
  EXPECT_EQ(Do(f, Op::GETfilekey, KeyNumbered(1)), ErrorCode::RecordNotFound);

  // Closed from an event: the build stops and the FILE is closed.
  build.progress = [&](int) { return Do(f, Op::CLOSE) == ErrorCode::Ok; };
  EXPECT_EQ(Do(f, Op::BUILDkey, [&] { OperationArguments a = build; a.key = 1; return a; }()), ErrorCode::BuildCancelled);
  EXPECT_FALSE(f.IsOpen());
  EXPECT_EQ(Do(f, Op::NEXT), ErrorCode::FileNotOpen);
  EXPECT_EQ(Bytes(), before);

  ASSERT_EQ(Open(f, AccessMode{0x22}), ErrorCode::Ok);
  ASSERT_EQ(Do(f, Op::BUILDfile), ErrorCode::Ok);  // without events it goes to the end
  EXPECT_TRUE(built(1) && built(2));
  Set(f, 210, "");
  ASSERT_EQ(Do(f, Op::GETfilekey, KeyNumbered(1)), ErrorCode::Ok);
  EXPECT_EQ(Fam(f), "A210");
  EXPECT_TRUE(CheckVxrPath(Path()).Sound());
}

// A dynamic key is built for the FILE from the records as they are, kept
// until it closes, and never written to the file.
TEST_F(VxrDriverTest, DynamicKeysAreBuiltOnDemand) {
  const FileDeclaration decl = Declare(kPersonFields, kDynamicKeys);
  File f(decl);
  ASSERT_EQ(Do(f, Op::CREATE), ErrorCode::Ok);
  ASSERT_EQ(Open(f, AccessMode{0x22}), ErrorCode::Ok);
  for (const auto& [num, fam] : std::vector<std::pair<int, std::string>>{
           {1, "SIDOR"}, {2, "IVANOV"}, {3, "PETROV"}, {4, "ANTON"}, {5, ""}}) {
    Set(f, num, fam);
    ASSERT_EQ(Do(f, Op::ADD), ErrorCode::Ok);
  }
  OperationArguments dynamic;
  dynamic.key = 3;
  auto walk = [&] {
    std::vector<std::string> out;
    EXPECT_EQ(Do(f, Op::SETkey, dynamic), ErrorCode::Ok);
    while (Do(f, Op::NEXT) == ErrorCode::Ok) out.push_back(Fam(f));
    return out;
  };
  EXPECT_EQ(Do(f, Op::SETkey, dynamic), ErrorCode::KeyFileMustBeRebuilt);
  EXPECT_EQ(Do(f, Op::RECORDSkey, dynamic), ErrorCode::KeyFileMustBeRebuilt);
  const std::string before = Bytes();
  ASSERT_EQ(Do(f, Op::BUILDdyn, dynamic), ErrorCode::Ok);
  EXPECT_EQ(Bytes(), before);
  EXPECT_EQ(f.State() & kKeyBuilt, 0);  // on the FILE, K would say inside a view
  EXPECT_EQ(walk(), (std::vector<std::string>{"SIDOR", "PETROV", "IVANOV", "ANTON"}));  // descending, OPT
  OperationAnswer count;
  ASSERT_EQ(PerformFileOperation(f, Op::RECORDSkey, dynamic, count), ErrorCode::Ok);
  EXPECT_EQ(count.number, 4u);
  Set(f, 0, "petrov");
  ASSERT_EQ(Do(f, Op::GETfilekey, dynamic), ErrorCode::Ok);  // NOCASE
  EXPECT_EQ(PER.NUM.Get(f.Record()), 3);

  // With a filter: only the records it lets through, the buffer kept; a
  // filter that does not compile builds nothing.
  FilterBindings& bindings = CurrentBindings();
  bindings.Push();
  bindings.BindRecord("PER", f.Record());
  OperationArguments filtered = dynamic;
  filtered.text = "PER:NUM >= 2 AND PER:NUM <= 4";
  Set(f, 9, "KEPT");
  ASSERT_EQ(Do(f, Op::BUILDdynfilter, filtered), ErrorCode::Ok);
  EXPECT_EQ(Fam(f), "KEPT");
  EXPECT_EQ(walk(), (std::vector<std::string>{"PETROV", "IVANOV", "ANTON"}));
  filtered.text = "PER:NUM >=";
  EXPECT_EQ(Do(f, Op::BUILDdynfilter, filtered), ErrorCode::InvalidExpression);
  filtered.text = "PER:NUMBER = 1";
  EXPECT_EQ(Do(f, Op::BUILDdynfilter, filtered), ErrorCode::NoBindOnVariable);
  EXPECT_EQ(bindings.Pop(), ErrorCode::Ok);
  ASSERT_EQ(Do(f, Op::BUILDdyn, dynamic), ErrorCode::Ok);

  // Changes since the build do not reach it; a deleted record is passed over.
  OperationArguments byName;
  byName.key = 2;
  Set(f, 0, "IVANOV");
  ASSERT_EQ(Do(f, Op::GETfilekey, byName), ErrorCode::Ok);
  ASSERT_EQ(Do(f, Op::DELETE), ErrorCode::Ok);
  Set(f, 6, "BORIS");
  ASSERT_EQ(Do(f, Op::ADD), ErrorCode::Ok);
  EXPECT_EQ(walk(), (std::vector<std::string>{"SIDOR", "PETROV", "ANTON"}));
  ASSERT_EQ(Do(f, Op::BUILDdyn, dynamic), ErrorCode::Ok);
  EXPECT_EQ(walk(), (std::vector<std::string>{"SIDOR", "PETROV", "BORIS", "ANTON"}));

  // A value twice in a key without DUP: the key stays as it was built.
  Set(f, 7, "sidor");
  ASSERT_EQ(Do(f, Op::ADD), ErrorCode::Ok);
  EXPECT_EQ(Do(f, Op::BUILDdyn, dynamic), ErrorCode::CreatesDuplicateKey);
  EXPECT_EQ(walk(), (std::vector<std::string>{"SIDOR", "PETROV", "BORIS", "ANTON"}));
  OperationArguments stored;
  stored.key = 1;
  EXPECT_EQ(Do(f, Op::BUILDdyn, stored), ErrorCode::InvalidKeyFile);

  ASSERT_EQ(Do(f, Op::CLOSE), ErrorCode::Ok);
  ASSERT_EQ(Open(f), ErrorCode::Ok);
  EXPECT_EQ(Do(f, Op::SETkey, dynamic), ErrorCode::KeyFileMustBeRebuilt);  // gone with the close
  ASSERT_EQ(Do(f, Op::CLOSE), ErrorCode::Ok);
  const VxrCheckReport report = CheckVxrPath(Path());
  for (const VxrFinding& finding : report.findings) ADD_FAILURE() << finding.location << ": " << finding.text;
}

// A PACK that meets a failed write at any point leaves a file that opens,
// checks sound and holds every record.
TEST_F(VxrDriverTest, FailedPackAtEveryWriteLeavesASoundFile) {
  const FileDeclaration decl = Person();
  {
    File file(decl);
    ASSERT_EQ(Do(file, Op::CREATE), ErrorCode::Ok);
    ASSERT_EQ(Open(file, AccessMode{0x22}), ErrorCode::Ok);
    ASSERT_EQ(Do(file, Op::STREAM), ErrorCode::Ok);
    for (int i = 1; i <= 60; ++i) {
      Set(file, i, "N" + std::to_string(i % 9));
      ASSERT_EQ(Do(file, i > 40 ? Op::APPEND : Op::ADD), ErrorCode::Ok);
    }
    ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);
  }
  const std::string saved = Bytes();
  for (const VxrFinding& f : CheckVxrPath(Path()).findings) ADD_FAILURE() << "appended: " << f.location << ": " << f.text;
  for (std::uint64_t failAt = 1;; ++failAt) {
    std::ofstream(Path(), std::ios::binary | std::ios::trunc) << saved;
    FaultyFileSystem faulty;
    faulty.plan.failWrite = failAt;
    faulty.plan.shortWriteBytes = 5;
    ErrorCode packed;
    {
      ScopedFileSystem use(faulty);
      File file(decl);
      ASSERT_EQ(Open(file, AccessMode{0x22}), ErrorCode::Ok);
      packed = Do(file, Op::PACK);
      (void)Do(file, Op::CLOSE);
    }
    const bool failed = faulty.WritesSeen() >= failAt;
    EXPECT_EQ(Failed(packed), failed) << failAt;

    File check(decl);
    ASSERT_EQ(Open(check), ErrorCode::Ok) << failAt;
    EXPECT_EQ(ReadAll(check).size(), 60u) << failAt;
    ASSERT_EQ(Do(check, Op::CLOSE), ErrorCode::Ok);
    const VxrCheckReport report = CheckVxrPath(Path());
    for (const VxrFinding& f : report.findings) ADD_FAILURE() << failAt << " " << f.location << ": " << f.text;
    if (!failed) break;
  }
}

TEST(VxrFileName, SplitsTableAndAddsTheExtension) {
  struct Case {
    std::string name, path, table;
  };
  const Case cases[] = {
      {"NBASA", "NBASA.VXR", "UNNAMED"},
      {"data/ARC.DAT\\!Y2", "data/ARC.DAT", "Y2"},
      {"../dir.x/NBASA", "../dir.x/NBASA.VXR", "UNNAMED"},
      {"A\\!B\\!C", "A.VXR", "B\\!C"},
  };
  for (const Case& c : cases) {
    const VxrName n = SplitVxrName(c.name);
    EXPECT_EQ(n.path, c.path) << c.name;
    EXPECT_EQ(n.table, c.table) << c.name;
  }
}

}  // namespace
}  // namespace zelvo

namespace zelvo {
namespace {

// Two folders' files of one relative name, the working directory changed
// between the opens while the first stays open: each FILE reads its own.
TEST(VxrOpenFiles, ARelativeNameIsTheFileOfTheWorkingDirectory) {
  const TemporaryFolder folder;
  const fs::path& root = folder.Path();
  fs::create_directories(root / "a");
  fs::create_directories(root / "b");
  const fs::path before = fs::current_path();
  constexpr FileDeclaration kDeclared{.label = "PER", .driver = Driver::Vxr, .name = "PER",
                                      .attributes = kFileCreate, .fields = kPersonFields,
                                      .keys = kPersonKeys};
  OperationArguments open;
  open.mode = AccessMode{0x42};
  File first(kDeclared);
  fs::current_path(root / "a");
  ASSERT_EQ(PerformFileOperation(first, Op::CREATE), ErrorCode::Ok);
  ASSERT_EQ(PerformFileOperation(first, Op::OPEN, open), ErrorCode::Ok);
  (void)PER.NUM.Set(first.Record(), 1);
  ASSERT_EQ(PerformFileOperation(first, Op::ADD), ErrorCode::Ok);

  File second(kDeclared);
  fs::current_path(root / "b");
  ASSERT_EQ(PerformFileOperation(second, Op::CREATE), ErrorCode::Ok);
  ASSERT_EQ(PerformFileOperation(second, Op::OPEN, open), ErrorCode::Ok);
  OperationAnswer count;
  EXPECT_EQ(PerformFileOperation(second, Op::RECORDSfile, {}, count), ErrorCode::Ok);
  EXPECT_EQ(count.number, 0u);
  EXPECT_EQ(PerformFileOperation(first, Op::RECORDSfile, {}, count), ErrorCode::Ok);
  EXPECT_EQ(count.number, 1u);
  EXPECT_EQ(PerformFileOperation(second, Op::CLOSE), ErrorCode::Ok);
  EXPECT_EQ(PerformFileOperation(first, Op::CLOSE), ErrorCode::Ok);
  fs::current_path(before);
}

}  // namespace
}  // namespace zelvo
