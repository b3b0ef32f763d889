#include "framework/data/table_manager.h"

#include <algorithm>
#include <map>

#include "framework/data/kept_error_state.h"
#include "framework/data/relation_set.h"
#include "framework/data/table_use_registry.h"
#include "framework/data/thread_number.h"
#include "storage/error_state.h"
#include "storage/file_driver.h"
#include "storage/file_operations.h"

namespace zelvo {
namespace {

std::map<const File*, TableManager*>& Managers() {
  static std::map<const File*, TableManager*> managers;
  return managers;
}

}  // namespace

TableManager::~TableManager() { KillTable(); }

TableManager* TableManager::ManagerOf(const File& file) {
  const auto found = Managers().find(&file);
  return found == Managers().end() ? nullptr : found->second;
}

void TableManager::InitTable(File& file, ErrorReporter& errors) {
  file_ = &file;
  errors_ = &errors;
  create = true;
  lazyOpen = true;
  lockRecover = 10;
  openMode = AccessMode{0x42};
  primaryKey = 0;
  skipHeldRecords = false;
  fileNameValue_ = file.Name();
  info_.clear();
  keys_.clear();
  buffers_.clear();
  saved_.clear();
  hasAutoInc_ = false;
  cleanedUp_ = false;
  Managers()[file_] = this;
}

void TableManager::KillTable() {
  if (cleanedUp_) return;
  cleanedUp_ = true;
  Managers().erase(file_);
  table_use::Forget(*this);
  for (const SavedState& s : saved_) {
    if (s.driverState == 0) continue;
    OperationArguments arguments;
    arguments.state = s.driverState;
    (void)Perform(FileOperation::FREESTATE, arguments);
  }
  saved_.clear();
  buffers_.clear();
  info_.clear();
  keys_.clear();
}

void TableManager::AddKey(std::size_t number, std::string_view description, std::size_t autoIncrement,
                          bool primary) {
  keys_.push_back({number, std::string(description), autoIncrement});
  if (autoIncrement > 0) hasAutoInc_ = true;
  if (primary) primaryKey = keys_.size();
}

TableManager::UseInfo& TableManager::Info() {
  const std::int32_t id = file_->Declaration().Has(kFileThread) ? CurrentThreadNumber() : 1;
  return info_[id];
}

ErrorCode TableManager::Perform(FileOperation op, const OperationArguments& arguments) {
  return PerformFileOperation(*file_, op, arguments);
}

void TableManager::SetLastError(MessageId id) { Info().lastError = id; }

Level TableManager::RaiseError(MessageId id) {
  errors_->PutFileName(fileNameValue_);
  return errors_->Raise(id);
}

Level TableManager::RaiseErrorText(MessageId id, std::string_view text) {
  errors_->PutFileName(fileNameValue_);
  return errors_->RaiseText(id, text);
}

Level TableManager::RaiseLastError() { return RaiseError(Info().lastError); }

Level TableManager::Fail(MessageId id, bool report, Level quiet) {
  SetLastError(id);
  return report ? RaiseError(id) : quiet;
}

Level TableManager::OpenTable() {
  UseInfo& info = Info();
  table_use::Use(*this, 1, true);
  if (!lazyOpen && info.opened == 0)
    if (const Level level = OpenPhysically(true); level != LevelOk) return level;
  ++Info().opened;
  return LevelOk;
}

Level TableManager::TryOpenTable() {
  UseInfo& info = Info();
  table_use::Use(*this, 1, true);
  if (!lazyOpen && info.opened == 0)
    if (const Level level = OpenPhysically(false); level != LevelOk) return level;
  ++Info().opened;
  return LevelOk;
}

Level TableManager::CloseTable() {
  table_use::Close(*this);
  UseInfo& info = Info();
  if (info.opened > 0 && --info.opened == 0) {
    if (file_->IsOpen()) (void)Perform(FileOperation::CLOSE);
    info.used = false;
  }
  return LevelOk;
}

Level TableManager::EnsureUsable(int mode) {
  inUseFile_ = true;
  errors_->PutFileName(fileNameValue_);
  if (mode != 4) table_use::Use(*this, mode, false);
  Level level = LevelOk;
  if (lazyOpen && !Info().used) {
    if (Info().opened == 0) {
      SetLastError(kMsgFileUsageError);
      (void)RaiseError(kMsgFileUsageError);  // a programming error: the program ends here
      level = LevelFatal;
    } else {
      const std::uint32_t id = SaveState();
      level = OpenPhysically(true);
      RestoreState(id, false);
    }
  }
  inUseFile_ = false;
  return level;
}

Level TableManager::OpenPhysically(bool report) {
  AccessMode mode = openMode;
  bool recoverSent = false;
  for (int attempt = 1;; ++attempt) {
    if (attempt > 2) return Fail(kMsgFileAccessError, report, LevelFatal);
    OperationArguments open;
    open.mode = mode;
    ErrorCode code = Perform(FileOperation::OPEN, open);
    if (code == ErrorCode::AccessDenied && !recoverSent) {
      recoverSent = true;
      OperationArguments send;
      send.text = "Recover=" + std::to_string(lockRecover);
      (void)Perform(FileOperation::SEND, send);
      code = Perform(FileOperation::OPEN, open);
    }
    if (code == ErrorCode::Ok || code == ErrorCode::FileAlreadyOpen) {
      UseInfo& info = Info();
      info.used = true;
      info.atEof = false;
      info.autoIncDone = false;
      return LevelOk;
    }
    if (code == ErrorCode::AccessDenied) {
      if (!mode.AllowsWriting()) return Fail(kMsgFileAccessError, report, LevelFatal);
      mode.value = static_cast<std::uint8_t>(mode.value & 0xF0);  // read only, sharing kept
      SetLastError(kMsgAccessDenied);
      if (report) (void)RaiseError(kMsgAccessDenied);
      continue;
    }
    if (code == ErrorCode::KeyFileMustBeRebuilt) {
      SetLastError(kMsgInvalidKey);
      if (!report) return LevelNotify;
      (void)RaiseError(kMsgInvalidKey);
      if (Failed(Perform(FileOperation::BUILDfile))) return Fail(kMsgKeyNotBuilt, true, LevelFatal);
      continue;
    }
    if (code == ErrorCode::FileNotFound && create) {
      if (Failed(Perform(FileOperation::CREATE))) return Fail(kMsgFileCreationError, report, LevelFatal);
      continue;
    }
    return Fail(kMsgFileAccessError, report, LevelFatal);
  }
}

Level TableManager::Read(FileOperation op, bool report) {
  if (EnsureUsable(2) != LevelOk) return LevelFatal;
  Info().atEof = false;
  for (;;) {
    const ErrorCode code = Perform(op);
    if (code == ErrorCode::Ok) return LevelOk;
    if (code == ErrorCode::RecordNotAvailable) {
      Info().atEof = true;
      return LevelNotify;
    }
    if (code == ErrorCode::RecordIsAlreadyHeld) {
      if (skipHeldRecords) continue;  // the driver has moved past the held record
      return Fail(kMsgRecordNotRead, report, LevelNotify);
    }
    return Fail(kMsgRecordRetrievalError, report, LevelFatal);
  }
}

Level TableManager::FetchByKey(std::size_t number) {
  if (EnsureUsable(2) != LevelOk) return LevelFatal;
  OperationArguments arguments;
  arguments.key = number;
  return Failed(Perform(FileOperation::GETfilekey, arguments)) ? LevelNotify : LevelOk;
}

Level TableManager::FetchOrClear(std::size_t number) {
  const Level level = FetchByKey(number);
  if (level != LevelOk) Buffer().Clear();
  return level;
}

Level TableManager::PrimeNewRecord(bool keepBuffer) {
  if (!keepBuffer) Buffer().Clear();
  PrimeFieldDefaults();
  if (!hasAutoInc_) return LevelOk;
  Info().autoIncDone = false;
  return ReserveNumber();
}

Level TableManager::Add(bool report) {
  if (EnsureUsable(2) != LevelOk) return LevelFatal;
  std::size_t failing = 0;
  if (CheckRecord(false, failing) != LevelOk) return LevelNotify;
  ErrorCode code = ErrorCode::Ok;
  if (hasAutoInc_ && !Info().autoIncDone) {
    // Numbering adds the record itself.
    if (const Level level = Reserve(report); level != LevelOk) return level;
  } else {
    code = Perform(hasAutoInc_ ? FileOperation::PUT : FileOperation::ADD);
  }
  if (code == ErrorCode::Ok) {
    Info().autoIncDone = false;
    return LevelOk;
  }
  if (code != ErrorCode::CreatesDuplicateKey) return Fail(kMsgRecordInsertError, report, LevelNotify);
  SetLastError(kMsgDuplicateKey);
  if (!report) return LevelNotify;
  std::string description;
  for (const ManagedKey& key : keys_) {
    if (HoldsDuplicate(key, /*adding=*/!hasAutoInc_)) {
      description = key.description;
      break;
    }
  }
  return RaiseErrorText(kMsgDuplicateKey, description);
}

bool TableManager::HoldsDuplicate(const ManagedKey& key, bool adding) {
  KeptErrorState keep;
  OperationArguments arguments;
  arguments.key = key.number;
  OperationAnswer answer;
  if (PerformFileOperation(*file_, FileOperation::DUPLICATEkey, arguments, answer) == ErrorCode::Ok &&
      answer.flag)
    return true;
  // The driver does not count the current record's own entry: right for a
  // rewrite, but an added record is none of the stored ones, so for an add
  // the value is looked up once more, the buffer and position kept.
  const auto& declared = file_->Declaration().keys;
  if (!adding || (file_->State() & kCurrentRecord) == 0 || key.number == 0 || key.number > declared.size() ||
      declared[key.number - 1].Has(kKeyDup))
    return false;
  const std::uint32_t state = SaveState();
  const bool stored = Perform(FileOperation::GETfilekey, arguments) == ErrorCode::Ok;
  RestoreState(state, true);
  return stored;
}

Level TableManager::Update(bool report) {
  if (EnsureUsable(2) != LevelOk) return LevelFatal;
  std::size_t failing = 0;
  if (CheckRecord(false, failing) != LevelOk) return LevelAsk;
  const std::string position = CurrentPosition();
  const ErrorCode code = Perform(FileOperation::PUT);
  if (code == ErrorCode::Ok) return LevelOk;
  if (code != ErrorCode::RecordChangedByAnotherStation) return Fail(kMsgRecordNotUpdated, report, LevelNotify);
  SetLastError(kMsgRecordChangedElsewhere);
  if (report) (void)RaiseError(kMsgRecordChangedElsewhere);
  // The buffer now takes the other station's version, so nothing stale is
  // written by a second attempt.
  KeptErrorState keep;
  (void)Perform(FileOperation::WATCH);
  (void)RereadPosition(position);
  return LevelNotify;
}

Level TableManager::RemoveRecord(bool report) {
  if (Failed(Perform(FileOperation::DELETE))) return Fail(kMsgRecordNotDeleted, report, LevelNotify);
  return LevelOk;
}

Level TableManager::ReleaseReservedRecord(RelationSet* relations) {
  if (!Info().autoIncDone) return LevelOk;
  const Level level = relations != nullptr ? relations->DeleteWithChildren(false) : RemoveRecord(false);
  if (level == LevelOk) Info().autoIncDone = false;
  return level;
}

Level TableManager::CheckFieldRule(std::size_t, bool) { return LevelOk; }

Level TableManager::CheckFieldRange(std::size_t first, std::size_t last, std::size_t& failing, bool report) {
  for (std::size_t field = first; field <= last; ++field) {
    const Level level = report ? CheckField(field) : CheckFieldQuiet(field);
    if (level != LevelOk) {
      failing = field;
      return level;
    }
  }
  return LevelOk;
}

Level TableManager::CheckRecord(bool report, std::size_t& failing) {
  return CheckFieldRange(1, Buffer().Layout().size(), failing, report);
}

std::uint32_t TableManager::StashBuffer() {
  buffers_.insert_or_assign(nextBuffer_, Buffer());
  return nextBuffer_++;
}

void TableManager::UnstashBuffer(std::uint32_t id, bool restore) {
  const auto found = buffers_.find(id);
  if (found == buffers_.end()) return;
  if (restore) Buffer() = found->second;
  buffers_.erase(found);
}

bool TableManager::SameAsSaved(std::uint32_t id) const {
  const auto found = buffers_.find(id);
  return found != buffers_.end() && found->second == file_->Record();
}

std::string TableManager::CurrentPosition() {
  if ((file_->State() & kCurrentRecord) == 0) return {};
  KeptErrorState keep;
  OperationArguments arguments;
  OperationAnswer answer;
  FileOperation op = FileOperation::POSITIONfile;
  if (primaryKey > 0 && primaryKey <= keys_.size()) {
    op = FileOperation::POSITIONkey;
    arguments.key = keys_[primaryKey - 1].number;
  }
  if (Failed(PerformFileOperation(*file_, op, arguments, answer))) return {};
  return answer.position;
}

ErrorCode TableManager::RereadPosition(const std::string& position) {
  if (position.empty()) return ErrorCode::RecordNotFound;
  OperationArguments arguments;
  arguments.position = position;
  if (primaryKey > 0 && primaryKey <= keys_.size()) {
    arguments.key = keys_[primaryKey - 1].number;
    return Perform(FileOperation::REGETkey, arguments);
  }
  return Perform(FileOperation::REGETfile, arguments);
}

ErrorCode TableManager::SeekKey(std::size_t number) {
  OperationArguments arguments;
  arguments.key = number;
  return Perform(FileOperation::SETkeykey, arguments);
}

std::uint32_t TableManager::SaveState() {
  SavedState s{StashBuffer(), saved_.empty() ? 1u : saved_.back().id + 1, Info().autoIncDone, 0, {}};
  if (file_->IsOpen()) {
    KeptErrorState keep;
    const FileDriver* driver = FindFileDriver(file_->Declaration().driver);
    OperationAnswer answer;
    if (driver != nullptr && driver->Implements(FileOperation::GETSTATE) &&
        PerformFileOperation(*file_, FileOperation::GETSTATE, {}, answer) == ErrorCode::Ok) {
      s.driverState = answer.number;
    } else {
      s.position = CurrentPosition();
    }
  }
  saved_.push_back(std::move(s));
  return saved_.back().id;
}

void TableManager::RestoreState(std::uint32_t id, bool restorePosition) {
  const auto found = std::find_if(saved_.begin(), saved_.end(), [&](const SavedState& s) { return s.id == id; });
  if (found == saved_.end()) return;
  const SavedState s = *found;
  saved_.erase(found);
  KeptErrorState keep;
  if (s.driverState != 0) {
    OperationArguments arguments;
    arguments.state = s.driverState;
    if (restorePosition && file_->IsOpen()) (void)Perform(FileOperation::RESTORESTATE, arguments);
    (void)Perform(FileOperation::FREESTATE, arguments);
  } else if (restorePosition && !s.position.empty() && file_->IsOpen()) {
    // The driver keeps no states: position at the saved record again and
    // make it current, so the caller goes on from where it was.
    OperationArguments arguments;
    arguments.position = s.position;
    FileOperation reset = FileOperation::RESETfile;
    if (primaryKey > 0 && primaryKey <= keys_.size()) {
      reset = FileOperation::RESETkey;
      arguments.key = keys_[primaryKey - 1].number;
    }
    if (Perform(reset, arguments) == ErrorCode::Ok) (void)Perform(FileOperation::NEXT);
  }
  UnstashBuffer(s.buffer, true);
  Info().autoIncDone = s.autoIncDone;
}

}  // namespace zelvo
