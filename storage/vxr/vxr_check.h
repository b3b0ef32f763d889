// Checking an indexed record file (VXR) as a whole: every inconsistency found,
// each with where it lies, rather than the first failure an operation meets.
//
// What is checked: the header (signature, its fixed words, an interrupted
// write, the committed end against the used end, the last issued number
// against the highest table and record number present and below 0xFE000000,
// where no new number could follow), the page zones (order, whole pages,
// within the file), every page of every zone (its home, its stored size
// against its zone, that it decodes to its stated sizes, record order inside
// it, that the tree reaches it, that it is within the limits at which a page
// is split), the tree (levels, record order across pages, each parent's copy
// of its child's first record, no record over the largest), the records (each
// of a kind the format knows; table and record numbers each issued once, never
// 0; definitions in whole chunks of 512 bytes), and per table the counters
// against the data records and key entries present (no counters of a key the
// table lacks), every data record of the table's record size, every key entry
// against the data record it names, every data record against the entries its
// stored definition's keys give it (no value twice in a key without
// duplicates), and memo chunks against the memos and records present. A dynamic key is not checked (its entries live outside the file),
// nor the part of a partially built key above its build limit. When pages of
// the tree cannot be read, the counters and key entries are not checked (the
// lost records would show again as every count and entry wrong), and pages
// past damage in the tree are not said to be unreached.
//
// The checker only reads. A file left with an interrupted write is read as a
// reading station reads it: through its newest shadow copies when the next
// writing station will finish the write, ignoring them when it will undo it
// (a copy that cannot be read whole, a transaction over several files not
// complete). A note says which; the file counts as sound when what a reader
// sees is consistent. Nothing is finished or undone.
//
// Text keys are weighed by the locale tables in force; whether a table was
// written by an OEM FILE is not stored, so a table whose entries fit the OEM
// rules better is checked by those.
//
// Example finding: {"page 0x3 (offset 0x500)", "stored size 700 takes 3 units; its zone's pages take 2"}.
//
// Values and a pure function of the file's bytes; not thread-safe for one file.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "storage/os_file.h"

namespace zelvo {

struct VxrFinding {
  std::string location;  // "header", "zone 3", "page 0x3 (offset 0x500)", "table 2 key 1 entry 00 00 ..."
  std::string text;
};

struct VxrCheckReport {
  // False when the file cannot be read as an indexed record file at all (an
  // I/O failure, fewer bytes than a header, no signature); the reason is then
  // the one finding.
  bool readable = true;
  std::vector<VxrFinding> findings;
  std::vector<std::string> notes;  // what is no inconsistency but worth saying
  std::size_t pages = 0;    // pages that decoded
  std::size_t records = 0;  // records the tree walk read
  std::size_t tables = 0;   // tables named in the file

  bool Sound() const { return readable && findings.empty(); }
};

// Checks the file, given open for reading.
VxrCheckReport CheckVxrFile(std::unique_ptr<OsFile> file);

// Opens `path` read-only through the current file system and checks it.
VxrCheckReport CheckVxrPath(const std::string& path);

}  // namespace zelvo
