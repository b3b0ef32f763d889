#include "framework/data/error_reporter.h"

#include <cstdlib>
#include <optional>

#include "framework/data/message_text.h"
#include "framework/data/thread_number.h"
#include "platform/window_runtime.h"
#include "storage/error_state.h"
#include "storage/field_codec.h"

namespace zelvo {
namespace {

constexpr std::size_t kMaxName = 254;      // a CSTRING(255)
constexpr std::size_t kMaxHistoryText = 1023;

std::string Clipped(std::string_view text, std::size_t most = kMaxName) {
  text = Clip(text);
  return std::string(text.substr(0, most));
}

}  // namespace

void ErrorReporter::InitDefault() {
  builtInLog_ = std::make_unique<ErrorLog>();
  defaultCategory_ = "Ruv";
  historyThreshold = 0;
  historyViewLevel = 3;
  historyResetOnView = false;
  InitReporter(builtInLog_.get());
}

void ErrorReporter::InitReporter(ErrorLog* log) {
  log_ = log;
  messages_.clear();
  procedures_.clear();
  (void)AddMessages(DefaultMessages());
}

void ErrorReporter::KillReporter() {
  messages_.clear();
  history_.clear();
  procedures_.clear();
  log_ = nullptr;
  builtInLog_.reset();
}

bool ErrorReporter::AddMessages(std::string_view packed) {
  std::optional<std::vector<Message>> unpacked = UnpackMessages(packed);
  if (!unpacked) return false;
  for (Message& m : *unpacked) {
    m.category.clear();
    messages_.push_back(std::move(m));
  }
  return true;
}

std::ptrdiff_t ErrorReporter::IndexOf(MessageId id) const {
  for (std::size_t i = messages_.size(); i-- > 0;)
    if (messages_[i].id == id) return static_cast<std::ptrdiff_t>(i);
  return -1;
}

const Message* ErrorReporter::Find(MessageId id) const {
  const std::ptrdiff_t index = IndexOf(id);
  return index < 0 ? nullptr : &messages_[static_cast<std::size_t>(index)];
}

std::string ErrorReporter::Substitute(std::ptrdiff_t index) const {
  const Message& message = messages_[static_cast<std::size_t>(index)];
  PlaceholderValues values;
  values.file = fileName_;
  values.errorCode = saveErrorCode_;
  values.error = saveError_;
  values.fileErrorCode = saveFileErrorCode_;
  values.fileError = saveFileError_;
  values.message = messageText_;
  values.field = fieldName_;
  values.procedure = CurrentProcedure();
  values.category = message.category;
  if (message.text.find("%Previous") != std::string::npos) {
    for (std::ptrdiff_t i = index; i-- > 0;) {
      if (messages_[static_cast<std::size_t>(i)].id == message.id) {
        values.previous = messages_[static_cast<std::size_t>(i)].text;
        break;
      }
    }
  }
  return SubstitutePlaceholders(message.text, values);
}

std::string ErrorReporter::SubstitutedText(MessageId id) const {
  const std::ptrdiff_t index = IndexOf(id);
  return index < 0 ? std::string() : Substitute(index);
}

Level ErrorReporter::Raise(MessageId id) {
  CaptureErrors();
  return DispatchMessage(id);
}

Level ErrorReporter::RaiseText(MessageId id, std::string_view text) {
  PutMessageText(text);
  return Raise(id);
}

Level ErrorReporter::DispatchMessage(MessageId id) {
  const Message* found = Find(id);
  if (found == nullptr) {
    // A number the table does not hold is the program's own mistake; say so
    // rather than show nothing and let the caller believe all went well.
    const Message unknown{id, LevelNotify, "Message not found",
                          "Message " + std::to_string(id) + " is not in the message table.", {}};
    currentFatality_ = unknown.fatality;
    currentId_ = id;
    return HandleNotify(unknown);
  }
  const Message message = *found;  // the handlers may add messages
  currentFatality_ = message.fatality;
  currentId_ = id;
  switch (message.fatality) {
    case LevelOk: return HandleOk(message);
    case LevelAsk:
    case LevelCancel: return HandleAsk(message);
    case LevelProgram: return HandleProgram(message);
    case LevelFatal: return HandleFatal(message);
    case LevelNotify: return HandleNotify(message);
    default: return HandleOther(message);
  }
}

unsigned ErrorReporter::AskPlain(MessageId id, unsigned buttons, unsigned defaultButton) {
  if (silent) return defaultButton;
  const std::ptrdiff_t index = IndexOf(id);
  if (index < 0) return defaultButton;
  return ShowBox(Substitute(index), messages_[static_cast<std::size_t>(index)].title,
                 MessageIcon::Question, buttons, defaultButton);
}

void ErrorReporter::PutFileName(std::string_view name) { fileName_ = Clipped(name); }
void ErrorReporter::PutFieldName(std::string_view name) { fieldName_ = Clipped(name); }
void ErrorReporter::PutMessageText(std::string_view text) { messageText_ = std::string(text.substr(0, kMaxName)); }

void ErrorReporter::CaptureErrors() {
  const ErrorState& state = RuntimeErrorState();
  saveErrorCode_ = Number(state.Code());
  saveError_ = Clipped(state.Text());
  saveFileErrorCode_ = Clipped(state.FileErrorCode());
  saveFileError_ = Clipped(state.FileErrorText());
}

void ErrorReporter::PutCategory(MessageId id, std::string_view category) {
  if (id == kDefaultCategoryId) {
    defaultCategory_ = std::string(category);
    return;
  }
  const std::ptrdiff_t index = IndexOf(id);
  if (index >= 0) messages_[static_cast<std::size_t>(index)].category = std::string(category);
}

std::string ErrorReporter::CategoryOf(MessageId id) const {
  if (id == kDefaultCategoryId) return defaultCategory_;
  const Message* message = Find(id);
  if (message == nullptr || message->category.empty()) return defaultCategory_;
  return message->category;
}

void ErrorReporter::EnterProcedure(std::string_view name) {
  procedures_.push_back({CurrentThreadNumber(), Clipped(name)});
}

void ErrorReporter::LeaveProcedure() {
  const std::int32_t thread = CurrentThreadNumber();
  for (std::size_t i = procedures_.size(); i-- > 0;) {
    if (procedures_[i].thread == thread) {
      procedures_.erase(procedures_.begin() + static_cast<std::ptrdiff_t>(i));
      return;
    }
  }
}

std::string ErrorReporter::CurrentProcedure() const {
  const std::int32_t thread = CurrentThreadNumber();
  for (std::size_t i = procedures_.size(); i-- > 0;)
    if (procedures_[i].thread == thread) return procedures_[i].name;
  return "%Procedure";
}

void ErrorReporter::AddHistoryEntry(const HistoryEntry& entry) { history_.push_back(entry); }

unsigned ErrorReporter::OpenHistoryWindow(std::string_view title, unsigned buttons, unsigned defaultButton) {
  // The history shown as one box: every entry on a line of its own, oldest first.
  std::string text;
  for (const HistoryEntry& entry : history_) {
    if (!text.empty()) text += '|';
    text += entry.text;
  }
  return ShowBox(text, title, MessageIcon::Information, buttons, defaultButton);
}

unsigned ErrorReporter::ShowHistoryWindow() { return OpenHistoryWindow("Errors History", 129, 1); }

unsigned ErrorReporter::ShowAndLog(std::string_view text, std::string_view title, MessageIcon icon,
                                   unsigned buttons, unsigned defaultButton) {
  if (logErrors && log_ != nullptr) {
    log_->Open();
    log_->Write(text);
    log_->Close();
  }
  if (historyThreshold != 0) {
    if (historyThreshold > 0)
      while (!history_.empty() && history_.size() >= static_cast<std::size_t>(historyThreshold))
        history_.erase(history_.begin());
    HistoryEntry entry{CategoryOf(currentId_), std::string(text.substr(0, kMaxHistoryText)), currentId_};
    AddHistoryEntry(entry);
    if (currentFatality_ == historyViewLevel && !silent) {
      const unsigned pressed = OpenHistoryWindow(title, buttons, defaultButton);
      if (historyResetOnView) history_.clear();
      return pressed;
    }
  }
  if (silent) return defaultButton;
  return ShowBox(text, title, icon, buttons, defaultButton);
}

unsigned ErrorReporter::ShowBox(std::string_view text, std::string_view title, MessageIcon icon,
                                unsigned buttons, unsigned defaultButton) {
  return boxes_->Show({std::string(text), std::string(title), icon, buttons, defaultButton});
}

Level ErrorReporter::HandleOk(const Message&) { return LevelOk; }

Level ErrorReporter::HandleAsk(const Message& message) {
  const unsigned pressed = ShowAndLog(Substitute(IndexOf(message.id)), message.title, MessageIcon::Question,
                                      kButtonYes | kButtonNo, kButtonYes);
  return pressed == kButtonYes ? LevelOk : LevelCancel;
}

Level ErrorReporter::HandleNotify(const Message& message) {
  const std::ptrdiff_t index = IndexOf(message.id);
  const std::string text = index < 0 ? message.text : Substitute(index);
  (void)ShowAndLog(text, message.title, MessageIcon::Exclamation, kButtonOk, kButtonOk);
  return LevelNotify;
}

Level ErrorReporter::HandleFatal(const Message& message) {
  const std::string text = Substitute(IndexOf(message.id)) + std::string(kFatalSuffix);
  (void)ShowAndLog(text, message.title, MessageIcon::Exclamation, kButtonOk, kButtonOk);
  if (!silent) (void)ShowBox(message.title, "Halt", MessageIcon::Stop, kButtonOk, kButtonOk);
  Halt();
  return LevelFatal;
}

Level ErrorReporter::HandleProgram(const Message& message) { return HandleFatal(message); }
Level ErrorReporter::HandleOther(const Message& message) { return HandleProgram(message); }

// In the desktop program the window runtime ends it: every window closes and
// every procedure thread ends, so no other procedure runs on after the halt.
void ErrorReporter::Halt() {
  if (WindowRuntime* runtime = InstalledWindowRuntime()) runtime->Exit(haltStatus);
  std::exit(haltStatus);
}

}  // namespace zelvo
