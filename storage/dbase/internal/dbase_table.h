// DbaseTable: one open dBase table file and the rows in it (the layout is in
// storage/dbase/internal/dbase_header.h). It reads and writes whole rows — the flag byte and
// the columns — by record number, keeps the header up to date, and takes the
// locks of a shared table (storage/dbase/internal/dbase_locks.h). What the rows mean is the
// driver's (storage/dbase/dbase_driver.h).
//
// Modes, from the open's sharing:
//   deny none               shared: nothing is buffered; a rewrite locks its
//                           record unless it is held; an append locks the
//                           header and re-reads the count from the file first,
//                           so two stations never append at the same number
//   deny write, deny read   exclusive and buffered
//   compatibility, deny all exclusive; buffered only while BUFFERS is not 0
// A buffered table reads ahead a window of rows (8; fewer when 8 exceed
// 16384 bytes, more when they are under 1024: as many as fit in 2048) and
// keeps appended rows until the window's worth is full, FLUSH or CLOSE. Each
// write of an unbuffered table is followed by the header (count and today's
// date); a buffered table rewrites it, and the end-of-file byte after the
// last row, at FLUSH and CLOSE.
//
// A failed write puts back what it overwrote where it can: an append cuts the
// file back to its old end, a rewrite writes the old row again. Answers are
// xBase codes (negative), statuses or runtime codes as the driver passes them
// on. Owned by the FILE while open; used by the run token's holder only.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "storage/access_mode.h"
#include "storage/dbase/internal/dbase_binding.h"
#include "storage/dbase/internal/dbase_header.h"
#include "storage/dbase/internal/dbase_locks.h"
#include "storage/file.h"
#include "storage/os_file.h"

namespace zelvo {

// ZEROY2K: the header's year is written as (year - 1900) mod 100. Process-wide.
void SetDbaseZeroY2K(bool on);
bool DbaseZeroY2K();

// The header's date bytes for today (runtime/date_time.h's clock).
void StampDbaseHeader(DbaseHeader& header);

// The xBase code of a failed system call of an open: file not found -205,
// path not found -239, too many open files -208, access denied and sharing
// violation -240, invalid access -241; other failures keep their code.
int DbaseOpenFailure(ErrorCode code);

class DbaseTable;
struct [[nodiscard]] DbaseOpenResult {
  int code = 0;
  std::unique_ptr<DbaseTable> table;
};

class DbaseTable {
 public:
  // Opens the file at `path` (already a path of this machine) in `mode`;
  // `buffers` is the BUFFERS option. Checks the header and descriptors.
  static DbaseOpenResult Open(const std::string& path, AccessMode mode, int buffers);
  ~DbaseTable();

  const DbaseHeader& Header() const { return header_; }
  const std::vector<DbaseColumn>& Columns() const { return columns_; }
  AccessMode Mode() const { return mode_; }
  bool ReadOnly() const { return readOnly_; }
  bool Shared() const { return shared_; }
  bool Buffered() const { return buffered_; }
  // STREAM and FLUSH: an exclusive table buffers while streaming.
  void SetStreaming(bool on);

  // Rows in the table, appended rows still in the buffer included.
  std::uint32_t Records() const { return header_.records + pendingCount_; }
  // A shared table's count as the file now has it.
  [[nodiscard]] int RefreshRecords();

  // REQUIRES for the row calls: row.size() == Header().recordLength.
  // -204 for a number outside 1..Records().
  [[nodiscard]] int ReadRow(std::uint32_t number, std::span<std::uint8_t> row);
  [[nodiscard]] int WriteRow(std::uint32_t number, std::span<const std::uint8_t> row);
  // The new row's number in `number`.
  [[nodiscard]] int AppendRow(std::span<const std::uint8_t> row, std::uint32_t& number);
  // Buffered appends, the header and the end-of-file byte to the file.
  [[nodiscard]] int Flush();
  // Flushes, releases the locks and closes; the table is unusable after.
  [[nodiscard]] int Close();

  DbaseLocks& Locks() { return locks_; }
  OsFile& Os() { return *os_; }

 private:
  DbaseTable() = default;
  [[nodiscard]] int WriteHeader();
  [[nodiscard]] int WriteAtEnd(std::uint32_t first, std::span<const std::uint8_t> rows);
  [[nodiscard]] int FlushPending();
  std::size_t WindowRows() const;

  std::unique_ptr<OsFile> os_;
  AccessMode mode_{};
  bool readOnly_ = false;
  bool shared_ = false;
  bool buffered_ = false;       // as opened
  bool streaming_ = false;
  bool headerDirty_ = false;
  DbaseHeader header_;
  std::vector<DbaseColumn> columns_;

  std::vector<std::uint8_t> window_;   // read-ahead rows
  std::uint32_t windowFirst_ = 0;      // number of its first row; 0 when empty
  std::uint32_t windowCount_ = 0;
  std::vector<std::uint8_t> pending_;  // appended rows not yet in the file
  std::uint32_t pendingCount_ = 0;

  DbaseLocks locks_;
};

}  // namespace zelvo
