#include "core/dictionary.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace zelvo {
namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

struct TableCase {
  std::string_view label, prefix, fileName;
  Driver driver;
  std::string_view messageName;
  std::size_t recordSize;
  std::size_t fieldCount;
  std::size_t keyCount;
};

// In the order the start-up binds the table managers.
constexpr TableCase kTableCases[] = {
    {"BASA", "BAS", "BASA", Driver::Vxr, "basa", 859, 51, 2},
    {"OSNOVA", "OSN", "OSNOVA", Driver::Vxr, "osnova", 663, 14, 0},
    {"NDFL", "ND", "NDFL", Driver::Ascii, "ndfl", 255, 1, 0},
    {"PENSTA", "PEN", "C:\\INP_2004\\BASE2004\\PENSTA.DBF", Driver::Dbase, "pensta", 134, 18, 0},
    {"SPISOK", "SPI", "C:\\INP_2004\\BASE2004\\SPISOK.DBF", Driver::Dbase, "spisok", 1801, 134, 0},
    {"AVANSNEW", "ABN", "AVANSNEW", Driver::Vxr, "avansnew", 64, 13, 1},
    {"KATEGOR", "KAT", "KATEGOR", Driver::Vxr, "kategor", 80, 5, 1},
    {"K1O", "K1O", "K1O", Driver::Vxr, "K1o", 64, 6, 1},
    {"K2RN", "K2RN", "K2R", Driver::Vxr, "K2r", 67, 7, 3},
    {"K3G", "K3G", "K3G", Driver::Vxr, "K3g", 71, 9, 3},
    {"K4NP", "K4NP", "K4NP", Driver::Vxr, "K4np", 74, 10, 3},
    {"K5UL", "K5UL", "K5UL", Driver::Vxr, "K5ul", 77, 10, 5},
    {"UCHASTOK", "UCH", "UCHASTOK", Driver::Vxr, "uchastok", 20, 1, 1},
    {"SDELKA", "SDE", "SDELKA", Driver::Vxr, "sdelka", 752, 10, 1},
    {"NZELVO", "NPL", "NZELVO", Driver::Vxr, "nzelvo", 188, 46, 2},
    {"OBEKT", "OBE", "OBEKT", Driver::Vxr, "obekt", 20, 1, 1},
    {"BOLNICA", "BOL", "BOLNICA", Driver::Vxr, "bolnica", 91, 12, 2},
    {"KONST", "KON", "KONST", Driver::Vxr, "konst", 36, 3, 1},
    {"NBASA", "NBA", "NBASA", Driver::Vxr, "nbasa", 242, 51, 2},
    {"DNI", "DNI", "DNI", Driver::Vxr, "dni", 6, 2, 1},
};

TEST(Dictionary, DeclaresEveryTableAsTheRegisterLists) {
  ASSERT_EQ(Tables().size(), std::size(kTableCases));
  for (std::size_t i = 0; i < Tables().size(); ++i) {
    const TableDeclaration& table = *Tables()[i];
    const TableCase& expected = kTableCases[i];
    SCOPED_TRACE(expected.label);
    EXPECT_EQ(table.label, expected.label);
    EXPECT_EQ(table.prefix, expected.prefix);
    EXPECT_EQ(table.fileName, expected.fileName);
    EXPECT_EQ(table.driver, expected.driver);
    EXPECT_EQ(table.messageName, expected.messageName);
    EXPECT_EQ(table.RecordSize(), expected.recordSize);
    EXPECT_EQ(RecordBuffer(table).Size(), expected.recordSize);
    EXPECT_EQ(table.fields.size(), expected.fieldCount);
    EXPECT_EQ(table.keys.size(), expected.keyCount);
    EXPECT_TRUE(table.create);
    EXPECT_EQ(table.lockRecover, 10);
    EXPECT_EQ(FindTable(Lower(expected.label)), &table);
    EXPECT_EQ(FindTableByPrefix(expected.prefix), &table);
  }
  EXPECT_EQ(FindTable("NOSUCH"), nullptr);
}

TEST(Dictionary, FieldsLieEndToEndWithoutGaps) {
  for (const TableDeclaration* table : Tables()) {
    SCOPED_TRACE(table->label);
    std::uint32_t next = 0;
    for (const FieldDeclaration& field : table->fields) {
      EXPECT_EQ(field.offset, next) << field.name;
      next += field.Bytes();
    }
  }
}

TEST(Dictionary, FieldOffsetsAndShapes) {
  struct Case {
    FieldHandle handle;
    std::uint32_t offset;
    std::uint32_t bytes;
    std::size_t number;
  };
  const Case cases[] = {
      {BAS.NUM, 0, 3, 1},          {BAS.ALIMENT, 69, 1, 8},      {BAS.IGD1, 119, 7, 14},
      {BAS.D5, 170, 4, 23},        {BAS.ADRESS, 536, 200, 47},   {BAS.POL, 750, 4, 49},
      {BAS.SUMPRED, 854, 5, 51},   {NBA.SUMM, 119, 5, 25},       {NBA.SUMNG, 133, 6, 28},
      {NBA.NOCHNYE, 238, 4, 51},   {NPL.PRPR, 152, 3, 34},       {SDE.FAM, 89, 400, 5},
      {SDE.P, 749, 3, 10},         {KON.VAL, 31, 5, 3},          {SPI.METKA, 995, 1, 33},
      {SPI.FLAGI, 1781, 20, 134},  {PEN.NOMPACK, 126, 8, 18},    {K5UL.KODULI, 61, 4, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.handle.Name());
    EXPECT_EQ(c.handle.Declaration().offset, c.offset);
    EXPECT_EQ(c.handle.Declaration().Bytes(), c.bytes);
    EXPECT_EQ(c.handle.Number(), c.number);
  }
  EXPECT_EQ(SDE.NUM.Count(), 20u);
  EXPECT_EQ(SDE.SUMTARS.Declaration().ElementBytes(), 5u);
  EXPECT_EQ(SPI.NOM.Declaration().externalName, "NOM=N(10.0)");
  EXPECT_EQ(SPI.METKA.Declaration().externalName, "METKA=L");
  EXPECT_EQ(PEN.VSDOP3.Declaration().externalName, "VSDOP3=N(7.2)");
}

TEST(Dictionary, KeysResolveAndCarryTheirAttributes) {
  for (const TableDeclaration* table : Tables()) {
    SCOPED_TRACE(table->label);
    EXPECT_TRUE(NamesResolve(*table));
    for (const KeyDeclaration& key : table->keys) {
      SCOPED_TRACE(key.name);
      for (const KeyComponent& part : key.Components()) {
        EXPECT_TRUE(table->Field(part.field).has_value()) << part.field;
        EXPECT_TRUE(part.ascending);
      }
      // The description is the key's full name in lower case, but for the
      // capital letter of the classifier prefixes.
      EXPECT_EQ(Lower(key.description), Lower(std::string(table->prefix) + ":" + std::string(key.name)));
      const bool employeeNumber = table == &kBasaTable && key.name == "NUM_KEY";
      EXPECT_EQ(key.attributes, employeeNumber ? kKeyOpt | kKeyNoCase | kKeyPrimary : kKeyDupOptNoCase);
    }
  }
  EXPECT_EQ(kBasaTable.PrimaryKey(), 0u);
  EXPECT_EQ(kNbasaTable.PrimaryKey(), std::nullopt);
  EXPECT_EQ(kK2rnKeys[1].description, "K2rn:reg_key");
  // The constants are ordered by name, not by code.
  EXPECT_EQ(kKonstKeys[0].Components()[0].field, "NM");
}

TEST(Dictionary, RelationsLinkThePayTables) {
  ASSERT_EQ(Relations().size(), 6u);
  for (const RelationDeclaration& relation : Relations()) {
    SCOPED_TRACE(std::string(relation.from->label) + " -> " + std::string(relation.to->label));
    EXPECT_TRUE(LinksResolve(relation));
  }
  const RelationDeclaration& payLines = Relations()[2];
  EXPECT_EQ(payLines.from, &kNbasaTable);
  EXPECT_EQ(payLines.to, &kNzelvoTable);
  ASSERT_EQ(payLines.Links().size(), 2u);
  EXPECT_EQ(payLines.Links()[1].left, "DATA");
  EXPECT_EQ(payLines.RelatedKey(), 0u);
  EXPECT_EQ(payLines.update, RelationMode::None);
  EXPECT_EQ(payLines.remove, RelationMode::Cascade);
  for (std::size_t i : {0u, 1u}) {
    EXPECT_EQ(Relations()[i].from, &kBasaTable);
    EXPECT_EQ(Relations()[i].remove, RelationMode::None);
  }
  for (std::size_t i : {3u, 4u, 5u}) EXPECT_TRUE(Relations()[i].TowardsParent());
}

// The dictionary's own compile-time check rejects misnamed fields and keys.
constexpr KeyDeclaration kTypoKeys[] = {{"FAM_KEY", "X:fam_key", kKeyDupOptNoCase, {{"FAMM"}}}};
constexpr TableDeclaration kTypoTable{.label = "X", .prefix = "X", .fields = kBasaFields, .keys = kTypoKeys};
static_assert(!NamesResolve(kTypoTable));
// A link whose related key does not start with the linked field.
constexpr RelationDeclaration kWrongKey{kBasaTable, kNbasaTable, {{"NUM", "NUM"}},
                                        "FAM_KEY", RelationMode::None, RelationMode::None};
static_assert(!LinksResolve(kWrongKey));
constexpr RelationDeclaration kMissingField{kBasaTable, kNbasaTable, {{"NUMBER", "NUM"}},
                                            "NUM_KEY", RelationMode::None, RelationMode::None};
static_assert(!LinksResolve(kMissingField));

}  // namespace
}  // namespace zelvo
