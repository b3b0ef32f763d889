// The indexed record file driver, registered as "QUILLSET": a table is the
// table of that name inside a VXR file (storage/vxr_file_name.h), its records
// in the file's one tree (storage/vxr_tree.h).
//
// Operations: OPEN, SHARE, CREATE, CLOSE, ADD, APPEND, PUT, DELETE, NEXT,
// PREVIOUS, SETfile, GETfileptr, REGETfile, RESETfile, POSITIONfile,
// POINTERfile, RECORDSfile, EMPTY, STREAM, FLUSH, SEND, REMOVE, RENAME, COPY,
// NAME, and in key order (storage/vxr_key_search.h) SETkey, SETkeykey,
// SETkeyptr, SETkeykeyptr, GETfilekey, GETkeyptr, POINTERkey, POSITIONkey,
// RESETkey, REGETkey, RECORDSkey, DUPLICATE, DUPLICATEkey, BUILDfile and
// BUILDkey. A record pointer and a saved file position are the record number
// (the position as its 4 bytes, big-endian). A key that a FILE's counters
// show partially built (an APPEND left records to a build) is taken as such
// when the FILE opens.
//
// Per process, one VXR file opened by several FILEs (the same path, letters
// compared without regard to case) is opened once and shared, with a use
// count. Every change (ADD, APPEND, PUT, DELETE, CREATE, EMPTY, FLAGS=) goes
// into the page cache and is written in the two phases of the page store when
// the operation ends; after STREAM writing is put off while fewer than 40
// pages are dirty and fewer than 5000 changes have been put off, and FLUSH
// writes at once. A change refused before it changed anything (a duplicate
// key, no current record) keeps the changes put off before it; one that fails
// midway (a damaged page, an I/O error) drops every change not yet written,
// so the file stays as it was at its last write. ADD and PUT keep the keys'
// entries (storage/vxr_key_upkeep.h); APPEND writes the record alone, for a
// BUILD to index. A consistency failure answers 90 with "Possible data
// corruption in file (N)" as the file error text.
//
// SEND words: "TCF" (the transaction control file path for all files),
// "FULLBUILD" (ON/OFF for this FILE), "FLAGS" (the table's FLAGS value),
// "PNM=name" and "PNMQ=name" (the first table whose name is not below name;
// PNMQ opens the file by itself when the FILE is not open), "QUICKSCAN" and
// "Recover" (kept and answered, with no effect: this driver reads the header
// once per operation anyway and always finishes or undoes an interrupted
// write when it opens a file).
//
// Process-wide; used only by the run token's holder.
#pragma once

#include "storage/file_driver.h"

namespace zelvo {

class QuillsetDriver final : public FileDriver {
 public:
  std::string_view Name() const override { return "QUILLSET"; }
  std::span<const FileOperation> Operations() const override;
  ErrorCode Perform(FileOperation op, File& file, const OperationArguments& arguments,
                    OperationAnswer& answer) override;
};

QuillsetDriver& VxrDriver();

}  // namespace zelvo
