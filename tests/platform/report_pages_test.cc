// Laying bands onto pages, and the outputs that need no display: the text
// listing and saving it (the file appears whole or not at all).
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/page_listing.h"
#include "platform/page_output.h"
#include "platform/report_composer.h"
#include "runtime/cp1251.h"
#include "storage/declare_fields.h"
#include "tests/testing/temporary_folder.h"

namespace zelvo {

#define ZELVO_SLIP_TEST_FIELDS(FIELD) \
  FIELD(NAME, String(10))             \
  FIELD(PAY, Decimal(7, 2))
ZELVO_DECLARE_FIELDS(SlipTest, SLT, ZELVO_SLIP_TEST_FIELDS);

namespace {

struct Placed {
  int page;
  double x, y;
  std::string text;
};

std::vector<Placed> TextsOf(const ReportPages& pages) {
  std::vector<Placed> texts;
  for (std::size_t p = 0; p < pages.pages.size(); ++p)
    for (const PageItem& item : pages.pages[p].items)
      if (item.kind == PageItem::Kind::Text) texts.push_back({static_cast<int>(p + 1), item.x, item.y, item.text});
  return texts;
}

class ReportPagesTest : public ::testing::Test {
 protected:
  RecordBuffer record_{kSlipTestFields};
};

// Bands of 91 mm in an area 270 wide: two to a row; rows of 131 in 298: two
// to a page. The fifth band starts page 2 at the area's corner.
TEST_F(ReportPagesTest, DetailBandsFillRowsThenPages) {
  ReportLayout layout(kA4Portrait, {13, 10, 270, 298});
  Band& slip = layout.Detail(91, 131);
  slip.Field(2, 6, FieldBinding("NAME", record_, SLT.NAME), "@s10");
  ReportComposer composer(layout);
  composer.Open();
  for (const char* name : {"A", "B", "C", "D", "E"}) {
    (void)SLT.NAME.Set(record_, name);
    composer.PrintBand(slip);
  }
  const SharedPages pages = composer.Finish();
  ASSERT_EQ(pages->pages.size(), 2u);
  const std::vector<Placed> texts = TextsOf(*pages);
  ASSERT_EQ(texts.size(), 5u);
  const std::vector<Placed> expected{{1, 15, 16, "A"}, {1, 106, 16, "B"}, {1, 15, 147, "C"},
                                     {1, 106, 147, "D"}, {2, 15, 16, "E"}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(texts[i].page, expected[i].page) << i;
    EXPECT_DOUBLE_EQ(texts[i].x, expected[i].x) << i;
    EXPECT_DOUBLE_EQ(texts[i].y, expected[i].y) << i;
    EXPECT_EQ(texts[i].text, expected[i].text) << i;
  }
}

// A row is as high as its tallest band; a break band starts a row of its
// own; the header and footer are laid on every page at their places.
TEST_F(ReportPagesTest, RowsTakeTheTallestBandAndBreaksStartARow) {
  ReportLayout layout(kA4Portrait, {10, 20, 100, 60});
  layout.PageHeader(10, 5, 100, 10).Text(0, 0, "head");
  layout.PageFooter(10, 85, 100, 10).Text(0, 0, "foot");
  Band& short_ = layout.Detail(40, 10);
  short_.Text(0, 0, "s");
  Band& tall = layout.Detail(40, 30);
  tall.Text(0, 0, "t");
  Band& group = layout.Detail(100, 5);
  group.Text(0, 0, "g");
  ReportComposer composer(layout);
  composer.PrintBand(short_);  // row 1 at 20
  composer.PrintBand(tall);    // beside it: the row is 30 high
  composer.PrintBreak(group);  // a row of its own at 50
  composer.PrintBand(short_);  // the full row is full: row 3 at 55
  composer.PrintBand(tall);    // beside it, in the same row
  composer.PrintBand(short_);  // row 4 would start at 85, below the area's end at 80: page 2
  const SharedPages pages = composer.Finish();
  const std::vector<Placed> texts = TextsOf(*pages);
  std::ostringstream laid;
  for (const Placed& t : texts) laid << t.page << ' ' << t.x << ' ' << t.y << ' ' << t.text << '\n';
  EXPECT_EQ(laid.str(),
            "1 10 5 head\n1 10 20 s\n1 50 20 t\n1 10 50 g\n1 10 55 s\n1 50 55 t\n1 10 85 foot\n"
            "2 10 5 head\n2 10 20 s\n2 10 85 foot\n");
}

// The listing: one line per text with its box's corner at one decimal,
// UTF-8, trailing blanks gone, texts that show nothing and rules left out;
// a blank-when-zero value is not listed. Two bands of 91 do not fit in 180:
// the second starts a row.
TEST_F(ReportPagesTest, ListingNamesEveryShownTextByPageAndPlace) {
  ReportLayout layout(kA4Portrait, {12.25, 10, 180, 280});
  Band& band = layout.Detail(91, 20);
  band.Text(1, 1, Cp1251Literal("Оклад  "));
  band.Field(15, 1, FieldBinding("PAY", record_, SLT.PAY), "@n_8.2b", {10}, TextAlignment::Right);
  band.Line(0, 0, 90, 0);
  band.Text(1, 6, "   ");
  ReportComposer composer(layout);
  (void)SLT.PAY.Set(record_, Decimal::Parse("8500"));
  composer.PrintBand(band);
  (void)SLT.PAY.Set(record_, Decimal(0));
  composer.PrintBand(band);
  EXPECT_EQ(PageListing(*composer.Finish()),
            "1\t13.3\t11.0\tОклад\n1\t27.3\t11.0\t 8500.00\n1\t13.3\t31.0\tОклад\n");
}

TEST_F(ReportPagesTest, SavedListingAppearsWholeOrNotAtAll) {
  testing_support::TemporaryFolder folder;
  ReportPages pages;
  PageItem item;
  item.x = 1;
  item.y = 2;
  item.text = "x";
  pages.pages.push_back({{item}});
  const std::string path = folder.File("out.txt");
  EXPECT_EQ(SavePages(pages, path), "");
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str(), "1\t1.0\t2.0\tx\n");
  EXPECT_NE(SavePages(pages, folder.File("missing/out.txt")), "");
  InstallPageOutput(nullptr);
  EXPECT_NE(SavePages(pages, folder.File("out.pdf")), "");  // no PDF writer here: no file
  EXPECT_FALSE(std::ifstream(folder.File("out.pdf")).good());
}

}  // namespace
}  // namespace zelvo
