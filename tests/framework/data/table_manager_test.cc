#include "framework/data/table_manager.h"

#include <gtest/gtest.h>

#include "framework/data/relation_set.h"
#include "tests/framework/data/framework_test_support.h"
#include "tests/testing/scoped_file_driver.h"
#include "storage/declare_fields.h"
#include "storage/field_handle.h"
#include "storage/file_operations.h"

namespace zelvo {
namespace {

using Op = FileOperation;
using namespace testing_support;

// A numbered table: (DEPT, NO) numbered within the department.
#define ZELVO_NUMBERED_FIELDS(FIELD) \
  FIELD(DEPT, Decimal(3, 0))         \
  FIELD(NO, Decimal(5, 0))           \
  FIELD(NAME, String(10))
ZELVO_DECLARE_FIELDS(Numbered, NUMB, ZELVO_NUMBERED_FIELDS);
constexpr KeyDeclaration kNumberedKeys[] = {
    {"NO_KEY", "NUMB:no_key", kKeyPrimary, {{"DEPT"}, {"NO"}}},
    {"NAME_KEY", "NUMB:name_key", kKeyOpt | kKeyNoCase, {{"NAME"}}},
};

class TableManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reporter_.InitDefault();
    path_ = folder_.File("NUMB");
    declaration_ = FileDeclaration{.label = "NUMB", .name = path_, .fields = kNumberedFields,
                                   .keys = kNumberedKeys};
    file_ = std::make_unique<File>(declaration_);
    manager_.InitTable(*file_, reporter_);
    manager_.fileNameValue_ = "numb";
    manager_.AddKey(1, "NUMB:no_key", 2, true);
    manager_.AddKey(2, "NUMB:name_key");
  }
  void TearDown() override {
    if (file_->IsOpen()) (void)PerformFileOperation(*file_, Op::CLOSE);
    manager_.KillTable();
  }

  TemporaryFolder folder_;
  ScriptedVxrDriver driver_;
  ScopedFileDriver registered_{Driver::Vxr, driver_};
  RecordingBox box_;
  RecordingReporter reporter_{box_};
  std::string path_;
  FileDeclaration declaration_;
  std::unique_ptr<File> file_;
  TableManager manager_;
};

TEST_F(TableManagerTest, LazyTableOpensOnFirstUseAndClosesOnLastClose) {
  ASSERT_EQ(manager_.OpenTable(), LevelOk);
  ASSERT_EQ(manager_.OpenTable(), LevelOk);
  EXPECT_EQ(driver_.Count(Op::OPEN), 0u);
  EXPECT_EQ(manager_.TryReadNext(), LevelNotify);  // created, opened, nothing to read
  EXPECT_EQ(driver_.Count(Op::CREATE), 1u);
  EXPECT_TRUE(file_->IsOpen());
  (void)manager_.CloseTable();
  EXPECT_TRUE(file_->IsOpen());
  (void)manager_.CloseTable();
  EXPECT_FALSE(file_->IsOpen());
  EXPECT_TRUE(box_.shown.empty());
}

TEST_F(TableManagerTest, UseOfANeverOpenedTableEndsTheProgram) {
  EXPECT_EQ(manager_.ReadNext(), LevelFatal);
  ASSERT_FALSE(box_.shown.empty());
  EXPECT_EQ(box_.shown[0].caption, "File Usage Error");
  EXPECT_EQ(reporter_.halts, 1);
}

TEST_F(TableManagerTest, RefusedOpenSendsRecoverOnceThenReadOnlyThenFails) {
  driver_.script[Op::OPEN] = {ErrorCode::AccessDenied, ErrorCode::AccessDenied, ErrorCode::AccessDenied};
  ASSERT_EQ(manager_.OpenTable(), LevelOk);
  EXPECT_EQ(manager_.ReadNext(), LevelFatal);
  EXPECT_EQ(driver_.Count(Op::OPEN), 3u);
  EXPECT_EQ(driver_.sends, std::vector<std::string>{"Recover=10"});
  ASSERT_EQ(box_.shown.size(), 3u);
  EXPECT_EQ(box_.shown[0].text, "Could not get write access to numb so trying read-only.");
  EXPECT_EQ(box_.shown[1].caption, "File Access Error");
  EXPECT_EQ(reporter_.halts, 1);
}

TEST_F(TableManagerTest, NumbersWithinTheLeadingComponentAndReportsDuplicates) {
  ASSERT_EQ(manager_.OpenTable(), LevelOk);
  const int depts[] = {1, 1, 2, 1};
  std::vector<int> numbers;
  for (int dept : depts) {
    manager_.Buffer().Clear();
    (void)NUMB.DEPT.Set(manager_.Buffer(), Decimal(dept));
    (void)NUMB.NAME.Set(manager_.Buffer(), "n" + std::to_string(numbers.size()));
    ASSERT_EQ(manager_.PrimeNewRecord(true), LevelOk);
    numbers.push_back(NUMB.NO.Get(manager_.Buffer()).ToInt32());
    ASSERT_EQ(manager_.AddRecord(), LevelOk);
  }
  EXPECT_EQ(numbers, (std::vector<int>{1, 2, 1, 3}));
  EXPECT_TRUE(box_.shown.empty());
}

TEST_F(TableManagerTest, ChangedByAnotherStationReloadsTheStoredVersion) {
  ASSERT_EQ(manager_.OpenTable(), LevelOk);
  (void)NUMB.NAME.Set(manager_.Buffer(), "stored");
  ASSERT_EQ(manager_.PrimeNewRecord(true), LevelOk);
  ASSERT_EQ(manager_.AddRecord(), LevelOk);
  (void)NUMB.NAME.Set(manager_.Buffer(), "mine");
  driver_.script[Op::PUT] = {ErrorCode::RecordChangedByAnotherStation};
  RelationSet set;
  set.InitRelations(manager_, true);
  EXPECT_EQ(set.UpdateWithChildren(true), LevelNotify);
  EXPECT_EQ(NUMB.NAME.Get(manager_.Buffer()), "stored    ");
  ASSERT_FALSE(box_.shown.empty());
  EXPECT_EQ(box_.shown.back().text.substr(0, 44), "This record was changed by another station. ");
  EXPECT_EQ(driver_.Count(Op::ROLLBACK), 1u);
  EXPECT_EQ(driver_.Count(Op::COMMIT), 0u);
  driver_.script[Op::PUT] = {ErrorCode::RecordChangedByAnotherStation};
  EXPECT_EQ(manager_.UpdateRecord(), LevelNotify);
  EXPECT_EQ(box_.shown.back().text, "This record was changed by another station.");
}

TEST_F(TableManagerTest, AnInvalidKeyIsRebuiltAfterMessage27) {
  ASSERT_EQ(manager_.OpenTable(), LevelOk);
  (void)NUMB.NAME.Set(manager_.Buffer(), "kept");
  ASSERT_EQ(manager_.PrimeNewRecord(true), LevelOk);
  ASSERT_EQ(manager_.AddRecord(), LevelOk);
  (void)manager_.CloseTable();
  ASSERT_FALSE(file_->IsOpen());

  ASSERT_EQ(manager_.OpenTable(), LevelOk);
  driver_.script[Op::OPEN] = {ErrorCode::KeyFileMustBeRebuilt};
  manager_.Buffer().Clear();
  (void)NUMB.DEPT.Set(manager_.Buffer(), Decimal(0));
  (void)NUMB.NO.Set(manager_.Buffer(), Decimal(1));
  EXPECT_EQ(manager_.FetchByKey(1), LevelOk);
  EXPECT_EQ(NUMB.NAME.Get(manager_.Buffer()), "kept      ");
  EXPECT_EQ(driver_.Count(Op::BUILDfile), 1u);
  ASSERT_EQ(box_.shown.size(), 1u);
  EXPECT_EQ(box_.shown[0].caption, "Invalid Key");
  EXPECT_EQ(box_.shown[0].text, "numb key file is invalid. Key must be rebuilt.");
  EXPECT_EQ(reporter_.halts, 0);
  (void)manager_.CloseTable();
}

TEST_F(TableManagerTest, AKeyThatCannotBeRebuiltEndsTheProgramWithMessage26) {
  driver_.script[Op::OPEN] = {ErrorCode::KeyFileMustBeRebuilt};
  driver_.script[Op::BUILDfile] = {ErrorCode::BuildCancelled};
  ASSERT_EQ(manager_.OpenTable(), LevelOk);
  EXPECT_EQ(manager_.TryReadNext(), LevelFatal);
  ASSERT_EQ(box_.shown.size(), 3u);  // 27, 26, and the last box of the halt
  EXPECT_EQ(box_.shown[0].caption, "Invalid Key");
  EXPECT_EQ(box_.shown[1].caption, "Key was not built");
  EXPECT_EQ(box_.shown[1].text,
            "Error: (BUILD Cancelled (93)) repairing key for numb.  Press OK to end this application");
  EXPECT_EQ(reporter_.halts, 1);
  EXPECT_EQ(manager_.LastError(), kMsgKeyNotBuilt);
  EXPECT_EQ(driver_.Count(Op::OPEN), 1u);
}

TEST_F(TableManagerTest, AQuietOpenOnAnInvalidKeyOnlyRecordsMessage27) {
  driver_.script[Op::OPEN] = {ErrorCode::KeyFileMustBeRebuilt};
  EXPECT_EQ(manager_.OpenPhysically(false), LevelNotify);
  EXPECT_EQ(manager_.LastError(), kMsgInvalidKey);
  EXPECT_EQ(driver_.Count(Op::BUILDfile), 0u);
  EXPECT_TRUE(box_.shown.empty());
}

// Two unique keys: the duplicate-key message names the first key, in KEYS
// order, whose value is already stored, whichever record is current.
#define ZELVO_TWO_KEY_FIELDS(FIELD) \
  FIELD(CODE, Decimal(5, 0))        \
  FIELD(NAME, String(10))
ZELVO_DECLARE_FIELDS(TwoKey, TWO, ZELVO_TWO_KEY_FIELDS);
constexpr KeyDeclaration kTwoKeys[] = {
    {"CODE_KEY", "TWO:code_key", kKeyPrimary, {{"CODE"}}},
    {"NAME_KEY", "TWO:name_key", kKeyNoCase, {{"NAME"}}},
};

TEST(DuplicateKeyMessage, NamesTheFirstDuplicatedKeyWhicheverRecordIsCurrent) {
  TemporaryFolder folder;
  ScriptedVxrDriver driver;
  ScopedFileDriver registered(Driver::Vxr, driver);
  RecordingBox box;
  RecordingReporter reporter{box};
  reporter.InitDefault();
  {
    TestTable table{folder, "TWO", kTwoKeyFields, kTwoKeys, reporter};
    TableManager& manager = table.manager;
    ASSERT_EQ(manager.OpenTable(), LevelOk);
    const auto fill = [&](int code, std::string_view name) {
      manager.Buffer().Clear();
      (void)TWO.CODE.Set(manager.Buffer(), Decimal(code));
      (void)TWO.NAME.Set(manager.Buffer(), name);
    };
    fill(1, "x");
    ASSERT_EQ(manager.AddRecord(), LevelOk);
    fill(2, "y");
    ASSERT_EQ(manager.AddRecord(), LevelOk);
    struct Case {
      int current;  // the CODE of the record read before the add
      int code;
      std::string_view name;
      std::string_view key;
    };
    const Case cases[] = {
        {2, 3, "y", "TWO:name_key"},  // the current record holds the name
        {1, 3, "Y", "TWO:name_key"},  // another record holds it, in another case
        {2, 2, "z", "TWO:code_key"},
        {1, 1, "z", "TWO:code_key"},
        {1, 2, "x", "TWO:code_key"},  // both keys; the code comes first
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(c.code);
      fill(c.current, "");
      ASSERT_EQ(manager.FetchByKey(1), LevelOk);
      box.shown.clear();
      fill(c.code, c.name);
      EXPECT_EQ(manager.AddRecord(), LevelNotify);
      EXPECT_EQ(manager.LastError(), kMsgDuplicateKey);
      ASSERT_EQ(box.shown.size(), 1u);
      EXPECT_EQ(box.shown[0].caption, "Duplicate Key Error");
      EXPECT_EQ(box.shown[0].text, "Adding this record creates a duplicate entry for the key: " + std::string(c.key));
    }
    // The quiet form records the message and shows nothing.
    box.shown.clear();
    fill(3, "x");
    EXPECT_EQ(manager.TryAddRecord(), LevelNotify);
    EXPECT_EQ(manager.LastError(), kMsgDuplicateKey);
    EXPECT_TRUE(box.shown.empty());
    OperationAnswer count;
    (void)PerformFileOperation(table.file, Op::RECORDSfile, {}, count);
    EXPECT_EQ(count.number, 2u);
    (void)manager.CloseTable();
  }
}

}  // namespace
}  // namespace zelvo
