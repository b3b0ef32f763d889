#include "framework/data/relation_set.h"

#include <gtest/gtest.h>

#include "tests/framework/data/framework_test_support.h"
#include "tests/testing/scoped_file_driver.h"
#include "runtime/cp1251.h"
#include "storage/declare_fields.h"
#include "storage/file_operations.h"

namespace zelvo {
namespace {

using Op = FileOperation;
using namespace testing_support;

// An order and its lines: LINE:ORDER is ORD:ID, reached by LINE:ORDER_KEY.
#define ZELVO_ORDER_FIELDS(FIELD) \
  FIELD(ID, Decimal(5, 0))        \
  FIELD(NAME, String(10))
ZELVO_DECLARE_FIELDS(Order, ORD, ZELVO_ORDER_FIELDS);
constexpr KeyDeclaration kOrderKeys[] = {{"ID_KEY", "ORD:id_key", kKeyPrimary, {{"ID"}}}};

#define ZELVO_LINE_FIELDS(FIELD) \
  FIELD(ORDER, Decimal(5, 0))    \
  FIELD(NO, Decimal(3, 0))
ZELVO_DECLARE_FIELDS(Line, LINE, ZELVO_LINE_FIELDS);
constexpr KeyDeclaration kLineKeys[] = {{"ORDER_KEY", "LINE:order_key", kKeyDup | kKeyOpt | kKeyNoCase, {{"ORDER"}, {"NO"}}}};

class RelationSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reporter_.InitDefault();
    orders_.InitRelations(orderTable_.manager, true);
    lines_.InitRelations(lineTable_.manager, true);
    orders_.DefineRelation(lines_, RelationMode::None, RelationMode::Cascade, 1);
    orders_.DefineLink(0, 0);
    lines_.DefineRelation(orders_);
  }
  TableManager& Orders() { return orderTable_.manager; }
  TableManager& Lines() { return lineTable_.manager; }

  void AddOrder(int id, int lineCount) {
    Orders().Buffer().Clear();
    ASSERT_EQ(ORD.ID.Set(Orders().Buffer(), Decimal(id)), StoreResult::Ok);
    ASSERT_EQ(Orders().AddRecord(), LevelOk);
    for (int no = 1; no <= lineCount; ++no) {
      Lines().Buffer().Clear();
      ASSERT_EQ(LINE.ORDER.Set(Lines().Buffer(), Decimal(id)), StoreResult::Ok);
      ASSERT_EQ(LINE.NO.Set(Lines().Buffer(), Decimal(no)), StoreResult::Ok);
      ASSERT_EQ(Lines().AddRecord(), LevelOk);
    }
  }
  static std::uint64_t Records(TableManager& table) {
    OperationAnswer answer;
    (void)PerformFileOperation(table.file(), Op::RECORDSfile, {}, answer);
    return answer.number;
  }
  void FetchOrder(int id) {
    Orders().Buffer().Clear();
    ASSERT_EQ(ORD.ID.Set(Orders().Buffer(), Decimal(id)), StoreResult::Ok);
    ASSERT_EQ(Orders().FetchByKey(1), LevelOk);
  }

  TemporaryFolder folder_;
  ScriptedVxrDriver driver_;
  ScopedFileDriver registered_{Driver::Vxr, driver_};
  RecordingBox box_;
  RecordingReporter reporter_{box_};
  TestTable orderTable_{folder_, "ORD", kOrderFields, kOrderKeys, reporter_};
  TestTable lineTable_{folder_, "LINE", kLineFields, kLineKeys, reporter_};
  RelationSet orders_;
  RelationSet lines_;
};

TEST_F(RelationSetTest, ADeclinedConfirmationDeletesNothing) {
  ASSERT_EQ(orders_.OpenAll(), LevelOk);
  AddOrder(1, 2);
  AddOrder(2, 1);
  FetchOrder(1);
  box_.answers = {kButtonNo};
  EXPECT_EQ(orders_.DeleteWithChildren(true), LevelNotify);
  ASSERT_EQ(box_.shown.size(), 1u);
  EXPECT_EQ(box_.shown[0].caption, Cp1251Literal("Удаление записи"));
  EXPECT_EQ(box_.shown[0].text, Cp1251Literal("Вы уверены, что хотите удалить эту запись?"));
  EXPECT_EQ(driver_.Count(Op::DELETE), 0u);
  EXPECT_EQ(driver_.Count(Op::LOGOUT), 0u);
  EXPECT_EQ(Records(Orders()), 2u);
  EXPECT_EQ(Records(Lines()), 3u);

  // Confirmed, the order goes with its own lines only.
  box_.answers = {kButtonYes};
  EXPECT_EQ(orders_.DeleteWithChildren(true), LevelOk);
  EXPECT_EQ(Records(Orders()), 1u);
  EXPECT_EQ(Records(Lines()), 1u);
  orders_.CloseAll();
}

TEST_F(RelationSetTest, RelationsInACycleAreWalkedOnceEach) {
  // A third table that names the order back, and the order names it: two cycles.
  TestTable noteTable{folder_, "NOTE", kOrderFields, kOrderKeys, reporter_};
  RelationSet notes;
  notes.InitRelations(noteTable.manager, true);
  lines_.DefineRelation(notes);
  notes.DefineRelation(orders_);
  notes.DefineRelation(lines_);
  orders_.DefineRelation(notes);

  ASSERT_EQ(orders_.OpenAll(), LevelOk);
  for (TableManager* table : {&Orders(), &Lines(), &noteTable.manager}) EXPECT_EQ(table->Info().opened, 1u);
  lines_.SwitchQuickScan(true, 3);
  EXPECT_EQ(driver_.sends, std::vector<std::string>(3, "QUICKSCAN=on"));
  // Each walk is a pass of its own: a second one opens every table again.
  ASSERT_EQ(notes.OpenAll(), LevelOk);
  for (TableManager* table : {&Orders(), &Lines(), &noteTable.manager}) EXPECT_EQ(table->Info().opened, 2u);
  notes.CloseAll();
  EXPECT_TRUE(Orders().file().IsOpen());
  lines_.CloseAll();
  for (TableManager* table : {&Orders(), &Lines(), &noteTable.manager}) {
    EXPECT_EQ(table->Info().opened, 0u);
    EXPECT_FALSE(table->file().IsOpen());
  }
  // The two tables whose sets were opened at the top were used; the lines never.
  EXPECT_EQ(driver_.Count(Op::CLOSE), 2u);
}

TEST_F(RelationSetTest, QuickScanReachesChildrenOrParentsByScope) {
  ASSERT_EQ(orders_.OpenAll(), LevelOk);
  struct Case {
    RelationSet* from;
    int scope;
    std::size_t sends;
  };
  const Case cases[] = {{&orders_, 0, 1}, {&orders_, 1, 2}, {&orders_, 2, 1},
                        {&lines_, 1, 1},  {&lines_, 2, 2},  {&lines_, 5, 2}};
  for (const Case& c : cases) {
    driver_.sends.clear();
    c.from->SwitchQuickScan(false, c.scope);
    EXPECT_EQ(driver_.sends, std::vector<std::string>(c.sends, "QUICKSCAN=off")) << c.scope;
  }
  orders_.CloseAll();
}

}  // namespace
}  // namespace zelvo
