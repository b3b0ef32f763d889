#include "framework/browse/locator.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/framework/browse/browse_test_support.h"

namespace zelvo {
namespace {

using namespace testing_support;

class LocatorTest : public ReaderFixture {
 protected:
  LocatorTest() {
    reader_.AddSortOrder(kNameKey);
    reader_.SetStandardFilter("PER:AGE > 20");
  }

  bool Type(Locator& locator, unsigned char c, KeyCode code = 0) {
    Event key{.number = EventNumber::AlertKey, .key = code, .character = c};
    return locator.TakeKey(key);
  }
  // The first name at the free element, as the browse positions after a key.
  std::string Located() {
    EXPECT_TRUE(reader_.PositionView(reader_.FreeComponentPosition()));
    return reader_.ReadForward() == LevelOk ? Name() : "(none)";
  }
};

TEST_F(LocatorTest, ANarrowingLocatorFiltersOnTheTypedBeginningOrAnywhere) {
  Add("Abbot");
  Add("Cabot");
  Add("abel");
  Add("Adams");
  for (bool floatRight : {false, true}) {
    NarrowingLocator locator(0, floatRight);
    locator.Attach(reader_, nullptr);
    ASSERT_TRUE(Type(locator, 'a'));
    ASSERT_TRUE(Type(locator, 'b'));
    EXPECT_EQ(locator.Shadow(), "ab");
    EXPECT_EQ(Filter(), floatRight ? "(INSTRING('AB',UPPER(PER:NAME),1,1) <> 0) AND (PER:AGE > 20)"
                                   : "(SUB(UPPER(PER:NAME),1,2) = 'AB') AND (PER:AGE > 20)");
    const std::vector<std::string> narrowed = {"Abbot", "abel"}, anywhere = {"Abbot", "abel", "Cabot"};
    EXPECT_EQ(Names(), floatRight ? anywhere : narrowed);
    ASSERT_TRUE(Type(locator, 0, kBackspace));
    ASSERT_TRUE(Type(locator, 0, kBackspace));
    EXPECT_FALSE(Type(locator, 0, kBackspace)) << "nothing left to take back";
    EXPECT_EQ(Filter(), "(PER:AGE > 20)");
  }
}

TEST_F(LocatorTest, ATypedQuoteIsAQuoteOfTheFilterText) {
  Add("O'Hara");
  Add("Olsen");
  NarrowingLocator locator(0, false);
  locator.Attach(reader_, nullptr);
  for (unsigned char c : std::string("o'h")) ASSERT_TRUE(Type(locator, c));
  EXPECT_EQ(Filter(), "(SUB(UPPER(PER:NAME),1,3) = 'O''H') AND (PER:AGE > 20)");
  EXPECT_EQ(Located(), "O'Hara");
}

TEST_F(LocatorTest, AJumpAndAnEntryLocatorMoveToTheFirstNameAtOrAfterTheText) {
  for (const char* name : {"Baker", "Carter", "Cole", "Dale"}) Add(name);
  JumpLocator jump;
  jump.Attach(reader_, nullptr);
  ASSERT_TRUE(Type(jump, 'c'));
  EXPECT_EQ(Located(), "Carter");
  EXPECT_FALSE(Type(jump, 0, kDown)) << "not a printable key";

  EntryFieldLocator entry(0);
  entry.Attach(reader_, nullptr);
  for (unsigned char c : std::string("cp")) ASSERT_TRUE(Type(entry, c));
  EXPECT_EQ(Located(), "Dale");
  entry.TakeAccepted("co   ");
  EXPECT_EQ(entry.Shadow(), "co");
  EXPECT_EQ(Located(), "Cole");
  EXPECT_EQ(Filter(), "(PER:AGE > 20)") << "an entry locator never filters";
}

TEST_F(LocatorTest, TypingStopsAtThirtyNineCharacters) {
  EntryFieldLocator entry(0);
  entry.Attach(reader_, nullptr);
  for (int i = 0; i < 39; ++i) ASSERT_TRUE(Type(entry, 'x'));
  EXPECT_FALSE(Type(entry, 'x'));
  EXPECT_EQ(entry.Shadow().size(), 39u);
  EXPECT_EQ(PER.NAME.Clipped(Person()), std::string(20, 'X')) << "cut to the field, upper-cased";
}

}  // namespace
}  // namespace zelvo
