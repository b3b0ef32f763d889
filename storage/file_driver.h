// FileDriver: the interface every file driver implements (the indexed record
// file, the dBase table, the ASCII text file), and the registry that finds the
// driver of a FILE.
//
// A driver names the operations it implements (its registration record); the
// runtime answers 80 (Unsupported File Driver Function) for any other and never
// calls Perform with it. Perform is called only after the runtime's
// precondition check passed; it carries out the operation on the FILE, reads
// the arguments the operation takes and fills the answer it gives, and answers
// a runtime error code (or, for the dBase driver, an xBase code or status that
// the runtime maps). A driver never throws.
//
// Drivers are process-wide objects; like the FILEs, they are used only by the
// run token's holder.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "storage/access_mode.h"
#include "storage/driver_kind.h"
#include "storage/error_code.h"
#include "storage/file.h"
#include "storage/file_operation.h"

namespace zelvo {

// The statement's arguments; each operation reads the ones it takes.
struct OperationArguments {
  std::size_t key = 0;        // keyed forms: the key's 1-based number
  std::uint64_t pointer = 0;  // ...ptr forms: a record pointer
  std::size_t length = 0;     // ...len forms
  int seconds = 0;            // HOLDfilesec, LOCKfilesec
  std::int64_t count = 0;     // SKIP
  AccessMode mode{};          // OPEN
  std::string text;           // SEND: the option word; RENAME, COPY: the new name;
                              // GET_PROPERTY, SET_PROPERTY: the property (and "=value")
  std::string position;       // RESET..., REGET...: a saved position
  std::uint64_t state = 0;    // RESTORESTATE, FREESTATE: a saved state's handle
  // BUILDfile, BUILDkey: the runtime's progress events, switched on when set
  // (state B while the build runs): the progress in percent each time it
  // changes; false cancels the build (93).
  std::function<bool(int percent)> progress;
};

// What an operation answers besides its code.
struct OperationAnswer {
  std::string text;         // SEND, NAME, GET_PROPERTY
  std::uint64_t number = 0;  // RECORDS..., POINTER..., BYTES, GETSTATE (the state's handle)
  bool flag = false;        // BOF, EOF
  std::string position;     // POSITION...
  std::string fileErrorText;  // with error 90: what the driver met
  // RESTORESTATE: the state flags the FILE had when the state was saved.
  std::optional<StateFlags> restoredFlags;
};

class FileDriver {
 public:
  virtual ~FileDriver() = default;

  // The registered name: "QUILLSET", "dBase4", "ASCII".
  virtual std::string_view Name() const = 0;
  virtual std::span<const FileOperation> Operations() const = 0;
  bool Implements(FileOperation op) const;

  virtual ErrorCode Perform(FileOperation op, File& file, const OperationArguments& arguments,
                            OperationAnswer& answer) = 0;

  // For the runtime's check of an operation on key `key` (1-based) of an open
  // FILE: nullopt when it is no dynamic key, else whether it is built.
  virtual std::optional<bool> DynamicKeyBuilt(File& /*file*/, std::size_t /*key*/) { return std::nullopt; }
};

// The driver registered for `kind`, else null. The program registers its
// built-in drivers at start-up (storage/built_in/built_in_drivers.h).
FileDriver* FindFileDriver(Driver kind);
// Registers the driver of a kind (null: none) and answers the one it replaces,
// so that a test can put it back.
FileDriver* RegisterFileDriver(Driver kind, FileDriver* driver);

}  // namespace zelvo
