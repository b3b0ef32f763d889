#include "storage/vxr_driver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "storage/declare_fields.h"
#include "storage/error_state.h"
#include "storage/faulty_file_system.h"
#include "storage/file_operations.h"
#include "storage/vxr_file_name.h"

namespace zelvo {
namespace {

namespace fs = std::filesystem;
using Op = FileOperation;
using std::string_literals::operator""s;

#define TEST_PERSON_FIELDS(FIELD) FIELD(NUM, Long()) FIELD(FAM, String(6)) FIELD(NOTE, CString(5))
ZELVO_DECLARE_FIELDS(Person, PER, TEST_PERSON_FIELDS);
#define TEST_OTHER_FIELDS(FIELD) FIELD(NUM, Long()) FIELD(FAM, String(7))
ZELVO_DECLARE_FIELDS(Other, OTH, TEST_OTHER_FIELDS);
#define TEST_RENAMED_FIELDS(FIELD) FIELD(NOMER, Long()) FIELD(FAMILY, String(6)) FIELD(REM, CString(5))
ZELVO_DECLARE_FIELDS(Renamed, REN, TEST_RENAMED_FIELDS);

constexpr KeyDeclaration kPersonKeys[] = {{"NUM_KEY", "PER:num_key", kKeyPrimary | kKeyOpt, {{"NUM"}}},
                                          {"FAM_KEY", "", kKeyDup | kKeyNoCase, {{"FAM"}}}};
constexpr KeyDeclaration kRenamedKeys[] = {{"N_KEY", "", kKeyPrimary | kKeyOpt, {{"NOMER"}}},
                                           {"F_KEY", "", kKeyDup | kKeyNoCase, {{"FAMILY"}}}};

constexpr AccessMode kReadWrite{0x42};
constexpr AccessMode kReadOnly{0x40};

class VxrDriverTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(testing::TempDir()) /
           ("vxr_driver_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    name_ = (dir_ / "NBASA").string();
  }
  void TearDown() override {
    fs::remove_all(dir_);
  }

  FileDeclaration Declare(std::span<const FieldDeclaration> fields, std::span<const KeyDeclaration> keys,
                          std::uint8_t attributes = kFileCreate, std::string_view suffix = {}) {
    names_.push_back(name_ + std::string(suffix));
    return {.label = "PER", .driver = Driver::Quillset, .name = names_.back(), .attributes = attributes,
            .fields = fields, .keys = keys};
  }
  FileDeclaration Person(std::uint8_t attributes = kFileCreate, std::string_view suffix = {}) {
    return Declare(kPersonFields, kPersonKeys, attributes, suffix);
  }

  static ErrorCode Do(File& file, Op op, OperationArguments args = {}) { return PerformFileOperation(file, op, args); }
  static ErrorCode Open(File& file, AccessMode mode = kReadWrite) {
    OperationArguments args;
    args.mode = mode;
    return PerformFileOperation(file, Op::OPEN, args);
  }
  static std::string Send(File& file, std::string word) {
    OperationArguments args;
    args.text = std::move(word);
    OperationAnswer answer;
    EXPECT_EQ(PerformFileOperation(file, Op::SEND, args, answer), ErrorCode::Ok) << args.text;
    return answer.text;
  }
  static std::uint64_t Number(File& file, Op op) {
    OperationAnswer answer;
    EXPECT_EQ(PerformFileOperation(file, op, {}, answer), ErrorCode::Ok);
    return answer.number;
  }
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

  fs::path dir_;
  std::string name_;
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
  EXPECT_EQ(Number(file, Op::RECORDSfile), 3u);
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
  EXPECT_EQ(Number(file, Op::RECORDSfile), 2u);

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
    numbers.push_back(Number(a, Op::POINTERfile));
    ASSERT_EQ(Do(b, Op::ADD), ErrorCode::Ok);
    numbers.push_back(Number(b, Op::POINTERfile));
  }
  for (std::size_t i = 1; i < numbers.size(); ++i) EXPECT_GT(numbers[i], numbers[i - 1]);
  ASSERT_EQ(Do(b, Op::DELETE), ErrorCode::Ok);  // the last one
  ASSERT_EQ(Do(b, Op::ADD), ErrorCode::Ok);
  EXPECT_GT(Number(b, Op::POINTERfile), numbers.back());
  EXPECT_EQ(Number(a, Op::RECORDSfile), 3u);
  EXPECT_EQ(Number(b, Op::RECORDSfile), 3u);
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
  EXPECT_EQ(Number(file, Op::RECORDSfile), 1u);
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
    SetFileSystem(&faulty);
    File file(decl);
    ASSERT_EQ(Open(file), ErrorCode::Ok);
    Set(file, 99, "LAST");
    const ErrorCode added = Do(file, Op::ADD);
    ASSERT_EQ(Do(file, Op::CLOSE), ErrorCode::Ok);
    SetFileSystem(nullptr);
    const bool failed = faulty.WritesSeen() >= failAt;
    EXPECT_EQ(Failed(added), failed) << failAt;

    File check(decl);
    ASSERT_EQ(Open(check), ErrorCode::Ok) << failAt;
    const std::size_t records = ReadAll(check).size();
    EXPECT_TRUE(records == 30 || records == 31) << failAt;
    EXPECT_EQ(Number(check, Op::RECORDSfile), records) << failAt;
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
  EXPECT_EQ(Number(file, Op::RECORDSfile), 0u);
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
