#include "core/program_variables.h"

#include <gtest/gtest.h>

namespace zelvo {
namespace {

TEST(ProgramVariables, EveryVariableIsBoundByNameWithItsType) {
  struct Case {
    std::string_view name;
    FieldType type;
    std::uint16_t size;
  };
  const Case cases[] = {
      {"dat", FieldType::Date, 0},       {"datN", FieldType::Date, 0},
      {"numG", FieldType::Decimal, 5},   {"uchastokg", FieldType::String, 21},
      {"adresG", FieldType::String, 50}, {"kodreg", FieldType::String, 2},
      {"kodrai", FieldType::String, 3},  {"kodtow", FieldType::String, 3},
      {"kodnas", FieldType::String, 3},  {"num1", FieldType::Decimal, 5},
      {"num2", FieldType::Decimal, 5},   {"num3", FieldType::Decimal, 5},
      {"num4", FieldType::Decimal, 5},
  };
  ASSERT_EQ(BoundVariableDeclarations().size(), std::size(cases));
  for (const Case& c : cases) {
    const std::optional<BoundVariable> bound = FindBoundVariable(c.name);
    ASSERT_TRUE(bound) << c.name;
    EXPECT_EQ(bound->name, c.name);
    EXPECT_EQ(bound->declaration->type, c.type);
    EXPECT_EQ(bound->declaration->size, c.size);
    EXPECT_EQ(bound->declaration->places, 0);
  }
  EXPECT_FALSE(FindBoundVariable("datX"));
  EXPECT_FALSE(FindBoundVariable(""));
}

TEST(ProgramVariables, TheBoundAddressIsTheVariablesStorage) {
  RecordBuffer& variables = ProgramVariables();
  ASSERT_EQ(VAR.numG.Set(variables, Decimal(1234)), StoreResult::Ok);
  ASSERT_EQ(VAR.kodreg.Set(variables, "77"), StoreResult::Ok);
  // Expressions write names in any case.
  const std::optional<BoundVariable> numG = FindBoundVariable("NUMG");
  ASSERT_TRUE(numG);
  EXPECT_EQ(ReadDecimal(*numG->declaration, numG->address), Decimal(1234));
  const std::optional<BoundVariable> kodreg = FindBoundVariable("KodReg");
  ASSERT_TRUE(kodreg);
  EXPECT_EQ(ReadText(*kodreg->declaration, kodreg->address), "77");
  // A section name of 21 characters fits; one of 22 is refused.
  EXPECT_EQ(VAR.uchastokg.Set(variables, std::string(21, 'x')), StoreResult::Ok);
  EXPECT_EQ(VAR.uchastokg.Set(variables, std::string(22, 'y')), StoreResult::Overflow);
  EXPECT_EQ(VAR.uchastokg.Get(variables), std::string(21, 'x'));
  variables.Clear();
}

}  // namespace
}  // namespace zelvo
