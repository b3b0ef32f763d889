#include <gtest/gtest.h>

#include "framework/browse/letter_scale.h"
#include "framework/browse/thumb_scale.h"

namespace zelvo {
namespace {

TEST(LetterScaleTest, TakesTheAdmittedCharactersInCollatingOrder) {
  EXPECT_EQ(LetterScale(4).SortChars(), "0123456789");
  const std::string letters = LetterScale(1).SortChars();
  EXPECT_EQ(letters.substr(0, 26), "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  EXPECT_EQ(letters.size(), 26u + 33u) << "the Latin and the Cyrillic capitals";
  EXPECT_EQ(LetterScale(1 | 8).SortChars().size(), 2 * (26u + 33u));
  EXPECT_EQ(LetterScale(2).SortChars().size(), 30u) << "31 symbols, one of them listed twice";
  EXPECT_EQ(LetterScale(1 | 4).SortChars().substr(0, 11), "0123456789A");
}

TEST(LetterScaleTest, SpreadsTheValuesBetweenTheLimits) {
  LetterScale scale(1);
  scale.SetScaleLimits("ADAMS", "ZIMMER");
  EXPECT_EQ(scale.Root(), "");
  EXPECT_EQ(scale.ScaleValue(100), "ZIMM");
  EXPECT_EQ(scale.ScaleValue(0), scale.ScaleValue(1)) << "0 is taken as 1";
  EXPECT_EQ(scale.ScalePercentile("ADAMS"), 1) << "below the first step";
  EXPECT_EQ(scale.ScalePercentile("ZZ"), 100);
  const std::string middle = *scale.ScaleValue(50);
  EXPECT_EQ(scale.ScalePercentile(middle), 50);
  EXPECT_LT(scale.ScalePercentile("BROWN"), scale.ScalePercentile("SMITH"));
}

TEST(LetterScaleTest, KeepsTheCommonBeginningAsItsRoot) {
  LetterScale scale(1);
  scale.SetScaleLimits("SMITH", "SMYTHE");
  EXPECT_EQ(scale.Root(), "SM");
  EXPECT_EQ(scale.ScaleValue(1)->substr(0, 2), "SM");
  EXPECT_EQ(scale.ScaleValue(100), "SMYTHE");
}

TEST(LetterScaleTest, ADescendingKeyReadsTheStepsFromTheOtherEnd) {
  LetterScale up(1), down(1 | 16);
  up.SetScaleLimits("ADAMS", "ZIMMER");
  down.SetScaleLimits("ZIMMER", "ADAMS");
  EXPECT_EQ(down.ScaleValue(30), up.ScaleValue(70));
  EXPECT_EQ(down.ScalePercentile(*up.ScaleValue(70)), 30);
  EXPECT_EQ(down.ScalePercentile("ZZZ"), 1) << "0 is reported as 1";
}

TEST(NumberScaleTest, IsLinearBetweenItsLimits) {
  NumberScale scale(100, 300);
  EXPECT_EQ(scale.ScaleValue(25), "150");
  EXPECT_EQ(scale.ScalePercentile("250"), 75);
  EXPECT_EQ(scale.ScalePercentile("1000"), 100);
  EXPECT_FALSE(scale.ScaleNeedsLimits());
  EXPECT_EQ(NumberScale(7, 7).ScalePercentile("7"), 50);
}

TEST(FixedScaleTest, PutsEverythingInTheMiddle) {
  FixedScale scale;
  EXPECT_EQ(scale.ScalePercentile("whatever"), 50);
  EXPECT_FALSE(scale.ScaleValue(80).has_value());
}

}  // namespace
}  // namespace zelvo
