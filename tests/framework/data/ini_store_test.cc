#include "framework/data/ini_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "framework/data/private_profile.h"
#include "tests/framework/data/framework_test_support.h"

namespace zelvo {
namespace {

using testing_support::TemporaryFolder;

// A window that keeps its placement and writes down every change asked of it.
struct FakeWindow final : PlacedWindow {
  bool IsMaximized() const override { return maximized; }
  bool IsMinimized() const override { return minimized; }
  bool IsResizable() const override { return resizable; }
  int X() const override { return x; }
  int Y() const override { return y; }
  int Width() const override { return width; }
  int Height() const override { return height; }
  void SetMaximized(bool on) override { calls.push_back(on ? "maximize" : "normal"); }
  void SetPosition(std::string_view newX, std::string_view newY) override {
    calls.push_back("position " + std::string(newX) + " " + std::string(newY));
  }
  void SetSize(std::string_view newWidth, std::string_view newHeight) override {
    calls.push_back("size " + std::string(newWidth) + " " + std::string(newHeight));
  }

  bool maximized = false, minimized = false, resizable = true;
  int x = 120, y = 80, width = 640, height = 400;
  std::vector<std::string> calls;
};

class IniStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { store_.InitStore(path_); }

  std::string FileText() const {
    std::ifstream in(path_, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  void WriteFile(std::string_view text) const { std::ofstream(path_, std::ios::binary) << text; }

  TemporaryFolder folder_;
  std::string path_ = folder_.File("zelvo5.INI");
  IniStore store_;
};

TEST_F(IniStoreTest, AFirstRunKeepsTheDesignedPlacementAndTheCloseSavesIt) {
  FakeWindow window;
  store_.RestoreWindow("SotrudnikUp", window);
  EXPECT_TRUE(window.calls.empty());
  store_.SaveWindow("SotrudnikUp", window);
  window.resizable = false;
  window.x = 5;
  store_.SaveWindow("DatSel", window);
  EXPECT_EQ(FileText(),
            "[SotrudnikUp]\r\nMaximize=No\r\nXPos=120\r\nYPos=80\r\nHeight=400\r\nWidth=640\r\n"
            "\r\n[DatSel]\r\nMaximize=No\r\nXPos=5\r\nYPos=80\r\n");

  FakeWindow reopened;
  store_.RestoreWindow("SotrudnikUp", reopened);
  EXPECT_EQ(reopened.calls, (std::vector<std::string>{"normal", "position 120 80", "size 640 400"}));
  FakeWindow fixedSize;
  fixedSize.resizable = false;
  store_.RestoreWindow("datsel", fixedSize);  // sections match in any case
  EXPECT_EQ(fixedSize.calls, (std::vector<std::string>{"normal", "position 5 80"}));
}

TEST_F(IniStoreTest, AMaximizedWindowReturnsToItsEarlierPlacementThenMaximizes) {
  FakeWindow window;
  store_.SaveWindow("Main", window);
  window.maximized = true;
  window.x = window.y = 0;
  window.width = window.height = 1;
  store_.SaveWindow("Main", window);
  EXPECT_EQ(store_.TryGetEntry("Main", "Maximize"), "Yes");
  EXPECT_EQ(store_.TryGetEntry("Main", "XPos"), "120");

  FakeWindow reopened;
  store_.RestoreWindow("Main", reopened);
  EXPECT_EQ(reopened.calls, (std::vector<std::string>{"position 120 80", "size 640 400", "maximize"}));
}

TEST_F(IniStoreTest, AMinimizedWindowLeavesItsSectionAlone) {
  FakeWindow window;
  window.minimized = true;
  store_.SaveWindow("Main", window);
  EXPECT_FALSE(std::filesystem::exists(path_));
  WriteFile("[Main]\r\nMaximize=No\r\nXPos=1\r\n");
  store_.SaveWindow("Main", window);
  EXPECT_EQ(FileText(), "[Main]\r\nMaximize=No\r\nXPos=1\r\n");
}

TEST_F(IniStoreTest, RestoreTakesOnlyWhatTheSectionHolds) {
  struct Case {
    std::string_view section;
    std::vector<std::string> calls;
  };
  WriteFile(
      "[Foreign]\nMaximize=yes\nXPos=1\nYPos=2\n"
      "[NoPosition]\nMaximize=No\n"
      "[EmptyPosition]\nMaximize=No\nXPos=\nYPos=3\n"
      "[Partial]\nMaximize=No  \nXPos=7\nWidth=300\n"
      "[Bare]\n");
  const Case cases[] = {
      {"Foreign", {}},  // only "Yes" and "No" as written count
      {"NoPosition", {"normal"}},
      {"EmptyPosition", {"normal"}},
      {"Partial", {"normal", "position 7 ---Unknown---", "size 300 ---Unknown---"}},
      {"Bare", {}},
      {"Absent", {}},
  };
  for (const Case& c : cases) {
    FakeWindow window;
    store_.RestoreWindow(c.section, window);
    EXPECT_EQ(window.calls, c.calls) << c.section;
  }
}

TEST_F(IniStoreTest, EntriesGiveTheirDefaultWhenAbsentAndKeepOtherLines) {
  WriteFile("; settings\r\n[Drive]\r\nRoot = /srv/inp   \r\nOther=1\r\n");
  store_.InitStore(path_);
  EXPECT_EQ(store_.GetEntry("drive", "ROOT", "x"), "/srv/inp");
  EXPECT_EQ(store_.GetEntry("Drive", "Missing", "fallback  "), "fallback");
  EXPECT_EQ(store_.TryGetEntry("Missing", "Root"), "");
  EXPECT_EQ(store_.GetRequiredEntry("Drive", "Missing"), "---Unknown---");

  store_.PutEntry("Drive", "root", "/mnt");
  store_.PutEntry("Drive", "New", "a=b");
  EXPECT_EQ(FileText(), "; settings\r\n[Drive]\r\nroot=/mnt\r\nOther=1\r\nNew=a=b\r\n");
  EXPECT_EQ(store_.TryGetEntry("Drive", "New"), "a=b");

  const std::string longValue(1500, 'v');
  store_.PutEntry("Drive", "Long", longValue);
  EXPECT_EQ(store_.TryGetEntry("Drive", "Long"), longValue.substr(0, 1023));
}

TEST_F(IniStoreTest, AnEntryThatWouldBreakTheFileIsNotWritten) {
  store_.PutEntry("Main", "XPos", "1");
  const std::string before = FileText();
  store_.PutEntry("Main", "XPos", "2\r\n[Other]\r\nKey=3");
  store_.PutEntry("Main]\n[X", "Key", "1");
  store_.PutEntry("Main", "Key\nX", "1");
  store_.PutEntry("Main", "A=B", "1");
  EXPECT_EQ(FileText(), before);
  EXPECT_EQ(store_.TryGetEntry("Other", "Key"), "");
}

TEST_F(IniStoreTest, SectorsAreLoadedAtInitAndWrittenBackAtKill) {
  WriteFile(
      "[Sectors]\r\n__Dont_Touch_Me__=3\r\n__Dont_Touch_Me___1=Pay,Month,Sheet\r\n"
      "__Dont_Touch_Me___2=Alone\r\n__Dont_Touch_Me___4=Stale,Entry,Left\r\n");
  store_.InitStore(path_);
  ASSERT_EQ(store_.Sectors().size(), 3u);
  EXPECT_EQ(store_.Sectors()[0].family, "Pay");
  EXPECT_EQ(store_.Sectors()[0].item, "Month");
  EXPECT_EQ(store_.Sectors()[0].type, "Sheet");
  EXPECT_EQ(store_.Sectors()[1].family, "Alone");  // no commas: all of it is the family
  EXPECT_EQ(store_.Sectors()[1].item, "");
  EXPECT_EQ(store_.Sectors()[2].family, "---Unknown---");  // entry 3 is missing

  store_.Sectors().pop_back();
  store_.KillStore();
  EXPECT_TRUE(store_.Sectors().empty());
  EXPECT_EQ(FileText(),
            "[Sectors]\r\n__Dont_Touch_Me__=2\r\n__Dont_Touch_Me___1=Pay,Month,Sheet\r\n"
            "__Dont_Touch_Me___2=Alone,,\r\n__Dont_Touch_Me___4=Stale,Entry,Left\r\n");
}

TEST_F(IniStoreTest, ANewProfileGetsASectorCountOfZero) {
  EXPECT_TRUE(store_.Sectors().empty());
  store_.KillStore();
  EXPECT_EQ(FileText(), "[Sectors]\r\n__Dont_Touch_Me__=0\r\n");
}

TEST(IniStoreFile, ABareNameIsTheFileOfTheDataDirectory) {
  TemporaryFolder folder;
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder.Path());
  IniStore store;
  store.InitStore("zelvo5.INI");
  FakeWindow window;
  store.SaveWindow("Main", window);
  std::filesystem::current_path(previous);
  EXPECT_TRUE(std::filesystem::exists(folder.Path() / "zelvo5.INI"));
}

}  // namespace
}  // namespace zelvo
