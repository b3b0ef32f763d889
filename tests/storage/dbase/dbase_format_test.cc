// The dBase table's bytes: header and descriptors, column values, and how
// declared fields find their columns.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "storage/dbase/internal/dbase_binding.h"
#include "storage/dbase/internal/dbase_column.h"
#include "storage/dbase/internal/dbase_header.h"
#include "storage/dbase/internal/dbase_locks.h"
#include "storage/declare_fields.h"
#include "storage/drive_folders.h"

namespace zelvo {
namespace {

DbaseColumn Number(std::uint16_t length, std::uint8_t decimals) {
  return {.name = "X", .type = 'N', .length = length, .decimals = decimals};
}

std::string Written(const DbaseColumn& column, const Decimal& value, int* code = nullptr) {
  std::vector<std::uint8_t> bytes(column.length, '#');
  const int answer = WriteDbaseNumber(column, value, bytes);
  if (code) *code = answer;
  return {bytes.begin(), bytes.end()};
}

TEST(DbaseColumn, NumbersAreRightJustifiedWithTheirDecimalsOrRefused) {
  const struct {
    std::uint16_t length;
    std::uint8_t decimals;
    const char* value;
    const char* text;  // nullptr: refused with -233, the column untouched
  } cases[] = {
      {7, 2, "123.4", " 123.40"},    {7, 2, "100000", nullptr},   {7, 2, "9999.99", "9999.99"},
      {4, 2, "9.99", "9.99"},        {4, 2, "9.995", nullptr},    {4, 2, "-1", nullptr},
      {4, 2, "-0.5", "-.50"},        {5, 2, "-0.5", "-0.50"},     {3, 2, "-0.5", nullptr},
      {10, 0, "9999999999", "9999999999"}, {10, 0, "10000000000", nullptr},
      {5, 0, "-42", "  -42"},        {5, 2, "0", " 0.00"},        {5, 2, "-0.004", " 0.00"},
      {5, 2, "1.005", " 1.01"},      {3, 0, "2.5", "  3"},        {1, 0, "7", "7"},
      {20, 2, "12345678901234567.89", "12345678901234567.89"},
  };
  for (const auto& c : cases) {
    int code = 0;
    const std::string text = Written(Number(c.length, c.decimals), Decimal::Parse(c.value), &code);
    if (c.text) {
      EXPECT_EQ(code, 0) << c.value;
      EXPECT_EQ(text, c.text) << c.value;
    } else {
      EXPECT_EQ(code, kDbaseBadData) << c.value;
      EXPECT_EQ(text, std::string(c.length, '#')) << c.value;
    }
  }
  EXPECT_EQ(DbaseLargestValue(Number(4, 2)), "9.99");
  EXPECT_EQ(DbaseLargestValue(Number(10, 0)), "9999999999");
  EXPECT_EQ(DbaseLargestValue(Number(7, 2)), "9999.99");
}

TEST(DbaseColumn, DatesLogicalsAndMemoBlocks) {
  std::vector<std::uint8_t> date(8);
  WriteDbaseDate({2004, 12, 31}, date);
  EXPECT_EQ(std::string(date.begin(), date.end()), "20041231");
  WriteDbaseDate({12000, 13, 40}, date);  // clamped, not refused
  EXPECT_EQ(std::string(date.begin(), date.end()), "99991231");
  WriteDbaseDate({}, date);
  EXPECT_EQ(std::string(date.begin(), date.end()), "        ");
  EXPECT_FALSE(ReadDbaseDate(date));
  const std::string odd = "20041399";  // read as it stands
  const auto parts = ReadDbaseDate({reinterpret_cast<const std::uint8_t*>(odd.data()), 8});
  ASSERT_TRUE(parts);
  EXPECT_EQ(parts->month, 13);
  EXPECT_EQ(parts->day, 99);

  std::vector<std::uint8_t> logical(1);
  for (const char c : std::string("TtYy1")) {
    ASSERT_EQ(WriteDbaseLogical(c, logical), 0);
    EXPECT_EQ(logical[0], 'T');
    EXPECT_EQ(ReadDbaseLogical(logical), 1);
  }
  for (const char c : std::string("FfNn0")) {
    ASSERT_EQ(WriteDbaseLogical(c, logical), 0);
    EXPECT_EQ(logical[0], 'F');
  }
  ASSERT_EQ(WriteDbaseLogical('?', logical), 0);
  EXPECT_EQ(logical[0], ' ');
  EXPECT_EQ(ReadDbaseLogical(logical), 63);
  EXPECT_EQ(WriteDbaseLogical('x', logical), kDbaseBadData);
  EXPECT_EQ(logical[0], ' ');

  std::vector<std::uint8_t> memo(10);
  ASSERT_EQ(WriteDbaseMemoBlock(42, memo), 0);
  EXPECT_EQ(std::string(memo.begin(), memo.end()), "        42");
  EXPECT_EQ(ReadDbaseMemoBlock(memo), 42);
  ASSERT_EQ(WriteDbaseMemoBlock(0, memo), 0);
  EXPECT_EQ(std::string(memo.begin(), memo.end()), std::string(10, ' '));
  EXPECT_EQ(WriteDbaseMemoBlock(-1, memo), kDbaseBadData);
  EXPECT_EQ(WriteDbaseMemoBlock(12345678901, memo), kDbaseBadData);
}

TEST(DbaseHeader, WrittenAndReadBackWithTheChecksOfAnOpen) {
  std::vector<DbaseColumn> columns = {{.name = "nom", .type = 'N', .length = 10},
                                      {.name = "TIP", .type = 'c', .length = 1},
                                      {.name = "ST", .type = 'D'}};
  ASSERT_EQ(CheckDbaseColumns(columns), 0);
  EXPECT_EQ(columns[0].name, "NOM");
  EXPECT_EQ(columns[2].offset, 12u);
  DbaseHeader header;
  header.records = 3;
  header.headerLength = 129;
  header.recordLength = static_cast<std::uint16_t>(DbaseRecordLength(columns));
  EXPECT_EQ(header.recordLength, 20);
  const auto bytes = EncodeDbaseHeader(header);
  EXPECT_EQ(DecodeDbaseHeader(bytes), header);
  EXPECT_EQ(header.ColumnCount(), 3u);
  const std::vector<std::uint8_t> descriptors = EncodeDbaseDescriptors(columns);
  ASSERT_EQ(descriptors.size(), 97u);
  EXPECT_EQ(descriptors.back(), 0x0D);
  const DbaseColumnsResult read = DecodeDbaseDescriptors(header, descriptors);
  ASSERT_EQ(read.code, 0);
  EXPECT_EQ(read.columns, columns);

  // A C column's length takes the decimals byte as its high byte.
  std::vector<DbaseColumn> wide = {{.name = "T", .type = 'C', .length = 200}};
  ASSERT_EQ(CheckDbaseColumns(wide), 0);
  EXPECT_EQ(EncodeDbaseDescriptors(wide)[16], 200);
  std::vector<std::uint8_t> long_text = EncodeDbaseDescriptors(wide);
  long_text[17] = 1;  // 456 characters, as another writer may have it
  header.headerLength = 65;
  header.recordLength = 457;
  const DbaseColumnsResult longer = DecodeDbaseDescriptors(header, long_text);
  ASSERT_EQ(longer.code, 0);
  EXPECT_EQ(longer.columns[0].length, 456);
}

TEST(DbaseHeader, FaultsAnswerTheirXBaseCodes) {
  DbaseHeader header;
  header.headerLength = 65;
  header.recordLength = 11;
  EXPECT_EQ(CheckDbaseHeader(header), 0);
  for (const int version : {0x83, 0x8B}) {
    header.version = static_cast<std::uint8_t>(version);
    EXPECT_EQ(CheckDbaseHeader(header), 0);
  }
  header.version = 0x30;
  EXPECT_EQ(CheckDbaseHeader(header), -218);
  header.version = 0x03;
  header.productionIndex = 2;
  EXPECT_EQ(CheckDbaseHeader(header), -235);
  header.productionIndex = 0;

  std::vector<DbaseColumn> one = {{.name = "N", .type = 'N', .length = 10}};
  ASSERT_EQ(CheckDbaseColumns(one), 0);
  std::vector<std::uint8_t> d = EncodeDbaseDescriptors(one);
  const struct {
    std::size_t at;
    std::uint8_t value;
    std::uint16_t recordLength;
    int code;
  } faults[] = {{11, 'X', 11, -231}, {11, 'M', 11, -218}, {0, 0, 11, -228}, {16, 9, 11, -232}, {11, 'n', 11, 0}};
  for (const auto& f : faults) {
    std::vector<std::uint8_t> bad = d;
    bad[f.at] = f.value;
    header.recordLength = f.recordLength;
    EXPECT_EQ(DecodeDbaseDescriptors(header, bad).code, f.code) << f.at << " " << int(f.value);
  }
  EXPECT_EQ(DecodeDbaseDescriptors(header, std::span(d).first(20)).code, -219);

  const struct {
    char type;
    std::uint16_t length;
    std::uint8_t decimals;
    int code;
  } creates[] = {{'C', 0, 0, -229}, {'C', 255, 0, -229}, {'N', 21, 0, -229}, {'N', 4, 3, -230},
                 {'F', 4, 2, 0},    {'Q', 1, 0, -231},   {'C', 254, 0, 0}};
  for (const auto& c : creates) {
    std::vector<DbaseColumn> columns = {{.name = "A", .type = c.type, .length = c.length, .decimals = c.decimals}};
    EXPECT_EQ(CheckDbaseColumns(columns), c.code) << c.type << c.length;
  }
  std::vector<DbaseColumn> longName = {{.name = "TWELVE_CHARS", .type = 'L'}};
  EXPECT_EQ(CheckDbaseColumns(longName), -228);
  std::vector<DbaseColumn> none;
  EXPECT_EQ(CheckDbaseColumns(none), -227);
  std::vector<DbaseColumn> tooLong(17, {.name = "C", .type = 'C', .length = 250});
  EXPECT_EQ(CheckDbaseColumns(tooLong), -232);
}

TEST(DbaseBinding, ExternalNamesGiveTheColumnAndItsType) {
  const struct {
    const char* external;
    bool valid;
    const char* name;
    char type;
    int length;
    int decimals;
  } cases[] = {
      {"NOM=N(10.0)", true, "NOM", 'N', 10, 0},   {"PEN:KOEF=N(4.2)", true, "KOEF", 'N', 4, 2},
      {"vsdop3=f(7,2)", true, "VSDOP3", 'F', 7, 2}, {"METKA=L", true, "METKA", 'L', 1, 0},
      {"A:B:DAT=D", true, "DAT", 'D', 8, 0},      {"TXT=C", true, "TXT", 'C', 8, 0},
      {"PLAIN", true, "PLAIN", 0, 0, 0},          {"X=N(20)", true, "X", 'N', 20, 0},
      {"X=N(21.0)", false, "", 0, 0, 0},                       {"X=N(4.3)", false, "", 0, 0, 0},
      {"X=N(10.0", false, "", 0, 0, 0},                        {"X=N10", false, "", 0, 0, 0},
      {"X=N(1000)", false, "", 0, 0, 0},                       {"X=Q", false, "", 0, 0, 0},
      {"X=LX", false, "", 0, 0, 0},                            {"X=N(4.2)x", false, "", 0, 0, 0},
  };
  for (const auto& c : cases) {
    FieldDeclaration field = decl::String(8).Named("F").External(c.external);
    const std::optional<DbaseColumnRequest> request = ParseDbaseColumnRequest(field);
    ASSERT_EQ(request.has_value(), c.valid) << c.external;
    if (!request) continue;
    EXPECT_EQ(request->name, c.name) << c.external;
    EXPECT_EQ(request->type, c.type) << c.external;
    EXPECT_EQ(request->length, c.length) << c.external;
    EXPECT_EQ(request->decimals, c.decimals) << c.external;
  }
}

#define TEST_BOUND_FIELDS(FIELD)                 \
  FIELD(NOM, Real().External("NOM=N(10.0)"))     \
  FIELD(TIP, String(1))                          \
  FIELD(ST, Date())                              \
  FIELD(OK, Byte())                              \
  FIELD(BLOCK, Long())                           \
  FIELD(MONTHS, Byte().Dim(12))
ZELVO_DECLARE_FIELDS(Bound, BND, TEST_BOUND_FIELDS);

TEST(DbaseBinding, CreateDefaultsAndOpenAgreement) {
  const DbaseColumnsPlan plan = PlanDbaseColumns(kBoundFields);
  ASSERT_EQ(plan.code, ErrorCode::Ok);
  ASSERT_EQ(plan.columns.size(), 5u);  // the array takes no column
  EXPECT_EQ(plan.columns[0].type, 'N');
  EXPECT_EQ(plan.columns[1].type, 'C');
  EXPECT_EQ(plan.columns[2].type, 'D');
  EXPECT_EQ(plan.columns[3].type, 'L');
  EXPECT_EQ(plan.columns[4].type, 'M');

  std::vector<DbaseColumn> columns = plan.columns;
  ASSERT_EQ(CheckDbaseColumns(columns), 0);
  EXPECT_EQ(BindDbaseFields(kBoundFields, columns).code, ErrorCode::Ok);
  std::vector<DbaseColumn> wrong = columns;
  wrong[2].type = 'C';  // a DATE cannot read a C column
  EXPECT_EQ(BindDbaseFields(kBoundFields, wrong).code, ErrorCode::InvalidFieldTypeDescriptor);
  wrong = columns;
  wrong[1].type = 'N';  // a STRING reads any column
  EXPECT_EQ(BindDbaseFields(kBoundFields, wrong).code, ErrorCode::Ok);
  wrong = columns;
  wrong[0].type = 'C';  // "NOM=N(10.0)" asks for a number column
  EXPECT_EQ(BindDbaseFields(kBoundFields, wrong).code, ErrorCode::InvalidFieldTypeDescriptor);
  wrong = columns;
  wrong[3].name = "OTHER";
  EXPECT_EQ(BindDbaseFields(kBoundFields, wrong).code, ErrorCode::InvalidRecordDeclaration);

  static constexpr auto kShort = LayOut(std::array{decl::Short().Named("S")});
  EXPECT_EQ(PlanDbaseColumns(kShort).code, ErrorCode::InvalidFieldTypeDescriptor);
}

TEST(DbaseLocks, TheLockBytesOfEveryStation) {
  EXPECT_EQ(DbaseRecordLock(1).start, 0xEFFFFFFDu);
  EXPECT_EQ(DbaseRecordLock(100).start, 0xEFFFFFFEu - 100);
  EXPECT_EQ(DbaseRecordLock(1).length, 1u);
  EXPECT_EQ(kDbaseHeaderLock.start, 0xEFFFFFFEu);
  EXPECT_EQ(kDbaseFileLock.length, 2u);
}

TEST(DriveFolders, ADriveLetterStandsForItsFolder) {
  SetDriveFolder('C', "/srv/np/");
  EXPECT_EQ(MachinePath("C:\\INP_2004\\BASE2004\\SPISOK.DBF"), "/srv/np/INP_2004/BASE2004/SPISOK.DBF");
  EXPECT_EQ(MachinePath("c:\\X.DBF"), "/srv/np/X.DBF");
  EXPECT_EQ(MachinePath("D:\\X.DBF"), std::nullopt);
  EXPECT_EQ(MachinePath("data\\X.DBF"), "data/X.DBF");
  LoadDriveFolders(WindowsProfile::Parse("[drives]\nd = /mnt/d\n"));
  EXPECT_EQ(MachinePath("C:\\X"), std::nullopt);  // loading replaces every letter
  EXPECT_EQ(MachinePath("D:\\A\\B"), "/mnt/d/A/B");
  LoadDriveFolders(WindowsProfile{});
}

}  // namespace
}  // namespace zelvo
