#include "runtime/locale.h"

#include <gtest/gtest.h>


#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>

#include "runtime/cp1251.h"
#include "runtime/windows_character_tables.h"
#include "tests/testing/temporary_folder.h"

namespace zelvo {
namespace {

std::string W(std::string_view utf8) { return Cp1251Literal(utf8); }

// Applies an environment file written in UTF-8 (its texts converted to
// CP1251, as the file on disk would hold them) to the built-in tables.
struct Applied {
  LocaleTables tables = LocaleTables::BuiltIn();
  std::vector<LocaleDiagnostic> diagnostics;
};
Applied ApplyUtf8(std::string_view utf8) {
  Applied a;
  ApplyEnvironmentFile(W(utf8), a.tables, &a.diagnostics, "zelvo5.ENV");
  return a;
}
Applied ApplyBytes(std::string_view bytes) {
  Applied a;
  ApplyEnvironmentFile(bytes, a.tables, &a.diagnostics, "zelvo5.ENV");
  return a;
}

std::vector<int> DiagnosticLines(const Applied& a) {
  std::vector<int> lines;
  for (const auto& d : a.diagnostics) lines.push_back(d.line);
  return lines;
}

// The tables' own invariants: every case pair maps back, upper pairs with
// lower, flags are one of the four classes.
void ExpectConsistent(const LocaleTables& t) {
  for (int c = 0; c < 256; ++c) {
    const std::uint8_t flags = t.classFlags[c];
    EXPECT_TRUE(flags == kOther || flags == kUpper || flags == kLower || flags == kDigit) << c;
    if (const std::uint8_t other = t.caseMap[c]) {
      EXPECT_EQ(t.caseMap[other], c) << c;
      EXPECT_EQ(flags | t.classFlags[other], kUpper | kLower) << c;
    } else {
      EXPECT_FALSE(t.IsAlpha(static_cast<std::uint8_t>(c))) << c;
    }
  }
}

bool IsPermutation(const std::array<std::uint8_t, 256>& weights) {
  return std::set<std::uint8_t>(weights.begin(), weights.end()).size() == 256;
}

bool Less(const std::array<std::uint8_t, 256>& weights, std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) {
    return weights[static_cast<std::uint8_t>(x)] < weights[static_cast<std::uint8_t>(y)];
  });
}

TEST(LocaleTablesTest, BuiltInKnowsOnlyLatinCase) {
  const LocaleTables t = LocaleTables::BuiltIn();
  ExpectConsistent(t);
  EXPECT_EQ(t.ToUpper(W("Иванов ivanov ё")), W("Иванов IVANOV ё"));
  EXPECT_EQ(t.ToLower("Ivanov 12"), "ivanov 12");
  EXPECT_NE(t.ToUpper(W("иванов")), t.ToUpper(W("Иванов")));
  EXPECT_EQ(t.ToUpper("smith"), t.ToUpper("SMITH"));
  for (int c = 0; c < 256; ++c) {
    const std::uint8_t flags = c >= 'A' && c <= 'Z' ? kUpper : c >= 'a' && c <= 'z' ? kLower
                               : c >= '0' && c <= '9' ? kDigit : kOther;
    EXPECT_EQ(t.classFlags[c], flags) << c;
    EXPECT_EQ(t.collation[c], c);
    EXPECT_EQ(t.oemCollation[c], c);
  }
  EXPECT_EQ(t.monthNames[0], "January");
  EXPECT_EQ(t.monthNames[11], "December");
  EXPECT_EQ(t.monthAbbreviations[8], "Sep");
  EXPECT_EQ(t.am, "AM");
  EXPECT_EQ(t.pm, "PM");
  EXPECT_TRUE(t.digraphs.empty());
  EXPECT_FALSE(t.oemCharset);
  EXPECT_FALSE(t.longFileNames);
}

TEST(LocaleTablesTest, LocaleInForceStartsBuiltInAndCanBeReplaced) {
  LocaleTables custom = LocaleTables::BuiltIn();
  custom.am = "ut";
  SetLocale(custom);
  EXPECT_EQ(Locale().am, "ut");
  SetLocale(LocaleTables::BuiltIn());
  EXPECT_EQ(Locale().am, "AM");
}

TEST(RegionalSettingsTest, DefaultsWhenAbsent) {
  LocaleTables t = LocaleTables::BuiltIn();
  ApplyRegionalSettings("", t);
  EXPECT_EQ(t.regional.iTime, 0);
  EXPECT_EQ(t.regional.iTLzero, 1);
  EXPECT_EQ(t.regional.sTime, ":");
  EXPECT_EQ(t.regional.sShortDate, "MM/dd/yy");
  EXPECT_EQ(t.regional.sLongDate, "ddd', 'MMMM' 'dd', 'yyyy");
  EXPECT_EQ(t.am, "AM");
  EXPECT_EQ(t.pm, "PM");
}

TEST(RegionalSettingsTest, ReadsTheIntlSection) {
  LocaleTables t = LocaleTables::BuiltIn();
  ApplyRegionalSettings(
      "[other]\nsTime=-\n[intl]\niTime=2\niTLzero=0\nsTime=.\ns1159=morning\ns2359=\n"
      "sShortDate=dd.MM.yyyy\nsLongDate=d MMMM yyyy\n",
      t);
  EXPECT_EQ(t.regional.iTime, 1);
  EXPECT_EQ(t.regional.iTLzero, 0);
  EXPECT_EQ(t.regional.sTime, ".");
  EXPECT_EQ(t.regional.s1159, "morning");
  EXPECT_EQ(t.regional.sShortDate, "dd.MM.yyyy");
  EXPECT_EQ(t.regional.sLongDate, "d MMMM yyyy");
  EXPECT_EQ(t.am, "mo");
  EXPECT_EQ(t.pm, "");
}

TEST(EnvironmentFileTest, WindowsCasePairsCyrillicLetters) {
  const Applied a = ApplyUtf8("QORCASE=WINDOWS\n");
  EXPECT_TRUE(a.diagnostics.empty());
  ExpectConsistent(a.tables);
  EXPECT_EQ(a.tables.ToUpper(W("иванов")), W("ИВАНОВ"));
  EXPECT_EQ(a.tables.ToUpper(W("иванов")), a.tables.ToUpper(W("Иванов")));
  EXPECT_EQ(a.tables.ToLower(W("ЁЛКИН Ґ Ї Џ")), W("ёлкин ґ ї џ"));
  EXPECT_EQ(a.tables.Upper(0xB8), 0xA8);  // ё -> Ё
  EXPECT_EQ(a.tables.Lower(0xA8), 0xB8);
  EXPECT_TRUE(a.tables.IsUpper(0xA8));
  EXPECT_TRUE(a.tables.IsLower(0xB8));
  EXPECT_EQ(a.tables.ToUpper("abz"), "ABZ");
  EXPECT_FALSE(a.tables.IsAlpha(0xB5));  // µ: its capital is not in the code page
  EXPECT_FALSE(a.tables.IsAlpha(0xB9));  // №
}

TEST(EnvironmentFileTest, WindowsCasePairsFollowUnicode) {
  for (const CasePair& p : WindowsCasePairs()) {
    const char32_t upper = Cp1251ToUnicode(p.upper), lower = Cp1251ToUnicode(p.lower);
    // Cyrillic capitals sit 0x20 (А..Я), 0x50 (Ѐ..Џ) or 1 (Ґ) below their small letters.
    const char32_t distance = lower - upper;
    EXPECT_TRUE((upper >= 0x410 && upper <= 0x42F && distance == 0x20) ||
                (upper >= 0x400 && upper <= 0x40F && distance == 0x50) ||
                (upper == 0x490 && distance == 1))
        << int{p.upper};
  }
  EXPECT_EQ(WindowsCasePairs().size(), 47u);
}

TEST(EnvironmentFileTest, CaseListsAndTheirVariants) {
  struct Case {
    const char* file;
    const char* upperOfSmall;  // ToUpper("аб ё")
    std::size_t diagnostics;
  } cases[] = {
      {"QORCASE=АБ,аб\n", "АБ ё", 0},                  // equal lists: only these pairs
      {"QORCASE = А Б , а б\n", "АБ ё", 0},             // a blank is a character of each list
      {"QORCASE=windows\n", "АБ Ё", 0},
      {"QORCASE=АБВ,аб\n", "АБ Ё", 0},                 // different lengths: WINDOWS
      {"QORCASE=\n", "АБ Ё", 0},                       // zero length: WINDOWS
      {"QORCASE=Z,z\n", "аб ё", 0},                    // Latin pairs change nothing
      {"QORCASE=А,а,Б\n", "аб ё", 1},                  // three lists: skipped
      {"QORCASE=WINDOWS\nQORCASE=Б,б\n", "аБ ё", 0},   // the last line wins
      {"QORCASE=АБ,аа\n", "Бб ё", 0},                  // а pairs with Б at last; А loses it
  };
  for (const Case& c : cases) {
    const Applied a = ApplyUtf8(c.file);
    EXPECT_EQ(a.tables.ToUpper(W("аб ё")), W(c.upperOfSmall)) << c.file;
    EXPECT_EQ(a.diagnostics.size(), c.diagnostics) << c.file;
    EXPECT_EQ(a.tables.ToUpper("zq"), "ZQ") << c.file;
    ExpectConsistent(a.tables);
  }
}

TEST(EnvironmentFileTest, FileWithoutCaseRestoresBuiltIn) {
  Applied a = ApplyUtf8("QORCASE=WINDOWS\n");
  ApplyEnvironmentFile("QORLFN=on\n", a.tables, nullptr);
  EXPECT_EQ(a.tables.caseMap, LocaleTables::BuiltIn().caseMap);
  EXPECT_EQ(a.tables.classFlags, LocaleTables::BuiltIn().classFlags);
  EXPECT_TRUE(a.tables.longFileNames);
}

TEST(EnvironmentFileTest, WindowsCollationSortsLinguistically) {
  const Applied a = ApplyUtf8("QORCOLSEQ=WINDOWS\n");
  EXPECT_TRUE(a.diagnostics.empty());
  const auto& w = a.tables.collation;
  EXPECT_TRUE(IsPermutation(w));
  EXPECT_EQ(w, WindowsCollationWeights());
  const char* sorted[] = {"", " x", "-x", "(x)", "1", "10", "9", "apple", "Apple", "b",
                          "Zebra", "µ", "Ангел", "ель", "Ель", "ёж", "Ёж", "жук", "Жук", "іній",
                          "йод", "яма", "Яма"};
  for (std::size_t i = 0; i + 1 < std::size(sorted); ++i) {
    EXPECT_TRUE(Less(w, W(sorted[i]), W(sorted[i + 1]))) << sorted[i] << " < " << sorted[i + 1];
  }
  // Without the table, codes decide: capitals before small letters, Latin after digits, ё before а.
  EXPECT_TRUE(Less(LocaleTables::BuiltIn().collation, W("ёж"), W("ангел")));
  EXPECT_TRUE(Less(w, W("ангел"), W("ёж")));
  // OEM weights follow through the characters; pseudo-graphics come last.
  EXPECT_TRUE(IsPermutation(a.tables.oemCollation));
  EXPECT_LT(a.tables.oemCollation[0xA5], a.tables.oemCollation[0xF1]);  // е < ё
  EXPECT_LT(a.tables.oemCollation[0xF1], a.tables.oemCollation[0xA6]);  // ё < ж
  EXPECT_GT(a.tables.oemCollation[0xC4], a.tables.oemCollation[0xEF]);  // ─ after я
}

TEST(EnvironmentFileTest, CollationSequenceAndEmpty) {
  {
    const Applied a = ApplyUtf8("QORCOLSEQ=cba\n");
    EXPECT_TRUE(IsPermutation(a.tables.collation));
    EXPECT_EQ(a.tables.collation['c'], 'a');
    EXPECT_EQ(a.tables.collation['b'], 'b');
    EXPECT_EQ(a.tables.collation['a'], 'c');
    EXPECT_EQ(a.tables.collation['d'], 'd');
    EXPECT_TRUE(IsPermutation(a.tables.oemCollation));
  }
  {
    const Applied a = ApplyUtf8("QORCOLSEQ=\"ЯЁ \"\n");
    EXPECT_EQ(a.tables.collation[0xDF], ' ');   // Я takes the lowest of the three places
    EXPECT_EQ(a.tables.collation[0xA8], 0xA8);
    EXPECT_EQ(a.tables.collation[' '], 0xDF);
  }
  {
    const Applied a = ApplyUtf8("QORCOLSEQ=WINDOWS\nQORCOLSEQ=\n");
    EXPECT_EQ(a.tables.collation, LocaleTables::BuiltIn().collation);
    EXPECT_EQ(a.tables.oemCollation, LocaleTables::BuiltIn().oemCollation);
  }
  {
    const Applied a = ApplyUtf8("QORCOLSEQ=abca\n");
    EXPECT_EQ(DiagnosticLines(a), std::vector<int>{1});
    EXPECT_EQ(a.tables.collation, LocaleTables::BuiltIn().collation);
  }
}

TEST(EnvironmentFileTest, MonthTexts) {
  const Applied a = ApplyUtf8(
      "QORMONTH=Январь,Февраль,Март,Апрель,Май,Июнь,Июль,Август,Сентябрь,Октябрь,Ноябрь,Декабрь\n"
      "QORMON=Янв,Фев,Мар,Апр,Май,Июн,Июл,Авг,Сен,Окт,Ноя,Дек\n");
  EXPECT_TRUE(a.diagnostics.empty());
  EXPECT_EQ(a.tables.monthNames[0], W("Январь"));
  EXPECT_EQ(a.tables.monthNames[8], W("Сентябрь"));
  EXPECT_EQ(a.tables.monthAbbreviations[4], W("Май"));
  EXPECT_EQ(a.tables.monthAbbreviations[11], W("Дек"));

  const char* unusable[] = {
      "QORMONTH=a,b,c,d,e,f,g,h,i,j,k\n",                    // 11 names
      "QORMONTH=a,b,c,d,e,f,g,h,i,j,k,l,m\n",                // 13 names
      "QORMONTH=a,b,c,d,e,f,g,h,i,j,k,Thirteenchars\n",      // a name too long
      "QORMONTH=a,b,c,d,e,,g,h,i,j,k,l\n",                   // an empty name
      "QORMON=Jan,Feb,Mar,Apr,May,Jun,Jul,Aug,Sep,Oct,Nov,De\n",
      "QORMON=Jan,Feb,Mar,Apr,May,Jun,Jul,Aug,Sep,Oct,Nov,Decm\n",
  };
  for (const char* file : unusable) {
    const Applied b = ApplyUtf8(file);
    EXPECT_EQ(DiagnosticLines(b), std::vector<int>{1}) << file;
    EXPECT_EQ(b.tables.monthNames, LocaleTables::BuiltIn().monthNames) << file;
    EXPECT_EQ(b.tables.monthAbbreviations, LocaleTables::BuiltIn().monthAbbreviations) << file;
  }
}

TEST(EnvironmentFileTest, ValueSyntax) {
  struct Case {
    std::string_view file;  // CP1251 bytes as stored
    int message;
    std::string_view expected;
  } cases[] = {
      {"QORMSG1=plain text   \n", 1, "plain text"},
      {"QORMSG2=\"  quoted  \"  \n", 2, "  quoted  "},
      {"QORMSG3=\"say \"\"hi\"\"\"\n", 3, "say \"hi\""},
      {"QORMSG4=a<65><066>c<256><x><>< 1>\n", 4, "aABc<256><x><>< 1>"},
      {"Q OR msg 5 =x\n", 5, "x"},
      {"qormsg6=  lead\r\n", 6, "lead"},
      {"QORMSG7=a,b  , c\n", 7, "a,b  , c"},
      {"QORMSG8=\"<200>\"\n", 8, "\xC8"},
      {"QORMSG9=x = y\n", 9, "x = y"},
      {"QORMSG10=\n", 10, ""},
  };
  for (const Case& c : cases) {
    const Applied a = ApplyBytes(c.file);
    EXPECT_TRUE(a.diagnostics.empty()) << c.file;
    ASSERT_EQ(a.tables.messages.count(c.message), 1u) << c.file;
    EXPECT_EQ(a.tables.messages.at(c.message), c.expected) << c.file;
  }
}

TEST(EnvironmentFileTest, ListsAndOtherKeys) {
  const Applied a = ApplyUtf8(
      "QORBUTTON=&Да, &Нет ,\"Отмена, потом\",<79>K\n"
      "QORDIGRAPH=AEA,OEO\n"
      "QORLFN=ON\n"
      "QORSYSTEMCHARSET=RUSSIAN\n"
      "QORAMPM=дп,пп\n");
  EXPECT_TRUE(a.diagnostics.empty());
  EXPECT_EQ(a.tables.buttonCaptions,
            (std::vector<std::string>{W("&Да"), W("&Нет"), W("Отмена, потом"), "OK"}));
  ASSERT_EQ(a.tables.digraphs.size(), 2u);
  EXPECT_EQ(std::string(a.tables.digraphs[1].data(), 3), "OEO");
  EXPECT_TRUE(a.tables.longFileNames);
  EXPECT_EQ(a.tables.systemCharset, "RUSSIAN");
  EXPECT_EQ(a.tables.am, W("дп"));
  EXPECT_EQ(a.tables.pm, W("пп"));

  EXPECT_EQ(ApplyUtf8("QORDIGRAPH=AEAOEO\n").tables.digraphs.size(), 2u);
  EXPECT_EQ(ApplyUtf8("QORLFN=off\n").tables.longFileNames, false);

  LocaleTables t = LocaleTables::BuiltIn();
  ApplyRegionalSettings("[intl]\ns1159=am\ns2359=pmx\n", t);
  ApplyEnvironmentFile("QORAMPM=XX,YY\nQORAMPM=Windows\n", t, nullptr);
  EXPECT_EQ(t.am, "am");
  EXPECT_EQ(t.pm, "pm");
}

TEST(EnvironmentFileTest, UnusableLinesAreReportedAndSkipped) {
  const Applied a = ApplyUtf8(
      "QORLFN=on\n"
      "just text\n"
      "=value\n"
      "QORUNKNOWN=1\n"
      "QORLFN=maybe\n"
      "QORAMPM=one\n"
      "QORAMPM=abc,d\n"
      "QORDIGRAPH=AB\n"
      "QORDIGRAPH=aaabbbcccdddeeefffggghhhiiijjjkkklllmmmnnnooopppqqq\n"
      "QORMSGX=1\n"
      "QORMSG-1=1\n"
      "QORMSG99999999999=1\n"
      "QORMSG1=\"open\n"
      "QORMSG2=\"closed\" extra\n"
      "\n"
      "   \n"
      "QORMSG3=ok\n");
  EXPECT_EQ(DiagnosticLines(a), (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}));
  EXPECT_TRUE(a.tables.longFileNames);
  EXPECT_EQ(a.tables.am, "AM");
  EXPECT_TRUE(a.tables.digraphs.empty());
  EXPECT_EQ(a.tables.messages, (std::map<int, std::string>{{3, "ok"}}));
  for (const auto& d : a.diagnostics) {
    EXPECT_EQ(d.source, "zelvo5.ENV");
    EXPECT_TRUE(IsValidUtf8(d.text)) << d.text;
  }
}

TEST(EnvironmentFileTest, EndOfFileByteStopsReading) {
  const Applied a = ApplyBytes("QORLFN=on\n\x1AQORSYSTEMCHARSET=X\n");
  EXPECT_TRUE(a.tables.longFileNames);
  EXPECT_EQ(a.tables.systemCharset, "");
  EXPECT_TRUE(a.diagnostics.empty());
}

TEST(EnvironmentFileTest, OemFileTextsAreConverted) {
  // "Янв" and "Фев" in the OEM code page; the line precedes QORCHARSET.
  const Applied a = ApplyBytes(
      "QORMON=\x9F\xAD\xA2,\x94\xA5\xA2,Mar,Apr,May,Jun,Jul,Aug,Sep,Oct,Nov,Dec\n"
      "QORCHARSET=oem\n"
      "QORCASE=\xF0,\xF1\n"     // Ё,ё
      "QORMSG1=<240>\n"         // Ё by its OEM code
      "QORMSG2=\xC4\xC4\n");    // box drawing: no Windows form
  EXPECT_TRUE(a.tables.oemCharset);
  EXPECT_EQ(a.tables.monthAbbreviations[0], W("Янв"));
  EXPECT_EQ(a.tables.monthAbbreviations[1], W("Фев"));
  EXPECT_EQ(a.tables.Upper(0xB8), 0xA8);
  EXPECT_EQ(a.tables.messages.at(1), W("Ё"));
  EXPECT_EQ(a.tables.messages.count(2), 0u);
  EXPECT_EQ(DiagnosticLines(a), std::vector<int>{5});

  const Applied windows = ApplyBytes("QORCHARSET=WINDOWS\nQORMSG1=\xC4\n");
  EXPECT_FALSE(windows.tables.oemCharset);
  EXPECT_EQ(windows.tables.messages.at(1), "\xC4");
}

class LoadLocaleTest : public ::testing::Test {
 protected:
  void TearDown() override { SetLocale(LocaleTables::BuiltIn()); }
  std::string Write(const char* name, std::string_view bytes) {
    const auto path = (dir_ / name).string();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
  }
  testing_support::TemporaryFolder folder_;
  const std::filesystem::path& dir_ = folder_.Path();
};

TEST_F(LoadLocaleTest, WiresProfileThenEnvironmentFile) {
  const auto ini = Write("win.ini", "[intl]\ns1159=am\ns2359=pm\nsShortDate=dd.MM.yy\n");
  const auto env = Write("zelvo5.ENV", W("QORCASE=WINDOWS\nQORAMPM=WINDOWS\nbad line\n"));
  const auto diagnostics = LoadLocale(ini, env);
  ASSERT_EQ(diagnostics.size(), 1u);
  EXPECT_EQ(diagnostics[0].source, env);
  EXPECT_EQ(diagnostics[0].line, 3);
  EXPECT_EQ(Locale().regional.sShortDate, "dd.MM.yy");
  EXPECT_EQ(Locale().am, "am");
  EXPECT_EQ(Locale().ToUpper(W("ёлкин")), W("ЁЛКИН"));
}

TEST_F(LoadLocaleTest, MissingFilesLeaveBuiltInTables) {
  SetLocale(ApplyUtf8("QORCASE=WINDOWS\n").tables);
  EXPECT_TRUE(LoadLocale((dir_ / "none.ini").string(), (dir_ / "none.ENV").string()).empty());
  EXPECT_EQ(Locale().caseMap, LocaleTables::BuiltIn().caseMap);
  EXPECT_TRUE(LoadLocale("", "").empty());
  const auto diagnostics = LoadLocale("", dir_.string());  // a folder is no file
  ASSERT_EQ(diagnostics.size(), 1u);
  EXPECT_EQ(diagnostics[0].line, 0);
}

TEST(EnvironmentFilePathTest, BesideTheProgram) {
  const std::string path = EnvironmentFilePath();
  const auto exe = std::filesystem::read_symlink("/proc/self/exe");
  EXPECT_EQ(path, (exe.parent_path() / "zelvo5.ENV").string());
}

}  // namespace
}  // namespace zelvo
