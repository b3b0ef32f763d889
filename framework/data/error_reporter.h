// ErrorReporter: the program's one reporter of failures. It owns the message
// table (framework/data/message_table.h), captures the runtime's error state at
// the moment of a failure, fills the placeholders of the message's text
// (framework/data/message_text.h), shows the message through the window
// runtime's message box (platform/message_box.h) with the buttons and icon of
// its fatality, and answers a result level:
//
//     fatality        shown as                                   answers
//     0 LevelOk       nothing                                    LevelOk
//     1, 4 question   question icon, Yes and No, default Yes     LevelOk on Yes, else LevelCancel
//     5 LevelNotify   exclamation icon, OK                       LevelNotify
//     2, 3, other     exclamation icon, OK, the text ending in   the program ends (Halt), after
//       (fatal)       "  Press OK to end this application"       a last box "Halt" with the title
//
// It also keeps the stack of active procedure names per thread (%Procedure,
// and the table use scopes of the table managers), an optional log
// (RuvError.Log, off in this program) and an optional history.
//
// Lifecycle: InitDefault at start-up before anything else, KillReporter last.
// Used only by the run token's holder; the procedure stack is keyed by thread
// so every procedure thread sees its own top.
//
// Example:
//     reporter.PutFileName("NBASA");        // runtime error state: 4 Too Many Open Files
//     reporter.Raise(kMsgFileAccessError);  // shows "File NBASA could not be opened.  Error:
//         // Too Many Open Files (4).  Press OK to end this application", then "Halt"
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/data/error_log.h"
#include "framework/data/message_table.h"
#include "framework/data/result_level.h"
#include "platform/message_box.h"

namespace zelvo {

struct HistoryEntry {
  std::string category;
  std::string text;  // at most 1023 characters
  MessageId id = 0;
};

class ErrorReporter {
 public:
  static constexpr MessageId kDefaultCategoryId = 65535;
  static constexpr std::string_view kFatalSuffix = "  Press OK to end this application";

  explicit ErrorReporter(MessageBox& boxes) : boxes_(&boxes) {}
  ErrorReporter(const ErrorReporter&) = delete;
  ErrorReporter& operator=(const ErrorReporter&) = delete;
  virtual ~ErrorReporter() = default;

  // Start-up: the built-in log, category "Ruv", no history, then InitReporter.
  void InitDefault();
  // Stores the log, loads the default table, empties the stacks.
  virtual void InitReporter(ErrorLog* log);
  void KillReporter();

  // Appends every message of a packed table (empty category); a later id
  // overrides an earlier one. A malformed table adds nothing: false.
  [[nodiscard]] virtual bool AddMessages(std::string_view packed);

  // Captures the error state, then takes the message: shows it by fatality.
  Level Raise(MessageId id);
  // %Message := text (at most 254 characters), then Raise.
  Level RaiseText(MessageId id, std::string_view text);
  // Shows the message by its fatality with the state captured before.
  Level DispatchMessage(MessageId id);
  // Shows the message with the question icon and the given buttons, no log
  // and no history; answers the button pressed (the default when SILENT).
  unsigned AskPlain(MessageId id, unsigned buttons, unsigned defaultButton);

  void PutFileName(std::string_view name);
  void PutFieldName(std::string_view name);
  void PutMessageText(std::string_view text);
  // Takes the runtime's current error code and texts (storage/error_state.h).
  void CaptureErrors();
  void PutCategory(MessageId id, std::string_view category);
  std::string CategoryOf(MessageId id) const;

  void EnterProcedure(std::string_view name);
  void LeaveProcedure();
  // The current thread's innermost procedure; "%Procedure" outside any.
  std::string CurrentProcedure() const;

  // The text of message `id` with every placeholder filled; empty when unknown.
  std::string SubstitutedText(MessageId id) const;
  // The message of that id as the table holds it now; nullptr when none.
  const Message* Find(MessageId id) const;

  unsigned ShowHistoryWindow();
  const std::vector<HistoryEntry>& History() const { return history_; }

  // Settings of this reporter (the program keeps every default).
  bool silent = false;
  bool logErrors = false;
  std::int32_t historyThreshold = 0;  // 0 none, > 0 at most that many, < 0 unlimited
  std::int32_t historyViewLevel = 3;
  bool historyResetOnView = false;
  // The process exit status after a fatal message: 0, as the program has
  // always ended; a command-line face sets its own failure status.
  int haltStatus = 0;

 protected:
  virtual void AddHistoryEntry(const HistoryEntry& entry);
  virtual unsigned OpenHistoryWindow(std::string_view title, unsigned buttons, unsigned defaultButton);
  virtual unsigned ShowAndLog(std::string_view text, std::string_view title, MessageIcon icon,
                              unsigned buttons, unsigned defaultButton);
  virtual unsigned ShowBox(std::string_view text, std::string_view title, MessageIcon icon,
                           unsigned buttons, unsigned defaultButton);
  virtual Level HandleOk(const Message& message);
  virtual Level HandleFatal(const Message& message);
  virtual Level HandleNotify(const Message& message);
  virtual Level HandleOther(const Message& message);
  virtual Level HandleProgram(const Message& message);
  virtual Level HandleAsk(const Message& message);
  // Ends the program with haltStatus: through the window runtime when one is
  // installed, else the process. Tests replace it to watch the fatal path.
  virtual void Halt();

 private:
  struct ProcedureEntry {
    std::int32_t thread;
    std::string name;
  };
  // Index in messages_ of the last definition of id; -1 when none.
  std::ptrdiff_t IndexOf(MessageId id) const;
  std::string Substitute(std::ptrdiff_t index) const;

  MessageBox* boxes_;
  std::string defaultCategory_;
  std::vector<Message> messages_;
  ErrorLog* log_ = nullptr;
  std::unique_ptr<ErrorLog> builtInLog_;
  std::string fieldName_;
  std::string fileName_;
  std::vector<HistoryEntry> history_;
  std::string messageText_;
  std::vector<ProcedureEntry> procedures_;
  std::string saveError_;
  std::int32_t saveErrorCode_ = 0;
  std::string saveFileError_;
  std::string saveFileErrorCode_;
  std::uint8_t currentFatality_ = 0;  // of the message being shown
  MessageId currentId_ = 0;
};

}  // namespace zelvo
