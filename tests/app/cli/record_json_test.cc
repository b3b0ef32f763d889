#include "app/cli/record_json.h"

#include <gtest/gtest.h>

#include "app/cli/json_document.h"
#include "storage/declare_fields.h"
#include "core/dictionary.h"
#include "runtime/cp1251.h"

namespace zelvo {
namespace {

#define TEST_JSON_FIELDS(FIELD)    \
  FIELD(B, Byte())                 \
  FIELD(S, Short())                \
  FIELD(L, Long())                 \
  FIELD(R, Real())                 \
  FIELD(D, Date())                 \
  FIELD(T, Time())                 \
  FIELD(AMOUNT, Decimal(7, 2))     \
  FIELD(DAYS, Decimal(3, 0))       \
  FIELD(TEXT, String(5))           \
  FIELD(CTEXT, CString(5))         \
  FIELD(ROWS, Decimal(3, 0).Dim(3))
ZELVO_DECLARE_FIELDS(JsonSample, JS, TEST_JSON_FIELDS);

Json Parsed(std::string_view text) {
  JsonDocument document = ParseJsonDocument(text);
  EXPECT_TRUE(document.ok()) << document.error;
  return document.value;
}

// Reads {"<field>": <value>} into a cleared record; the field's value written
// back, or the error message.
std::string RoundTrip(std::string_view field, std::string_view value) {
  RecordBuffer record(kJsonSampleFields);
  const Json input = Parsed("{\"" + std::string(field) + "\": " + std::string(value) + "}");
  if (JsonReadResult error = RecordFromJson(input, record, "in")) return "error " + error->Message();
  return FieldToJson(record, kJsonSampleFields[*FindField(kJsonSampleFields, field)]).dump();
}

TEST(RecordJson, ValuesReadAndWrittenInEveryForm) {
  struct Case {
    const char* field;
    const char* input;
    const char* output;
  } cases[] = {
      // Decimals keep exactly their places, from numbers and strings alike,
      // never through a double (0.1 + digits a double would lose).
      {"AMOUNT", "\"4761.9\"", "\"4761.90\""},
      {"AMOUNT", "4761.904", "\"4761.90\""},
      {"AMOUNT", "0.005", "\"0.01\""},
      {"AMOUNT", "-0.005", "\"-0.01\""},
      {"AMOUNT", "\"-0.001\"", "\"0.00\""},
      {"AMOUNT", "12345.674999999999999999999", "\"12345.67\""},
      {"AMOUNT", "1.5e3", "\"1500.00\""},
      {"AMOUNT", "\"25E-2\"", "\"0.25\""},
      {"AMOUNT", "99999.99", "\"99999.99\""},
      {"AMOUNT", "1e-400", "\"0.00\""},
      {"DAYS", "21", "\"21\""},
      {"DAYS", "\"20.5\"", "\"21\""},
      {"B", "255", "255"},
      {"B", "\"7\"", "7"},
      {"B", "1.5", "2"},
      {"S", "-32768", "-32768"},
      {"L", "2147483647", "2147483647"},
      {"R", "0.25", "0.25"},
      {"D", "\"2024-02-29\"", "\"2024-02-29\""},
      {"D", "\"1801-01-01\"", "\"1801-01-01\""},
      {"D", "null", "null"},
      {"T", "\"12:30:15.50\"", "\"12:30:15.50\""},
      {"T", "\"07:05\"", "\"07:05:00.00\""},
      {"T", "null", "null"},
      {"TEXT", "\"реб  \"", "\"реб\""},
      {"TEXT", "\"абвгд\"", "\"абвгд\""},
      {"CTEXT", "\"abcd\"", "\"abcd\""},
      {"ROWS", "[1, \"2\"]", "[\"1\",\"2\",\"0\"]"},
      // Errors name the value's path and say what is wrong.
      {"AMOUNT", "100000", "error in.AMOUNT: 100000 does not fit its field DECIMAL(7,2)"},
      {"AMOUNT", "99999.995", "error in.AMOUNT: 99999.995 does not fit its field DECIMAL(7,2)"},
      {"AMOUNT", "1e300", "error in.AMOUNT: 1e300 does not fit its field DECIMAL(7,2)"},
      {"AMOUNT", "\"12,5\"", "error in.AMOUNT: \"12,5\" is not a number"},
      {"AMOUNT", "\"\"", "error in.AMOUNT: \"\" is not a number"},
      {"AMOUNT", "\" 1\"", "error in.AMOUNT: \" 1\" is not a number"},
      {"AMOUNT", "true", "error in.AMOUNT: true is not a number"},
      {"AMOUNT", "null", "error in.AMOUNT: null is not a number"},
      {"B", "256", "error in.B: 256 does not fit its field BYTE"},
      {"B", "-1", "error in.B: -1 does not fit its field BYTE"},
      {"L", "99999999999999999999999", "error in.L: 99999999999999999999999 does not fit its field LONG"},
      {"D", "\"2023-02-29\"", "error in.D: \"2023-02-29\" is not a date (YYYY-MM-DD, or null for none)"},
      {"D", "\"1800-12-31\"", "error in.D: \"1800-12-31\" is not a date (YYYY-MM-DD, or null for none)"},
      {"D", "\"01.03.2024\"", "error in.D: \"01.03.2024\" is not a date (YYYY-MM-DD, or null for none)"},
      {"D", "20240301", "error in.D: 20240301 is not a date (YYYY-MM-DD, or null for none)"},
      {"T", "\"24:00\"", "error in.T: \"24:00\" is not a time (hh:mm:ss.cc, or null for none)"},
      {"TEXT", "\"abcdef\"", "error in.TEXT: the text is longer than its field STRING(5)"},
      {"CTEXT", "\"abcde\"", "error in.CTEXT: the text is longer than its field CSTRING(5)"},
      {"TEXT", "5", "error in.TEXT: 5 is not a text"},
      {"ROWS", "[1, 2, 3, 4]", "error in.ROWS: is not an array of at most 3 elements"},
      {"ROWS", "[1, \"x\"]", "error in.ROWS[1]: \"x\" is not a number"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RoundTrip(c.field, c.input), c.output) << c.field << " = " << c.input;
}

TEST(RecordJson, TextWithoutACp1251CodeIsRefusedNamingTheField) {
  const std::string result = RoundTrip("TEXT", "\"a€😀\"");
  EXPECT_TRUE(result.starts_with("error in.TEXT: ")) << result;
  EXPECT_EQ(RoundTrip("TEXT", "\"a€\""), "\"a€\"");  // the euro sign has a CP1251 code
}

TEST(RecordJson, RecordNamesFieldsWithoutRegardToCaseAndRefusesUnknownOrRepeatedOnes) {
  RecordBuffer record(kJsonSampleFields);
  ASSERT_FALSE(RecordFromJson(Parsed(R"({"amount": "1.5", "Text": "ab"})"), record, "x"));
  EXPECT_EQ(JS.AMOUNT.Get(record), Decimal::Parse("1.5"));
  EXPECT_EQ(JS.TEXT.Clipped(record), "ab");

  JsonReadResult unknown = RecordFromJson(Parsed(R"({"AMOUNT": 1, "OKLAD": 2})"), record, "x");
  ASSERT_TRUE(unknown);
  EXPECT_EQ(unknown->Message(), "x.OKLAD: no such field");
  JsonReadResult twice = RecordFromJson(Parsed(R"({"AMOUNT": 1, "amount": 2})"), record, "x");
  ASSERT_TRUE(twice);
  EXPECT_EQ(twice->Message(), "x.amount: the field is named twice");
  JsonReadResult notObject = RecordFromJson(Parsed("[1]"), record, "x");
  ASSERT_TRUE(notObject);
  EXPECT_EQ(notObject->Message(), "x: [1] is not an object of fields");
}

TEST(RecordJson, AValueInErrorLeavesItsFieldAsItWas) {
  RecordBuffer record(kJsonSampleFields);
  ASSERT_FALSE(RecordFromJson(Parsed(R"({"AMOUNT": "7.00", "ROWS": [1, 2, 3]})"), record, "x"));
  const RecordBuffer before = record;
  EXPECT_TRUE(RecordFromJson(Parsed(R"({"AMOUNT": "1000000"})"), record, "x"));
  EXPECT_TRUE(RecordFromJson(Parsed(R"({"ROWS": [5, "bad"]})"), record, "x"));
  EXPECT_EQ(record, before);
}

TEST(RecordJson, EveryTableRoundTripsThroughJson) {
  // A record written out and read back is the same bytes, for every table of
  // the dictionary: the tools can dump and load any of them.
  for (const TableDeclaration* table : Tables()) {
    RecordBuffer record(*table);
    for (const FieldDeclaration& field : table->fields) {
      std::uint8_t* bytes = record.Bytes().data() + field.offset;
      for (std::size_t i = 0; i < field.elements; ++i) {
        std::uint8_t* element = bytes + i * field.ElementBytes();
        if (IsTextType(field.type)) {
          (void)WriteText(field, element, Cp1251Literal("Ёж"));
        } else if (field.type == FieldType::Date) {
          (void)WriteDate(element, Date(3, 1, 2024));
        } else if (field.type == FieldType::Decimal) {
          (void)WriteDecimal(field, element, Decimal(-1) - Decimal::Parse("0.456789"));
        } else if (field.type == FieldType::Real) {
          WriteReal(element, 12.25);
        } else if (field.type != FieldType::Time) {
          (void)WriteInteger(field.type, element, 1);
        }
      }
    }
    const std::string text = RecordToJson(record).dump();
    RecordBuffer back(*table);
    const JsonDocument document = ParseJsonDocument(text);
    ASSERT_TRUE(document.ok()) << document.error;
    JsonReadResult error = RecordFromJson(document.value, back, table->label);
    ASSERT_FALSE(error) << error->Message();
    EXPECT_EQ(back, record) << table->label;
  }
}

TEST(JsonDocument, KeepsNumberTextsAndRefusesMalformedOrRepeatedInput) {
  const JsonDocument numbers = ParseJsonDocument(R"({"a": 0.1000000000000000055511151231257827, "b": 7})");
  ASSERT_TRUE(numbers.ok());
  EXPECT_EQ(NumberText(numbers.value["a"]), "0.1000000000000000055511151231257827");
  EXPECT_EQ(NumberText(numbers.value["b"]), "7");
  EXPECT_EQ(NumberText(Json("7")), std::nullopt);

  struct Bad {
    const char* text;
    const char* error;
  } bad[] = {
      {R"({"a": 1, "a": 2})", "duplicate member \"a\" in one object"},
      {R"({"a": 1,})", "parse error at line 1, column 9"},
      {R"({"a": 1} x)", "parse error at line 1, column 10"},
      {"", "parse error at line 1, column 1"},
      // Beyond a double's range the reader itself gives up, naming the number.
      {R"({"a": 1e400})", "number overflow parsing '1e400'"},
  };
  for (const Bad& b : bad) {
    const JsonDocument document = ParseJsonDocument(b.text);
    EXPECT_FALSE(document.ok()) << b.text;
    EXPECT_TRUE(document.error.starts_with(b.error)) << b.text << " -> " << document.error;
  }
}

}  // namespace
}  // namespace zelvo
