// What a display hears from the window model: every window's state before the
// token holder waits, message boxes to show, the answers it gives back as
// input; and window timers in real time.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

#include "platform/model/window_model.h"
#include "storage/declare_fields.h"

namespace zelvo {
namespace {

#define ZELVO_SHOWN_FIELDS(FIELD) FIELD(AMOUNT, Decimal(7, 2))
ZELVO_DECLARE_FIELDS(Shown, SHW, ZELVO_SHOWN_FIELDS);

struct RecordingPresenter final : Presenter {
  std::mutex mutex;
  std::vector<std::string> calls;
  void Note(std::string call) {
    std::lock_guard lock(mutex);
    calls.push_back(std::move(call));
  }
  std::vector<std::string> Calls() {
    std::lock_guard lock(mutex);
    std::vector<std::string> taken;
    taken.swap(calls);
    return taken;
  }
  static std::string FirstText(const WindowState& w) { return w.controls.empty() ? "" : w.controls[0].text; }
  void Opened(const WindowState& w) override { Note("Opened " + w.caption + " " + FirstText(w)); }
  void Changed(const WindowState& w) override {
    Note("Changed " + FirstText(w) + (w.takesInput ? "" : " (no input)"));
  }
  void Closed(int) override { Note("Closed"); }
  void ShowMessage(int, const MessageBoxRequest& request) override { Note("ShowMessage " + request.text); }
  void ShowPopup(int, ControlId, const std::vector<PopupItem>&) override { Note("ShowPopup"); }
  void SetWaitCursor(bool wait) override { Note(wait ? "WaitCursor on" : "WaitCursor off"); }
  void SetStatusText(const std::string& text) override { Note("Status " + text); }
  void Perform(StandardAction) override { Note("Perform"); }
};

TEST(Presenter, HearsEachChangeBeforeTheProgramWaitsAndAnswersComeBackAsInput) {
  RecordingPresenter presenter;
  WindowModel model(&presenter);
  RecordBuffer record(ShownFields::kLayout);
  unsigned answer = 0;
  int handle = 0;
  model.Start([&] {
    WindowDefinition definition("Amount", "Amount");
    const ControlId amount = definition.Entry("", FieldBinding("SHW:AMOUNT", record, SHW.AMOUNT), "@n8.2");
    const ControlId go = definition.Button("Go");
    std::unique_ptr<Window> window = model.Open(definition);
    handle = static_cast<ModelWindow&>(*window).handle();
    for (Event e = window->NextEvent(); e.number != EventNumber::None; e = window->NextEvent()) {
      if (e.number != EventNumber::Accepted || e.control != go) continue;
      (void)SHW.AMOUNT.Set(record, Decimal::Parse("12.5"));
      window->Display(amount);
      model.SetWaitCursor(true);
      model.SetWaitCursor(true);
      model.SetWaitCursor(false);
      answer = model.Show(MessageBoxRequest{"Done?", "", MessageIcon::Question, kButtonYes | kButtonNo, kButtonNo});
      window->Close();
    }
  });
  ASSERT_TRUE(model.WaitIdle(10, nullptr));
  EXPECT_EQ(presenter.Calls(), (std::vector<std::string>{"Opened Amount     0.00"}));
  UserInput press;
  press.kind = UserInput::Kind::Press;
  press.control = 2;
  model.Input(handle, press);
  ASSERT_TRUE(model.WaitIdle(10, nullptr));
  // The focus moved to the button and the amount changed before the program
  // waited: one change, with the window taking no input under its question.
  EXPECT_EQ(presenter.Calls(),
            (std::vector<std::string>{"WaitCursor on", "Changed    12.50 (no input)", "ShowMessage Done?"}));
  UserInput reply;
  reply.kind = UserInput::Kind::MessageAnswer;
  reply.value = kButtonCancel;  // not a button of the box: ignored
  model.Input(handle, reply);
  ASSERT_TRUE(model.WaitIdle(10, nullptr));
  EXPECT_EQ(answer, 0u);
  reply.value = kButtonYes;
  model.Input(handle, reply);
  EXPECT_EQ(model.Wait(), 0);
  EXPECT_EQ(answer, unsigned{kButtonYes});
  EXPECT_EQ(presenter.Calls().back(), "Closed");
}

TEST(Presenter, AWindowTimerRunsInRealTimeAndTheProgramIsNotIdleWhileItIsArmed) {
  RecordingPresenter presenter;
  WindowModel model(&presenter);
  int ticks = 0;
  std::atomic<bool> release = false;
  model.Start([&] {
    WindowDefinition definition("Report", "Report");
    std::unique_ptr<Window> window = model.Open(definition);
    window->SetTimer(1);
    for (Event e = window->NextEvent(); e.number != EventNumber::None; e = window->NextEvent())
      if (e.number == EventNumber::Timer && ++ticks >= 3 && release) window->Close();
  });
  std::string busy;
  EXPECT_FALSE(model.WaitIdle(0.05, &busy));
  EXPECT_EQ(busy, "a window timer");
  release = true;
  EXPECT_EQ(model.Wait(), 0);
  EXPECT_GE(ticks, 3);
}

}  // namespace
}  // namespace zelvo
