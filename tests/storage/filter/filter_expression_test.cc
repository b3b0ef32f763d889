#include "storage/filter/filter_expression.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/date_time.h"
#include "storage/declare_fields.h"
#include "storage/field_codec.h"

namespace zelvo {
namespace {

#define TEST_PAY_FIELDS(FIELD) \
  FIELD(NUM, Decimal(5, 0)) FIELD(DATA, Date()) FIELD(FAM, String(20)) FIELD(K, Long()) FIELD(D, Long().Dim(3))
ZELVO_DECLARE_FIELDS(Pay, PAY, TEST_PAY_FIELDS);
#define TEST_VARIABLE_FIELDS(FIELD) \
  FIELD(dat, Date()) FIELD(numG, Long()) FIELD(kodreg, String(2)) FIELD(code, String(5))
ZELVO_DECLARE_FIELDS(Vars, V, TEST_VARIABLE_FIELDS);

class FixedClock : public Clock {
 public:
  LocalDateTime Now() const override { return {2004, 4, 30, 10, 0, 0, 0}; }
};

class FilterTest : public testing::Test {
 protected:
  FilterTest() : record_(kPayFields), variables_(kVarsFields) {
    SetClock(&clock_);
    record_.Clear();
    variables_.Clear();
    bindings_.BindRecord("NBA", record_);
    for (const FieldDeclaration& f : kVarsFields) bindings_.Bind(f.name, f, variables_.Bytes().data() + f.offset);
    (void)PAY.NUM.Set(record_, 12);
    (void)PAY.DATA.Set(record_, Date(3, 15, 2004));
    (void)PAY.FAM.Set(record_, "Ivanov");
    (void)PAY.D.At(1).Set(record_, 42);
    (void)V.dat.Set(variables_, Date(3, 1, 2004));
    (void)V.numG.Set(variables_, 12);
    (void)V.kodreg.Set(variables_, "7");
    (void)V.code.Set(variables_, "7");
  }
  ~FilterTest() override { SetClock(nullptr); }

  FilterCompilation Compile(std::string_view text) { return FilterExpression::Compile(text, bindings_); }
  std::string Text(std::string_view text) {
    FilterCompilation c = Compile(text);
    EXPECT_TRUE(c.Whole(text)) << text << ": " << c.error.Describe();
    return c.ok() ? std::string(c.expression->Text()) : "<error>";
  }

  FixedClock clock_;
  RecordBuffer record_, variables_;
  FilterBindings bindings_;
};

struct Case {
  const char* text;
  const char* value;  // as text
  ValueClass valueClass;
};

TEST_F(FilterTest, ValuesAndClassesOfTheLanguage) {
  const Case cases[] = {
      {"year(NBA:data)=year(dat) and month(NBA:data)=month(dat)", "1", ValueClass::Integer},
      {"NBA:num=numG", "1", ValueClass::Integer},          // DECIMAL against LONG: as reals
      {"NBA:num", "12", ValueClass::Real},
      {"K3g:kodreg=kodreg", "<unbound>", ValueClass::Integer},
      {"kodreg=code", "1", ValueClass::Integer},           // lengths 2 and 5, blank padded
      {"kodreg<code", "0", ValueClass::Integer},
      {"not 1=2", "1", ValueClass::Integer},               // NOT (1 = 2)
      {"not 1=1 or 1", "1", ValueClass::Integer},
      {"~~1=1", "1", ValueClass::Integer},
      {"1<>2", "1", ValueClass::Integer}, {"1~=1", "0", ValueClass::Integer},
      {"2=<2", "1", ValueClass::Integer}, {"3=>4", "0", ValueClass::Integer},
      {"3~>2", "0", ValueClass::Integer}, {"3~<2", "1", ValueClass::Integer},
      {"1/2", "0.5", ValueClass::Real}, {"-7/2", "-3.5", ValueClass::Real},
      {"2+3*4", "14", ValueClass::Real}, {"(2+3)*4", "20", ValueClass::Real},
      {"-2^2", "4", ValueClass::Real}, {"2^3^2", "64", ValueClass::Real},
      {"7%3", "1", ValueClass::Real}, {"1/0", "0", ValueClass::Real},
      {"10h", "16", ValueClass::Integer}, {"101b", "5", ValueClass::Integer},
      {"17o", "15", ValueClass::Integer}, {"0FFh", "255", ValueClass::Integer},
      {"4294967296", "4294967296", ValueClass::Real}, {".5", "0.5", ValueClass::Real},
      {"1.5e3", "1500", ValueClass::Real},
      {"'It''s'", "It's", ValueClass::String}, {"'a' & 1+1", "a2", ValueClass::String},
      {"0.1+0.2=0.3", "1", ValueClass::Integer},           // equal within the real rule
      {"1 and 0 or 1", "1", ValueClass::Integer}, {"1 xor 1", "0", ValueClass::Integer},
      {"' '", " ", ValueClass::String},
      {"today()=TODAY()", "1", ValueClass::Integer},
      {"age(date(3,1,2004),date(4,30,2004))", "60 DAYS", ValueClass::String},
      {"age(date(3,1,2004),date(5,1,2004))", "2 MOS", ValueClass::String},
      {"age(date(6,15,1980),date(6,14,2005))", "24 YRS", ValueClass::String},
      {"age(date(3,1,2004))", "60 DAYS", ValueClass::String},  // base: today
      {"choose(2,'a','b','c')", "b", ValueClass::String}, {"choose(9,'a','b')", "b", ValueClass::String},
      {"choose(7)", "7", ValueClass::String},
      {"inlist('b','a','b ')", "2", ValueClass::Integer}, {"inlist('x','a')", "0", ValueClass::Integer},
      {"instring('cd','abcdef')", "3", ValueClass::Integer}, {"instring('cd','abcdef',2,1)", "3", ValueClass::Integer},
      {"instring('cd','abcdef',2,2)", "0", ValueClass::Integer},
      {"format(1234.5,@n_9.2b)", "  1234.50", ValueClass::String},
      {"format(NBA:data,@d6.)", "15.03.2004", ValueClass::String},
      {"deformat('1,234.50',@n10.2)", "1234.5", ValueClass::String},
      {"clip(NBA:fam) & '!'", "Ivanov!", ValueClass::String}, {"len(NBA:fam)", "20", ValueClass::Integer},
      {"upper('abc')", "ABC", ValueClass::String}, {"sub('abcdef',2,3)", "bcd", ValueClass::String},
      {"sub('abcdef',-2,2)", "ef", ValueClass::String},
      {"left('  ab',4) & '|'", "ab  |", ValueClass::String}, {"right('ab  ',4)", "  ab", ValueClass::String},
      {"center('ab',6) & '|'", "  ab  |", ValueClass::String}, {"all('ab',5)", "ababa", ValueClass::String},
      {"band(12,10)", "8", ValueClass::Integer}, {"bor(12,10)", "14", ValueClass::Integer},
      {"bxor(12,10)", "6", ValueClass::Integer}, {"bshift(1,4)", "16", ValueClass::Integer},
      {"bshift(16,-4)", "1", ValueClass::Integer}, {"int(-3.7)", "-3", ValueClass::Integer},
      {"round(2.5)", "3", ValueClass::Real}, {"round(1234.567,0.01)", "1234.57", ValueClass::Real},
      {"inrange(5,1,5)", "1", ValueClass::Integer}, {"null(0)", "1", ValueClass::Integer},
      {"numeric(' -12.5 ')", "1", ValueClass::Integer}, {"numeric('12a')", "0", ValueClass::Integer},
      {"val('A')", "65", ValueClass::Integer}, {"chr(66)", "B", ValueClass::String},
      {"match('Ivanov','Iv*')", "1", ValueClass::Integer}, {"match('Ivanov','iv*')", "0", ValueClass::Integer},
      {"match('Ivanov','iv*',1)", "1", ValueClass::Integer}, {"match('a*b','a*b',2)", "1", ValueClass::Integer},
      {"strpos('abcabc','c?b')", "3", ValueClass::Integer}, {"strpos('abc','x')", "0", ValueClass::Integer},
      {"sqrt(-1)", "0", ValueClass::Real}, {"abs(-2)", "2", ValueClass::Real},
      {"NBA:d[2]", "42", ValueClass::Integer}, {"NBA:d[9]", "0", ValueClass::Integer},
      {"NBA:fam[2:4]", "van", ValueClass::String}, {"NBA:fam[1]", "I", ValueClass::String},
      {"date(2,30,2004)=date(3,1,2004)", "1", ValueClass::Integer}, {"day(date(13,1,2004))", "1", ValueClass::Integer},
      // An invalid date is -1, not "no date": a filter can tell the two apart.
      {"date(12,31,1800)", "-1", ValueClass::Integer}, {"date(0,1,2004)", "-1", ValueClass::Integer},
      {"date(1,1,1801)", "4", ValueClass::Integer},
  };
  for (const Case& c : cases) {
    FilterCompilation compiled = Compile(c.text);
    if (std::string(c.value) == "<unbound>") {
      EXPECT_EQ(compiled.error.code, ErrorCode::NoBindOnVariable) << c.text;
      EXPECT_EQ(compiled.error.Describe(), "No BIND on variable (K3g:kodreg)");
      continue;
    }
    ASSERT_TRUE(compiled.Whole(c.text)) << c.text << ": " << compiled.error.Describe();
    EXPECT_EQ(compiled.expression->Text(), c.value) << c.text;
    EXPECT_EQ(compiled.expression->Class(), c.valueClass) << c.text;
  }
}

TEST_F(FilterTest, IntegerFormsTruncateTowardZero) {
  EXPECT_EQ(Compile("1/2").expression->Integer(), 0);
  EXPECT_EQ(Compile("-7/2").expression->Integer(), -3);
  EXPECT_EQ(Compile("'12abc'").expression->Integer(), 12);
  EXPECT_TRUE(Compile("'x  '").expression->Truth());
  EXPECT_FALSE(Compile("'   '").expression->Truth());
  EXPECT_FALSE(Compile("0.0").expression->Truth());
}

TEST_F(FilterTest, VariablesAreReadAtEveryEvaluation) {
  FilterCompilation c = Compile("NBA:num=numG");
  ASSERT_TRUE(c.ok());
  EXPECT_TRUE(c.expression->Truth());
  (void)V.numG.Set(variables_, 13);
  EXPECT_FALSE(c.expression->Truth());
}

TEST_F(FilterTest, CompileStopsBeforeWhatCannotContinue) {
  struct Stop { const char* text; std::size_t end; };
  const Stop stops[] = {{"a1", 2}, {"1 2", 2}, {"1=1, x", 3}, {"(1) )", 4}, {"1 : 2", 2}, {"1 ~ 2", 2}};
  for (const Stop& s : stops) {
    bindings_.Bind("a1", kVarsFields[1], variables_.Bytes().data());
    FilterCompilation c = Compile(s.text);
    ASSERT_TRUE(c.ok()) << s.text << ": " << c.error.Describe();
    EXPECT_EQ(c.end, s.end) << s.text;
  }
}

TEST_F(FilterTest, TextsThatDoNotParse) {
  struct Bad { const char* text; std::size_t position; };
  const Bad bad[] = {
      {"today", 0},      {"'open", 0},   {"(1", 2},   {"1 +", 3},     {"1 = = 2", 4}, {"#", 0},
      {"19o", 0},        {"102b", 0},    {"1e", 0},   {"numG = not numG", 7}, {"len(1,2)", 7}, {"NBA:fam[1", 9},
      {"1 # 2", 2},      {"@p##", 0},
  };
  for (const Bad& b : bad) {
    FilterCompilation c = Compile(b.text);
    EXPECT_FALSE(c.ok()) << b.text;
    EXPECT_EQ(c.error.code, ErrorCode::InvalidExpression) << b.text;
    EXPECT_EQ(c.error.position, b.position) << b.text << ": " << c.error.Describe();
  }
}

TEST_F(FilterTest, NestingIsBounded) {
  std::string deep(5000, '(');
  EXPECT_EQ(Compile(deep + "1").error.code, ErrorCode::InvalidExpression);
  std::string chain = "1";
  for (int i = 0; i < 5000; ++i) chain += "+1";
  EXPECT_EQ(Compile(chain).error.code, ErrorCode::InvalidExpression);
  std::string fine = "1";
  for (int i = 0; i < 100; ++i) fine += "+1";
  EXPECT_EQ(Compile(fine).expression->Integer(), 101);
}

TEST_F(FilterTest, FunctionsThatCannotBeEvaluatedSay800) {
  for (const char* text : {"memory(1)", "instring('a')", "sql(select (1) from t)"}) {
    FilterCompilation c = Compile(text);
    ASSERT_TRUE(c.Whole(text)) << text << ": " << c.error.Describe();
    EXPECT_EQ(c.expression->Integer(), 0);
    EXPECT_EQ(c.expression->EvaluationError(), ErrorCode::InvalidExpression) << text;
  }
  FilterCompilation c = Compile("1");
  (void)c.expression->Integer();
  EXPECT_EQ(c.expression->EvaluationError(), ErrorCode::Ok);
}

TEST_F(FilterTest, AgeOfDatesAfterTheBaseOrMissing) {
  EXPECT_EQ(Text("age(date(5,1,2010),date(4,30,2004))"), "93 YRS");  // 1910
  EXPECT_EQ(Text("age(date(2,29,2000),date(1,1,1950))"), std::string(255, '*'));  // 1900 has no 29 February
  EXPECT_EQ(Text("age(0)"), std::string(255, '*'));
}

TEST(FilterBindingsTest, ScopesStopFlagAndMismatchedPop) {
  RecordBuffer variables(kVarsFields);
  variables.Clear();
  FilterBindings b;
  b.Bind("dat+1", kVarsFields[0], variables.Bytes().data());
  EXPECT_TRUE(b.Find("DAT"));
  b.Push(true);
  EXPECT_FALSE(b.Find("dat"));
  EXPECT_EQ(FilterExpression::Compile("1 and today()", b).error.code, ErrorCode::Ok);  // built-ins still found
  b.BindCallable("twice", [](std::span<const std::string_view> args) {
    return std::string(args[0]) + std::string(args[0]);
  });
  FilterCompilation c = FilterExpression::Compile("twice('ab')", b);
  ASSERT_TRUE(c.ok());
  EXPECT_EQ(c.expression->Text(), "abab");
  EXPECT_EQ(b.Pop(), ErrorCode::Ok);
  EXPECT_EQ(c.expression->Text(), "abab");  // the tree outlives the scope
  EXPECT_TRUE(b.Find("dat"));
  EXPECT_EQ(b.Pop(), ErrorCode::Ok);
  EXPECT_EQ(b.Pop(), ErrorCode::MismatchedScope);
  EXPECT_EQ(FilterBindings::NamePart("name$x"), "name$");
}

}  // namespace
}  // namespace zelvo
