#include "framework/browse/view_reader.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/framework/browse/browse_test_support.h"
#include "framework/browse/view_filter_text.h"

namespace zelvo {
namespace {

using namespace testing_support;

using ViewReaderTest = ReaderFixture;

TEST_F(ViewReaderTest, ReadsItsKeyOrderBothWaysAndKeepsToTheRange) {
  Add("Lee", "SALES");
  Add("adams", "SALES");
  Add("Baker", "STORE");
  Add("Cole", "SALES");
  reader_.AddSortOrder(kNameKey);
  EXPECT_EQ(Names(), (std::vector<std::string>{"adams", "Baker", "Cole", "Lee"}));
  EXPECT_EQ(Names(false), (std::vector<std::string>{"Lee", "Cole", "Baker", "adams"}));

  reader_.AddSortOrder(kDeptKey);
  departmentTable_.manager.Buffer().Clear();
  (void)DEP.CODE.Set(departmentTable_.manager.Buffer(), "SALES");
  reader_.AddRangeLimit(departments_, people_);
  EXPECT_EQ(Names(), (std::vector<std::string>{"adams", "Cole", "Lee"}));
  EXPECT_EQ(reader_.FreeComponentName(), "UPPER(PER:NAME)");
  EXPECT_EQ(reader_.FreeComponentPosition(), 2u);
}

TEST_F(ViewReaderTest, PositionsAtTheBufferValuesOfTheLeadingComponents) {
  AddNumbered(30);
  reader_.AddSortOrder(kNameKey);
  Person().Clear();
  (void)PER.NAME.Set(Person(), "P0017");
  ASSERT_TRUE(reader_.PositionView(1));
  ASSERT_EQ(reader_.ReadForward(), LevelOk);
  EXPECT_EQ(Name(), "P0017");
  ASSERT_EQ(reader_.ReadBackward(), LevelOk);
  EXPECT_EQ(Name(), "P0016");
}

// The filter the view is given for each kind of range, with the named filters.
struct FilterCase {
  const char* title;
  LimitType type;
  std::vector<const char*> limits;
  std::vector<std::pair<const char*, const char*>> filters;  // id, text
  const char* expected;
};

class ViewFilterTest : public ViewReaderTest, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(ViewFilterTest, CombinesRangeAndNamedFilters) {
  const FilterCase& c = GetParam();
  reader_.AddSortOrder(kDeptKey);
  // The limit values live in department records, one per limit.
  std::vector<RecordBuffer> values;
  values.reserve(c.limits.size());
  std::vector<LinkedFieldPairs::Side> sides;
  for (const char* limit : c.limits) {
    values.emplace_back(kDepartmentFields);
    (void)DEP.CODE.Set(values.back(), limit);
    sides.push_back({&values.back(), &kDepartmentFields[0]});
  }
  reader_.SetRangeLimit(c.type, sides);
  for (const auto& [id, text] : c.filters) reader_.SetNamedFilter(text, id);
  reader_.EnsureViewOpen();
  EXPECT_EQ(Filter(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ViewFilterTest,
    ::testing::Values(
        FilterCase{"NoRange", LimitType::None, {}, {}, ""},
        FilterCase{"QuoteDoubled", LimitType::SingleValue, {"O'Neil"}, {},
                   "UPPER(PER:DEPT) = UPPER('O''Neil')"},
        FilterCase{"TwoComponents", LimitType::SingleValue, {"SALES", "Lee"}, {},
                   "UPPER(PER:DEPT) = UPPER('SALES') AND UPPER(PER:NAME) = UPPER('Lee')"},
        FilterCase{"PairBoundsTheNextComponent", LimitType::Pair, {"SALES", "A", "M"}, {},
                   "UPPER(PER:DEPT) = UPPER('SALES') AND UPPER(PER:NAME) >= UPPER('A') AND "
                   "UPPER(PER:NAME) <= UPPER('M')"},
        FilterCase{"FiltersInIdOrder",
                   LimitType::SingleValue,
                   {"SALES"},
                   {{kQueryFilter, "PER:AGE < 60"}, {kStandardFilter, "PER:AGE > 20"},
                    {kLocatorFilter, "SUB(UPPER(PER:NAME),1,1) = 'L'"}},
                   "UPPER(PER:DEPT) = UPPER('SALES') AND (SUB(UPPER(PER:NAME),1,1) = 'L') AND "
                   "(PER:AGE > 20) AND (PER:AGE < 60)"}),
    [](const ::testing::TestParamInfo<FilterCase>& c) { return std::string(c.param.title); });

TEST_F(ViewReaderTest, ARangeValueWithAQuoteFindsItsRecords) {
  Add("Lee", "O'NEIL");
  Add("Cole", "SALES");
  reader_.AddSortOrder(kDeptKey);
  RecordBuffer limit(kDepartmentFields);
  (void)DEP.CODE.Set(limit, "o'neil");
  const LinkedFieldPairs::Side side{&limit, &kDepartmentFields[0]};
  reader_.SetRangeLimit(LimitType::SingleValue, {&side, 1});
  EXPECT_EQ(Names(), (std::vector<std::string>{"Lee"}));
}

TEST_F(ViewReaderTest, PrimingForInsertPutsTheRangeIntoTheNewRecord) {
  Add("Lee", "SALES", 44);
  reader_.AddSortOrder(kDeptKey);
  RecordBuffer limit(kDepartmentFields);
  (void)DEP.CODE.Set(limit, "STORE");
  const LinkedFieldPairs::Side side{&limit, &kDepartmentFields[0]};
  reader_.SetRangeLimit(LimitType::SingleValue, {&side, 1});
  ASSERT_EQ(reader_.PrimeForInsert(false), LevelOk);
  EXPECT_EQ(PER.DEPT.Clipped(Person()), "STORE");
  EXPECT_EQ(Name(), "");
  EXPECT_EQ(PER.AGE.Get(Person()), 0);
  EXPECT_EQ(PER.ID.Get(Person()), 2) << "the next number is reserved";
}

TEST_F(ViewReaderTest, AFilterThatDoesNotCompileReportsARetrievalError) {
  Add("Lee");
  reader_.AddSortOrder(kNameKey);
  reader_.SetStandardFilter("PER:NAME = ");
  ASSERT_TRUE(reader_.PositionAtStart());
  EXPECT_EQ(reader_.ReadForward(), LevelFatal);
  ASSERT_EQ(box_.shown.size(), 1u);
  EXPECT_EQ(box_.shown[0].caption, "Record Retrieval Error");
}

// A reader whose JudgeRecord ends the range at the first person over 40 and
// passes over those under 20.
class AgeReader final : public ViewReader {
 public:
  explicit AgeReader(const RecordBuffer& person) : person_(person) {}
  Judgement JudgeRecord() override {
    const auto age = PER.AGE.Get(person_);
    return age > 40 ? Judgement::Stop : age < 20 ? Judgement::Skip : Judgement::Take;
  }

 private:
  const RecordBuffer& person_;
};

TEST_F(ViewReaderTest, JudgeRecordSkipsAndStops) {
  Add("A", "", 30);
  Add("B", "", 10);
  Add("C", "", 35);
  Add("D", "", 50);
  Add("E", "", 30);
  AgeReader reader(Person());
  reader.InitReader(view_, people_);
  reader.AddSortOrder(kNameKey);
  ASSERT_TRUE(reader.PositionAtStart());
  std::vector<std::string> names;
  while (reader.ReadForward() == LevelOk) names.push_back(Name());
  EXPECT_EQ(names, (std::vector<std::string>{"A", "C"}));
  reader.KillReader();
}

TEST_F(ViewReaderTest, OrdersCanBeExtendedReplacedAndChosen) {
  EXPECT_EQ(reader_.AddSortOrder(kNameKey), 1u);
  EXPECT_EQ(reader_.CurrentOrder().order, "PER:NAME,PER:ID");
  EXPECT_EQ(reader_.AddSortOrder(kDeptKey), 2u);
  reader_.ExtendOrder("-PER:AGE");
  EXPECT_EQ(reader_.CurrentOrder().order, "PER:DEPT,PER:NAME,PER:ID,-PER:AGE");
  reader_.ExtendOrder("*PER:AGE");
  EXPECT_EQ(reader_.CurrentOrder().order, "PER:AGE");
  EXPECT_EQ(reader_.FreeComponentPosition(), 0u) << "the order no longer names DEPT";
  EXPECT_TRUE(reader_.SelectSort(0));
  EXPECT_EQ(reader_.CurrentOrderNumber(), 1u);
  EXPECT_FALSE(reader_.SelectSort(1));
}

}  // namespace
}  // namespace zelvo
