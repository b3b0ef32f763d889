// The indexed record file driver, registered as "QUILLSET": a table is the
// table of that name inside a VXR file (storage/vxr/vxr_file_name.h), its records
// in the file's one tree (storage/vxr/internal/vxr_tree.h).
//
// Operations: BUILDdyn, BUILDdynfilter, OPEN, SHARE, CREATE, CLOSE, ADD, APPEND, PUT, PUTfileptr,
// DELETE, NEXT, PREVIOUS, SKIP, BOF, EOF, SETfile, SETfileptr, SETfilekey,
// GETfileptr, REGETfile, RESETfile, POSITIONfile, POINTERfile, RECORDSfile,
// BYTES, NOMEMO, EMPTY, PACK, STREAM, FLUSH, SEND, GET_PROPERTY, SET_PROPERTY,
// GETSTATE, RESTORESTATE, FREESTATE, REMOVE, RENAME, COPY, NAME, and in key
// order (storage/vxr/internal/vxr_key_search.h) SETkey, SETkeykey, SETkeyptr,
// SETkeykeyptr, GETfilekey, GETkeyptr, POINTERkey, POSITIONkey, RESETkey,
// REGETkey, RECORDSkey, DUPLICATE, DUPLICATEkey, GETPROPERTYkey,
// SETPROPERTYkey, BUILDfile and BUILDkey; for sharing between stations
// (storage/vxr/internal/vxr_station.h) HOLDfile, HOLDfilesec, RELEASE, WATCH, LOCKfile,
// LOCKfilesec and UNLOCK, and the transactions LOGOUT, COMMIT and ROLLBACK
// (storage/vxr/internal/vxr_transaction.cc). A record pointer and a saved file
// position are the record number (the position as its 4 bytes, big-endian).
// A key that a FILE's counters show partially built (an APPEND left records
// to a build) is taken as such when the FILE opens.
//
// Reading. SETfileptr, SETfilekey and RESETfile keep a place in record order
// whose record NEXT or PREVIOUS reads first (SETfilekey: the first record
// whose value in the key is not below the record buffer's; past the end when
// none is). SKIP steps over records in the current order without reading
// them. EOF (BOF) answers whether a NEXT (PREVIOUS) from here would find no
// record: true once the last read reached the last (first) record. BYTES is
// the record size; NOMEMO has nothing to leave out, as no memo is kept.
//
// PACK counts the data records anew and builds every key anew (a deleted
// record is gone at once and a freed page's place is taken at the next write,
// so there is nothing else to compact); a closed FILE is opened for it, like
// for a BUILD. A BUILD or PACK given progress events
// (OperationArguments::progress) reports its percent over all the keys it
// builds, puts off writing until it ends, and answers 93 when an event
// cancels it or closes the FILE, the file then as it was before the build.
//
// A dynamic key (declared kKeyDynamic) has no entries in the file: BUILDdyn
// builds them for the FILE, which keeps them until it closes; before that
// the operations on the key answer 46 (Key File Must Be Rebuilt). BUILDdynfilter
// builds them from the records for which a filter expression (the
// arguments' text) is true.
//
// GET_PROPERTY and SET_PROPERTY take the SEND words (GET_PROPERTY only reads
// them); key properties and saved states: storage/vxr/internal/vxr_driver_state.cc.
//
// Sharing. A file opened letting others write (sharing part 0x00 or 0x40)
// reads its header once per operation under its station's lock and sees the
// other stations' commits; its writes take the all-readers lock. A read with
// a hold armed takes the record's lock (43 while another station has it,
// repeated until granted, or for the seconds of HOLDfilesec, the station's
// lock given up between the tries); PUT and DELETE lock a record they do not
// hold (refused: 5 and 33) and let it go once the change is in the file; a
// PUT of a record read with a watch armed answers 89 when another station
// changed it since. LOGOUT takes the write lock for the seconds it is given
// (32 when another station keeps it), and the file keeps it, its changes in
// the cache, until COMMIT or ROLLBACK.
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
// entries (storage/vxr/internal/vxr_key_upkeep.h); APPEND writes the record alone, for a
// BUILD to index. A consistency failure answers 90 with "Possible data
// corruption in file (N)" as the file error text.
//
// SEND words: "TCF" (the transaction control file path for all files),
// "FULLBUILD" (ON/OFF for this FILE), "FLAGS" (the table's FLAGS value),
// "PNM=name" and "PNMQ=name" (the first table whose name is not below name;
// PNMQ opens the file by itself when the FILE is not open), "QUICKSCAN" and
// "Recover" (kept and answered, with no effect: this driver reads the header
// once per operation anyway and always finishes or undoes an interrupted
// write when it opens a file), "CACHE" (the kilobytes of decoded pages the
// file's page cache may hold before it is trimmed, 65536 unless set; "CACHE=n"
// sets it for the open file, and so does "/CACHE=n" among the FILE's driver
// options when it opens).
//
// Process-wide; used only by the run token's holder.
#pragma once

#include "storage/file_driver.h"

namespace zelvo {

class VxrDriver final : public FileDriver {
 public:
  std::string_view Name() const override { return "QUILLSET"; }
  std::span<const FileOperation> Operations() const override;
  ErrorCode Perform(FileOperation op, File& file, const OperationArguments& arguments,
                    OperationAnswer& answer) override;
  std::optional<bool> DynamicKeyBuilt(File& file, std::size_t key) override;
};


}  // namespace zelvo
