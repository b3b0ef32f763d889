// ErrorCode: the runtime error code every file operation answers, 0 for
// success, with the fixed English text of each code.
//
// The named codes are the failures of the file operations. Codes 301..391 are
// operating-system errors: on Windows the system error + 300; here the Linux
// errno is first mapped to the corresponding Windows error (FromSystemError).
// Drivers may also answer values that are not runtime codes and are turned
// into one afterwards (storage/driver_result.h): negative xBase codes of the
// dBase driver and its informational statuses 201..214.
//
// Examples:
//     ErrorText(ErrorCode::RecordNotAvailable) == "Record Not Available"
//     ErrorText(ErrorCode{303})                == "Path Not Found"
//     ErrorText(ErrorCode{12})                 == "Unknown Error Posted : 12"
//     FromSystemError(ENOENT, SystemCall::Read) == ErrorCode{302}
//
// Stateless; safe from any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelvo {

enum class [[nodiscard]] ErrorCode : std::int32_t {
  Ok = 0,
  FileNotFound = 2,
  PathNotFound = 3,
  TooManyOpenFiles = 4,
  AccessDenied = 5,
  MemoryCorrupted = 7,
  InsufficientMemory = 8,
  EntryNotFound = 30,
  FileIsAlreadyLocked = 32,
  RecordNotAvailable = 33,
  RecordNotFound = 35,
  InvalidDataFile = 36,
  FileNotOpen = 37,
  InvalidKeyFile = 38,
  CreatesDuplicateKey = 40,
  RecordIsAlreadyHeld = 43,
  InvalidFilename = 45,
  KeyFileMustBeRebuilt = 46,
  InvalidRecordDeclaration = 47,
  UnableToLogTransaction = 48,
  FileAlreadyOpen = 52,
  InvalidBrintalFile = 53,
  NoCreateAttribute = 54,
  FileMustBeShared = 55,
  LogoutAlreadyActive = 56,
  InvalidMemoFile = 57,
  ExclusiveAccessRequired = 63,
  SharingViolation = 64,
  UnableToRollbackTransaction = 65,
  MemoFileMissing = 73,
  InvalidFieldTypeDescriptor = 75,
  InvalidIndexString = 76,
  UnableToAccessIndex = 77,
  InvalidNumberOfParameters = 78,
  UnsupportedDataTypeInFile = 79,
  UnsupportedFileDriverFunction = 80,
  UnknownErrorPosted = 81,
  InvalidKeyLength = 88,
  RecordChangedByAnotherStation = 89,
  FileSystemError = 90,
  LogoutNotActive = 91,
  BuildInProgress = 92,
  BuildCancelled = 93,
  ServerNotFound = 95,
  RemoteObjectNotFound = 96,
  // Filter expressions.
  InvalidExpression = 800,
  NoBindOnVariable = 801,
  MismatchedScope = 802,
};

constexpr std::int32_t Number(ErrorCode code) { return static_cast<std::int32_t>(code); }
constexpr bool Failed(ErrorCode code) { return code != ErrorCode::Ok; }

// The code's own text; nullopt for a number without one.
std::optional<std::string_view> KnownErrorText(ErrorCode code);
// The text the error state shows: the code's own text, or "Unknown Error
// Posted : " and the number for a code without one.
std::string ErrorText(ErrorCode code);

// What the failing call was doing; an input/output error is a read fault when
// reading, a write fault when writing, a general failure otherwise.
enum class SystemCall : std::uint8_t { Other, Read, Write };

// The Windows error that corresponds to a Linux errno value (ENOENT -> 2,
// EACCES -> 5, ENOSPC -> 39 "Handle Disk Full", ...); 31 "General Failure"
// for an errno with no closer match.
int WindowsErrorOf(int errnoValue, SystemCall call = SystemCall::Other);
// That Windows error + 300, the runtime code of an operating-system failure.
ErrorCode FromSystemError(int errnoValue, SystemCall call = SystemCall::Other);

}  // namespace zelvo
