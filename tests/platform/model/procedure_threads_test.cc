// Procedure threads under the run token: only one runs program code at a
// time, a started procedure waits for its starter to wait, at most 63 run,
// every stack has room, and the program ends cleanly however it ends.
#include <pthread.h>

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "platform/headless/headless_session.h"
#include "platform/window_runtime.h"

namespace zelvo {
namespace {

WindowDefinition Frame() {
  WindowDefinition frame("Main", "Frame", WindowKind::Frame);
  frame.BeginMenu("&File");
  frame.MenuItem("E&xit", {}, StandardAction::Exit);
  frame.End();
  return frame;
}

// Runs the frame's loop until the frame closes.
void RunFrame(const std::function<void(Window&)>& started = {},
              const std::function<void(const Event&)>& onEvent = {}) {
  std::unique_ptr<Window> frame = TheWindowRuntime().Open(Frame());
  if (started) started(*frame);
  for (Event e = frame->NextEvent(); e.number != EventNumber::None; e = frame->NextEvent()) {
    if (onEvent) onEvent(e);
    if (e.number == EventNumber::CloseWindow) frame->Close();
  }
}

int Handle(HeadlessDriver& driver, const std::string& procedure, int nth = 1) {
  for (const WindowView& view : driver.Windows())
    if (view.procedure == procedure && --nth == 0) return view.handle;
  return 0;
}

// Checks that program code never runs on two threads at once.
struct ExclusiveAccess {
  std::atomic<int> inside = 0;
  std::atomic<int> most = 0;
  void Touch() {
    const int now = ++inside;
    if (now > most) most = now;
    for (int i = 0; i < 3; ++i) std::this_thread::yield();  // room for another to come in
    --inside;
  }
};

TEST(ProcedureThreads, NoTwoProceduresEverRunProgramCodeAtOnce) {
  constexpr int kProcedures = 12;
  constexpr int kKeysPerSender = 20;
  ExclusiveAccess access;
  std::vector<int> alerts(kProcedures, 0);  // program state: touched by the holder only
  HeadlessSession session([&] {
    RunFrame([&](Window&) {
      for (int p = 0; p < kProcedures; ++p)
        ASSERT_TRUE(TheWindowRuntime().StartProcedure(
            [&, p] {
              WindowDefinition definition("Worker" + std::to_string(p), "Worker");
              definition.Button("&Go");
              std::unique_ptr<Window> window = TheWindowRuntime().Open(definition);
              window->Alert(0, 'A', 'A');
              for (Event e = window->NextEvent(); e.number != EventNumber::None; e = window->NextEvent()) {
                access.Touch();
                if (e.number == EventNumber::AlertKey) {
                  ++alerts[static_cast<std::size_t>(p)];
                  // Some work that makes other threads ready meanwhile.
                  if (p + 1 < kProcedures) window->Post(EventNumber::Timer);
                }
                if (e.number == EventNumber::CloseDown) window->Close();
              }
            },
            25000));
    });
  });
  ASSERT_TRUE(session.WaitIdle());
  std::vector<int> handles;
  for (int p = 0; p < kProcedures; ++p) handles.push_back(Handle(session.driver(), "Worker" + std::to_string(p)));
  // Three users type at once into every window.
  std::vector<std::thread> senders;
  for (int s = 0; s < 3; ++s)
    senders.emplace_back([&] {
      for (int k = 0; k < kKeysPerSender; ++k)
        for (int handle : handles) {
          UserInput key;
          key.kind = UserInput::Kind::Key;
          key.key = 'A';
          key.character = 'a';
          session.runtime().Input(handle, key);
        }
    });
  for (std::thread& sender : senders) sender.join();
  // Every hand-over is a thread switch: a loaded machine takes its time.
  ASSERT_TRUE(session.WaitIdle(300));
  for (int p = 0; p < kProcedures; ++p) EXPECT_EQ(alerts[static_cast<std::size_t>(p)], 3 * kKeysPerSender) << p;
  EXPECT_EQ(access.most, 1);
  // Closing the frame asks every worker, which closes; then the frame goes.
  EXPECT_EQ(session.driver().Close(Handle(session.driver(), "Main")), "");
  EXPECT_EQ(session.Finish(), 0);
  EXPECT_TRUE(session.driver().Ended());
}

TEST(ProcedureThreads, AStartedProcedureBeginsWhenItsStarterWaits) {
  std::vector<std::string> log;
  HeadlessSession session([&] {
    RunFrame([&](Window&) {
      ASSERT_TRUE(TheWindowRuntime().StartProcedure([&] { log.push_back("second begins"); }, 0));
      ASSERT_TRUE(TheWindowRuntime().StartProcedure([&] { log.push_back("third begins"); }, 0));
      log.push_back("starter waits");
    });
  });
  ASSERT_TRUE(session.WaitIdle());
  EXPECT_EQ(log, (std::vector<std::string>{"starter waits", "second begins", "third begins"}));
}

TEST(ProcedureThreads, AtMost63RunAndAStartBeyondStartsNothing) {
  int begun = 0;
  bool sixtyFourth = true, afterOneEnded = false;
  HeadlessSession session([&] {
    RunFrame(
        [&](Window& frame) {
          for (int i = 0; i < WindowRuntime::kMaximumProcedures; ++i)
            ASSERT_TRUE(TheWindowRuntime().StartProcedure(
                [&] {
                  ++begun;
                  WindowDefinition definition("Held", "Held");
                  std::unique_ptr<Window> window = TheWindowRuntime().Open(definition);
                  for (Event e = window->NextEvent(); e.number != EventNumber::None; e = window->NextEvent())
                    if (e.number == EventNumber::CloseWindow || e.number == EventNumber::CloseDown) window->Close();
                },
                1000));
          sixtyFourth = TheWindowRuntime().StartProcedure([&] { ++begun; }, 1000);
          frame.Alert(0, 'S', 'S');
        },
        [&](const Event& e) {
          if (e.number == EventNumber::AlertKey) afterOneEnded = TheWindowRuntime().StartProcedure([] {}, 1000);
        });
  });
  ASSERT_TRUE(session.WaitIdle());
  EXPECT_FALSE(sixtyFourth);
  EXPECT_EQ(begun, WindowRuntime::kMaximumProcedures);
  const int frame = Handle(session.driver(), "Main");
  ASSERT_EQ(session.driver().PressKey(frame, 0, {'S', 'S'}), "");
  ASSERT_TRUE(session.WaitIdle());
  EXPECT_FALSE(afterOneEnded) << "63 still run";
  ASSERT_EQ(session.driver().Close(Handle(session.driver(), "Held", 5)), "");
  ASSERT_TRUE(session.WaitIdle());
  ASSERT_EQ(session.driver().PressKey(frame, 0, {'S', 'S'}), "");
  ASSERT_TRUE(session.WaitIdle());
  EXPECT_TRUE(afterOneEnded);
  EXPECT_EQ(session.driver().Close(frame), "");
  EXPECT_EQ(session.Finish(), 0);
}

std::size_t StackSize() {
  pthread_attr_t attributes;
  pthread_getattr_np(pthread_self(), &attributes);
  std::size_t size = 0;
  pthread_attr_getstacksize(&attributes, &size);
  pthread_attr_destroy(&attributes);
  return size;
}

TEST(ProcedureThreads, AStackIsAtLeastTheFloorAndAtLeastWhatWasAsked) {
  std::size_t small = 0, large = 0;
  HeadlessSession session([&] {
    ASSERT_TRUE(TheWindowRuntime().StartProcedure([&] { small = StackSize(); }, 100));
    ASSERT_TRUE(TheWindowRuntime().StartProcedure([&] { large = StackSize(); }, 16u << 20));
  });
  EXPECT_EQ(session.Finish(), 0);
  EXPECT_GE(small, ProcedureThread::kStackFloor);
  EXPECT_GE(large, std::size_t{16} << 20);
}

}  // namespace
}  // namespace zelvo
