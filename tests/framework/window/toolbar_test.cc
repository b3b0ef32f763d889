#include "framework/window/toolbar.h"

#include <gtest/gtest.h>

#include <vector>

namespace zelvo {
namespace {

struct RecordingTarget final : ToolbarTarget {
  void TakeToolbarButton(ToolbarButton button) override { taken.push_back(button); }
  std::vector<ToolbarButton> taken;
};

TEST(ToolbarTest, RoutesNavigationButtonsToTheActiveTargetOnly) {
  WindowDefinition window("Browse", "Browse");
  const ControlId list = window.List("list", {}, 5);
  Toolbar toolbar;
  toolbar.Define(window);
  RecordingTarget form, browse;
  toolbar.AddTarget(form);
  toolbar.AddTarget(browse, list);

  const auto control = [&](std::string_view text) {
    for (const ControlDefinition& c : window.Controls())
      if (c.kind == ControlKind::Button && c.text == text) return c.id;
    return ControlId{0};
  };
  const Event next{.number = EventNumber::Accepted, .control = control("Next")};
  EXPECT_TRUE(toolbar.TakeEvent(next));
  toolbar.SetTarget(list);
  EXPECT_TRUE(toolbar.TakeEvent({.number = EventNumber::Accepted, .control = control("Last")}));
  toolbar.SetTarget(list + 100);  // the list of no target: the browse stays active
  EXPECT_TRUE(toolbar.TakeEvent({.number = EventNumber::Accepted, .control = control("Insert")}));
  // Ditto is the window's own; other controls and events are no buttons.
  EXPECT_FALSE(toolbar.TakeEvent({.number = EventNumber::Accepted, .control = control("Ditto")}));
  EXPECT_EQ(toolbar.ButtonOf(control("Ditto")), ToolbarButton::Ditto);
  EXPECT_FALSE(toolbar.TakeEvent({.number = EventNumber::Accepted, .control = list}));
  EXPECT_FALSE(toolbar.TakeEvent({.number = EventNumber::Selected, .control = control("Next")}));

  EXPECT_EQ(form.taken, std::vector<ToolbarButton>{ToolbarButton::NextRecord});
  EXPECT_EQ(browse.taken, (std::vector<ToolbarButton>{ToolbarButton::LastPage, ToolbarButton::Insert}));
  EXPECT_EQ(window[control("Last")].tip, "Go to the Last Page");

  toolbar.Kill();
  EXPECT_EQ(toolbar.ActiveTarget(), nullptr);
}

}  // namespace
}  // namespace zelvo
