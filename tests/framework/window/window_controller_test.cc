// The update form's paths through the window controller, run headless: a
// caller procedure prepares the card and the request as a browse would, the
// test acts as the user on the "CardUp" form.
#include "framework/window/window_controller.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>

#include "tests/framework/window/card_form.h"

namespace zelvo {
namespace {

using namespace testing_support;

TEST_F(CardFormTest, CancelOnAnUnchangedChangeFormClosesWithoutAQuestion) {
  StartForm(RecordAction::Change, {});
  ASSERT_TRUE(User().Window(kForm));
  EXPECT_EQ(Trimmed(User().Control(kForm, "CRD:NAME").shown), "Ivanov");
  User().Press(kForm, "Cancel");
  EXPECT_TRUE(User().Ended());  // a question would keep the program waiting
  EXPECT_EQ(response_, kCancelled);
  EXPECT_EQ(lastResponse_, kCancelled);
  EXPECT_EQ(table_.Stored(), (std::vector<std::string>{"1 Ivanov", "2 Petrov"}));
}

// Cancel after the user changed the name, by CANCELACTION.
struct CancelCase {
  std::uint8_t cancelAction;
  const char* question;  // the caption asked, "" none
  const char* answer;
  bool staysOpen;
  const char* stored;  // card 1 afterwards
  std::uint8_t response;
};

class CancelActionTest : public CardFormTest, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(CancelActionTest, DecidesWhetherTheChangeIsSaved) {
  const CancelCase& c = GetParam();
  StartForm(RecordAction::Change, {.cancelAction = c.cancelAction});
  User().Type(kForm, "CRD:NAME", "Sidorov");
  User().Press(kForm, "Cancel");
  if (*c.question != '\0') User().Answer(c.question, c.answer);
  if (c.staysOpen) {
    ASSERT_TRUE(User().Window(kForm));
    EXPECT_FALSE(User().Message());
    EXPECT_TRUE(User().Control(kForm, "CRD:NAME").focused);
    EXPECT_EQ(Trimmed(User().Control(kForm, "CRD:NAME").shown), "Sidorov");
    return;
  }
  ASSERT_TRUE(User().Ended());
  EXPECT_EQ(response_, c.response);
  EXPECT_EQ(table_.Stored()[0], c.stored);
}

INSTANTIATE_TEST_SUITE_P(
    ByCancelAction, CancelActionTest,
    ::testing::Values(CancelCase{3, "Save Record", "Yes", false, "1 Sidorov", kCompleted},
                      CancelCase{3, "Save Record", "No", false, "1 Ivanov", kCancelled},
                      CancelCase{3, "Save Record", "Cancel", true, "", 0},
                      CancelCase{1, "Changes will be lost!", "Yes", false, "1 Ivanov", kCancelled},
                      CancelCase{1, "Changes will be lost!", "No", true, "", 0},
                      CancelCase{2, "", "", false, "1 Sidorov", kCompleted},
                      CancelCase{0, "", "", false, "1 Ivanov", kCancelled}));

TEST_F(CardFormTest, InsertAction3AddsAndStaysOpenWithTheNextNumber) {
  StartForm(RecordAction::Insert, {.insertAction = 3});
  EXPECT_EQ(Trimmed(User().Control(kForm, "CRD:NO").shown), "3");
  User().Type(kForm, "CRD:NAME", "Sidorov");
  User().Press(kForm, "OK");
  ASSERT_TRUE(User().Window(kForm));
  EXPECT_EQ(Trimmed(User().Control(kForm, "CRD:NO").shown), "4");
  EXPECT_EQ(Trimmed(User().Control(kForm, "CRD:NAME").shown), "");
  EXPECT_TRUE(User().Control(kForm, "CRD:NAME").focused);
  User().Type(kForm, "CRD:NAME", "Kuznetsov");
  User().Press(kForm, "OK");
  EXPECT_EQ(Trimmed(User().Control(kForm, "CRD:NO").shown), "5");
  User().Press(kForm, "Cancel");  // the fresh card is unchanged: no question
  ASSERT_TRUE(User().Ended());
  EXPECT_EQ(response_, kCompleted);
  EXPECT_EQ(form_->primed, 3);
  EXPECT_EQ(form_->atEnd, "4 Kuznetsov");  // the last card added, for the caller
  // Card 5 held its number only while the form was open.
  EXPECT_EQ(table_.Stored(), (std::vector<std::string>{"1 Ivanov", "2 Petrov", "3 Sidorov", "4 Kuznetsov"}));
}

// One insert completed, by INSERTACTION (4 asks "Record Added": add another?).
struct InsertCase {
  std::uint8_t insertAction;
  const char* answer;  // to "Record Added", "" not asked
  bool staysOpen;
};

class InsertActionTest : public CardFormTest, public ::testing::WithParamInterface<InsertCase> {};

TEST_P(InsertActionTest, ClosesOrStaysForTheNext) {
  const InsertCase& c = GetParam();
  StartForm(RecordAction::Insert, {.insertAction = c.insertAction});
  User().Type(kForm, "CRD:NAME", "Sidorov");
  User().Press(kForm, "OK");
  if (*c.answer != '\0') User().Answer("Record Added", c.answer);
  if (c.staysOpen) {
    ASSERT_TRUE(User().Window(kForm));
    EXPECT_EQ(Trimmed(User().Control(kForm, "CRD:NO").shown), "4");
  } else {
    ASSERT_TRUE(User().Ended());
    EXPECT_EQ(response_, kCompleted);
  }
  EXPECT_EQ(table_.Stored()[2], "3 Sidorov");
}

INSTANTIATE_TEST_SUITE_P(ByInsertAction, InsertActionTest,
                         ::testing::Values(InsertCase{2, "", false}, InsertCase{4, "No", false},
                                           InsertCase{4, "Yes", true}));

// A delete request by DELETEACTION: 2 confirms and 4 does not; neither shows the form.
struct DeleteCase {
  std::uint8_t deleteAction;
  const char* answer;  // to the confirmation, "" not asked
  bool deleted;
};

class DeleteActionTest : public CardFormTest, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(DeleteActionTest, DeletesWithoutShowingTheForm) {
  const DeleteCase& c = GetParam();
  StartForm(RecordAction::Delete, {.deleteAction = c.deleteAction});
  if (*c.answer != '\0') User().Answer("Удаление записи", c.answer);
  ASSERT_TRUE(User().Ended());
  EXPECT_EQ(form_->shown, 0);
  EXPECT_EQ(response_, c.deleted ? kCompleted : kCancelled);
  EXPECT_EQ(table_.Stored().size(), c.deleted ? 1u : 2u);
}

INSTANTIATE_TEST_SUITE_P(ByDeleteAction, DeleteActionTest,
                         ::testing::Values(DeleteCase{4, "", true}, DeleteCase{2, "Yes", true},
                                           DeleteCase{2, "No", false}));

TEST_F(CardFormTest, ASaveRefusedForAnotherStationsChangeShowsItAndDittoRecallsTheTypedValue) {
  std::filesystem::create_directory_symlink(folder_.Path(), folder_.Path() / "station2");
  CardTable other{folder_, reporter_, "station2"};
  afterFetch_ = [&] {  // the other station changes card 1 after the form's caller read it
    (void)other.relations.OpenAll();
    (void)CRD.NO.Set(other.Record(), 1);
    (void)other.manager.FetchByKey(1);
    (void)CRD.NAME.Set(other.Record(), "Petrova");
    (void)other.manager.UpdateRecord();
    other.relations.CloseAll();
  };
  StartForm(RecordAction::Change, {});
  User().Type(kForm, "CRD:NAME", "Sidorov");
  User().Press(kForm, "OK");
  const std::optional<MessageView> refused = User().Message();
  ASSERT_TRUE(refused);
  EXPECT_NE(refused->text.find("Ctrl+' to recall your changes"), std::string::npos) << refused->text;
  User().Answer("Record Was Not Updated", "Ok");
  ASSERT_TRUE(User().Window(kForm));
  EXPECT_EQ(Trimmed(User().Control(kForm, "CRD:NAME").shown), "Petrova");
  User().Key(kForm, "CRD:NAME", "Ctrl+'");
  EXPECT_EQ(Trimmed(User().Control(kForm, "CRD:NAME").shown), "Sidorov");
  User().Press(kForm, "OK");
  ASSERT_TRUE(User().Ended());
  EXPECT_EQ(response_, kCompleted);
  EXPECT_EQ(table_.Stored()[0], "1 Sidorov");
}

TEST_F(CardFormTest, AFailedSaveAsksToTryAgain) {
  StartForm(RecordAction::Change, {});
  User().Type(kForm, "CRD:NAME", "bad");  // the table's rule refuses it
  User().Press(kForm, "OK");
  User().Answer("Record Update Error", "Cancel");
  ASSERT_TRUE(User().Window(kForm));
  EXPECT_FALSE(User().Message());
  User().Press(kForm, "OK");
  User().Answer("Record Update Error", "Yes");  // tried again, refused again
  User().Answer("Record Update Error", "No");
  ASSERT_TRUE(User().Ended());
  EXPECT_EQ(response_, kCancelled);
  EXPECT_EQ(table_.Stored()[0], "1 Ivanov");
}

TEST_F(CardFormTest, AToolbarNavigationButtonSavesTheFormAndLeavesTheRequest) {
  PendingVcrRequest = 0;
  StartForm(RecordAction::Change, {.toolbar = true});
  EXPECT_EQ(User().Control(kForm, "Next").text, "Next");
  User().Type(kForm, "CRD:NAME", "Sidorov");
  User().Press(kForm, "Next");
  ASSERT_TRUE(User().Ended());
  EXPECT_EQ(response_, kCompleted);
  EXPECT_EQ(PendingVcrRequest, static_cast<std::int32_t>(ToolbarButton::NextRecord));
  EXPECT_EQ(table_.Stored()[0], "1 Sidorov");
  PendingVcrRequest = 0;
}

// A component that records what the controller asks of it.
struct RecordingComponent final : WindowComponent {
  void Kill() override { log.push_back("kill"); }
  void Reset(bool force) override { log.push_back(force ? "reset force" : "reset"); }
  bool NeedsRefresh() override { return std::exchange(refresh, false); }
  void ArmHotKeys() override { log.push_back("arm"); }
  Level TakeEvent(const Event& event) override {
    log.push_back(EventName(event.number));
    if (event.number == EventNumber::Selected) refresh = true;
    if (event.number == EventNumber::CloseWindow && refuseClose) {
      refuseClose = false;
      return LevelNotify;
    }
    return LevelOk;
  }
  void UpdateBuffers() override { log.push_back("update"); }
  void Redraw() override { log.push_back("redraw"); }

  std::vector<std::string> log;
  bool refresh = false;
  bool refuseClose = true;
};

TEST_F(CardFormTest, ComponentsTakeEventsAfterTheControllerAndMayRefuseAClose) {
  RecordingComponent component;
  StartForm(RecordAction::Change, {.component = &component});
  ASSERT_TRUE(User().Window(kForm));
  ASSERT_GE(component.log.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(component.log.begin(), component.log.begin() + 4),
            (std::vector<std::string>{"arm", "reset", "redraw", "EVENT:OpenWindow"}));
  component.log.clear();
  User().Press(kForm, "Cancel");
  ASSERT_TRUE(User().Window(kForm));  // refused by the component
  // The close button's EVENT:Accepted is the controller's alone.
  EXPECT_EQ(component.log,
            (std::vector<std::string>{"EVENT:Selected", "reset", "redraw", "EVENT:CloseWindow"}));
  component.log.clear();
  User().Press(kForm, "Cancel");
  ASSERT_TRUE(User().Ended());
  EXPECT_EQ(component.log.back(), "kill");
}

TEST(RunUpdateFormTest, AViewOnlyWindowAnswers2WithoutCallingTheForm) {
  WindowController window;
  int calls = 0;
  RecordAction handed = RecordAction::None;
  const int form = window.AddUpdateForm([&] {
    ++calls;
    handed = PendingRequest;
    PendingRequest = RecordAction::None;
    LastResponse = kCompleted;
  });
  window.request = RecordAction::View;
  EXPECT_EQ(window.RunUpdateForm(form, RecordAction::Change), kCancelled);
  EXPECT_EQ(calls, 0);
  window.request = RecordAction::None;
  EXPECT_EQ(window.RunUpdateForm(form, RecordAction::Change), kCompleted);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(handed, RecordAction::Change);
  EXPECT_EQ(window.RunUpdateForm(form + 1, RecordAction::Change), kCancelled);  // no such form
}

}  // namespace
}  // namespace zelvo
