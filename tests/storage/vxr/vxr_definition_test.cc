#include "storage/vxr/internal/vxr_definition.h"

#include <gtest/gtest.h>

#include <string>

#include "storage/declare_fields.h"

namespace zelvo {
namespace {

using std::string_literals::operator""s;

constexpr auto kFields = LayOut(std::array{decl::Long().Named("NUM"), decl::Decimal(5, 2).Named("SUMM"),
                                           decl::String(3).Named("FAM")});
constexpr KeyDeclaration kKeys[] = {{"NUM_KEY", "BAS:num_key", kKeyPrimary | kKeyOpt, {{"NUM"}}},
                                    {"FAM_KEY", "", kKeyDup, {{"FAM", false}}}};

TEST(VxrDefinition, StreamBytes) {
  const std::string stream = EncodeVxrDefinition(VxrDefinitionOf(kFields, kKeys));
  const std::string expected =
      "\x01\x00" "\x0A\x00" "\x03\x00" "\x00\x00" "\x02\x00"s         // version, size, counts
      "\x06" "\x00\x00" "NUM\x00" "\x01\x00" "\x04\x00" "\x00\x00" "\x00\x00"s
      "\x0A" "\x04\x00" "SUMM\x00" "\x01\x00" "\x03\x00" "\x00\x00" "\x01\x00" "\x05\x02"s
      "\x12" "\x07\x00" "FAM\x00" "\x01\x00" "\x03\x00" "\x00\x00" "\x02\x00" "\x00\x00" "\x00\x01"s
      "\x00\x01" "NUM_KEY\x00" "\x12" "\x01\x00" "\x00\x00" "\x00\x00"s  // OPT | PRIMARY
      "\x00\x01" "FAM_KEY\x00" "\x01" "\x01\x00" "\x02\x00" "\x01\x00"s;  // DUP, descending
  EXPECT_EQ(stream, expected);
  const auto back = DecodeVxrDefinition(stream);
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(EncodeVxrDefinition(*back), stream);
}

TEST(VxrDefinition, DamagedStreamsAreRefused) {
  const std::string stream = EncodeVxrDefinition(VxrDefinitionOf(kFields, kKeys));
  for (std::size_t cut = 0; cut < stream.size(); ++cut) {
    EXPECT_FALSE(DecodeVxrDefinition(stream.substr(0, cut)).has_value()) << cut;
  }
  EXPECT_FALSE(DecodeVxrDefinition(stream + "x").has_value());
  std::string badType = stream;
  badType[10] = 0x0B;
  EXPECT_FALSE(DecodeVxrDefinition(badType).has_value());
  EXPECT_FALSE(DecodeVxrDefinition("\x01\x00\x00\x00\xFF\xFF\xFF\xFF\xFF\xFF"s).has_value());
}

TEST(VxrDefinition, Comparison) {
  const VxrDefinition declared = VxrDefinitionOf(kFields, kKeys);
  struct Case {
    const char* what;
    void (*change)(VxrDefinition&);
    VxrDefinitionMatch match;
  };
  const Case cases[] = {
      {"same", [](VxrDefinition&) {}, VxrDefinitionMatch::Same},
      {"field renamed", [](VxrDefinition& d) { d.fields[0].name.bytes = "NOMER"; }, VxrDefinitionMatch::NamesOnly},
      {"key label", [](VxrDefinition& d) { d.keys[1].label.bytes = "X"; }, VxrDefinitionMatch::NamesOnly},
      {"primary bit", [](VxrDefinition& d) { d.keys[0].attributes &= 0xEF; }, VxrDefinitionMatch::Same},
      {"dup bit", [](VxrDefinition& d) { d.keys[0].attributes |= 1; }, VxrDefinitionMatch::Different},
      {"places", [](VxrDefinition& d) { d.fields[1].places = 1; }, VxrDefinitionMatch::Different},
      {"size", [](VxrDefinition& d) { d.fields[2].size = 4; }, VxrDefinitionMatch::Different},
      {"type", [](VxrDefinition& d) { d.fields[0].type = 7; }, VxrDefinitionMatch::Different},
      {"component order", [](VxrDefinition& d) { d.keys[1].components[0].flags = 0; }, VxrDefinitionMatch::Different},
      {"one key less", [](VxrDefinition& d) { d.keys.pop_back(); }, VxrDefinitionMatch::Different},
      {"record size", [](VxrDefinition& d) { d.recordSize = 11; }, VxrDefinitionMatch::Different},
  };
  for (const Case& c : cases) {
    VxrDefinition stored = declared;
    c.change(stored);
    EXPECT_EQ(CompareVxrDefinitions(stored, declared), c.match) << c.what;
  }
}

}  // namespace
}  // namespace zelvo
