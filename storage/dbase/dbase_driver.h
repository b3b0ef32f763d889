// The dBase driver (registered as "dBase4"): a declared table kept as a dBase IV table file that
// another program shares (storage/dbase/internal/dbase_header.h for the bytes,
// storage/dbase/internal/dbase_binding.h for how fields meet columns, storage/dbase/internal/dbase_table.h
// for modes, buffering and locks).
//
// Records are read in physical order; a pointer is the record number and a
// saved position its ten digits. A record marked deleted is skipped by NEXT,
// PREVIOUS and SKIP unless IGNORESTATUS is on. DELETE marks the current
// record ('*'); PACK copies the unmarked records into a temporary table,
// keeps the old file as X.BAK and reopens the new one in the same mode;
// EMPTY makes the file again without records.
//
// Options, from the DRIVER attribute and SEND (any case): BUFFERS n,
// DELETED (with IGNORESTATUS on: "ON"/"OFF" for the current record, else 33),
// EXTERRORS, IGNORESTATUS, RECOVER (unmarks every record), ZEROY2K
// (process-wide). A non-zero Y2KZERO in the Windows profile's section
// "ZRdBase4" turns ZEROY2K on at every open.
//
// The program's tables declare no keys: the keyed operations answer -248
// ("invalid tag handle", runtime 47) and BUILDfile has nothing to build.
// HOLD locks the next record read (one attempt; 43 when another station holds
// it), WATCH makes PUT refuse (89) a record changed on disk since it was read.
// A name on a drive letter goes through storage/drive_folders.h.
//
// Failures are xBase codes, mapped by the runtime (storage/driver_result.h).
// Operations not listed answer 80. Used by the run token's holder only.
#pragma once

#include "storage/file_driver.h"

namespace zelvo {

class DbaseDriver final : public FileDriver {
 public:
  std::string_view Name() const override { return "dBase4"; }
  std::span<const FileOperation> Operations() const override;
  ErrorCode Perform(FileOperation op, File& file, const OperationArguments& arguments,
                    OperationAnswer& answer) override;
};


}  // namespace zelvo
