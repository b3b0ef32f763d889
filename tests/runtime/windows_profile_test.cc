#include "runtime/windows_profile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "runtime/cp1251.h"
#include "tests/testing/temporary_folder.h"

namespace zelvo {
namespace {

TEST(WindowsProfileTest, ReadsSectionsAndKeysWithoutRegardToCase) {
  const auto p = WindowsProfile::Parse(
      "top=ignored\n"
      "; comment\n"
      "[intl]\r\n"
      "  sTime = .  \r\n"
      "iTime=1\n"
      "sLongDate=dddd', 'MMMM' 'dd\n"
      "  ;sShortDate=x\n"
      "s1159=\"  \"\n"
      "iTime=0\n"
      "no equals sign\n"
      "[ZRVIEW]\n"
      "Trace = 1\n"
      "[INTL]\n"
      "s2359=pm\n"
      "[broken\n"
      "lost=1\n");
  struct Case {
    const char* section;
    const char* key;
    const char* expected;
  } cases[] = {
      {"intl", "sTime", "."},       {"INTL", "STIME", "."},
      {"Intl", "iTime", "1"},       {"intl", "sLongDate", "dddd', 'MMMM' 'dd"},
      {"intl", "sShortDate", "-"},  {"intl", "s1159", "  "},
      {"intl", "s2359", "pm"},      {"zrview", "trace", "1"},
      {"", "top", "-"},             {"intl", "lost", "-"},
      {"broken", "lost", "-"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(p.GetString(c.section, c.key, "-"), c.expected) << c.section << "/" << c.key;
  }
  EXPECT_TRUE(p.Problems().empty());
}

TEST(WindowsProfileTest, GetIntTakesTheLeadingNumber) {
  const auto p = WindowsProfile::Parse(
      "[s]\na=12abc\nb=-3\nc=+4\nd=abc\ne=99999999999\nf=\n");
  struct Case {
    const char* key;
    int expected;
  } cases[] = {{"a", 12}, {"b", -3}, {"c", 4}, {"d", 7}, {"e", 7}, {"f", 7}, {"absent", 7}};
  for (const Case& c : cases) EXPECT_EQ(p.GetInt("s", c.key, 7), c.expected) << c.key;
}

TEST(WindowsProfileTest, DecodesUtf8OrTakesCp1251) {
  const std::string expected = Cp1251Literal("Январь");
  const auto utf8 = WindowsProfile::Parse("\xEF\xBB\xBF[intl]\nname=Январь\n");
  const auto cp1251 = WindowsProfile::Parse("[intl]\nname=" + expected + "\n");
  EXPECT_EQ(utf8.GetString("intl", "name", ""), expected);
  EXPECT_EQ(cp1251.GetString("intl", "name", ""), expected);
}

TEST(WindowsProfileTest, Utf8LineWithForeignCharacterIsReported) {
  const auto p = WindowsProfile::Parse("[intl]\nsTime=中\nsDate=/\n");
  EXPECT_EQ(p.GetString("intl", "sTime", ":"), ":");
  EXPECT_EQ(p.GetString("intl", "sDate", "."), "/");
  ASSERT_EQ(p.Problems().size(), 1u);
  EXPECT_EQ(p.Problems()[0].line, 2);
}

TEST(WindowsProfileTest, PathFollowsTheConfigurationFolder) {
  struct Case {
    const char* xdg;
    const char* home;
    const char* expected;
  } cases[] = {
      {"/x/cfg", "/home/u", "/x/cfg/zelvo/win.ini"},
      {"/x/cfg/", "/home/u", "/x/cfg/zelvo/win.ini"},
      {nullptr, "/home/u", "/home/u/.config/zelvo/win.ini"},
      {"", "/home/u", "/home/u/.config/zelvo/win.ini"},
      {"relative", "/home/u", "/home/u/.config/zelvo/win.ini"},
      {nullptr, nullptr, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WindowsProfilePath(c.xdg, c.home), c.expected) << (c.xdg ? c.xdg : "(unset)");
  }
}

TEST(WindowsProfileTest, LoadsFilesAndToleratesAbsence) {
  const testing_support::TemporaryFolder folder;
  const std::filesystem::path& dir = folder.Path();
  const auto path = (dir / "win.ini").string();
  {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(f);
    std::fputs("[intl]\niTime=1\n", f);
    std::fclose(f);
  }
  EXPECT_EQ(WindowsProfile::Load(path).GetInt("intl", "iTime", 0), 1);

  const auto absent = WindowsProfile::Load((dir / "none.ini").string());
  EXPECT_TRUE(absent.Problems().empty());
  EXPECT_EQ(absent.GetInt("intl", "iTime", 0), 0);

  const auto directory = WindowsProfile::Load(dir.string());
  EXPECT_EQ(directory.Problems().size(), 1u);
}

}  // namespace
}  // namespace zelvo
