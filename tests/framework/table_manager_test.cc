#include "framework/table_manager.h"

#include <gtest/gtest.h>

#include "framework/relation_set.h"
#include "framework_test_support.h"
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
    RegisterFileDriver(Driver::Quillset, &driver_);
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
    RegisterFileDriver(Driver::Quillset, nullptr);
  }

  TemporaryFolder folder_;
  ScriptedVxrDriver driver_;
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

}  // namespace
}  // namespace zelvo
