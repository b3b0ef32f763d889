// TableManager: the framework's policies on top of one table's file
// operations (storage/file_operations.h). Bound to one File and the program's
// ErrorReporter, it opens the file lazily (the physical open waits for the
// first record operation), recovers on open (Recover=, read-only, key
// rebuild, creation), numbers auto-numbered keys, checks fields through the
// CheckFieldRule hook, reports a duplicate key with the key's description,
// reloads a record another station changed, and saves and restores the
// buffer and position for procedures that share the table.
//
// Every operation comes in a reporting form, which shows the message through
// the reporter and answers the level it answers, and a quiet form (Try...),
// which only records the message number (LastError) and answers a level.
//
// Per thread (the INFO record; one shared record unless the file is THREAD):
//     not opened (Opened 0) --OpenTable--> opened, not used --first record operation-->
//     in use (Used) --CloseTable back to 0--> not opened (file CLOSEd)
// A record operation on a table never opened raises message 39 and ends the
// program. Not thread-safe: used only by the run token's holder.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "framework/data/error_reporter.h"
#include "framework/data/result_level.h"
#include "storage/access_mode.h"
#include "storage/error_code.h"
#include "storage/file.h"
#include "storage/file_driver.h"
#include "storage/record_buffer.h"

namespace zelvo {

class RelationSet;

class TableManager {
 public:
  // One registered key: the key's number in the File (1-based), the text of
  // the duplicate-key message, and the auto-numbered component (1-based, 0 none).
  struct ManagedKey {
    std::size_t number = 0;
    std::string description;
    std::size_t autoIncrement = 0;
  };
  // A use record (INFO).
  struct UseInfo {
    bool used = false;
    std::uint16_t opened = 0;
    bool atEof = false;
    bool autoIncDone = false;
    std::uint16_t lastError = 0;
  };

  TableManager() = default;
  TableManager(const TableManager&) = delete;
  TableManager& operator=(const TableManager&) = delete;
  virtual ~TableManager();

  // Binds the manager to its file and the reporter; defaults: CREATE 1,
  // LAZYOPEN 1, LOCKRECOVER 10, OPENMODE 0x42, PRIMARYKEY 0.
  virtual void InitTable(File& file, ErrorReporter& errors);
  virtual void KillTable();
  void Dispose() { KillTable(); }
  // Registers key `number` of the file in KEYS order.
  void AddKey(std::size_t number, std::string_view description, std::size_t autoIncrement = 0,
              bool primary = false);

  Level OpenTable();
  Level TryOpenTable();
  virtual Level CloseTable();
  // mode 2 from the manager's own operations, 3 from browses and windows, 4 unregistered.
  Level EnsureUsable(int mode = 2);

  Level ReadNext() { return Read(FileOperation::NEXT, true); }
  Level TryReadNext() { return Read(FileOperation::NEXT, false); }
  Level ReadPrevious() { return Read(FileOperation::PREVIOUS, true); }
  Level TryReadPrevious() { return Read(FileOperation::PREVIOUS, false); }
  // Reads the record whose key `number` (1-based) matches the buffer: LevelOk or LevelNotify.
  virtual Level FetchByKey(std::size_t number);
  // FetchByKey, and a cleared buffer when it fails.
  virtual Level FetchOrClear(std::size_t number);

  Level PrimeNewRecord(bool keepBuffer = false);
  virtual void PrimeFieldDefaults() {}
  Level ReserveNumber() { return Reserve(true); }
  Level TryReserveNumber() { return Reserve(false); }
  Level AddRecord() { return Add(true); }
  Level TryAddRecord() { return Add(false); }
  Level UpdateRecord() { return Update(true); }
  Level TryUpdateRecord() { return Update(false); }
  // Deletes the current record: LevelOk, or message 11 and LevelNotify.
  virtual Level RemoveRecord(bool report);
  // Gives up a record added only to hold its number, through `relations` when given.
  virtual Level ReleaseReservedRecord(RelationSet* relations);
  virtual bool SkipChildRecord() { return false; }

  Level CheckField(std::size_t field) { return CheckFieldRule(field, true); }
  Level CheckFieldQuiet(std::size_t field) { return CheckFieldRule(field, false); }
  // Field numbers are 1-based; LevelOk in the base.
  virtual Level CheckFieldRule(std::size_t field, bool report);
  Level CheckFieldRange(std::size_t first, std::size_t last, std::size_t& failing, bool report);
  Level CheckRecord(bool report, std::size_t& failing);

  Level RaiseError(MessageId id);
  Level RaiseErrorText(MessageId id, std::string_view text);
  Level RaiseLastError();
  void SetLastError(MessageId id);

  // A copy of the buffer under a new id; Unstash puts it back (restore) and forgets it.
  std::uint32_t StashBuffer();
  void UnstashBuffer(std::uint32_t id, bool restore);
  bool SameAsSaved(std::uint32_t id) const;
  // The buffer, AUTOINCDONE and the file position under a new id.
  std::uint32_t SaveState();
  void RestoreState(std::uint32_t id, bool restorePosition);

  // The position of the current record as text (by PRIMARYKEY or physical);
  // empty when there is none. RereadPosition reads that record again.
  std::string CurrentPosition();
  ErrorCode RereadPosition(const std::string& position);
  // Positions before the first record whose key `number` is not below the buffer.
  ErrorCode SeekKey(std::size_t number);

  Level OpenPhysically(bool report);

  File& file() { return *file_; }
  RecordBuffer& Buffer() { return file_->Record(); }
  ErrorReporter& Errors() { return *errors_; }
  const std::string& FileNameValue() const { return fileNameValue_; }
  UseInfo& Info();
  std::uint16_t LastError() { return Info().lastError; }
  const std::vector<ManagedKey>& Keys() const { return keys_; }

  // Manager fields with their defaults.
  bool create = true;
  bool lazyOpen = true;
  std::int16_t lockRecover = 10;
  AccessMode openMode{0x42};
  std::size_t primaryKey = 0;  // KEYS number (1-based); 0 the physical position
  bool skipHeldRecords = false;
  std::string fileNameValue_;

  // The manager of a file, for the use registry; null when none is bound.
  static TableManager* ManagerOf(const File& file);

 private:
  struct SavedState {
    std::uint32_t buffer;
    std::uint32_t id;
    bool autoIncDone;
    std::uint64_t driverState;  // 0: the driver keeps none
    std::string position;
  };

  Level Read(FileOperation op, bool report);
  Level Reserve(bool report);
  Level Add(bool report);
  Level Update(bool report);
  Level Fail(MessageId id, bool report, Level quiet);
  bool NumberKey(const ManagedKey& key, bool report, Level& failure);
  // Whether the buffer's value of `key` is stored already (for a record
  // being added, or rewritten in place of its reserved number).
  bool HoldsDuplicate(const ManagedKey& key, bool adding);
  ErrorCode Perform(FileOperation op, const OperationArguments& arguments = {});

  File* file_ = nullptr;
  ErrorReporter* errors_ = nullptr;
  bool hasAutoInc_ = false;
  bool inUseFile_ = false;
  bool cleanedUp_ = true;
  std::map<std::int32_t, UseInfo> info_;
  std::vector<ManagedKey> keys_;
  std::map<std::uint32_t, RecordBuffer> buffers_;
  std::uint32_t nextBuffer_ = 1;
  std::vector<SavedState> saved_;
};

}  // namespace zelvo
