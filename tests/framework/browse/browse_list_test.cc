#include "framework/browse/browse_list.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/framework/browse/browse_fixture.h"

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

TEST_F(BrowseListTest, DraggingTheThumbGoesToTheEndsOrToTheScalesValue) {
  AddNumbered(30);
  Start();
  Drag(100);
  EXPECT_EQ(Names(), (List{"P0026", "P0027", "P0028", "P0029", "P0030"}));
  EXPECT_EQ(SelectedName(), "P0030");
  Drag(1);
  EXPECT_EQ(Names(), (List{"P0001", "P0002", "P0003", "P0004", "P0005"}));
  EXPECT_EQ(SelectedName(), "P0001");
  // In between: the first name at or after the scale's value for the place.
  LetterScale scale(1 | 4);
  scale.SetScaleLimits("P0001", "P0030");
  const std::string value = *scale.ScaleValue(60);
  std::string expected;
  for (int i = 30; i >= 1; --i) {
    char name[8];
    std::snprintf(name, sizeof name, "P%04d", i);
    if (std::string(name) >= value) expected = name;
  }
  ASSERT_NE(expected, "");
  Drag(60);
  EXPECT_EQ(SelectedName(), expected);
  EXPECT_EQ(Selected(), 1) << "on the row that was selected";
}

TEST_F(BrowseListTest, TypingOnTheListNarrowsItUntilTheTextIsTakenBack) {
  AddNumbered(30);
  Add("Q0001");
  configure_ = [this](PeopleBrowse& p) {
    p.browse.AddLocator(std::make_unique<NarrowingLocator>(find_, false));
    p.browse.SetStandardFilter("PER:AGE > 20");
  };
  Start();
  for (const char* key : {"p", "0", "0", "2"}) Key(key);
  EXPECT_EQ(Names(), (List{"P0020", "P0021", "P0022", "P0023", "P0024"}));
  EXPECT_EQ(Trim(View(find_).shown), "P002");
  // A scroll clears the locator, and the list pages on through every record.
  Key("PageDown");
  EXPECT_EQ(Trim(View(find_).shown), "");
  EXPECT_EQ(Names(), (List{"P0025", "P0026", "P0027", "P0028", "P0029"}));
  Key("Ctrl+End");
  EXPECT_EQ(SelectedName(), "Q0001");
}

TEST_F(BrowseListTest, APickerCancelledLeavesTheCallersRecordAndChosenLeavesTheRecordPicked) {
  AddNumbered(8);
  std::string name;
  auto after = [&] { name = Name(); };
  for (const bool choose : {false, true}) {
    Person().Clear();
    (void)PER.NAME.Set(Person(), "P0004");  // the caller's record: the list opens there
    Start(RecordAction::Select, after);
    EXPECT_EQ(SelectedName(), "P0004");
    EXPECT_TRUE(View(select_).enabled);
    Key("Down");
    Press(choose ? select_ : close_);
    Finish();
    EXPECT_EQ(response_, choose ? kCompleted : kCancelled);
    EXPECT_EQ(name, choose ? "P0005" : "P0004");
    session_.reset();
  }
}

TEST_F(BrowseListTest, NextRecordFromTheFormTwiceOpensItOnEachRecordInTurn) {
  AddNumbered(6);
  std::vector<std::string> seen;
  form_ = [&](RecordAction) {
    seen.push_back(Name());
    // The form's toolbar: "Go to the Next Record" closes it with the request pending.
    if (seen.size() < 3) PendingVcrRequest = static_cast<std::int32_t>(ToolbarButton::NextRecord);
    return kCancelled;
  };
  Start();
  Click(2);
  Press(change_);
  EXPECT_EQ(seen, (List{"P0002", "P0003", "P0004"}));
  EXPECT_EQ(formRequests_, (std::vector<RecordAction>(3, RecordAction::Change)));
  EXPECT_EQ(SelectedName(), "P0004");
}

TEST_F(BrowseListTest, ARightClickOffersTheActionsOfTheRowUnderTheMouse) {
  AddNumbered(4);
  std::vector<std::string> seen;
  form_ = [&](RecordAction) {
    seen.push_back(Name());
    return kCancelled;
  };
  Start();
  Input(Made(UserInput::Kind::RightClickRow, list_, 3));
  Input(Made(UserInput::Kind::PopupChosen, 0, 0, 2));  // &Insert, &Change, &Delete
  EXPECT_EQ(seen, List{"P0003"});
  EXPECT_EQ(formRequests_, std::vector<RecordAction>{RecordAction::Change});
}

TEST_F(BrowseListTest, AnotherTabShowsItsOrderAroundTheSameRecord) {
  Add("Baker", "STORE");
  Add("Adams", "SALES");
  Add("Cole", "ADMIN");
  Add("Dale", "SALES");
  withTabs_ = true;
  Start();
  Click(2);
  ASSERT_EQ(SelectedName(), "Baker");
  EXPECT_EQ(Driver().ChooseTab(Handle(), sheet_, 2), "");
  EXPECT_EQ(Names(), (List{"Cole", "Adams", "Dale", "Baker"}));
  EXPECT_EQ(SelectedName(), "Baker");
}

TEST_F(BrowseListTest, ABrowseHoldingItsWholeResultScrollsWithoutReading) {
  AddNumbered(8);
  configure_ = [](PeopleBrowse& p) { p.browse.fileLoaded = true; };
  Start();
  EXPECT_EQ(Names().size(), 8u);
  Key("PageDown");
  EXPECT_EQ(SelectedName(), "P0006");
  Key("PageDown");
  EXPECT_EQ(SelectedName(), "P0008");
  EXPECT_EQ(Names().size(), 8u);
}

TEST_F(BrowseListTest, ARecordThatCannotBeReadAgainIsNotActedOn) {
  AddNumbered(3);
  Start();
  Click(2);
  driver_.script[FileOperation::REGETkey].push_back(ErrorCode::RecordNotFound);
  Press(change_);
  Answer("Record Retrieval Error", "Ok");
  EXPECT_TRUE(formRequests_.empty()) << "the form did not open";
  EXPECT_TRUE(Open());
  EXPECT_EQ(Names(), (List{"P0001", "P0002", "P0003"}));
}

}  // namespace
}  // namespace zelvo
