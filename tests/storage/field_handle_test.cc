#include "storage/field_handle.h"

#include <gtest/gtest.h>

#include <vector>

#include "storage/declare_fields.h"
#include "runtime/date_time.h"

namespace zelvo {
namespace {

// A layout with one field of every type, declared the way the tables are.
#define TEST_SAMPLE_FIELDS(FIELD) \
  FIELD(B, Byte())                \
  FIELD(S, Short())               \
  FIELD(US, UShort())             \
  FIELD(L, Long())                \
  FIELD(UL, ULong())              \
  FIELD(R, Real())                \
  FIELD(D, Date())                \
  FIELD(T, Time())                \
  FIELD(AMOUNT, Decimal(7, 2))    \
  FIELD(TEXT, String(5))          \
  FIELD(CTEXT, CString(5))        \
  FIELD(PTEXT, PString(5))        \
  FIELD(ROWS, Decimal(3, 0).Dim(3))
ZELVO_DECLARE_FIELDS(Sample, SAM, TEST_SAMPLE_FIELDS);

// A job with rows, shaped like the piecework table: a number and a name per row.
#define TEST_JOB_FIELDS(FIELD)      \
  FIELD(SUMMA, Decimal(9, 2))       \
  FIELD(NUM, Decimal(5, 0).Dim(20)) \
  FIELD(FAM, String(20).Dim(20))
ZELVO_DECLARE_FIELDS(Job, JOB, TEST_JOB_FIELDS);

// A pay record's amount and employee number.
#define TEST_PAY_FIELDS(FIELD) \
  FIELD(NUM, Decimal(5, 0))    \
  FIELD(SUMM, Decimal(9, 2))
ZELVO_DECLARE_FIELDS(Pay, PAY, TEST_PAY_FIELDS);

static_assert(kSampleFields.size() == 13);
static_assert(RecordSize(kSampleFields) == 1 + 2 + 2 + 4 + 4 + 8 + 4 + 4 + 4 + 5 + 5 + 5 + 6);
static_assert(SAM.ROWS.Declaration().offset == 48);

std::vector<std::uint8_t> BytesOf(const RecordBuffer& record) {
  return {record.Bytes().begin(), record.Bytes().end()};
}
std::vector<std::uint8_t> FieldBytes(const RecordBuffer& record, const FieldHandle& handle) {
  const FieldDeclaration& f = handle.Declaration();
  return {record.Bytes().begin() + f.offset, record.Bytes().begin() + f.offset + f.Bytes()};
}

TEST(RecordBuffer, ClearedRecordHasBlankTextsAndZeroEverythingElse) {
  RecordBuffer record(kSampleFields);
  EXPECT_EQ(FieldBytes(record, SAM.TEXT), std::vector<std::uint8_t>(5, ' '));
  EXPECT_EQ(FieldBytes(record, SAM.CTEXT), std::vector<std::uint8_t>(5, 0));
  EXPECT_EQ(FieldBytes(record, SAM.AMOUNT), std::vector<std::uint8_t>(4, 0));
  ASSERT_EQ(SAM.TEXT.Set(record, "ab"), StoreResult::Ok);
  ASSERT_EQ(SAM.AMOUNT.Set(record, Decimal(5)), StoreResult::Ok);
  record.Clear();
  EXPECT_EQ(record, RecordBuffer(kSampleFields));
  EXPECT_NE(record, RecordBuffer(kPayFields));
}

TEST(FieldHandle, EveryTypeRoundTripsInItsByteForm) {
  RecordBuffer record(kSampleFields);
  ASSERT_EQ(SAM.B.Set(record, 255), StoreResult::Ok);
  ASSERT_EQ(SAM.S.Set(record, -32768), StoreResult::Ok);
  ASSERT_EQ(SAM.US.Set(record, 65535), StoreResult::Ok);
  ASSERT_EQ(SAM.L.Set(record, -2147483648LL), StoreResult::Ok);
  ASSERT_EQ(SAM.UL.Set(record, 4294967295LL), StoreResult::Ok);
  ASSERT_EQ(SAM.R.Set(record, -0.125), StoreResult::Ok);
  const DayNumber day = Date(12, 31, 2004);
  ASSERT_EQ(SAM.D.Set(record, day), StoreResult::Ok);
  const TimeValue noon = TimeOf(12, 30, 15, 50);
  ASSERT_EQ(SAM.T.Set(record, noon), StoreResult::Ok);
  ASSERT_EQ(SAM.AMOUNT.Set(record, Decimal::Parse("-1234.5")), StoreResult::Ok);
  ASSERT_EQ(SAM.TEXT.Set(record, "ab"), StoreResult::Ok);
  ASSERT_EQ(SAM.CTEXT.Set(record, "abcd"), StoreResult::Ok);
  ASSERT_EQ(SAM.PTEXT.Set(record, "xyz"), StoreResult::Ok);
  ASSERT_EQ(SAM.ROWS.At(2).Set(record, Decimal(42)), StoreResult::Ok);

  EXPECT_EQ(SAM.B.Get(record), 255);
  EXPECT_EQ(SAM.S.Get(record), -32768);
  EXPECT_EQ(SAM.US.Get(record), 65535);
  EXPECT_EQ(SAM.L.Get(record), -2147483648LL);
  EXPECT_EQ(SAM.UL.Get(record), 4294967295LL);
  EXPECT_EQ(SAM.R.Get(record), -0.125);
  EXPECT_EQ(SAM.D.Get(record), day);
  EXPECT_EQ(SAM.T.Get(record), noon);
  EXPECT_EQ(SAM.AMOUNT.Get(record), Decimal::Parse("-1234.50"));
  EXPECT_EQ(SAM.TEXT.Get(record), "ab   ");
  EXPECT_EQ(SAM.TEXT.Clipped(record), "ab");
  EXPECT_EQ(SAM.CTEXT.Get(record), "abcd");
  EXPECT_EQ(SAM.PTEXT.Get(record), "xyz");
  EXPECT_EQ(SAM.ROWS[2].Get(record), Decimal(42));
  EXPECT_EQ(SAM.ROWS[1].Get(record), Decimal(0));

  // The byte forms the drivers store.
  using Bytes = std::vector<std::uint8_t>;
  EXPECT_EQ(FieldBytes(record, SAM.S), (Bytes{0x00, 0x80}));
  EXPECT_EQ(FieldBytes(record, SAM.UL), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(FieldBytes(record, SAM.D), (Bytes{31, 12, 0xD4, 0x07}));
  EXPECT_EQ(FieldBytes(record, SAM.AMOUNT), (Bytes{0xF0, 0x12, 0x34, 0x50}));
  EXPECT_EQ(FieldBytes(record, SAM.CTEXT), (Bytes{'a', 'b', 'c', 'd', 0}));
  EXPECT_EQ(FieldBytes(record, SAM.PTEXT), (Bytes{3, 'x', 'y', 'z', 0}));
  EXPECT_EQ(FieldBytes(record, SAM.ROWS), (Bytes{0, 0, 0, 0, 0x00, 0x42}));
}

TEST(FieldHandle, DecimalsRoundHalfAwayFromZeroToTheFieldsPlaces) {
  RecordBuffer record(kPayFields);
  ASSERT_EQ(PAY.SUMM.Set(record, Decimal::Parse("1234.565")), StoreResult::Ok);
  EXPECT_EQ(PAY.SUMM.Get(record), Decimal::Parse("1234.57"));
  ASSERT_EQ(PAY.SUMM.Set(record, Decimal::Parse("-0.005")), StoreResult::Ok);
  EXPECT_EQ(PAY.SUMM.Get(record), Decimal::Parse("-0.01"));
  ASSERT_EQ(PAY.NUM.Set(record, Decimal::Parse("99999.4")), StoreResult::Ok);
  EXPECT_EQ(PAY.NUM.Get(record), Decimal(99999));
}

// Every write that would lose or wrap a value is refused and leaves the whole
// record as it was.
TEST(FieldHandle, ValuesOutsideTheFieldAreRefusedWithTheRecordUnchanged) {
  RecordBuffer record(kSampleFields);
  ASSERT_EQ(SAM.TEXT.Set(record, "keep"), StoreResult::Ok);
  ASSERT_EQ(SAM.AMOUNT.Set(record, Decimal(7)), StoreResult::Ok);
  const std::vector<std::uint8_t> before = BytesOf(record);

  struct Case {
    const char* what;
    StoreResult result;
  };
  const Case cases[] = {
      {"byte 256", SAM.B.Set(record, 256)},
      {"byte -1", SAM.B.Set(record, -1)},
      {"short 32768", SAM.S.Set(record, 32768)},
      {"ushort -1", SAM.US.Set(record, -1)},
      {"long 2^31", SAM.L.Set(record, 2147483648LL)},
      {"ulong 2^32", SAM.UL.Set(record, 4294967296LL)},
      {"decimal 100000.00", SAM.AMOUNT.Set(record, Decimal::Parse("100000"))},
      {"decimal rounding up to 100000.00", SAM.AMOUNT.Set(record, Decimal::Parse("99999.995"))},
      {"decimal -100000", SAM.AMOUNT.Set(record, Decimal::Parse("-100000"))},
      {"date before 1801", SAM.D.Set(record, 3)},
      {"date after 9999", SAM.D.Set(record, kLastDay + 1)},
      {"negative time", SAM.T.Set(record, -5)},
      {"time past midnight", SAM.T.Set(record, kLastTime + 1)},
      {"string of 6", SAM.TEXT.Set(record, "abcdef")},
      {"cstring of 5", SAM.CTEXT.Set(record, "abcde")},
      {"pstring of 5", SAM.PTEXT.Set(record, "abcde")},
      {"array element 3 digits", SAM.ROWS.At(0).Set(record, Decimal(1000))},
  };
  for (const Case& c : cases) EXPECT_EQ(c.result, StoreResult::Overflow) << c.what;
  EXPECT_EQ(BytesOf(record), before);

  // Blanks after a text are padding, not an overflow; the largest values fit.
  EXPECT_EQ(SAM.TEXT.Set(record, "abcde   "), StoreResult::Ok);
  EXPECT_EQ(SAM.TEXT.Get(record), "abcde");
  EXPECT_EQ(SAM.AMOUNT.Set(record, Decimal::Parse("-99999.994")), StoreResult::Ok);
  EXPECT_EQ(SAM.AMOUNT.Get(record), Decimal::Parse("-99999.99"));
  EXPECT_EQ(SAM.D.Set(record, kNoDate), StoreResult::Ok);
  EXPECT_EQ(FieldBytes(record, SAM.D), std::vector<std::uint8_t>(4, 0));
}

TEST(FieldHandle, SetCutKeepsWhatFitsAndCStringsStopAtZero) {
  RecordBuffer record(kSampleFields);
  SAM.TEXT.SetCut(record, "abcdefgh");
  SAM.CTEXT.SetCut(record, "abcdefgh");
  SAM.PTEXT.SetCut(record, "abcdefgh");
  EXPECT_EQ(SAM.TEXT.Get(record), "abcde");
  EXPECT_EQ(SAM.CTEXT.Get(record), "abcd");
  EXPECT_EQ(SAM.PTEXT.Get(record), "abcd");
  // A zero byte ends a CSTRING: what follows it is not stored.
  ASSERT_EQ(SAM.CTEXT.Set(record, std::string_view("ab\0zz", 5)), StoreResult::Ok);
  EXPECT_EQ(SAM.CTEXT.Get(record), "ab");
}

// Damaged bytes read as values in range and never past the field.
TEST(FieldHandle, DamagedTextsReadWithinTheirField) {
  RecordBuffer record(kSampleFields);
  const FieldDeclaration& c = SAM.CTEXT.Declaration();
  const FieldDeclaration& p = SAM.PTEXT.Declaration();
  std::fill_n(record.Bytes().begin() + c.offset, c.Bytes(), std::uint8_t{'x'});  // no terminator
  record.Bytes()[p.offset] = 200;                                                // length too big
  EXPECT_EQ(SAM.CTEXT.Get(record), "xxxx");
  EXPECT_EQ(SAM.PTEXT.Get(record).size(), 4u);
}

TEST(FieldHandle, ArraysAddressTheirElements) {
  RecordBuffer job(kJobFields);
  for (std::size_t row = 0; row < JOB.NUM.Count(); ++row) {
    ASSERT_EQ(JOB.NUM.At(row).Set(job, Decimal(static_cast<int>(row + 100))), StoreResult::Ok);
    ASSERT_EQ(JOB.FAM.At(row).Set(job, "Row"), StoreResult::Ok);
  }
  EXPECT_EQ(JOB.NUM.At(19).Get(job), Decimal(119));
  EXPECT_EQ(JOB.FAM[7].Clipped(job), "Row");
  // The last element of NUM ends where FAM begins.
  EXPECT_EQ(job.Bytes()[JOB.FAM.Declaration().offset - 1], 0x19);
  JOB.NUM.Clear(job);
  EXPECT_EQ(JOB.NUM.At(19).Get(job), Decimal(0));
  EXPECT_EQ(JOB.FAM[19].Clipped(job), "Row");
}

TEST(FieldHandle, MisuseNeverTouchesBytesOutsideTheField) {
  RecordBuffer job(kJobFields);
  RecordBuffer pay(kPayFields);
  const std::vector<std::uint8_t> jobBefore = BytesOf(job);
  const std::vector<std::uint8_t> payBefore = BytesOf(pay);
  StoreResult outside = StoreResult::Ok;
  StoreResult foreign = StoreResult::Ok;
  EXPECT_DEBUG_DEATH(outside = JOB.NUM.At(20).Set(job, Decimal(1)), "another layout");
  EXPECT_DEBUG_DEATH(foreign = JOB.SUMMA.Set(pay, Decimal(1)), "another layout");
#ifdef NDEBUG
  EXPECT_EQ(outside, StoreResult::Overflow);
  EXPECT_EQ(foreign, StoreResult::Overflow);
  EXPECT_EQ(JOB.NUM.At(20).Get(job), Decimal(0));
#else
  (void)outside;
  (void)foreign;
#endif
  EXPECT_EQ(BytesOf(job), jobBefore);
  EXPECT_EQ(BytesOf(pay), payBefore);
}

}  // namespace
}  // namespace zelvo
