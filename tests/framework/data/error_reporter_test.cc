#include "framework/data/error_reporter.h"

#include <gtest/gtest.h>

#include <thread>

#include "framework/data/message_text.h"
#include "platform/window_runtime.h"
#include "tests/framework/data/framework_test_support.h"
#include "runtime/cp1251.h"
#include "storage/error_state.h"

namespace zelvo {
namespace {

using testing_support::RecordingBox;
using testing_support::RecordingReporter;

class ReporterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reporter_.InitDefault();
    RuntimeErrorState().Clear();
  }
  void TearDown() override { RuntimeErrorState().Clear(); }
  RecordingBox box_;
  RecordingReporter reporter_{box_};
};

TEST(MessageTableTest, TheDefaultTableUnpacksWithEveryEntry) {
  const auto messages = UnpackMessages(DefaultMessages());
  ASSERT_TRUE(messages.has_value());
  EXPECT_EQ(messages->size(), 43u);
  for (const Message& m : *messages) EXPECT_NE(m.id, 29);
  std::string packed(DefaultMessages());
  EXPECT_FALSE(UnpackMessages(packed.substr(0, packed.size() - 1)).has_value());
  EXPECT_FALSE(UnpackMessages(packed + "x").has_value());
  EXPECT_FALSE(UnpackMessages("").has_value());
}

TEST(PlaceholderTest, ReplacesInOrderWithoutRescanningOrEatingLongerNames) {
  PlaceholderValues v;
  v.file = "NBASA";
  v.errorCode = 4;
  v.error = "Too Many Open Files";
  v.field = "%Message";
  v.message = "list";
  v.fileError = "bad data";
  v.fileErrorCode = "-233";
  struct Case {
    std::string_view text;
    std::string_view expected;
  };
  const Case cases[] = {
      {"File %File could not be opened.  Error: %ErrorText.",
       "File NBASA could not be opened.  Error: Too Many Open Files (4)."},
      {"%Field / %Message", "%Message / list"},
      {"%FileError (%FileErrorCode) %File", "bad data (-233) NBASA"},
      {"%ErrorCode %Error", "4 Too Many Open Files"},
      {"[%Previous]", "[]"},
  };
  for (const Case& c : cases) EXPECT_EQ(SubstitutePlaceholders(c.text, v), c.expected) << c.text;
  v.errorCode = 90;
  EXPECT_EQ(SubstitutePlaceholders("%ErrorText", v), "bad data (-233)");
  EXPECT_EQ(SubstitutePlaceholders(std::string(3000, 'x'), v).size(), kMaxMessageText);
}

TEST_F(ReporterTest, FatalMessageShowsTheTextWithTheSuffixThenHalt) {
  RuntimeErrorState().Set(ErrorCode::TooManyOpenFiles);
  reporter_.PutFileName("NBASA   ");
  EXPECT_EQ(reporter_.Raise(kMsgFileAccessError), LevelFatal);
  ASSERT_EQ(box_.shown.size(), 2u);
  EXPECT_EQ(box_.shown[0].caption, "File Access Error");
  EXPECT_EQ(box_.shown[0].text,
            "File NBASA could not be opened.  Error: Too Many Open Files (4).  Press OK to end this application");
  EXPECT_EQ(box_.shown[0].buttons, unsigned{kButtonOk});
  EXPECT_EQ(box_.shown[1].caption, "Halt");
  EXPECT_EQ(box_.shown[1].text, "File Access Error");
  EXPECT_EQ(reporter_.halts, 1);
}

TEST_F(ReporterTest, FatalitiesGiveTheirButtonsAndLevels) {
  Message program{200, 2, "P", "p", {}}, other{201, 9, "O", "o", {}}, silentOk{202, 0, "Z", "z", {}};
  ASSERT_TRUE(reporter_.AddMessages(PackMessages(std::vector<Message>{program, other, silentOk})));
  box_.answers = {kButtonNo, kButtonYes};
  EXPECT_EQ(reporter_.Raise(kMsgSaveRecord), LevelCancel);
  EXPECT_EQ(reporter_.Raise(kMsgSaveRecord), LevelOk);
  EXPECT_EQ(box_.shown[0].buttons, unsigned{kButtonYes | kButtonNo});
  EXPECT_EQ(box_.shown[0].icon, MessageIcon::Question);
  EXPECT_EQ(reporter_.Raise(kMsgDuplicateKey), LevelNotify);
  EXPECT_EQ(box_.shown.back().icon, MessageIcon::Exclamation);
  EXPECT_EQ(reporter_.Raise(202), LevelOk);
  EXPECT_EQ(box_.shown.size(), 3u);
  (void)reporter_.Raise(200);
  (void)reporter_.Raise(201);
  EXPECT_EQ(reporter_.halts, 2);
  EXPECT_EQ(reporter_.Raise(999), LevelNotify);  // not in the table: said, not swallowed
}

TEST_F(ReporterTest, MultiLineTextsAndALaterDefinitionOverrides) {
  RuntimeErrorState().Set(ErrorCode::CreatesDuplicateKey);
  reporter_.PutFileName("basa");
  (void)reporter_.Raise(kMsgAutoIncrementError);
  EXPECT_EQ(box_.shown.back().text,
            "Attempts to automatically number this record have failed.|File: basa|Error: Creates Duplicate Key "
            "(40).|Try Again?");
  Message mine{13, 5, "Mine", "new: %Previous", {}};
  ASSERT_TRUE(reporter_.AddMessages(PackMessages(std::vector<Message>{mine})));
  (void)reporter_.RaiseText(kMsgDuplicateKey, "BAS:num_key");
  EXPECT_EQ(box_.shown.back().caption, "Mine");
  EXPECT_EQ(box_.shown.back().text, "new: Adding this record creates a duplicate entry for the key: %Message");
}

TEST_F(ReporterTest, ProcedureStackIsPerThread) {
  EXPECT_EQ(reporter_.CurrentProcedure(), "%Procedure");
  reporter_.EnterProcedure("Sotrudnik  ");
  reporter_.EnterProcedure("SotrudnikUp");
  std::string elsewhere;
  std::thread([&] { elsewhere = reporter_.CurrentProcedure(); }).join();
  EXPECT_EQ(elsewhere, "%Procedure");
  EXPECT_EQ(reporter_.CurrentProcedure(), "SotrudnikUp");
  reporter_.LeaveProcedure();
  EXPECT_EQ(reporter_.CurrentProcedure(), "Sotrudnik");
  reporter_.LeaveProcedure();
  reporter_.LeaveProcedure();
  EXPECT_EQ(reporter_.CurrentProcedure(), "%Procedure");
}

TEST_F(ReporterTest, SilentShowsNothingAndAskPlainGivesItsDefault) {
  reporter_.silent = true;
  EXPECT_EQ(reporter_.AskPlain(kMsgSaveRecord, kButtonYes | kButtonNo | kButtonCancel, kButtonCancel), unsigned{kButtonCancel});
  EXPECT_EQ(reporter_.Raise(kMsgDuplicateKey), LevelNotify);
  EXPECT_TRUE(box_.shown.empty());
  reporter_.silent = false;
  box_.answers = {kButtonNo};
  EXPECT_EQ(reporter_.AskPlain(kMsgSaveRecord, kButtonYes | kButtonNo, kButtonYes), unsigned{kButtonNo});
}

TEST_F(ReporterTest, HistoryKeepsTheNewestAndCategoriesFallBack) {
  reporter_.historyThreshold = 2;
  for (MessageId id : {kMsgNoRecords, kMsgFormCannotDelete, kMsgFormCannotInsert}) (void)reporter_.Raise(id);
  ASSERT_EQ(reporter_.History().size(), 2u);
  EXPECT_EQ(reporter_.History()[0].id, kMsgFormCannotDelete);
  EXPECT_EQ(reporter_.History()[1].category, "Ruv");
  reporter_.PutCategory(kMsgFormCannotInsert, "Forms");
  EXPECT_EQ(reporter_.CategoryOf(kMsgFormCannotInsert), "Forms");
  EXPECT_EQ(reporter_.CategoryOf(65535), "Ruv");
}

TEST(FatalExitTest, TheProgramEndsWithStatusZero) {
  EXPECT_EXIT(
      {
        RecordingBox box;
        ErrorReporter reporter(box);
        reporter.InitDefault();
        (void)reporter.Raise(kMsgFileUsageError);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace zelvo

namespace zelvo {
namespace {

// A window runtime that only watches Exit; the halt must end the program
// through it, so that every window closes and every procedure thread ends.
struct ExitWatchingRuntime final : WindowRuntime {
  struct Exited {
    int status;
  };
  int Run(std::function<void()>) override { return 0; }
  bool StartProcedure(std::function<void()>, std::size_t) override { return false; }
  std::unique_ptr<Window> Open(const WindowDefinition&) override { return nullptr; }
  unsigned Show(const MessageBoxRequest& request) override { return EffectiveDefault(request); }
  void SetWaitCursor(bool) override {}
  void SetStatusText(std::string_view) override {}
  void Perform(StandardAction) override {}
  [[noreturn]] void Exit(int status) override { throw Exited{status}; }
};

TEST(ErrorReporterHalt, AFatalMessageEndsTheProgramThroughTheInstalledWindowRuntime) {
  ExitWatchingRuntime runtime;
  InstallWindowRuntime(&runtime);
  RecordingBox box;
  ErrorReporter reporter(box);
  reporter.InitDefault();
  reporter.haltStatus = 7;
  int status = -1;
  try {
    (void)reporter.Raise(23);
  } catch (const ExitWatchingRuntime::Exited& exited) {
    status = exited.status;
  }
  InstallWindowRuntime(nullptr);
  EXPECT_EQ(status, 7);
}

}  // namespace
}  // namespace zelvo
