// File: a FILE, a declared table as the program uses it — its declaration
// (driver and driver options, name, attributes, record layout, keys), and
// while the program runs its record buffer, its current NAME, the access mode
// it was opened with, its state flags (storage/operation_state.h), the state
// its driver keeps for it and its trace settings.
//
// Every table statement reaches the FILE's driver through PerformFileOperation
// (storage/file_operations.h); the flags and the driver's state are changed
// only there. The program keeps one File per declared table; its record
// buffer is the table's buffer. Not thread-safe: touched only by the run
// token's holder.
//
// Example:
//     constexpr FileDeclaration kNdfl{.label = "NDFL", .driver = Driver::Ascii,
//                                     .name = "NDFL", .fields = kNdflFields};
//     File ndfl(kNdfl);   ndfl.Name() == "NDFL", ndfl.Record().Size() == 255
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "storage/access_mode.h"
#include "storage/driver_kind.h"
#include "storage/field_declaration.h"
#include "storage/key_declaration.h"
#include "storage/operation_state.h"
#include "storage/record_buffer.h"

namespace zelvo {

// FILE attributes, combined as bits.
enum FileAttribute : std::uint8_t {
  kFileCreate = 1,    // CREATE: the file may be created
  kFileOem = 2,       // OEM: text is stored in the OEM code page
  kFileThread = 4,    // THREAD: one record buffer per thread
  kFileEncrypt = 8,   // ENCRYPT
  kFileReclaim = 16,  // RECLAIM: space of deleted records is reused
};

struct FileDeclaration {
  std::string_view label = {};          // the FILE's label, "NDFL"
  Driver driver = Driver::Vxr;
  std::string_view driverOptions = {};  // after the driver's name: "/CLIP=OFF"
  std::string_view name = {};           // the NAME; the label when empty
  std::uint8_t attributes = kFileCreate;
  std::span<const FieldDeclaration> fields = {};
  std::span<const KeyDeclaration> keys = {};

  constexpr bool Has(FileAttribute a) const { return (attributes & a) != 0; }
};

// What a driver keeps per FILE between operations; each driver derives its own.
class DriverFileState {
 public:
  virtual ~DriverFileState() = default;
};

// Trace settings, read from the driver's profile section when the FILE is
// first met (storage/trace_log.h).
struct TraceSettings {
  bool enabled = false;
  std::string traceFile;
  bool details = false;
};

class File {
 public:
  // REQUIRES: `declaration` outlives the File (declarations are constants).
  explicit File(const FileDeclaration& declaration)
      : declaration_(&declaration),
        name_(declaration.name.empty() ? declaration.label : declaration.name),
        record_(declaration.fields) {}

  File(const File&) = delete;
  File& operator=(const File&) = delete;

  const FileDeclaration& Declaration() const { return *declaration_; }
  // The NAME: the file's path as the program names it. It may change while
  // the FILE is closed (a NAME variable).
  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }

  RecordBuffer& Record() { return record_; }
  const RecordBuffer& Record() const { return record_; }

  StateFlags State() const { return state_; }
  bool IsOpen() const { return (state_ & kOpen) != 0; }
  AccessMode Mode() const { return mode_; }
  // The key the FILE's order follows since its last SET..., RESET... (1-based);
  // 0 for record order. Views without an order of their own walk it.
  std::size_t OrderKey() const { return orderKey_; }

  // The dBase driver's EXTERRORS option: mapped xBase failures are also shown
  // in the stop box.
  bool extendedErrors = false;

  // The driver's own state for this FILE; null while the driver keeps none.
  template <class T>
  T* DriverState() { return dynamic_cast<T*>(driverState_.get()); }
  void SetDriverState(std::unique_ptr<DriverFileState> state) { driverState_ = std::move(state); }

  std::optional<TraceSettings>& Trace() { return trace_; }
  bool traceDeclarationWritten = false;

 private:
  friend class FileOperationRunner;  // the one place that changes the flags and the mode

  const FileDeclaration* declaration_;
  std::string name_;
  RecordBuffer record_;
  StateFlags state_ = 0;
  AccessMode mode_{};
  std::size_t orderKey_ = 0;
  std::unique_ptr<DriverFileState> driverState_;
  std::optional<TraceSettings> trace_;
};

}  // namespace zelvo
