// The main frame as the accountant meets it: its menu built from the table of
// function items, each item starting its procedure on a thread of its own.
#include "core/windows/frame/main_frame.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <set>
#include <thread>

#include "core/startup/program_objects.h"
#include "platform/headless/headless_session.h"
#include "platform/window_runtime.h"
#include "runtime/cp1251.h"
#include "tests/testing/temporary_folder.h"

namespace zelvo {
namespace {

using testing_support::TemporaryFolder;

// What the probe procedures saw: the threads they ran on.
std::mutex seenMutex;
std::set<std::thread::id> seenThreads;

// A function window that stays open until it is closed.
void Probe() {
  {
    const std::lock_guard lock(seenMutex);
    seenThreads.insert(std::this_thread::get_id());
  }
  WindowDefinition w("Probe", "Probe");
  w.Button("Close", ButtonRole::Cancel);
  std::unique_ptr<Window> window = TheWindowRuntime().Open(w);
  for (Event e = window->NextEvent(); e.number != EventNumber::None; e = window->NextEvent())
    if (e.number == EventNumber::CloseWindow || e.number == EventNumber::CloseDown ||
        e.number == EventNumber::Accepted)
      window->Close();
}

constexpr MenuCommand kCommands[] = {
    {"&Данные", "&Пробный", "Probe", &Probe},
    {"&Данные", "&Позже", "Later", nullptr},
    {"&Отчеты", "&Итоги", "Itogi", nullptr},
};

// The frame run over kCommands in a folder of its own, as the start-up runs it.
class MainFrameTest : public ::testing::Test {
 protected:
  MainFrameTest() : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder_.Path());
    seenThreads.clear();
  }
  ~MainFrameTest() override { std::filesystem::current_path(previous_); }

  void Start() {
    session_ = std::make_unique<HeadlessSession>([] {
      {
        const std::lock_guard lock(seenMutex);
        seenThreads.insert(std::this_thread::get_id());
      }
      ProgramObjects objects(TheWindowRuntime());
      RunMainFrame(kCommands);
    });
    Idle();
  }
  void Idle() {
    std::string busy;
    ASSERT_TRUE(session_->WaitIdle(10, &busy)) << busy;
  }
  int Count(const std::string& procedure) {
    Idle();
    int n = 0;
    for (const WindowView& w : session_->driver().Windows()) n += w.procedure == procedure;
    return n;
  }

  TemporaryFolder folder_;
  std::filesystem::path previous_;
  std::unique_ptr<HeadlessSession> session_;
};

TEST_F(MainFrameTest, ShowsTheWholeMenuWithTheItemsNotBuiltYetDisabled) {
  Start();
  std::vector<std::pair<std::string, bool>> items;
  for (const MenuItemView& item : session_->driver().Menu()) {
    std::string path;
    for (const std::string& part : item.path) path += (path.empty() ? "" : "/") + part;
    items.emplace_back(path, item.enabled);
  }
  EXPECT_EQ(items, (std::vector<std::pair<std::string, bool>>{
                       {"Файл/Установка принтера", true},
                       {"Файл/Выход", true},
                       {"Данные/Пробный", true},
                       {"Данные/Позже", false},
                       {"Отчеты/Итоги", false},
                       {"Окно/Часть", true},
                       {"Окно/Каскад", true},
                       {"Окно/Выровнить", true},
                   }));
  const std::vector<WindowView> windows = session_->driver().Windows();
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(windows[0].caption, "РАСЧЕТ ЗАРПЛАТЫ");
  EXPECT_EQ(windows[0].kind, WindowKind::Frame);
  EXPECT_EQ(session_->driver().ChooseMenu({"Файл", "Выход"}), "");
  EXPECT_EQ(session_->Finish(), 0);
}

// Each choice opens another, independent window on a thread of its own; at
// 63 running a further choice opens nothing and says nothing; closing the
// frame closes them all and the program ends.
TEST_F(MainFrameTest, EachChoiceStartsItsProcedureOnANewThreadUpToSixtyThree) {
  Start();
  for (int i = 0; i < WindowRuntime::kMaximumProcedures + 1; ++i) {
    ASSERT_EQ(session_->driver().ChooseMenu({"Данные", "Пробный"}), "");
    Idle();
  }
  EXPECT_EQ(Count("Probe"), WindowRuntime::kMaximumProcedures);
  EXPECT_FALSE(session_->driver().Message());
  {
    const std::lock_guard lock(seenMutex);
    EXPECT_EQ(seenThreads.size(), static_cast<std::size_t>(WindowRuntime::kMaximumProcedures + 1));
  }

  // One closed makes room for one more.
  for (const WindowView& w : session_->driver().Windows())
    if (w.procedure == "Probe") {
      ASSERT_EQ(session_->driver().Close(w.handle), "");
      break;
    }
  ASSERT_EQ(session_->driver().ChooseMenu({"Данные", "Пробный"}), "");
  EXPECT_EQ(Count("Probe"), WindowRuntime::kMaximumProcedures);

  EXPECT_EQ(session_->driver().ChooseMenu({"Файл", "Выход"}), "");
  EXPECT_EQ(session_->Finish(), 0);
}

}  // namespace
}  // namespace zelvo
