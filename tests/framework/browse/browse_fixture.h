// A browse of the people, run headless: the window "People" with a list of
// names, departments and ages, a locator entry, the action buttons, and an
// update form that each test writes as a function over the people's buffer.
// The test acts as the user through the headless driver and looks at the
// list as it is shown.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/framework/browse/browse_test_support.h"
#include "framework/browse/browse_list.h"
#include "framework/browse/letter_scale.h"
#include "framework/data/ini_store.h"
#include "framework/window/window_procedure.h"
#include "platform/headless/headless_session.h"
#include "runtime/cp1251.h"

namespace zelvo::testing_support {

class BrowseFixture;

// The people's browse procedure; the fixture chooses its set-up.
class PeopleBrowse final : public WindowProcedure {
 public:
  explicit PeopleBrowse(BrowseFixture& fixture);
  BrowseList browse;

 protected:
  WindowDefinition DefineWindow() override;
  Level WindowOpened() override;

 private:
  BrowseFixture& f_;
};

class BrowseFixture : public PeopleFixture {
 protected:
  ~BrowseFixture() override {
    if (session_) {
      if (!session_->driver().Ended()) session_->driver().Quit();
      (void)session_->Finish();
    }
    settings_.KillStore();
  }

  // Runs the browse (opened with `request`) in a frame; `after` runs on the
  // program's thread once it has returned.
  void Start(RecordAction request = RecordAction::None, std::function<void()> after = {}) {
    settings_.InitStore(folder_.File("zelvo5.INI"));
    boxes_.toRuntime = true;
    session_ = std::make_unique<HeadlessSession>([this, request, after] {
      WindowDefinition frame("Main", "Frame", WindowKind::Frame);
      std::unique_ptr<Window> main = TheWindowRuntime().Open(frame);
      PendingRequest = request;
      {
        PeopleBrowse procedure(*this);
        response_ = procedure.RunWindow();
      }
      if (after) after();
      main->Close();
    });
    Idle();
  }

  void Idle() {
    std::string busy;
    ASSERT_TRUE(session_->WaitIdle(10, &busy)) << "still running: " << busy;
  }
  HeadlessDriver& Driver() { return session_->driver(); }
  int Handle() {
    Idle();
    for (const WindowView& w : Driver().Windows())
      if (w.procedure == "People") return w.handle;
    return 0;
  }
  bool Open() { return Handle() != 0; }
  ControlView View(ControlId control) {
    Idle();
    for (const WindowView& w : Driver().Windows())
      if (w.procedure == "People")
        for (const ControlView& c : w.controls)
          if (c.id == control) return c;
    ADD_FAILURE() << "no control " << control;
    return {};
  }
  // The names the list shows, top to bottom, and the selected row.
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const auto& row : View(list_).rows) names.push_back(Trim(row.empty() ? std::string() : row[0]));
    return names;
  }
  int Selected() { return View(list_).selection; }
  std::string SelectedName() {
    const ControlView list = View(list_);
    return list.selection >= 1 ? Trim(list.rows[static_cast<std::size_t>(list.selection) - 1][0]) : "";
  }
  void Key(const std::string& key, ControlId control = 0) {
    const std::optional<NamedKey> named = KeyFromName(key);
    ASSERT_TRUE(named) << key;
    EXPECT_EQ(Driver().PressKey(Handle(), control != 0 ? control : list_, *named), "") << key;
    Idle();
  }
  void Press(ControlId button) {
    EXPECT_EQ(Driver().Press(Handle(), button), "");
    Idle();
  }
  void Click(int row) {
    EXPECT_EQ(Driver().SelectRow(Handle(), list_, row), "");
    Idle();
  }
  // What the user does that the driver has no words for: a thumb dragged,
  // a row right-clicked, a popup item chosen.
  void Input(UserInput input) {
    session_->runtime().Input(Handle(), std::move(input));
    Idle();
  }
  static UserInput Made(UserInput::Kind kind, ControlId control = 0, int row = 0, int value = 0) {
    UserInput input;
    input.kind = kind;
    input.control = control;
    input.row = row;
    input.value = value;
    return input;
  }
  void Drag(int percent) { Input(Made(UserInput::Kind::Drag, list_, 0, percent)); }
  void Answer(const std::string& caption, const std::string& button) {
    Idle();
    const std::optional<MessageView> message = Driver().Message();
    ASSERT_TRUE(message) << "no message box " << caption;
    EXPECT_EQ(message->caption, caption);
    EXPECT_EQ(Driver().Answer(button), "");
    Idle();
  }
  static std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first, text.find_last_not_of(' ') - first + 1);
  }
  // Closes the browse (when still open) and waits until the program ended.
  void Finish() {
    if (Open()) Press(close_);
    Idle();
    if (!Driver().Ended()) (void)session_->Finish();
  }

  // What each test may choose before Start.
  int visibleRows_ = 5;
  std::function<void(PeopleBrowse&)> configure_;
  // The update form: runs on the program's thread with PendingRequest set,
  // answers the response.
  std::function<std::uint8_t(RecordAction)> form_;
  std::vector<RecordAction> formRequests_;

  // Control ids, known once the window is defined.
  bool withTabs_ = false;  // a sheet whose tabs choose the order: by name, by department
  ControlId sheet_ = 0, find_ = 0, list_ = 0, insert_ = 0, change_ = 0, delete_ = 0, select_ = 0, close_ = 0;
  std::uint8_t response_ = 0;
  IniStore settings_;
  std::unique_ptr<HeadlessSession> session_;

  friend class PeopleBrowse;
};

inline PeopleBrowse::PeopleBrowse(BrowseFixture& fixture)
    : WindowProcedure("People", fixture.reporter_, fixture.settings_), f_(fixture) {}

inline WindowDefinition PeopleBrowse::DefineWindow() {
  WindowDefinition w("People", "People");
  if (f_.withTabs_) {
    f_.sheet_ = w.BeginSheet("orders");
    w.BeginTab("By name");
    w.End();
    w.BeginTab("By department");
    w.End();
    w.End();
  }
  f_.find_ = w.Entry("Find:", FieldBinding(), "@s20");
  f_.list_ = w.List("list", {{"Name", "@s20"}, {"Dept", "@s8"}, {"Age", "@n3"}}, f_.visibleRows_);
  f_.insert_ = w.Button("&Insert");
  f_.change_ = w.Button("&Change");
  f_.delete_ = w.Button("&Delete");
  f_.select_ = w.Button("&Select");
  f_.close_ = w.Button("Close", ButtonRole::Cancel);
  AddCloseButton(f_.close_, kCancelled);
  UseTable(f_.people_);
  return w;
}

inline Level PeopleBrowse::WindowOpened() {
  browse.InitBrowse(f_.list_, f_.view_, *this, f_.people_);
  browse.AddSortOrder(std::make_unique<LetterScale>(1 | 4), kNameKey);
  RecordBuffer& person = f_.Person();
  if (f_.withTabs_) {
    browse.AddSortOrder(nullptr, kDeptKey);
    (void)browse.SelectSort(1);
    browse.SetSortSheet(f_.sheet_);
  }
  browse.AddField(1, person, PER.NAME, "PER:NAME");
  browse.AddField(2, person, PER.DEPT, "PER:DEPT");
  browse.AddField(3, person, PER.AGE, "PER:AGE");
  browse.insertControl = f_.insert_;
  browse.changeControl = f_.change_;
  browse.deleteControl = f_.delete_;
  browse.selectControl = f_.select_;
  browse.askProcedure = AddUpdateForm([this] {
    const RecordAction asked = PendingRequest;
    PendingRequest = RecordAction::None;
    f_.formRequests_.push_back(asked);
    LastResponse = f_.form_ ? f_.form_(asked) : kCancelled;
  });
  if (f_.configure_) f_.configure_(*this);
  return LevelOk;
}

}  // namespace zelvo::testing_support
