// The report runner and its preview on the headless back end: a report of
// the people, one band per person, its progress, its pages in the preview,
// paging through them, and what reaches the printer.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <optional>
#include <sstream>

#include "framework/report/page_selection.h"
#include "framework/report/report_runner.h"
#include "platform/headless/headless_session.h"
#include "platform/page_output.h"
#include "tests/framework/browse/browse_test_support.h"

namespace zelvo::testing_support {
namespace {

// What was sent to the printer.
struct RecordingOutput final : PageOutput {
  std::string WritePdf(const ReportPages&, const std::string&) override { return "no PDF here"; }
  std::string Print(const ReportPages& pages) override {
    printed.push_back(pages);
    return {};
  }
  std::vector<ReportPages> printed;
};

// The people, `perPage` bands of one name to a page.
class PeopleReport final : public ReportRunner {
 public:
  PeopleReport(View& view, RelationSet& people, RecordBuffer& person, ErrorReporter& reporter, IniStore& settings,
               int perPage)
      : ReportRunner("PeopleReport", reporter, settings),
        view_(view),
        people_(people),
        layout_(kA4Portrait, {10, 10, 100, 10.0 * perPage}),
        band_(layout_.Detail(100, 10)) {
    band_.Field(0, 0, FieldBinding("PER:NAME", person, PER.NAME), "@s20");
    preview_.iniManager = &settings;
  }
  std::vector<int> percents;  // the progress shown after each record

 protected:
  WindowDefinition DefineWindow() override {
    UseTable(people_);
    return ProgressWindow();
  }
  Level WindowOpened() override {
    reader_.InitCounted(view_, people_, progressText, progressBar, 0);
    (void)reader_.AddSortOrder(kNameKey);
    InitRunner(reader_, composer_, &preview_);
    preview_.pagesAcross = across;
    preview_.allowUserZoom = true;
    return ReportRunner::WindowOpened();
  }

 public:
  int across = 1;

 private:
  class Reader final : public ProgressReader {
   public:
    explicit Reader(PeopleReport& report) : report_(report) {}
    Level TakeRecord() override {
      report_.composer_.PrintBand(report_.band_);
      report_.percents.push_back(percentile);
      return LevelOk;
    }

   private:
    PeopleReport& report_;
  };
  View& view_;
  RelationSet& people_;
  ReportLayout layout_;
  Band& band_;
  ReportComposer composer_{layout_};
  PagePreview preview_;
  Reader reader_{*this};
};

class ReportRunnerTest : public PeopleFixture {
 protected:
  ~ReportRunnerTest() override {
    if (session_) {
      if (!session_->driver().Ended()) session_->driver().Quit();
      (void)session_->Finish();
    }
    InstallPageOutput(nullptr);
    settings_.KillStore();
  }

  void Run(int perPage, int across = 1, int deferSeconds = 0) {
    settings_.InitStore(folder_.File("zelvo5.INI"));
    boxes_.toRuntime = true;
    InstallPageOutput(&output_);
    session_ = std::make_unique<HeadlessSession>([this, perPage, across, deferSeconds] {
      std::unique_ptr<Window> frame = TheWindowRuntime().Open(WindowDefinition("Main", "Frame", WindowKind::Frame));
      report_ = std::make_unique<PeopleReport>(view_, people_, Person(), reporter_, settings_, perPage);
      report_->across = across;
      report_->deferWindow = deferSeconds;
      report_->keepVisible = true;
      response_ = report_->RunWindow();
      frame->Close();
    });
    Idle();
  }
  void Idle() {
    std::string busy;
    ASSERT_TRUE(session_->WaitIdle(10, &busy)) << busy;
  }
  HeadlessDriver& Driver() { return session_->driver(); }
  std::optional<WindowView> Preview() {
    Idle();
    for (const WindowView& w : Driver().Windows())
      if (w.procedure == "PagePreview") return w;
    return std::nullopt;
  }
  ControlView Control(const std::string& name) {
    const std::optional<WindowView> preview = Preview();
    if (!preview) {
      ADD_FAILURE() << "no preview";
      return {};
    }
    for (const ControlView& c : preview->controls)
      if (c.prompt == name) return c;  // an entry, not the prompt before it
    for (const ControlView& c : preview->controls)
      if (c.name == name || c.text == name) return c;
    ADD_FAILURE() << "no control " << name;
    return {};
  }
  void Press(const std::string& button) {
    EXPECT_EQ(Driver().Press(Preview()->handle, Control(button).id), "") << button;
    Idle();
  }
  void Type(const std::string& entry, const std::string& text) {
    EXPECT_EQ(Driver().Type(Preview()->handle, Control(entry).id, text), "") << entry;
    Idle();
  }
  void Finish() {
    EXPECT_EQ(session_->Finish(), 0);
    session_.reset();
  }

  IniStore settings_;
  RecordingOutput output_;
  std::unique_ptr<HeadlessSession> session_;
  std::unique_ptr<PeopleReport> report_;
  std::uint8_t response_ = 0;
};

TEST_F(ReportRunnerTest, PagesTheRecordsWithProgressAndShowsThemInThePreview) {
  AddNumbered(7);
  Run(3);
  ASSERT_TRUE(Preview()) << "the preview opens when the run ends";
  const ControlView pages = Control("Pages");
  ASSERT_TRUE(pages.pages.pages);
  EXPECT_EQ(pages.pages.pages->pages.size(), 3u);  // 3 + 3 + 1
  EXPECT_EQ(pages.shown, "Page 1 of 3");
  EXPECT_TRUE(Control("&Next").enabled);
  Press("&Next");
  EXPECT_EQ(Control("Pages").shown, "Page 2 of 3");
  Type("Page:", "3");
  EXPECT_EQ(Control("Pages").pages.first, 3);
  Press("&Previous");
  EXPECT_EQ(Control("Pages").shown, "Page 2 of 3");
  Type("Zoom:", "75");
  EXPECT_EQ(Control("Pages").pages.zoom, 75);
  EXPECT_EQ(Control("Zoom:").shown.substr(0, 8), "75% Zoom");
  Press("E&xit");
  Finish();
  EXPECT_TRUE(output_.printed.empty()) << "Exit prints nothing";
  std::ifstream ini(folder_.File("zelvo5.INI"));
  std::stringstream settings;
  settings << ini.rdbuf();
  EXPECT_NE(settings.str().find("[_PreviewWindow_]"), std::string::npos) << "the preview's placement is kept";
  EXPECT_EQ(response_, kCompleted);
  EXPECT_EQ(report_->percents, (std::vector<int>{14, 28, 42, 57, 71, 85, 100}));
  EXPECT_GT(report_->recordsPerCycle, 1) << "cycles far shorter than the slice grow";
}

TEST_F(ReportRunnerTest, AnEmptyViewSaysNoRecordsAndShowsNoPreview) {
  Run(3);
  const std::optional<MessageView> message = Driver().Message();
  ASSERT_TRUE(message);
  EXPECT_EQ(message->text, "There are no records available to process.");
  EXPECT_EQ(Driver().Answer(message->buttons.front()), "");
  Idle();
  EXPECT_FALSE(Preview());
  Finish();
  EXPECT_EQ(response_, kCancelled);
  EXPECT_TRUE(report_->noRecords);
  EXPECT_TRUE(output_.printed.empty());
}

TEST_F(ReportRunnerTest, OneRecordGivesAOnePagePreview) {
  AddNumbered(1);
  Run(3);
  ASSERT_TRUE(Preview());
  EXPECT_EQ(Control("Pages").shown, "Page 1 of 1");
  EXPECT_FALSE(Control("&Next").enabled) << "one page: nothing to move to";
  Press("&Print");
  Finish();
  ASSERT_EQ(output_.printed.size(), 1u);
  EXPECT_EQ(output_.printed[0].pages.size(), 1u);
}

TEST_F(ReportRunnerTest, PrintsOnlyThePagesChosen) {
  AddNumbered(7);
  Run(1);
  Press("Pages to p&rint...");
  for (const WindowView& w : Driver().Windows()) {
    if (w.procedure != "PreviewAskPages") continue;
    for (const ControlView& c : w.controls) {
      if (c.kind == ControlKind::Entry) {
        EXPECT_EQ(Driver().Type(w.handle, c.id, "2-3,5"), "");
      }
    }
    Idle();
    for (const ControlView& c : w.controls) {
      if (c.text == "OK") {
        EXPECT_EQ(Driver().Press(w.handle, c.id), "");
      }
    }
  }
  Idle();
  Press("&Print");
  Finish();
  ASSERT_EQ(output_.printed.size(), 1u);
  std::vector<std::string> names;
  for (const ReportPage& page : output_.printed[0].pages) names.push_back(page.items.at(0).text);
  EXPECT_EQ(names, (std::vector<std::string>{"P0002", "P0003", "P0005"}));
}

// Two pages across on a report of five: page 5 shows pages 4 and 5, page 5 highlighted.
TEST_F(ReportRunnerTest, AChosenPageOffScreenStartsTheScreenAsLateAsItCan) {
  AddNumbered(5);
  Run(1, 2);
  Type("Page:", "5");
  const PageDisplay shown = Control("Pages").pages;
  EXPECT_EQ(shown.first, 4);
  EXPECT_EQ(shown.current, 5);
  Type("Page:", "4");
  EXPECT_EQ(Control("Pages").pages.first, 4) << "a page on screen is only highlighted";
  Press("E&xit");
  Finish();
}

// The progress window of a report shorter than its deferral never shows;
// without one it shows from the start (and, kept visible, behind the preview).
TEST_F(ReportRunnerTest, ADeferredProgressWindowStaysHiddenThroughAShortRun) {
  AddNumbered(3);
  for (int defer : {60, 0}) {
    Run(3, 1, defer);
    bool found = false;
    for (const WindowView& w : Driver().Windows())
      if (w.procedure == "PeopleReport") {
        found = true;
        EXPECT_EQ(w.visible, defer == 0) << defer;
        EXPECT_EQ(w.caption, "Progress...");
      }
    EXPECT_TRUE(found);
    Press("E&xit");
    Finish();
  }
}

// Progress by a scale: where each record's value lies between the first and
// the last of the view.
class ScaledProgressTest : public PeopleFixture {};

TEST_F(ScaledProgressTest, ThePercentFollowsTheValueBetweenTheViewsEnds) {
  const std::pair<const char*, int> people[] = {{"A", 20}, {"B", 30}, {"C", 40}, {"D", 60}};
  for (const auto& [name, age] : people) Add(name, "", age);
  ProgressReader reader;
  NumberScale scale(0, 0);
  reader.InitScaled(view_, people_, 0, 0, scale, FieldBinding("PER:AGE", Person(), PER.AGE));
  (void)reader.AddSortOrder(kNameKey);
  ASSERT_TRUE(reader.PositionAtStart());
  std::vector<int> percents;
  while (reader.ReadCounted(true) == LevelOk) percents.push_back(reader.percentile);
  reader.KillReader();
  EXPECT_EQ(percents, (std::vector<int>{0, 25, 50, 100}));
  EXPECT_EQ(reader.recordsProcessed, 4);
}

TEST(PageSelectionTest, ItemsAndRanges) {
  auto chosen = [](std::string_view text, int count) {
    std::string pages;
    const std::vector<bool> flags = SelectedPages(text, count);
    for (std::size_t i = 0; i < flags.size(); ++i)
      if (flags[i]) pages += std::to_string(i + 1) + ' ';
    return pages;
  };
  EXPECT_EQ(chosen("2-3,5", 7), "2 3 5 ");
  EXPECT_EQ(chosen(" 1 - 7 ", 7), "1 2 3 4 5 6 7 ");
  EXPECT_EQ(chosen("5-", 7), "5 6 7 ");
  EXPECT_EQ(chosen("-2,9", 7), "1 2 ");
  EXPECT_EQ(chosen("x,3-a,,4", 7), "4 ");
  EXPECT_EQ(chosen("", 7), "");
}

}  // namespace
}  // namespace zelvo::testing_support
