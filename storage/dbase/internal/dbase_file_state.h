// What the dBase driver (storage/dbase/dbase_driver.h) keeps per open FILE,
// and the parts of the driver its files share. The driver's operations are
// spread by concern:
//     dbase_driver.cc          opening, creating, closing, files by name,
//                              options and SEND, holds, locks, saved states
//     dbase_driver_reading.cc  reading and positioning in physical order
//     dbase_driver_writing.cc  changes, PACK and EMPTY, and their buffering
// The Perform... functions take an operation that the runtime's precondition
// check let through, on a FILE whose state they are given, and answer 0, a
// runtime code or an xBase code (below -200) for the runtime to map.
//
// Not thread-safe: the run token's holder only.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/dbase/internal/dbase_binding.h"
#include "storage/dbase/internal/dbase_table.h"
#include "storage/file.h"
#include "storage/file_driver.h"

namespace zelvo::dbase {

inline constexpr int kOutOfRange = -204;
inline constexpr int kPathNotFound = -239;
inline constexpr int kReadOnly = -236;
inline constexpr int kNoTag = -248;  // the tables declare no keys: no index tag to use

inline int Code(ErrorCode code) { return Number(code); }

struct DbaseOptions {
  bool ignoreStatus = false;
  int buffers = 0;
};

// Where NEXT and PREVIOUS go on from: after the current record, or from the
// table's edges after SETfile, or from a record a pointer named.
struct Cursor {
  std::uint32_t current = 0;  // the record last read or positioned at; 0 none
  std::uint32_t start = 0;    // SETfileptr, RESETfile: the record read next
  bool fromEdge = true;       // SETfile: NEXT reads the first, PREVIOUS the last
};

class DbaseFileState final : public DriverFileState {
 public:
  std::unique_ptr<DbaseTable> table;
  std::string path;
  std::vector<DbaseBinding> bindings;
  DbaseOptions options;
  std::vector<std::uint8_t> row;  // the current record as the file holds it
  bool haveRow = false;
  Cursor cursor;
  bool holdArmed = false;
  int holdSeconds = 0;
  std::uint32_t held = 0;
  bool watchArmed = false;
  std::uint32_t watched = 0;
  std::vector<std::uint8_t> watchedRow;
  bool fileLocked = false;

  struct Saved {
    Cursor cursor;
    std::vector<std::uint8_t> row;
    bool haveRow = false;
    StateFlags flags = 0;
  };
  std::map<std::uint64_t, Saved> saved;
  std::uint64_t lastSaved = 0;

  std::vector<std::uint8_t> BlankRow() const {
    return std::vector<std::uint8_t>(table->Header().recordLength, std::uint8_t{' '});
  }
  void ReleaseHold() {
    if (held != 0) table->Locks().Release(table->Os(), DbaseRecordLock(held));
    held = 0;
  }
};

// ---- shared by the driver's files ---------------------------------------------

// A count or record number written in decimal, blanks around it allowed.
std::optional<std::uint32_t> ParseCount(std::string_view text);
// Closes the table and opens the file at `path` again in the mode it had,
// keeping the options.
int Reopen(File& file, DbaseFileState& s, const std::string& path);

// ---- the operations, by concern ------------------------------------------------

// NEXT PREVIOUS SKIP BOF EOF SETfile SETfileptr RESETfile GETfileptr REGETfile
// POINTERfile POSITIONfile RECORDSfile BYTES DUPLICATE BUILDfile NOMEMO.
int PerformReading(FileOperation op, File& file, DbaseFileState& s, const OperationArguments& arguments,
                   OperationAnswer& answer);
// ADD APPEND PUT PUTfileptr DELETE EMPTY PACK STREAM FLUSH.
int PerformChange(FileOperation op, File& file, DbaseFileState& s, const OperationArguments& arguments);

}  // namespace zelvo::dbase
