// The ritual every window procedure follows, seen from its caller and the
// settings file.
#include "framework/window/window_procedure.h"

#include <gtest/gtest.h>

#include "tests/framework/window/card_form.h"

namespace zelvo {
namespace {

using namespace testing_support;

TEST_F(CardFormTest, TheRitualHandsOverTheRequestAndKeepsThePlacementUnderTheProcedure) {
  for (const auto& [key, value] : {std::pair{"Maximize", "No"}, {"XPos", "40"}, {"YPos", "30"},
                                   {"Width", "500"}, {"Height", "300"}})
    settings_.PutEntry(kForm, key, value);
  StartForm(RecordAction::View, {.cancelAction = 3});
  const std::optional<WindowView> window = User().Window(kForm);
  ASSERT_TRUE(window);
  EXPECT_EQ(window->caption, "View Record");
  EXPECT_EQ((std::vector<int>{window->x, window->y, window->width, window->height}),
            (std::vector<int>{40, 30, 500, 300}));
  EXPECT_EQ(form_->procedureShown, kForm);
  EXPECT_EQ(form_->pendingShown, RecordAction::None);  // taken over by the form

  // A form opened to view writes nothing and asks nothing on closing.
  User().Type(kForm, "CRD:NAME", "Sidorov");
  User().Place(kForm, 50, 60, 420, 260);
  User().Press(kForm, "Cancel");
  ASSERT_TRUE(User().Ended());
  EXPECT_EQ(response_, kCancelled);
  EXPECT_EQ(lastResponse_, kCancelled);
  EXPECT_EQ(procedureAfter_, "%Procedure");
  EXPECT_EQ(table_.Stored()[0], "1 Ivanov");
  std::vector<std::string> saved;
  for (const char* key : {"Maximize", "XPos", "YPos", "Width", "Height"})
    saved.push_back(settings_.GetEntry(kForm, key, ""));
  EXPECT_EQ(saved, (std::vector<std::string>{"No", "50", "60", "420", "260"}));
}

}  // namespace
}  // namespace zelvo
