// What the indexed record file driver (storage/vxr/vxr_driver.h) keeps between
// operations: one VxrOpenFile per VXR file of the process, shared by the
// FILEs that opened it, and one VxrFileState per open FILE — its table, its
// keys, where reading stands and the states GETSTATE saved.
//
// Internal to the driver, whose operations are spread by concern:
//     vxr_driver.cc          opening, creating, closing, files by name, SEND
//     vxr_driver_reading.cc  reading and positioning, in record and key order
//     vxr_driver_writing.cc  changes, BUILD and PACK
//     vxr_driver_state.cc    what a FILE keeps outside the file: saved
//                            states, dynamic keys; key properties
// The Perform... functions below take an operation that the runtime's
// precondition check let through, on a FILE whose state they are given.
//
// Not thread-safe: the run token's holder only.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "storage/file.h"
#include "storage/file_driver.h"
#include "storage/vxr/internal/vxr_key.h"
#include "storage/vxr/internal/vxr_key_entry.h"
#include "storage/vxr/internal/vxr_key_search.h"
#include "storage/vxr/internal/vxr_memory_records.h"
#include "storage/vxr/internal/vxr_page_store.h"
#include "storage/vxr/internal/vxr_station.h"
#include "storage/vxr/internal/vxr_transaction.h"
#include "storage/vxr/internal/vxr_tree.h"

namespace zelvo::vxr {

using Bytes = std::vector<std::uint8_t>;

// One VXR file of the process, shared by the FILEs that opened it.
struct VxrOpenFile {
  std::string folded;  // the path without regard to case
  std::unique_ptr<VxrPageStore> store;
  std::unique_ptr<VxrTree> tree;
  std::unique_ptr<VxrStation> station;  // borrows the store's OS file
  // Another station may write the file (its open did not deny writing): the
  // header is read again at every operation. Otherwise only this process
  // changes the file, and its header is read once, when it opens.
  bool othersMayWrite = true;
  int users = 0;
  int operations = 0;  // operations under way (a build's progress events nest)
  bool streaming = false;
  std::size_t putOff = 0;
  // Joined to the process's transaction (LOGOUT), with its control file.
  bool inTransaction = false;
  std::string controlFile;
  // Record locks kept until the changes made under them are in the file (a
  // transaction, changes put off by streaming), so that no other station
  // reads the record as it was and writes over the change.
  std::vector<std::uint32_t> lockedUntilWritten;
};

// Where reading stands: what GETSTATE saves and RESTORESTATE puts back.
struct VxrReadPosition {
  std::uint32_t current = 0;  // the current record's number, 0 for none
  // Where NEXT and PREVIOUS go on from: the start of the table, a record read
  // (the neighbours of its number), or a kept position (the record itself
  // first).
  enum class At : std::uint8_t { Start, Record, Kept } at = At::Start;
  std::uint32_t cursor = 0;
  // Reading in the order of a key (its index) from a place among its entries.
  std::optional<std::size_t> order;
  VxrKeyPlace place;
};

struct VxrSavedState {
  VxrReadPosition position;
  StateFlags flags = 0;  // the position's flags (C, P, N) when it was saved
};

// The entries of a dynamic key: built by BUILDdyn from the records as they
// were then, held in memory for this FILE until it closes. Changes since do
// not reach them; reading them skips the records deleted meanwhile.
struct VxrDynamicKey {
  VxrMemoryRecords entries;
  bool built = false;
};

struct VxrFileState final : DriverFileState, VxrReadPosition {
  std::shared_ptr<VxrOpenFile> open;
  std::uint32_t table = 0;
  std::size_t recordSize = 0;  // the stored definition's: every data part is this long
  std::vector<VxrKey> keys;
  bool fullBuild = false;
  std::string quickScan = "OFF";
  std::string recover = "OFF";
  std::map<std::uint64_t, VxrSavedState> saved;  // by handle
  std::map<std::size_t, VxrDynamicKey> dynamic;   // by key index, every dynamic key
  // A BUILD with progress events is running on this FILE; a CLOSE asked for
  // meanwhile (from a progress event) cancels it and closes once it stopped.
  bool building = false;
  bool closeWhenBuilt = false;
  // The record this FILE holds (its record lock taken), 0 for none; how long
  // a read armed by HOLDfilesec repeats (0: HOLDfile, until granted).
  std::uint32_t held = 0;
  int holdSeconds = 0;
  bool tableLocked = false;  // LOCKfile
  // The stored image of the record read with a watch armed.
  std::string watched;
};

// ---- shared by the driver's files ---------------------------------------------

// The station's part of an operation: its lock taken (waiting) and the
// header refreshed, once per operation; and given up again at the end, the
// write lock kept while the file is in the transaction or has changes put
// off.
VxrStatus BeginOperation(VxrOpenFile& file, bool writing);
void EndOperation(VxrOpenFile& file);
// The TCF option: the control file path for every file ("" for each file's
// own "quillset.tcf").
const std::string& TcfOption();
// NEXT, PREVIOUS and the reads of one record: each lets the previous record go.
bool ReadsRecord(FileOperation op);
// Releases the FILE's hold, if any.
void ReleaseHold(VxrFileState& s);

// The code of `status`; with 90 the driver's words go to the file error text.
ErrorCode Answer(VxrStatus status, OperationAnswer& answer);
// Ends a change: writes it, or puts it off while streaming. A change refused
// before it changed anything keeps what was put off before it; one that
// failed midway drops every change not yet written.
VxrStatus Finish(VxrOpenFile& file, VxrStatus status);
// Takes the FILE's use of its open file back, writing what is pending.
VxrStatus Release(std::shared_ptr<VxrOpenFile>& file);

VxrTableKeys TableKeys(const File& file, const VxrFileState& s);
// The key an operation names (1-based); null for a number out of range.
const VxrKey* NamedKey(const VxrFileState& s, std::size_t number);
// Where the entries of the key with index `index` are: the file's tree, or a
// dynamic key's own entries.
VxrOrderedRecords& KeyRecords(VxrFileState& s, std::size_t index);
// Sets each key's partially built bit from its counters (a build limit).
VxrStatus ReadPartialKeys(VxrTree& tree, VxrFileState& s);

// The record buffer as stored (OEM text converted) and back; nullopt for a
// stored data part that is not the table's record size, which only damage
// makes. (The buffer is shorter when the FILE declares no fields.)
Bytes StoredImage(const File& file);
std::optional<Bytes> BufferImage(const File& file, const VxrFileState& s, std::string_view stored);
std::string_view AsText(const Bytes& bytes);

std::string TablePrefix(std::uint32_t table);
// A new number from the header's last issued number.
VxrStatus NextNumber(VxrPageStore& store, std::uint32_t& number);
// Removes every record of a table, keeping its definition when asked.
VxrStatus EraseTable(VxrTree& tree, std::uint32_t table, bool keepDefinition);

// ---- the operations, by concern ------------------------------------------------

// NEXT PREVIOUS SKIP BOF EOF SETfile SETfileptr SETfilekey GETfileptr
// GETkeyptr REGETfile RESETfile POSITIONfile POINTERfile POINTERkey
// RECORDSfile BYTES NOMEMO DUPLICATE and the keyed reads and positions.
ErrorCode PerformReading(FileOperation op, File& file, VxrFileState& s, const OperationArguments& arguments,
                         OperationAnswer& answer);
// ADD APPEND PUT PUTfileptr DELETE EMPTY BUILDfile BUILDkey PACK.
ErrorCode PerformChange(FileOperation op, File& file, VxrFileState& s, const OperationArguments& arguments,
                        OperationAnswer& answer);
// LOGOUT COMMIT ROLLBACK (storage/vxr/internal/vxr_transaction.cc).
ErrorCode PerformTransaction(FileOperation op, File& file, VxrFileState& s, OperationAnswer& answer);
// GETSTATE RESTORESTATE FREESTATE BUILDdyn GETPROPERTYkey SETPROPERTYkey.
ErrorCode PerformStateOperation(FileOperation op, File& file, VxrFileState& s,
                                const OperationArguments& arguments, OperationAnswer& answer);

}  // namespace zelvo::vxr
