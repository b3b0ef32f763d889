#include "framework/browse/browse_list.h"

#include <gtest/gtest.h>

#include "browse_fixture.h"

namespace zelvo {
namespace {

using namespace testing_support;
using List = std::vector<std::string>;

class BrowseListTest : public BrowseFixture {
 protected:
  // The name of the person the form changes, and what it becomes.
  std::uint8_t Rename(const std::string& to) {
    (void)PER.NAME.Set(Person(), to);
    return people_.UpdateWithChildren(false) == LevelOk ? kCompleted : kCancelled;
  }
};

TEST_F(BrowseListTest, AnEmptyViewShowsNoRowsAndOffersOnlyInsert) {
  form_ = [&](RecordAction request) {
    EXPECT_EQ(request, RecordAction::Insert);
    (void)PER.NAME.Set(Person(), "Adams");
    return People().AddRecord() == LevelOk ? kCompleted : kCancelled;
  };
  Start();
  EXPECT_EQ(Names(), List{});
  EXPECT_EQ(Selected(), 0);
  EXPECT_FALSE(View(change_).enabled);
  EXPECT_FALSE(View(delete_).enabled);
  EXPECT_TRUE(View(insert_).enabled);
  Key("Insert");
  EXPECT_EQ(Names(), List{"Adams"});
  EXPECT_EQ(Selected(), 1);
  EXPECT_TRUE(View(change_).enabled);
}

TEST_F(BrowseListTest, FewerRecordsThanRowsShowsThemAll) {
  AddNumbered(3);
  Start();
  EXPECT_EQ(Names(), (List{"P0001", "P0002", "P0003"}));
  EXPECT_EQ(Selected(), 1);
}

TEST_F(BrowseListTest, ALocatorJumpNearTheEndFillsThePageFromAbove) {
  AddNumbered(10);
  configure_ = [](PeopleBrowse& p) { p.browse.AddLocator(std::make_unique<EntryFieldLocator>(0)); };
  Start();
  for (const char* key : {"P", "0", "0", "0", "9"}) Key(key);
  EXPECT_EQ(Names(), (List{"P0006", "P0007", "P0008", "P0009", "P0010"}));
  EXPECT_EQ(SelectedName(), "P0009");
}

TEST_F(BrowseListTest, AChangedRecordThatSortsElsewhereStaysOnItsRow) {
  AddNumbered(20);
  form_ = [&](RecordAction) { return Rename("P0015A"); };
  Start();
  for (int i = 0; i < 4; ++i) Key("Down");
  ASSERT_EQ(SelectedName(), "P0005");
  Press(change_);
  EXPECT_EQ(Names(), (List{"P0012", "P0013", "P0014", "P0015", "P0015A"}));
  EXPECT_EQ(Selected(), 5);
  // At the start of the data it comes as near to its row as the data allows.
  form_ = [&](RecordAction) { return Rename("A"); };
  Press(change_);
  EXPECT_EQ(Names(), (List{"A", "P0001", "P0002", "P0003", "P0004"}));
  EXPECT_EQ(Selected(), 1);
}

TEST_F(BrowseListTest, DeletingRefillsFromTheSameTopRow) {
  AddNumbered(7);
  form_ = [&](RecordAction request) {
    EXPECT_EQ(request, RecordAction::Delete);
    return people_.DeleteWithChildren(false) == LevelOk ? kCompleted : kCancelled;
  };
  Start();
  Key("Down");
  Key("Down");
  Press(delete_);
  EXPECT_EQ(Names(), (List{"P0001", "P0002", "P0004", "P0005", "P0006"}));
  EXPECT_EQ(Selected(), 3);
  // The last record deleted: the selection goes to the new last row.
  Key("Ctrl+End");
  ASSERT_EQ(SelectedName(), "P0007");
  Press(delete_);
  EXPECT_EQ(Names(), (List{"P0001", "P0002", "P0004", "P0005", "P0006"}));
  EXPECT_EQ(Selected(), 5);
}

TEST_F(BrowseListTest, PagingDownAtTheEndStopsOnTheLastRecord) {
  AddNumbered(7);
  Start();
  Key("PageDown");
  EXPECT_EQ(Names(), (List{"P0003", "P0004", "P0005", "P0006", "P0007"}));
  EXPECT_EQ(SelectedName(), "P0006") << "moved by the three rows there were none for";
  Key("PageDown");
  EXPECT_EQ(SelectedName(), "P0007");
  Key("PageUp");
  EXPECT_EQ(Names(), (List{"P0001", "P0002", "P0003", "P0004", "P0005"}));
  EXPECT_EQ(SelectedName(), "P0002") << "moved by the three rows there were none for";
}

}  // namespace
}  // namespace zelvo
