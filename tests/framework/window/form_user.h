// The user of a headless program in the window tests: looks at windows and
// acts on their controls by procedure and control name (a binding's name or
// the control's own), each time once the program is idle, and fails the test
// when an action cannot be done.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "platform/headless/headless_session.h"
#include "platform/window_runtime.h"

namespace zelvo::testing_support {

// A control's text without the blanks a picture pads it with.
inline std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The message boxes of whatever runtime is installed, for a reporter made
// before its program starts.
struct RuntimeBoxes final : MessageBox {
  unsigned Show(const MessageBoxRequest& request) override { return TheWindowRuntime().Show(request); }
};

class FormUser {
 public:
  explicit FormUser(HeadlessSession& session) : session_(session) {}

  // Waits until the program is idle; then whether it has ended.
  bool Ended() {
    Idle();
    return session_.driver().Ended();
  }
  // The window of this procedure opened last; nullopt when none is open.
  std::optional<WindowView> Window(const std::string& procedure) {
    Idle();
    std::optional<WindowView> found;
    for (const WindowView& w : session_.driver().Windows())
      if (w.procedure == procedure) found = w;
    return found;
  }
  std::optional<MessageView> Message() {
    Idle();
    return session_.driver().Message();
  }
  // The control called `name` of `procedure`'s window; a failed expectation
  // and an empty view when there is none.
  ControlView Control(const std::string& procedure, const std::string& name) {
    if (const std::optional<WindowView> w = Window(procedure)) {
      for (const ControlView& c : w->controls)
        if (c.name == name) return c;
    }
    ADD_FAILURE() << "no control " << name << " in " << procedure;
    return {};
  }

  void Type(const std::string& procedure, const std::string& control, const std::string& text) {
    Act(procedure, control, [&](int w, ControlId c) { return session_.driver().Type(w, c, text); });
  }
  void Press(const std::string& procedure, const std::string& control) {
    Act(procedure, control, [&](int w, ControlId c) { return session_.driver().Press(w, c); });
  }
  void Key(const std::string& procedure, const std::string& control, const std::string& key) {
    const std::optional<NamedKey> named = KeyFromName(key);
    ASSERT_TRUE(named) << key;
    Act(procedure, control, [&](int w, ControlId c) { return session_.driver().PressKey(w, c, *named); });
  }
  void Place(const std::string& procedure, int x, int y, int width, int height) {
    const std::optional<WindowView> w = Window(procedure);
    ASSERT_TRUE(w) << procedure << " is not open";
    EXPECT_EQ(session_.driver().Place(w->handle, x, y, width, height), "");
  }
  // Answers the open message box, which must have this caption.
  void Answer(const std::string& caption, const std::string& button) {
    const std::optional<MessageView> m = Message();
    ASSERT_TRUE(m) << "no message box for " << caption;
    EXPECT_EQ(m->caption, caption);
    EXPECT_EQ(session_.driver().Answer(button), "");
  }

 private:
  void Idle() {
    std::string busy;
    ASSERT_TRUE(session_.WaitIdle(10, &busy)) << "still running: " << busy;
  }
  void Act(const std::string& procedure, const std::string& control,
           const std::function<std::string(int, ControlId)>& act) {
    const std::optional<WindowView> w = Window(procedure);
    ASSERT_TRUE(w) << procedure << " is not open";
    const ControlView c = Control(procedure, control);
    ASSERT_NE(c.id, 0);
    EXPECT_EQ(act(w->handle, c.id), "") << control;
  }

  HeadlessSession& session_;
};

}  // namespace zelvo::testing_support
