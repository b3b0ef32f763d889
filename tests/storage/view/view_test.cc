#include "storage/view/view.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "runtime/date_time.h"
#include "storage/declare_fields.h"
#include "storage/error_state.h"
#include "storage/file_operations.h"
#include "storage/trace_log.h"
#include "storage/view/internal/view_order.h"
#include "tests/testing/temporary_folder.h"

namespace zelvo {
namespace {

namespace fs = std::filesystem;
using Op = FileOperation;

#define TEST_PAY_FIELDS(FIELD) \
  FIELD(NUM, Decimal(5, 0)) FIELD(DATA, Date()) FIELD(FAM, String(12)) FIELD(POST, String(8))
ZELVO_DECLARE_FIELDS(Pay, PAY, TEST_PAY_FIELDS);
constexpr KeyDeclaration kPayKeys[] = {
    {"NUM_KEY", "", kKeyDup | kKeyOpt | kKeyNoCase, {{"NUM"}, {"DATA"}}},
    {"FAM_KEY", "", kKeyDup | kKeyOpt | kKeyNoCase, {{"FAM"}}},
};
#define TEST_LINE_FIELDS(FIELD) FIELD(NUM, Decimal(5, 0)) FIELD(DATA, Date()) FIELD(SUMM, Decimal(9, 2))
ZELVO_DECLARE_FIELDS(Line, LIN, TEST_LINE_FIELDS);
constexpr KeyDeclaration kLineKeys[] = {{"NUM_KEY", "", kKeyDup, {{"NUM"}, {"DATA"}}}};
#define TEST_PERSON_FIELDS(FIELD) FIELD(FAM, String(12)) FIELD(TAB, Long())
ZELVO_DECLARE_FIELDS(Person, PER, TEST_PERSON_FIELDS);
constexpr KeyDeclaration kPersonKeys[] = {{"FAM_KEY", "", kKeyNoCase, {{"FAM"}}}};

constexpr AccessMode kReadWrite{0x42};

class ViewTest : public testing::Test {
 protected:
  void SetUp() override {
    paths_ = {(dir_ / "PAY").string(), (dir_ / "LINES").string(), (dir_ / "PERSON").string()};
    payDecl_ = {.label = "PAY", .name = paths_[0], .fields = kPayFields, .keys = kPayKeys};
    lineDecl_ = {.label = "LINES", .name = paths_[1], .fields = kLineFields, .keys = kLineKeys};
    personDecl_ = {.label = "PERSON", .name = paths_[2], .fields = kPersonFields, .keys = kPersonKeys};
    pay_ = std::make_unique<File>(payDecl_);
    lines_ = std::make_unique<File>(lineDecl_);
    person_ = std::make_unique<File>(personDecl_);
    for (File* f : {pay_.get(), lines_.get(), person_.get()}) {
      ASSERT_EQ(PerformFileOperation(*f, Op::CREATE), ErrorCode::Ok);
      OperationArguments open;
      open.mode = kReadWrite;
      ASSERT_EQ(PerformFileOperation(*f, Op::OPEN, open), ErrorCode::Ok);
    }
    // Surnames in the order they are added; NUM and the month.
    const struct { int num; int month; const char* fam; const char* post; } rows[] = {
        {3, 3, "Sidorov", "b"}, {1, 3, "Ivanov", "d"}, {2, 3, "Petrov", "a"},
        {1, 2, "Ivanov", "c"},  {3, 1, "Sidorov", "e"}, {2, 4, "petrova", "f"},
    };
    for (const auto& r : rows) AddPay(r.num, Date(r.month, 1, 2004), r.fam, r.post);
  }
  void TearDown() override {
    pay_.reset();
    lines_.reset();
    person_.reset();
  }

  void AddPay(int num, DayNumber date, std::string_view fam, std::string_view post) {
    RecordBuffer& r = pay_->Record();
    r.Clear();
    (void)PAY.NUM.Set(r, num);
    (void)PAY.DATA.Set(r, date);
    (void)PAY.FAM.Set(r, fam);
    (void)PAY.POST.Set(r, post);
    ASSERT_EQ(PerformFileOperation(*pay_, Op::ADD), ErrorCode::Ok);
  }
  void AddLine(int num, DayNumber date, int summ) {
    RecordBuffer& r = lines_->Record();
    r.Clear();
    (void)LIN.NUM.Set(r, num);
    (void)LIN.DATA.Set(r, date);
    (void)LIN.SUMM.Set(r, summ);
    ASSERT_EQ(PerformFileOperation(*lines_, Op::ADD), ErrorCode::Ok);
  }
  // "num/month" of the current row.
  std::string Row() const {
    const RecordBuffer& r = pay_->Record();
    return std::to_string(PAY.NUM.Get(r).ToInt32()) + "/" + std::to_string(Month(PAY.DATA.Get(r)));
  }
  std::string Fam() const { return PAY.FAM.Clipped(pay_->Record()); }
  // Every row from the start in one direction, as `show` writes it.
  template <class Show>
  std::vector<std::string> All(View& view, Op op, Show show, std::int64_t captured = 0) {
    OperationArguments set;
    set.count = captured;
    EXPECT_EQ(view.Perform(Op::SETview, set), ErrorCode::Ok);
    std::vector<std::string> out;
    ErrorCode code;
    while ((code = view.Perform(op)) == ErrorCode::Ok) out.push_back(show());
    EXPECT_EQ(code, ErrorCode::RecordNotAvailable) << RuntimeErrorState().Text();
    return out;
  }
  std::vector<std::string> Read(View& view, Op op = Op::NEXT) { return All(view, op, [&] { return Row(); }); }
  ViewDeclaration PayView(std::string_view order = {}, std::string_view filter = {}) {
    return {.label = "PAYVIEW", .primary = {pay_.get(), "NBA"}, .projection = {}, .filter = filter, .order = order, .joins = {}};
  }

  testing_support::TemporaryFolder folder_;
  const fs::path& dir_ = folder_.Path();
  std::vector<std::string> paths_;
  FileDeclaration payDecl_, lineDecl_, personDecl_;
  std::unique_ptr<File> pay_, lines_, person_;
};

using Rows = std::vector<std::string>;

TEST_F(ViewTest, OrderFromKeysAndSortsWhereNoKeyDelivers) {
  struct Case {
    const char* order;
    Rows forward;
  };
  const Case cases[] = {
      {"NBA:NUM, NBA:DATA", {"1/2", "1/3", "2/3", "2/4", "3/1", "3/3"}},       // NUM_KEY, nothing sorted
      {"-NBA:NUM, NBA:DATA", {"3/1", "3/3", "2/3", "2/4", "1/2", "1/3"}},      // backwards, DATA sorted
      {"-NBA:NUM,-NBA:DATA", {"3/3", "3/1", "2/4", "2/3", "1/3", "1/2"}},      // backwards whole
      {"NBA:POST", {"2/3", "3/3", "1/2", "1/3", "3/1", "2/4"}},                // no key: all sorted
      {"upper(NBA:FAM), -NBA:DATA", {"1/3", "1/2", "2/3", "2/4", "3/3", "3/1"}},  // an expression
  };
  for (const Case& c : cases) {
    View view(PayView(c.order));
    EXPECT_EQ(Read(view), c.forward) << c.order;
    Rows backward(c.forward.rbegin(), c.forward.rend());
    EXPECT_EQ(Read(view, Op::PREVIOUS), backward) << c.order;
  }
  View byName(PayView("NBA:FAM"));
  EXPECT_EQ(All(byName, Op::NEXT, [&] { return Fam(); }),
            (Rows{"Ivanov", "Ivanov", "Petrov", "petrova", "Sidorov", "Sidorov"}));  // FAM_KEY, no case
}

TEST_F(ViewTest, KeyChoiceFollowsTheOrder) {
  auto choose = [&](std::string_view text) {
    FilterBindings b;
    b.BindRecord("NBA", pay_->Record());
    const auto order = CompileOrder(text, b, "NBA", kPayFields);
    return ChooseKey(order, kPayFields, kPayKeys);
  };
  EXPECT_EQ(choose("NBA:NUM,NBA:DATA").key, 1u);
  EXPECT_EQ(choose("NBA:NUM,NBA:DATA").delivered, 2u);
  EXPECT_TRUE(choose("-NBA:NUM,NBA:DATA").backwards);
  EXPECT_EQ(choose("-NBA:NUM,NBA:DATA").delivered, 1u);
  EXPECT_EQ(choose("nba:fam").key, 2u);
  EXPECT_EQ(choose("NBA:POST").key, 0u);
  EXPECT_EQ(choose("NBA:NUM, ) rest").delivered, 1u);  // a component that does not compile ends the list
}

TEST_F(ViewTest, FilterAndDirections) {
  View view(PayView("NBA:NUM,NBA:DATA", "month(NBA:data)=3 or NBA:num=2"));
  EXPECT_EQ(Read(view), (Rows{"1/3", "2/3", "2/4", "3/3"}));
  // Turning round delivers the neighbour of the current row.
  OperationArguments start;
  ASSERT_EQ(view.Perform(Op::SETview, start), ErrorCode::Ok);
  ASSERT_EQ(view.Perform(Op::NEXT), ErrorCode::Ok);
  ASSERT_EQ(view.Perform(Op::NEXT), ErrorCode::Ok);
  ASSERT_EQ(view.Perform(Op::NEXT), ErrorCode::Ok);
  EXPECT_EQ(Row(), "2/4");
  ASSERT_EQ(view.Perform(Op::PREVIOUS), ErrorCode::Ok);
  EXPECT_EQ(Row(), "2/3");
  ASSERT_EQ(view.Perform(Op::NEXT), ErrorCode::Ok);
  EXPECT_EQ(Row(), "2/4");
  ASSERT_EQ(view.Perform(Op::NEXT), ErrorCode::Ok);
  EXPECT_EQ(view.Perform(Op::NEXT), ErrorCode::RecordNotAvailable);
  EXPECT_EQ(view.Perform(Op::PREVIOUS), ErrorCode::Ok);  // from the end, the last row
  EXPECT_EQ(Row(), "3/3");
}

TEST_F(ViewTest, BadFilterFailsTheFirstReadAndDeliversNothing) {
  View bad(PayView("", "NBA:num = ("));
  ASSERT_EQ(bad.Perform(Op::SETview), ErrorCode::Ok);
  EXPECT_EQ(bad.Perform(Op::NEXT), ErrorCode::InvalidExpression);
  View unbound(PayView("", "K3g:kodreg = 1"));
  ASSERT_EQ(unbound.Perform(Op::SETview), ErrorCode::Ok);
  EXPECT_EQ(unbound.Perform(Op::NEXT), ErrorCode::NoBindOnVariable);
  EXPECT_EQ(RuntimeErrorState().Text(), "No BIND on variable (K3g:kodreg)");
  View trailing(PayView("", "NBA:num = 1 NBA:num"));  // text left over is no filter
  ASSERT_EQ(trailing.Perform(Op::SETview), ErrorCode::Ok);
  EXPECT_EQ(trailing.Perform(Op::NEXT), ErrorCode::InvalidExpression);
}

TEST_F(ViewTest, UnpositionedReadsAndTheFilesOwnPosition) {
  View view(PayView());
  EXPECT_EQ(view.Perform(Op::NEXT), ErrorCode::RecordNotAvailable);  // never positioned
  // Without an order of its own, the view goes on from where the program set the FILE.
  OperationArguments byFam;
  byFam.key = 2;
  ASSERT_EQ(PerformFileOperation(*pay_, Op::SETkey, byFam), ErrorCode::Ok);
  ASSERT_EQ(view.Perform(Op::NEXT), ErrorCode::Ok);
  EXPECT_EQ(Fam(), "Ivanov");
  // Reading the FILE to its end by the program ends the view too.
  while (PerformFileOperation(*pay_, Op::NEXT) == ErrorCode::Ok) {}
  EXPECT_EQ(view.Perform(Op::NEXT), ErrorCode::RecordNotAvailable);
  View ordered(PayView("NBA:FAM"));
  ASSERT_EQ(PerformFileOperation(*pay_, Op::SETkey, byFam), ErrorCode::Ok);
  EXPECT_EQ(ordered.Perform(Op::NEXT), ErrorCode::RecordNotAvailable);  // an order of its own: 33
}

TEST_F(ViewTest, SetViewWithCapturedValues) {
  struct Case {
    const char* order;
    Rows rows;
  };
  const Case cases[] = {{"NBA:NUM, NBA:DATA", {"2/3", "2/4", "3/1", "3/3"}},   // along the key
                        {"NBA:NUM, NBA:POST", {"2/3", "2/4", "3/3", "3/1"}},   // sorted
                        {"-NBA:NUM", {"2/4", "2/3", "1/3", "1/2"}}};           // descending: not above 2
  for (const Case& c : cases) {
    View view(PayView(c.order));
    (void)PAY.NUM.Set(pay_->Record(), 2);
    EXPECT_EQ(All(view, Op::NEXT, [&] { return Row(); }, 1), c.rows) << c.order;
  }
}

TEST_F(ViewTest, SetViewOnAKeyWithoutCaseComparesWithoutCase) {
  View view(PayView("NBA:FAM"));
  (void)PAY.FAM.Set(pay_->Record(), "petrov");
  EXPECT_EQ(All(view, Op::NEXT, [&] { return Fam(); }, 1), (Rows{"Petrov", "petrova", "Sidorov", "Sidorov"}));
}

TEST_F(ViewTest, OuterAndInnerJoinsByKey) {
  AddLine(1, Date(3, 1, 2004), 100);
  AddLine(1, Date(3, 1, 2004), 200);
  AddLine(2, Date(3, 1, 2004), 300);
  for (bool inner : {false, true}) {
    ViewDeclaration d = PayView("NBA:NUM,NBA:DATA", "month(NBA:data)=3");
    d.joins.push_back({.file = {lines_.get(), "LIN"}, .key = 1, .linkFields = {"NUM", "NBA:DATA"},
                       .expression = {}, .inner = inner, .projection = {}, .joins = {}});
    View view(d);
    auto show = [&] { return Row() + ":" + LIN.SUMM.Get(lines_->Record()).ToString(); };
    const Rows outer{"1/3:100", "1/3:200", "2/3:300", "3/3:0"};  // 3/3 has no lines: its buffer cleared
    const Rows matched{"1/3:100", "1/3:200", "2/3:300"};
    EXPECT_EQ(All(view, Op::NEXT, show), inner ? matched : outer);
    const Rows expected = inner ? matched : outer;
    EXPECT_EQ(All(view, Op::PREVIOUS, show), Rows(expected.rbegin(), expected.rend()));
  }
}

TEST_F(ViewTest, JoinOnANoCaseKeyAndByExpression) {
  for (auto [fam, tab] : {std::pair{"SIDOROV", 7}, std::pair{"IVANOV", 9}}) {
    (void)PER.FAM.Set(person_->Record(), fam);
    (void)PER.TAB.Set(person_->Record(), tab);
    ASSERT_EQ(PerformFileOperation(*person_, Op::ADD), ErrorCode::Ok);
  }
  ViewDeclaration byKey = PayView("NBA:NUM,NBA:DATA", "month(NBA:data)=1");
  byKey.joins.push_back({.file = {person_.get(), "PER"}, .key = 1, .linkFields = {"FAM"}, .expression = {},
                         .inner = true, .projection = {}, .joins = {}});
  View view(byKey);
  EXPECT_EQ(All(view, Op::NEXT, [&] { return Fam() + "=" + std::to_string(PER.TAB.Get(person_->Record())); }),
            (Rows{"Sidorov=7"}));  // "Sidorov" finds "SIDOROV"
  ViewDeclaration byExpression = PayView("NBA:NUM,NBA:DATA", "month(NBA:data)=2");
  byExpression.joins.push_back({.file = {person_.get(), "PER"}, .key = 0, .linkFields = {},
                                .expression = "upper(PER:FAM)=upper(NBA:FAM)", .inner = false,
                                .projection = {}, .joins = {}});
  View joined(byExpression);
  EXPECT_EQ(All(joined, Op::NEXT, [&] { return Fam() + "=" + std::to_string(PER.TAB.Get(person_->Record())); }),
            (Rows{"Ivanov=9"}));
}

TEST_F(ViewTest, PositionsSurviveADeletion) {
  for (const char* order : {"NBA:NUM,NBA:DATA", "NBA:POST"}) {
    View view(PayView(order));
    ASSERT_EQ(view.Perform(Op::SETview), ErrorCode::Ok);
    ASSERT_EQ(view.Perform(Op::NEXT), ErrorCode::Ok);
    ASSERT_EQ(view.Perform(Op::NEXT), ErrorCode::Ok);
    const std::string second = Row();
    OperationAnswer answer;
    ASSERT_EQ(view.Perform(Op::POSITIONfile, {}, answer), ErrorCode::Ok);
    const std::string position = answer.position;
    ASSERT_EQ(view.Perform(Op::NEXT), ErrorCode::Ok);
    const std::string third = Row();
    OperationArguments at;
    at.position = position;
    ASSERT_EQ(view.Perform(Op::REGETfile, at), ErrorCode::Ok);
    EXPECT_EQ(Row(), second) << order;
    ASSERT_EQ(view.Perform(Op::RESETfile, at), ErrorCode::Ok);
    ASSERT_EQ(view.Perform(Op::NEXT), ErrorCode::Ok);
    EXPECT_EQ(Row(), second) << order;
    ASSERT_EQ(view.Perform(Op::DELETE), ErrorCode::Ok);  // through the view to its primary FILE
    ASSERT_EQ(view.Perform(Op::RESETfile, at), ErrorCode::Ok);
    ASSERT_EQ(view.Perform(Op::NEXT), ErrorCode::Ok);
    EXPECT_EQ(Row(), third) << order;  // the deleted row's successor
    at.position = position.substr(0, 3);
    EXPECT_EQ(view.Perform(Op::RESETfile, at), ErrorCode::UnknownErrorPosted);
    AddPay(1, Date(2, 1, 2004), "Ivanov", "c");  // the deleted row back for the next order
  }
}

TEST_F(ViewTest, SortBeyondTheStoresMemoryStaysInOrder) {
  ASSERT_EQ(PerformFileOperation(*pay_, Op::STREAM), ErrorCode::Ok);
  for (int i = 0; i < 600; ++i) AddPay(100 + (i * 37) % 600, Date(1, 1, 2005), "Many", "x");
  ASSERT_EQ(PerformFileOperation(*pay_, Op::FLUSH), ErrorCode::Ok);
  View view(PayView("-NBA:DATA, NBA:POST, NBA:NUM", "year(NBA:data)=2005"));
  const Rows rows = All(view, Op::NEXT, [&] { return std::to_string(PAY.NUM.Get(pay_->Record()).ToInt32()); });
  ASSERT_EQ(rows.size(), 600u);
  for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i], std::to_string(100 + i));
}

TEST_F(ViewTest, PropertiesFlushAndUnsupportedStatements) {
  ViewDeclaration d = PayView("NBA:NUM, NBA:DATA", "NBA:NUM>1");
  d.projection = {"NBA:NUM", "FAM"};
  View view(d);
  auto get = [&](std::string property) {
    OperationArguments a;
    a.text = std::move(property);
    OperationAnswer answer;
    EXPECT_EQ(view.Perform(Op::GET_PROPERTY, a, answer), ErrorCode::Ok) << a.text;
    return answer.text;
  };
  EXPECT_EQ(get("0x7CB8"), "NBA:NUM>1");
  EXPECT_EQ(get("0x7CE6"), "NBA:NUM, NBA:DATA");
  EXPECT_EQ(get("0x7345[2]"), "NBA:DATA");
  EXPECT_EQ(get("0x7325"), "1");
  EXPECT_EQ(get("0x7312"), "2");
  EXPECT_EQ(get("0x731F[2]"), "NBA:FAM");
  EXPECT_EQ(get("0x734A[2]"), "FAM");
  ASSERT_EQ(view.SetFilter("NBA:NUM=3"), ErrorCode::Ok);
  EXPECT_EQ(Read(view), (Rows{"3/1", "3/3"}));
  ASSERT_EQ(view.SetOrder("-NBA:NUM, -NBA:DATA"), ErrorCode::Ok);
  OperationArguments value;
  value.text = "0x7345[1]=2";
  ASSERT_EQ(view.Perform(Op::SET_PROPERTY, value), ErrorCode::Ok);
  ASSERT_EQ(view.SetFilter(""), ErrorCode::Ok);
  // SETview with the value set by property: not above 2.
  ASSERT_EQ(view.Perform(Op::SETview), ErrorCode::Ok);
  ASSERT_EQ(view.Perform(Op::NEXT), ErrorCode::Ok);
  EXPECT_EQ(Row(), "3/3");
  ASSERT_EQ(view.Perform(Op::FLUSH), ErrorCode::Ok);  // plans again, goes on after the current row
  ASSERT_EQ(view.Perform(Op::NEXT), ErrorCode::Ok);
  EXPECT_EQ(Row(), "3/1");
  // A reset after a flush starts at the row it names, not after it.
  OperationAnswer at;
  ASSERT_EQ(view.Perform(Op::POSITIONfile, {}, at), ErrorCode::Ok);
  ASSERT_EQ(view.Perform(Op::FLUSH), ErrorCode::Ok);
  OperationArguments reset;
  reset.position = at.position;
  ASSERT_EQ(view.Perform(Op::RESETfile, reset), ErrorCode::Ok);
  ASSERT_EQ(view.Perform(Op::NEXT), ErrorCode::Ok);
  EXPECT_EQ(Row(), "3/1");
  EXPECT_EQ(view.Perform(Op::BUILDkey), ErrorCode::UnsupportedFileDriverFunction);
  EXPECT_EQ(view.Perform(Op::CLOSE), ErrorCode::Ok);
}

TEST_F(ViewTest, TraceOfTheViewAndOfTheDriversWorkingForIt) {
  const std::string log = (dir_ / "VIEW.LOG").string();
  const WindowsProfile profile = WindowsProfile::Parse("[ZRVIEW]\nProfile=1\nTraceFile=" + log +
                                                       "\n[ZRQUILLSET]\nProfile=1\nDetails=1\nTraceFile=" + log + "\n");
  SetTraceProfile(&profile);
  {
    File traced(payDecl_);  // a FILE met after the switches are set
    OperationArguments open;
    open.mode = kReadWrite;
    ASSERT_EQ(PerformFileOperation(traced, Op::OPEN, open), ErrorCode::Ok);
    View view({.label = "PAYVIEW", .primary = {&traced, "NBA"}, .projection = {"NBA:NUM"}, .filter = {},
               .order = "NBA:NUM", .joins = {}});
    ASSERT_EQ(view.Perform(Op::SETview), ErrorCode::Ok);
    ASSERT_EQ(view.Perform(Op::NEXT), ErrorCode::Ok);
    EXPECT_EQ(view.Perform(Op::BUILDkey), ErrorCode::UnsupportedFileDriverFunction);
    EXPECT_EQ(view.Perform(Op::CLOSE), ErrorCode::Ok);
  }
  SetTraceProfile(nullptr);
  std::ifstream in(log, std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), {}};
  EXPECT_NE(text.find("SETview(PAYVIEW 1)"), std::string::npos) << text;
  EXPECT_NE(text.find("VIEW(PAY),PROJECT(FIELD(NBA:NUM)),END\r\nVIEW:"), std::string::npos) << text;
  EXPECT_NE(text.find(":SETkey(" + paths_[0] + ",NUM_KEY[1] 1)"), std::string::npos) << text;
  EXPECT_NE(text.find("BUILDkey(PAYVIEW 1)Error: Unsupported File Driver Function"), std::string::npos) << text;
  EXPECT_NE(text.find("CLOSE(PAYVIEW 1)"), std::string::npos) << text;
}

}  // namespace
}  // namespace zelvo
