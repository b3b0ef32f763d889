// The rules that turn the user's input into a window's events, checked where
// a fault would show: the order of events, what reaches the bound values,
// and which control has the focus afterwards.
#include <gtest/gtest.h>

#include "platform/headless/headless_session.h"
#include "platform/window_runtime.h"
#include "runtime/cp1251.h"
#include "storage/declare_fields.h"

namespace zelvo {
namespace {

#define ZELVO_RULES_FIELDS(FIELD) \
  FIELD(NAME, String(10))         \
  FIELD(DAY, Date())              \
  FIELD(FLAG, String(1))          \
  FIELD(COUNT, Byte())
ZELVO_DECLARE_FIELDS(Rules, RUL, ZELVO_RULES_FIELDS);

// One window on its own thread whose events are logged by control name; the
// test builds the definition and may react to events.
class RulesTest : public ::testing::Test {
 protected:
  void Start(std::function<void(WindowDefinition&)> define,
             std::function<void(Window&, const Event&)> react = {}) {
    session_ = std::make_unique<HeadlessSession>([this, define, react] {
      WindowDefinition definition("Form", "Form");
      define(definition);
      std::unique_ptr<Window> window = TheWindowRuntime().Open(definition);
      for (Event e = window->NextEvent(); e.number != EventNumber::None; e = window->NextEvent()) {
        std::string line = EventName(e.number);
        // Controls made at run time have names too: read them from the model.
        const ModelControl* control = static_cast<ModelWindow&>(*window).Control(e.control);
        if (control) line += " " + Cp1251ToUtf8(control->definition.name);
        if (e.number == EventNumber::AlertKey) line += " key " + std::to_string(e.key);
        if (e.number != EventNumber::OpenWindow) log_.push_back(line);
        if (react) react(*window, e);
        if (e.number == EventNumber::CloseWindow) window->Close();
      }
    });
    ASSERT_TRUE(session_->WaitIdle());
    handle_ = session_->driver().Windows().at(0).handle;
    log_.clear();  // the first size, as the window was shown
  }
  // Acts and waits until the program has handled it; answers the events logged meanwhile.
  std::vector<std::string> Do(const std::string& acted) {
    EXPECT_EQ(acted, "");
    EXPECT_TRUE(session_->WaitIdle());
    std::vector<std::string> logged;
    logged.swap(log_);
    return logged;
  }
  std::vector<std::string> Key(KeyCode key, unsigned char character = 0, ControlId control = 0) {
    return Do(session_->driver().PressKey(handle_, control, {key, character}));
  }
  ControlView View(ControlId id) {
    const std::vector<WindowView> windows = session_->driver().Windows();
    for (const ControlView& control : windows.at(0).controls)
      if (control.id == id) return control;
    return {};
  }
  ControlId Focused() {
    const std::vector<WindowView> windows = session_->driver().Windows();
    for (const ControlView& control : windows.at(0).controls)
      if (control.focused) return control.id;
    return 0;
  }

  RecordBuffer record_{RulesFields::kLayout};
  std::vector<std::string> log_;
  std::unique_ptr<HeadlessSession> session_;
  int handle_ = 0;
};

using Log = std::vector<std::string>;

TEST_F(RulesTest, TabVisitsTheReachableControlsInOrderRoundTheEnd) {
  ControlId name = 0, hidden = 0, disabled = 0, skipped = 0, day = 0, ok = 0;
  Start([&](WindowDefinition& w) {
    name = w.Entry("Name:", FieldBinding("RUL:NAME", record_, RUL.NAME), "@s10");
    hidden = w.Button("Hidden");
    disabled = w.Button("Disabled");
    skipped = w.Button("Skipped");
    w.BeginGroup("Group");
    day = w.Entry("Day:", FieldBinding("RUL:DAY", record_, RUL.DAY), "@d6.");
    w.End();
    ok = w.Button("Ok", ButtonRole::Ok);
    w[hidden].hidden = true;
    w[disabled].disabled = true;
    w[skipped].skip = true;
  });
  EXPECT_EQ(Focused(), name);
  EXPECT_EQ(Key(kTab), (Log{"EVENT:Selected RUL:DAY"}));
  EXPECT_EQ(Key(kTab), (Log{"EVENT:Selected Ok"}));
  EXPECT_EQ(Key(kTab), (Log{"EVENT:Selected RUL:NAME"}));
  EXPECT_EQ(Key(kShiftTab), (Log{"EVENT:Selected Ok"}));
  EXPECT_EQ(Focused(), ok);
  (void)day;
}

TEST_F(RulesTest, LeavingAChangedEntryTakesItsTextOrRefusesItAndKeepsTheFocus) {
  ControlId day = 0;
  Start([&](WindowDefinition& w) {
    w.Entry("Name:", FieldBinding("RUL:NAME", record_, RUL.NAME), "@s10");
    day = w.Entry("Day:", FieldBinding("RUL:DAY", record_, RUL.DAY), "@d6.");
  });
  EXPECT_EQ(Do(session_->driver().Type(handle_, day, "31.02.2004")),
            (Log{"EVENT:Selected RUL:DAY", "EVENT:Rejected RUL:DAY"}));
  EXPECT_EQ(Focused(), day);
  EXPECT_EQ(View(day).value, "0");
  EXPECT_EQ(View(day).shown, "31.02.2004");
  // Still refused, a click elsewhere keeps the focus where it is.
  EXPECT_EQ(Do(session_->driver().Click(handle_, 2)), (Log{"EVENT:Rejected RUL:DAY"}));
  EXPECT_EQ(Do(session_->driver().Type(handle_, day, "1.3.04")), (Log{"EVENT:Accepted RUL:DAY", "EVENT:Selected RUL:NAME"}));
  EXPECT_EQ(View(day).value, std::to_string(Date(3, 1, 2004)));
  EXPECT_EQ(View(day).shown, " 1.03.2004");
  // Unchanged text leaves without an event.
  EXPECT_EQ(Key(kTab), (Log{"EVENT:Selected RUL:DAY"}));
  EXPECT_EQ(Key(kTab), (Log{"EVENT:Selected RUL:NAME"}));
}

TEST_F(RulesTest, EnterEscAndMnemonicsPressTheirButtonsAndAnAlertedKeyIsReportedInstead) {
  Start([&](WindowDefinition& w) {
    w.Entry(Cp1251Literal("&Имя:"), FieldBinding("RUL:NAME", record_, RUL.NAME), "@s10");
    w.Button(Cp1251Literal("&Да"), ButtonRole::Ok);
    w.Button(Cp1251Literal("&Нет"), ButtonRole::Cancel);
    w.Button(Cp1251Literal("&Ещё"));
  });
  const unsigned char ye = static_cast<unsigned char>(Cp1251Literal("Е")[0]);
  EXPECT_EQ(Key(kEnter), (Log{"EVENT:Selected &Да", "EVENT:Accepted &Да"}));
  EXPECT_EQ(Key(kEscape), (Log{"EVENT:Accepted &Нет"}));
  EXPECT_EQ(Key(kAlt + 'T', ye), (Log{"EVENT:Selected &Ещё", "EVENT:Accepted &Ещё"}));
  // A prompt's mnemonic focuses the entry it names.
  EXPECT_EQ(Key(kAlt + 'B', static_cast<unsigned char>(Cp1251Literal("И")[0])), (Log{"EVENT:Selected RUL:NAME"}));
  EXPECT_EQ(session_->driver().Type(handle_, 3, "x"), "\"&Да\" is not an entry");
}

TEST_F(RulesTest, AlertedKeysListKeysCheckBoxesAndSpinBoxes) {
  ControlId list = 0, check = 0, spin = 0;
  Start(
      [&](WindowDefinition& w) {
        list = w.List("Rows", {{"A", "@s5"}}, 3);
        check = w.Check("Flag", FieldBinding("RUL:FLAG", record_, RUL.FLAG), "Y", "N");
        spin = w.Spin("Count:", FieldBinding("RUL:COUNT", record_, RUL.COUNT), "@n3", Decimal(0), Decimal(2));
      },
      [&](Window& window, const Event& e) {
        if (e.number == EventNumber::OpenWindow) {
          window.Alert(list, kInsert, kInsert);
          window.Alert(list, kMouseLeft2, kMouseLeft2);
          window.SetRows(list, {{"a"}, {"b"}});
        }
      });
  EXPECT_EQ(Key(kDown, 0, list), (Log{"EVENT:ScrollDown Rows"}));
  EXPECT_EQ(Key(kPageUp, 0, list), (Log{"EVENT:PageUp Rows"}));
  EXPECT_EQ(Key(kCtrlEnd, 0, list), (Log{"EVENT:ScrollBottom Rows"}));
  EXPECT_EQ(Key(kInsert, 0, list), (Log{"EVENT:AlertKey Rows key 45"}));
  EXPECT_EQ(Do(session_->driver().SelectRow(handle_, list, 2)), (Log{"EVENT:NewSelection Rows"}));
  EXPECT_EQ(View(list).selection, 2);
  EXPECT_EQ(Do(session_->driver().Press(handle_, check)), (Log{"EVENT:Selected RUL:FLAG", "EVENT:Accepted RUL:FLAG"}));
  EXPECT_EQ(View(check).value, "Y");
  EXPECT_EQ(Key(kSpace, ' ', check), (Log{"EVENT:Accepted RUL:FLAG"}));
  EXPECT_EQ(View(check).value, "N");
  EXPECT_EQ(Key(kUp, 0, spin), (Log{"EVENT:Selected RUL:COUNT", "EVENT:Accepted RUL:COUNT"}));
  Key(kUp, 0, spin);
  EXPECT_EQ(Key(kUp, 0, spin), (Log{"EVENT:Accepted RUL:COUNT"}));
  EXPECT_EQ(View(spin).value, "2") << "a spin box stops at its highest value";
}

TEST_F(RulesTest, SelectAllRefusesTheFirstBadEntryOrCompletes) {
  ControlId day = 0;
  Start(
      [&](WindowDefinition& w) {
        w.Entry("Name:", FieldBinding("RUL:NAME", record_, RUL.NAME), "@s10");
        day = w.Entry("Day:", FieldBinding("RUL:DAY", record_, RUL.DAY), "@d6.");
      },
      [&](Window& window, const Event& e) {
        if (e.number == EventNumber::OpenWindow) window.Alert(0, kF1 + 1, kF1 + 1);
        if (e.number == EventNumber::AlertKey) window.SelectAll();
      });
  // A text typed and not yet left is read too: the entry keeps the focus.
  UserInput edit;
  edit.kind = UserInput::Kind::Edit;
  edit.control = day;
  edit.text = "99.99.9999";
  session_->runtime().Input(handle_, edit);
  EXPECT_EQ(Key(kF1 + 1), (Log{"EVENT:Selected RUL:DAY", "EVENT:AlertKey RUL:DAY key 113", "EVENT:Rejected RUL:DAY"}));
  EXPECT_EQ(Focused(), day);
  EXPECT_EQ(View(day).value, "0");
  edit.text = " 5.05.2005";
  session_->runtime().Input(handle_, edit);
  EXPECT_EQ(Key(kF1 + 1), (Log{"EVENT:AlertKey RUL:DAY key 113", "EVENT:Completed"}));
  EXPECT_EQ(View(day).value, std::to_string(Date(5, 5, 2005)));
}

TEST_F(RulesTest, AUserResizeChangesTheListsRowsAndPlacementsReadFromTheProfile) {
  ControlId list = 0;
  Start([&](WindowDefinition& w) { list = w.List("Rows", {{"A", "@s5"}}, 4); },
        [&](Window& window, const Event& e) {
          if (e.number == EventNumber::OpenWindow) {
            window.SetPosition("---Unknown---", "30");
            window.SetSize("250", "---Unknown---");
          }
        });
  WindowView view = session_->driver().Windows().at(0);
  EXPECT_EQ(view.x, 0);
  EXPECT_EQ(view.y, 30);
  EXPECT_EQ(view.width, 250);
  EXPECT_EQ(View(list).visibleRows, 4) << "a program's resize leaves the rows";
  EXPECT_EQ(Do(session_->driver().Place(handle_, 10, 20, 300, view.height + 35)), (Log{"EVENT:Sized"}));
  EXPECT_EQ(View(list).visibleRows, 6);
  EXPECT_EQ(Do(session_->driver().Place(handle_, 10, 20, 300, 10)), (Log{"EVENT:Sized"}));
  EXPECT_EQ(View(list).visibleRows, 1);
}

TEST_F(RulesTest, AHeadlessTimerRunsOutWheneverTheThreadWouldWait) {
  int ticks = 0;
  Start([&](WindowDefinition& w) { w.Button("Go"); },
        [&](Window& window, const Event& e) {
          if (e.number == EventNumber::Accepted) window.SetTimer(10);
          if (e.number == EventNumber::Timer && ++ticks == 5) window.SetTimer(0);
        });
  EXPECT_EQ(Do(session_->driver().Press(handle_, 1)),
            (Log{"EVENT:Accepted Go", "EVENT:Timer", "EVENT:Timer", "EVENT:Timer", "EVENT:Timer", "EVENT:Timer"}));
  EXPECT_EQ(ticks, 5);
}

TEST_F(RulesTest, ATabShowsItsPageAndTakesTheFocusThereWhenItsPageWentAway) {
  ControlId sheet = 0, first = 0, second = 0;
  Start([&](WindowDefinition& w) {
    sheet = w.BeginSheet("Pages");
    w.BeginTab("&One");
    first = w.Entry("Name:", FieldBinding("RUL:NAME", record_, RUL.NAME), "@s10");
    w.End();
    w.BeginTab("&Two");
    second = w.Entry("Day:", FieldBinding("RUL:DAY", record_, RUL.DAY), "@d6.");
    w.End();
    w.End();
  });
  EXPECT_TRUE(View(first).visible);
  EXPECT_FALSE(View(second).visible);
  EXPECT_EQ(Do(session_->driver().ChooseTab(handle_, sheet, 2)),
            (Log{"EVENT:NewSelection Pages", "EVENT:Selected RUL:DAY"}));
  EXPECT_FALSE(View(first).visible);
  EXPECT_EQ(View(sheet).shown, "Two");
  EXPECT_NE(session_->driver().Click(handle_, first), "") << "a control on a page not shown cannot be clicked";
}

TEST_F(RulesTest, ACellEditorMadeAtRunTimeIsTypedIntoAndLeavesByItsAlertedTab) {
  ControlId list = 0, editor = 0;
  Start([&](WindowDefinition& w) { list = w.List("Rows", {{"Name", "@s10"}}, 3); },
        [&](Window& window, const Event& e) {
          if (e.number == EventNumber::OpenWindow) {
            ControlDefinition cell;
            cell.kind = ControlKind::Entry;
            cell.value = FieldBinding("RUL:NAME", record_, RUL.NAME);
            cell.picture = "@s10";
            editor = window.CreateControl(cell);
            window.SetRows(list, {{"old"}});
            window.PlaceOverCell(editor, list, 1, 1);
            window.Alert(editor, kTab, kTab);
            window.Focus(editor);
          }
          if (e.number == EventNumber::AlertKey && e.key == kTab) {
            window.Update(editor);
            window.PlaceOverCell(editor, list, 0, 0);
            window.DestroyControl(editor);
          }
        });
  EXPECT_GT(editor, list);
  EXPECT_EQ(View(editor).name, "RUL:NAME");
  EXPECT_TRUE(View(editor).visible);
  EXPECT_EQ(Do(session_->driver().Type(handle_, editor, "new")), (Log{"EVENT:AlertKey RUL:NAME key 9"}));
  session_->runtime().Inspect([&] { EXPECT_EQ(RUL.NAME.ValueText(record_), "new"); });
  EXPECT_EQ(View(editor).id, 0) << "destroyed";
}

TEST_F(RulesTest, APopupWaitsForTheChosenItemAndRefusesASeparator) {
  int chosen = -1;
  Start([&](WindowDefinition& w) { w.Button("Menu"); },
        [&](Window& window, const Event& e) {
          if (e.number == EventNumber::Accepted)
            chosen = window.Popup({{"&Insert", true}, {"-", true}, {"&Delete", false}, {"&View", true}});
        });
  (void)Do(session_->driver().Press(handle_, 1));
  std::vector<OpenQuestion> questions = session_->runtime().Questions();
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_TRUE(questions[0].isPopup);
  UserInput pick;
  pick.kind = UserInput::Kind::PopupChosen;
  for (int refused : {2, 3, 5}) {
    pick.value = refused;
    session_->runtime().Input(handle_, pick);
    (void)Do("");
    EXPECT_EQ(chosen, -1) << refused;
  }
  pick.value = 4;
  session_->runtime().Input(handle_, pick);
  (void)Do("");
  EXPECT_EQ(chosen, 4);
}

}  // namespace
}  // namespace zelvo
