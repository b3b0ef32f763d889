#include "core/field_hooks.h"

#include <gtest/gtest.h>

#include "core/dictionary.h"
#include "runtime/cp1251.h"

namespace zelvo {
namespace {

TEST(InWrappedList, FindsOnlyWholeWrappedValues) {
  struct Case {
    std::string_view value, list;
    bool found;
  };
  const Case cases[] = {
      {"2", "]0[]1[]2[]3[", true},
      {"0", "]0[]1[]2[]3[", true},
      {"4", "]0[]1[]2[]3[", false},
      {"2", "]12[", false},      // "]2[" is not in "]12["
      {"1", "]12[", false},
      {"12", "]12[", true},
      {"", "]0[]1[", false},     // "][" never occurs in a wrapped list
      {"0[]1", "]0[]1[", false}, // a value holding brackets could straddle two entries
      {"]", "]][", false},
      {"муж.", "]жен.[]муж.[", true},
      {"муж", "]жен.[]муж.[", false},
      {"уж.", "]жен.[]муж.[", false},
  };
  for (const Case& c : cases) EXPECT_EQ(InWrappedList(c.value, c.list), c.found) << c.value << " in " << c.list;
}

TEST(FieldRules, EachRuleBelongsToItsFieldNumber) {
  ASSERT_NE(RuleForField(kBasaTable, 8), nullptr);
  EXPECT_EQ(RuleForField(kBasaTable, 8)->messageField, "BAS:aliment");
  EXPECT_EQ(RuleForField(kBasaTable, 8)->listText, "'0','1','2','3'");
  ASSERT_NE(RuleForField(kBasaTable, 49), nullptr);
  EXPECT_EQ(RuleForField(kBasaTable, 49)->messageField, "BAS:pol");
  EXPECT_EQ(RuleForField(kBasaTable, 49)->listText, "'жен.','муж.'");
  ASSERT_NE(RuleForField(kKonstTable, 1), nullptr);
  EXPECT_EQ(RuleForField(kKonstTable, 1)->messageField, "KON:nom");
  for (std::size_t field : {0u, 1u, 7u, 9u, 48u, 50u, 52u})
    EXPECT_EQ(RuleForField(kBasaTable, field), nullptr) << field;
  EXPECT_EQ(RuleForField(kKonstTable, 2), nullptr);
  EXPECT_EQ(RuleForField(kNbasaTable, 8), nullptr);
}

TEST(FieldRules, AlimentCodeMustBeZeroToThree) {
  const FieldRule& rule = *RuleForField(kBasaTable, BAS.ALIMENT.Number());
  RecordBuffer employee(kBasaTable);
  for (int code = 0; code <= 12; ++code) {
    ASSERT_EQ(BAS.ALIMENT.Set(employee, code), StoreResult::Ok);
    EXPECT_EQ(PassesFieldRule(kBasaTable, rule, employee), code <= 3) << code;
  }
}

TEST(FieldRules, SexIsClippedBeforeTheTest) {
  const FieldRule& rule = *RuleForField(kBasaTable, BAS.POL.Number());
  struct Case {
    const char* utf8;
    bool passes;
  };
  const Case cases[] = {{"муж.", true}, {"жен.", true}, {"муж", false}, {"жен", false},
                        {"", false},    {"М", false},   {"ж", false}};
  RecordBuffer employee(kBasaTable);
  for (const Case& c : cases) {
    ASSERT_EQ(BAS.POL.Set(employee, Cp1251Literal(c.utf8)), StoreResult::Ok);
    EXPECT_EQ(PassesFieldRule(kBasaTable, rule, employee), c.passes) << c.utf8;
  }
}

TEST(FieldRules, ConstantCodeMustBeZeroToNine) {
  const FieldRule& rule = *RuleForField(kKonstTable, KON.NOM.Number());
  RecordBuffer constant(kKonstTable);
  for (int code = 0; code <= 20; ++code) {
    ASSERT_EQ(KON.NOM.Set(constant, code), StoreResult::Ok);
    EXPECT_EQ(PassesFieldRule(kKonstTable, rule, constant), code <= 9) << code;
  }
}

TEST(FieldDefaults, NewEmployeesAndJobsGetTheirDefaults) {
  RecordBuffer employee(kBasaTable);
  PrimeFieldDefaults(kBasaTable, employee);
  EXPECT_EQ(BAS.KTU.Get(employee), Decimal(1));
  RecordBuffer cleared(kBasaTable);
  ASSERT_EQ(BAS.KTU.Set(cleared, Decimal(1)), StoreResult::Ok);
  EXPECT_EQ(employee, cleared);  // nothing else is touched

  RecordBuffer job(kSdelkaTable);
  PrimeFieldDefaults(kSdelkaTable, job);
  EXPECT_EQ(SDE.P.Get(job), Cp1251Literal("Нет"));

  RecordBuffer pay(kNbasaTable);
  PrimeFieldDefaults(kNbasaTable, pay);
  EXPECT_EQ(pay, RecordBuffer(kNbasaTable));
}

}  // namespace
}  // namespace zelvo
