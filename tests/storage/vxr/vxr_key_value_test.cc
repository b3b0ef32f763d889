#include "storage/vxr/internal/vxr_key_value.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "runtime/date_time.h"
#include "runtime/decimal.h"
#include "storage/declare_fields.h"
#include "storage/vxr/internal/vxr_ordered_records.h"
#include "tests/storage/vxr/vxr_key_test_support.h"

namespace zelvo {
namespace {

using testing_vxr::Hex;
using testing_vxr::KeyOver;

#define TEST_KEYED_FIELDS(FIELD) \
  FIELD(B, Byte())               \
  FIELD(S, Short())              \
  FIELD(US, UShort())            \
  FIELD(L, Long())               \
  FIELD(UL, ULong())             \
  FIELD(R, Real())               \
  FIELD(D, Date())               \
  FIELD(T, Time())               \
  FIELD(AMOUNT, Decimal(5, 0))   \
  FIELD(TEXT, String(6))         \
  FIELD(CTEXT, CString(5))       \
  FIELD(PTEXT, PString(5))       \
  FIELD(ROWS, Decimal(3, 0).Dim(3))
ZELVO_DECLARE_FIELDS(Keyed, KEY, TEST_KEYED_FIELDS);
using I = KeyedFields::Index;

struct EncodingCase {
  const char* what;
  std::size_t field;
  std::function<void(RecordBuffer&)> set;
  std::string expected;
  bool descending = false;
  std::uint8_t attributes = 0;
};

TEST(VxrKeyValue, EncodesEveryFieldTypeInByteOrder) {
  const std::vector<EncodingCase> cases = {
      {"LONG 1", I::L, [](RecordBuffer& r) { (void)KEY.L.Set(r, 1); }, "80 00 00 01"},
      {"LONG -1", I::L, [](RecordBuffer& r) { (void)KEY.L.Set(r, -1); }, "7F FF FF FF"},
      {"SHORT 0", I::S, [](RecordBuffer& r) { (void)KEY.S.Set(r, 0); }, "80 00"},
      {"SHORT -2", I::S, [](RecordBuffer& r) { (void)KEY.S.Set(r, -2); }, "7F FE"},
      {"descending LONG 1", I::L, [](RecordBuffer& r) { (void)KEY.L.Set(r, 1); }, "7F FF FF FE",
       true},
      {"BYTE", I::B, [](RecordBuffer& r) { (void)KEY.B.Set(r, 0xA5); }, "A5"},
      {"USHORT", I::US, [](RecordBuffer& r) { (void)KEY.US.Set(r, 0x1234); }, "12 34"},
      {"ULONG", I::UL, [](RecordBuffer& r) { (void)KEY.UL.Set(r, 0x01020304); }, "01 02 03 04"},
      {"REAL 1.0", I::R, [](RecordBuffer& r) { (void)KEY.R.Set(r, 1.0); }, "BF F0 00 00 00 00 00 00"},
      {"REAL -1.0", I::R, [](RecordBuffer& r) { (void)KEY.R.Set(r, -1.0); },
       "40 0F FF FF FF FF FF FF"},
      {"descending REAL 1.0", I::R, [](RecordBuffer& r) { (void)KEY.R.Set(r, 1.0); },
       "40 0F FF FF FF FF FF FF", true},
      {"descending REAL -1.0 is complemented once more", I::R,
       [](RecordBuffer& r) { (void)KEY.R.Set(r, -1.0); }, "BF F0 00 00 00 00 00 00", true},
      {"DECIMAL 123", I::AMOUNT, [](RecordBuffer& r) { (void)KEY.AMOUNT.Set(r, Decimal(123)); },
       "80 01 23"},
      {"DECIMAL -123", I::AMOUNT,
       [](RecordBuffer& r) { (void)KEY.AMOUNT.Set(r, Decimal::Parse("-123")); }, "7F FE DC"},
      {"descending DECIMAL -123", I::AMOUNT,
       [](RecordBuffer& r) { (void)KEY.AMOUNT.Set(r, Decimal::Parse("-123")); }, "80 01 23", true},
      {"DATE 2004-03-15 as its packed word", I::D,
       [](RecordBuffer& r) { (void)KEY.D.Set(r, Date(3, 15, 2004)); }, "07 D4 03 0F"},
      {"TIME 12:30:15.50", I::T, [](RecordBuffer& r) { (void)KEY.T.Set(r, 4501551); },
       "0C 1E 0F 32"},
      {"STRING as it is", I::TEXT, [](RecordBuffer& r) { (void)KEY.TEXT.Set(r, "ab"); },
       "61 62 20 20 20 20"},
      {"STRING NOCASE", I::TEXT, [](RecordBuffer& r) { (void)KEY.TEXT.Set(r, "ab"); },
       "41 42 20 20 20 20", false, kVxrKeyNoCase},
      {"CSTRING up to its zero", I::CTEXT, [](RecordBuffer& r) { (void)KEY.CTEXT.Set(r, "AB"); },
       "41 42 00 00 00"},
      {"PSTRING without its length", I::PTEXT,
       [](RecordBuffer& r) { (void)KEY.PTEXT.Set(r, "AB"); }, "41 42 00 00 00"},
      {"descending STRING", I::TEXT, [](RecordBuffer& r) { (void)KEY.TEXT.Set(r, "A"); },
       "BE DF DF DF DF DF", true},
  };
  for (const EncodingCase& c : cases) {
    RecordBuffer record(kKeyedFields);
    c.set(record);
    const VxrKey key = KeyOver(kKeyedFields, c.attributes, {{c.field, c.descending}});
    EXPECT_EQ(Hex(EncodeVxrKeyValue(key, record.Bytes())), c.expected) << c.what;
  }
}

TEST(VxrKeyValue, ComponentsFollowOneAnotherAtTheirFieldSizes) {
  RecordBuffer record(kKeyedFields);
  (void)KEY.S.Set(record, 1);
  (void)KEY.TEXT.Set(record, "Z");
  const VxrKey key = KeyOver(kKeyedFields, 0, {{I::TEXT}, {I::S, true}});
  EXPECT_EQ(key.ValueLength(), 8u);
  EXPECT_EQ(Hex(EncodeVxrKeyValue(key, record.Bytes())), "5A 20 20 20 20 20 7F FE");
}

// Whatever the type, ascending encodings rise with the value and descending
// ones fall, across zero too.
TEST(VxrKeyValue, ByteOrderIsValueOrderBothWays) {
  struct Series {
    const char* what;
    std::size_t field;
    std::vector<std::function<void(RecordBuffer&)>> rising;
  };
  auto real = [](double v) { return [v](RecordBuffer& r) { (void)KEY.R.Set(r, v); }; };
  auto longer = [](std::int64_t v) { return [v](RecordBuffer& r) { (void)KEY.L.Set(r, v); }; };
  auto decimal = [](const char* v) {
    return [v](RecordBuffer& r) { (void)KEY.AMOUNT.Set(r, Decimal::Parse(v)); };
  };
  const std::vector<Series> series = {
      {"REAL", I::R, {real(-1e300), real(-2.5), real(-1), real(-1e-300), real(0), real(1e-300),
                      real(1), real(2.5), real(1e300)}},
      {"LONG", I::L, {longer(-2147483647 - 1), longer(-1), longer(0), longer(1), longer(2147483647)}},
      {"DECIMAL", I::AMOUNT, {decimal("-99999"), decimal("-123"), decimal("-1"), decimal("0"),
                              decimal("1"), decimal("123"), decimal("99999")}},
  };
  for (const Series& s : series) {
    for (bool descending : {false, true}) {
      const VxrKey key = KeyOver(kKeyedFields, 0, {{s.field, descending}});
      std::string previous;
      for (std::size_t i = 0; i < s.rising.size(); ++i) {
        RecordBuffer record(kKeyedFields);
        s.rising[i](record);
        const std::string value = EncodeVxrKeyValue(key, record.Bytes());
        if (i > 0) {
          if (descending) {
            EXPECT_LT(value, previous) << s.what << " descending, step " << i;
          } else {
            EXPECT_GT(value, previous) << s.what << " step " << i;
          }
        }
        previous = value;
      }
    }
  }
}

TEST(VxrKeyValue, NoCaseFollowsTheLocaleCaseTables) {
  const std::string smallCyrillic = "\xE8\xE2\xE0\xED\xEE\xE2";    // иванов
  const std::string capitalCyrillic = "\xC8\xC2\xC0\xCD\xCE\xC2";  // ИВАНОВ
  const VxrKey key = KeyOver(kKeyedFields, kVxrKeyNoCase, {{I::TEXT}});
  auto encode = [&](const std::string& text, const LocaleTables& tables) {
    RecordBuffer record(kKeyedFields);
    (void)KEY.TEXT.Set(record, text);
    return EncodeVxrKeyValue(key, record.Bytes(), {false, &tables});
  };
  const LocaleTables builtIn = LocaleTables::BuiltIn();
  EXPECT_EQ(encode("ivanov", builtIn), encode("IVANOV", builtIn));
  EXPECT_NE(encode(smallCyrillic, builtIn), encode(capitalCyrillic, builtIn));

  LocaleTables windows = LocaleTables::BuiltIn();
  ApplyEnvironmentFile("QORCASE=WINDOWS\n", windows, nullptr);
  EXPECT_EQ(encode(smallCyrillic, windows), encode(capitalCyrillic, windows));
  EXPECT_EQ(encode("\xB8", windows), encode("\xA8", windows));  // ё and Ё
}

TEST(VxrKeyValue, TextIsWeighedByTheCollationTableOemFilesByTheirOwn) {
  LocaleTables tables = LocaleTables::BuiltIn();
  tables.collation['B'] = 'A' - 1;  // B sorts before A
  tables.oemCollation[0x80] = 0x01;  // OEM А weighs least
  const VxrKey key = KeyOver(kKeyedFields, 0, {{I::CTEXT}});
  RecordBuffer record(kKeyedFields);
  (void)KEY.CTEXT.Set(record, "B\xC0");  // B, then the Cyrillic А
  EXPECT_EQ(Hex(EncodeVxrKeyValue(key, record.Bytes(), {false, &tables})), "40 C0 00 00 00");
  EXPECT_EQ(Hex(EncodeVxrKeyValue(key, record.Bytes(), {true, &tables})), "42 01 00 00 00");
}

TEST(VxrKeyValue, EmptyComponentsUnderOpt) {
  struct Case {
    const char* what;
    std::function<void(RecordBuffer&)> set;
    bool hasEntry;
  };
  const std::vector<Case> cases = {
      {"cleared record", [](RecordBuffer&) {}, false},
      {"a blank surname", [](RecordBuffer& r) { (void)KEY.TEXT.Set(r, "   "); }, false},
      {"a surname", [](RecordBuffer& r) { (void)KEY.TEXT.Set(r, " A"); }, true},
      {"a number", [](RecordBuffer& r) { (void)KEY.L.Set(r, -1); }, true},
      {"a CSTRING after its terminator", [](RecordBuffer& r) { r.Bytes()[KEY.CTEXT.Declaration().offset + 1] = 'X'; },
       false},
      {"a PSTRING with a length", [](RecordBuffer& r) { (void)KEY.PTEXT.Set(r, "A"); }, true},
  };
  const VxrKey opt = KeyOver(kKeyedFields, kVxrKeyOpt, {{I::TEXT}, {I::L}, {I::CTEXT}, {I::PTEXT}});
  const VxrKey plain = KeyOver(kKeyedFields, 0, {{I::TEXT}, {I::L}, {I::CTEXT}, {I::PTEXT}});
  for (const Case& c : cases) {
    RecordBuffer record(kKeyedFields);
    c.set(record);
    EXPECT_EQ(HasKeyEntry(opt, record.Bytes()), c.hasEntry) << c.what;
    EXPECT_TRUE(HasKeyEntry(plain, record.Bytes())) << c.what;
  }
}

TEST(VxrKeyValue, DamagedInputStaysInBounds) {
  const VxrKey key = KeyOver(kKeyedFields, kVxrKeyNoCase, {{I::PTEXT}, {I::L}});
  RecordBuffer record(kKeyedFields);
  record.Bytes()[KEY.PTEXT.Declaration().offset] = 0xFF;  // a length beyond the field
  EXPECT_EQ(EncodeVxrKeyValue(key, record.Bytes()).size(), key.ValueLength());
  // A record cut short reads its missing bytes as zero.
  const std::span<const std::uint8_t> cut = record.Bytes().first(KEY.L.Declaration().offset + 1);
  EXPECT_EQ(Hex(EncodeVxrKeyValue(KeyOver(kKeyedFields, 0, {{I::L}}), cut)), "80 00 00 00");
}

constexpr KeyDeclaration kGoodKey{"NUM_KEY", "KEY:num_key", kKeyPrimary | kKeyOpt, {{"l"}}};

TEST(VxrKeyResolve, FindsFieldsAndRefusesWhatAKeyCannotBe) {
  const VxrKeysResult good = ResolveVxrKeys(kKeyedFields, std::span(&kGoodKey, 1));
  ASSERT_EQ(good.code, ErrorCode::Ok);
  ASSERT_EQ(good.keys.size(), 1u);
  EXPECT_EQ(good.keys[0].attributes, kVxrKeyPrimary | kVxrKeyOpt);
  EXPECT_EQ(good.keys[0].Components()[0].fieldIndex, I::L);
  EXPECT_EQ(good.keys[0].ValueLength(), 4u);

  static constexpr KeyDeclaration kArray{"ROWS_KEY", "", kKeyDup, {{"ROWS"}}};
  static constexpr KeyDeclaration kMissing{"NO_KEY", "", kKeyDup, {{"NOSUCH"}}};
  EXPECT_EQ(ResolveVxrKeys(kKeyedFields, std::span(&kArray, 1)).code,
            ErrorCode::InvalidFieldTypeDescriptor);
  EXPECT_EQ(ResolveVxrKeys(kKeyedFields, std::span(&kMissing, 1)).code,
            ErrorCode::InvalidRecordDeclaration);
  const std::vector<KeyDeclaration> tooMany(kMaxVxrKeys + 1, kGoodKey);
  EXPECT_EQ(ResolveVxrKeys(kKeyedFields, tooMany).code, ErrorCode::InvalidRecordDeclaration);
  const std::vector<KeyDeclaration> most(kMaxVxrKeys, kGoodKey);
  const VxrKeysResult all = ResolveVxrKeys(kKeyedFields, most);
  ASSERT_EQ(all.code, ErrorCode::Ok);
  EXPECT_EQ(all.keys.back().number, kMaxVxrKeys - 1);

  static constexpr auto kWide = LayOut(std::array{decl::String(kVxrMaxRecord - 8).Named("WIDE"),
                                                  decl::String(kVxrMaxRecord - 9).Named("NARROW")});
  static constexpr KeyDeclaration kWideKey{"W", "", 0, {{"WIDE"}}};
  static constexpr KeyDeclaration kNarrowKey{"N", "", 0, {{"NARROW"}}};
  EXPECT_EQ(ResolveVxrKeys(kWide, std::span(&kWideKey, 1)).code, ErrorCode::InvalidKeyLength);
  EXPECT_EQ(ResolveVxrKeys(kWide, std::span(&kNarrowKey, 1)).code, ErrorCode::Ok);
}

}  // namespace
}  // namespace zelvo
