// Windows opening and closing: the window stack of a thread, the frame's
// close sequence with its refusal, and Exit, which ends every thread.
#include <gtest/gtest.h>

#include "platform/headless/headless_session.h"
#include "platform/window_runtime.h"

namespace zelvo {
namespace {

int Handle(HeadlessDriver& driver, const std::string& procedure) {
  for (const WindowView& view : driver.Windows())
    if (view.procedure == procedure) return view.handle;
  return 0;
}

const WindowView* View(const std::vector<WindowView>& views, const std::string& procedure) {
  for (const WindowView& view : views)
    if (view.procedure == procedure) return &view;
  return nullptr;
}

// A window procedure that logs its events; `react` may handle one (true:
// handled). CloseWindow and CloseDown close it unless `refuseClose`.
struct Procedure {
  std::string name;
  std::vector<std::string>* log;
  bool refuseClose = false;
  std::function<bool(Window&, const Event&)> react = {};

  void operator()() const {
    WindowDefinition definition(name, name);
    definition.Button("&Ok", ButtonRole::Ok);
    std::unique_ptr<Window> window = TheWindowRuntime().Open(definition);
    for (Event e = window->NextEvent(); e.number != EventNumber::None; e = window->NextEvent()) {
      if (e.number != EventNumber::Sized && e.number != EventNumber::OpenWindow)
        log->push_back(name + " " + EventName(e.number));
      if (react && react(*window, e)) continue;
      if ((e.number == EventNumber::CloseWindow || e.number == EventNumber::CloseDown) && !refuseClose)
        window->Close();
    }
    log->push_back(name + " ends");
  }
};

// The frame's procedure as the window controller runs it: a close request
// ends its loop, and the frame closes after it. F2 closes the frame at once.
void Main(std::vector<std::string>* log, const std::function<void()>& started) {
  WindowDefinition definition("Main", "Frame", WindowKind::Frame);
  std::unique_ptr<Window> frame = TheWindowRuntime().Open(definition);
  frame->Alert(0, kF1 + 1, kF1 + 1);
  started();
  for (Event e = frame->NextEvent(); e.number != EventNumber::None; e = frame->NextEvent()) {
    if (e.number == EventNumber::CloseWindow) break;
    if (e.number == EventNumber::AlertKey) frame->Close();
  }
  frame->Close();
  log->push_back("Main ends");
}

TEST(WindowLifecycle, AWindowOpenedLaterOnItsThreadTakesTheInputUntilItCloses) {
  std::vector<std::string> log;
  HeadlessSession session([&] {
    Main(&log, [&] {
      ASSERT_TRUE(TheWindowRuntime().StartProcedure(
          Procedure{"Browse", &log, false,
                    [&](Window&, const Event& e) {
                      if (e.number == EventNumber::Accepted) Procedure{"Form", &log}();
                      return false;
                    }},
          0));
    });
  });
  ASSERT_TRUE(session.WaitIdle());
  const int browse = Handle(session.driver(), "Browse");
  ASSERT_EQ(session.driver().Press(browse, 1), "");
  ASSERT_TRUE(session.WaitIdle());
  std::vector<WindowView> views = session.driver().Windows();
  EXPECT_FALSE(View(views, "Browse")->takesInput);
  EXPECT_TRUE(View(views, "Form")->takesInput);
  EXPECT_TRUE(View(views, "Form")->active);
  EXPECT_NE(session.driver().Press(browse, 1), "");
  ASSERT_EQ(session.driver().Close(Handle(session.driver(), "Form")), "");
  ASSERT_TRUE(session.WaitIdle());
  views = session.driver().Windows();
  EXPECT_TRUE(View(views, "Browse")->takesInput);
  EXPECT_TRUE(View(views, "Browse")->active);
  // The button had the focus from the start: no EVENT:Selected. The browse
  // lost the focus to the form and gets it back.
  EXPECT_EQ(log, (std::vector<std::string>{"Browse EVENT:Accepted", "Form EVENT:CloseWindow", "Form ends",
                                           "Browse EVENT:LoseFocus", "Browse EVENT:GainFocus"}));
}

TEST(WindowLifecycle, ClosingTheFrameAsksEveryWindowTopFirstAndEndsTheProgram) {
  std::vector<std::string> log;
  HeadlessSession session([&] {
    Main(&log, [&] {
      ASSERT_TRUE(TheWindowRuntime().StartProcedure(Procedure{"Konst", &log}, 0));
      ASSERT_TRUE(TheWindowRuntime().StartProcedure(
          Procedure{"Browse", &log, false,
                    [&](Window&, const Event& e) {
                      if (e.number == EventNumber::Accepted) Procedure{"Form", &log}();
                      return false;
                    }},
          0));
    });
  });
  ASSERT_TRUE(session.WaitIdle());
  ASSERT_EQ(session.driver().Press(Handle(session.driver(), "Browse"), 1), "");
  ASSERT_TRUE(session.WaitIdle());
  log.clear();
  ASSERT_EQ(session.driver().Close(Handle(session.driver(), "Main")), "");
  EXPECT_EQ(session.Finish(), 0);
  EXPECT_EQ(log, (std::vector<std::string>{"Form EVENT:CloseDown", "Form ends", "Browse EVENT:LoseFocus",
                                           "Browse EVENT:GainFocus",
                                           "Browse EVENT:CloseDown", "Browse ends", "Konst EVENT:GainFocus",
                                           "Konst EVENT:CloseDown", "Konst ends", "Main ends"}));
}

TEST(WindowLifecycle, ClosingTheFrameItselfClosesItsDocumentsAtOnce) {
  std::vector<std::string> log;
  HeadlessSession session([&] {
    Main(&log, [&] { ASSERT_TRUE(TheWindowRuntime().StartProcedure(Procedure{"Konst", &log}, 0)); });
  });
  ASSERT_TRUE(session.WaitIdle());
  ASSERT_EQ(session.driver().PressKey(Handle(session.driver(), "Main"), 0, {kF1 + 1, 0}), "");
  EXPECT_EQ(session.Finish(), 0);
  EXPECT_EQ(log, (std::vector<std::string>{"Main ends", "Konst ends"}));
}

TEST(WindowLifecycle, AWindowThatRefusesKeepsTheFrameOpen) {
  std::vector<std::string> log;
  HeadlessSession session([&] {
    Main(&log, [&] {
      ASSERT_TRUE(TheWindowRuntime().StartProcedure(Procedure{"Kept", &log, true}, 0));
      ASSERT_TRUE(TheWindowRuntime().StartProcedure(Procedure{"Gone", &log}, 0));
    });
  });
  ASSERT_TRUE(session.WaitIdle());
  log.clear();
  ASSERT_EQ(session.driver().Close(Handle(session.driver(), "Main")), "");
  ASSERT_TRUE(session.WaitIdle());
  EXPECT_EQ(log, (std::vector<std::string>{"Gone EVENT:CloseDown", "Gone ends", "Kept EVENT:GainFocus",
                                           "Kept EVENT:CloseDown"}));
  EXPECT_FALSE(session.driver().Ended());
  EXPECT_NE(Handle(session.driver(), "Main"), 0);
  // Asked again, it still refuses: the close was cancelled, not left pending.
  ASSERT_EQ(session.driver().Close(Handle(session.driver(), "Kept")), "");
  ASSERT_TRUE(session.WaitIdle());
  EXPECT_NE(Handle(session.driver(), "Kept"), 0);
  EXPECT_EQ(log.back(), "Kept EVENT:CloseWindow");
}

TEST(WindowLifecycle, ExitClosesEveryWindowWithoutAskingAndEndsEveryThread) {
  std::vector<std::string> log;
  struct Unwound {
    std::vector<std::string>* log;
    std::string name;
    ~Unwound() { log->push_back(name + " unwound"); }
  };
  HeadlessSession session([&] {
    Main(&log, [&] {
      ASSERT_TRUE(TheWindowRuntime().StartProcedure(
          [&] {
            Unwound unwound{&log, "Asker"};
            MessageBoxRequest request;
            request.text = "Sure?";
            request.buttons = kButtonYes | kButtonNo;
            (void)TheWindowRuntime().Show(request);
            log.push_back("Asker goes on");
          },
          0));
      ASSERT_TRUE(TheWindowRuntime().StartProcedure(
          Procedure{"Halter", &log, true,
                    [&](Window&, const Event& e) {
                      if (e.number == EventNumber::Accepted) {
                        Unwound unwound{&log, "Halter"};
                        TheWindowRuntime().Exit(3);
                      }
                      return false;
                    }},
          0));
    });
  });
  ASSERT_TRUE(session.WaitIdle());
  ASSERT_TRUE(session.driver().Message().has_value());
  ASSERT_EQ(session.driver().Press(Handle(session.driver(), "Halter"), 1), "");
  EXPECT_EQ(session.Finish(), 3);
  EXPECT_TRUE(session.driver().Windows().empty());
  EXPECT_EQ(log, (std::vector<std::string>{"Halter EVENT:Accepted", "Halter unwound",
                                           "Asker unwound"}));
}

}  // namespace
}  // namespace zelvo
