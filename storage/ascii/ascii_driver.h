// The ASCII driver: a declared table kept as a plain text file, one record
// per line, with no header, no index, no separators and no quoting. A record
// is the record buffer's raw bytes; in the file it is those bytes, trailing
// blanks cut (CLIP), followed by the end-of-record sequence (CR LF unless
// ENDOFRECORD says otherwise). Here it serves the income-tax return text.
//
// Per open FILE it keeps the OS file, the options (CLIP, CTRLZISEOF, TAB,
// QUICKSCAN, ENDOFRECORD, FILEBUFFERS), the read-only and shared flags, the
// reading position and the current record. A record pointer is the 1-based
// byte position of a record's first byte; a saved position (POSITIONfile,
// RESETfile, REGETfile) is that pointer as ten decimal digits.
//
// Reading (NEXT, GETfileptr, REGETfile) copies bytes into the record buffer up
// to the end-of-record sequence, a full buffer (the rest of the line is then
// skipped) or, with CTRLZISEOF, a byte 26; tabs are expanded by TAB, the rest
// of the buffer is blanked. Past the end, or at a 26, NEXT answers 33 and the
// buffer keeps its bytes.
//
// Writing never leaves the file worse than before a failed write: a failed
// ADD cuts the file back to its old end (and restores an overwritten Ctrl-Z),
// a failed PUT writes the old bytes back. A PUT whose line would be longer
// than the line it replaces (and the line is not the last one) is refused
// with error 90, since it would overwrite the next record; a shorter one is
// padded with blanks, which read back as the blanks the buffer is filled with.
// An ADD to a file whose last line lacks its end-of-record sequence first
// ends that line, so the new record never runs into it.
//
// OPEN claims the mode's sharing (storage/file_sharing.h; compatibility is
// shared): an open that another open's sharing denies answers 332 (Sharing
// Violation). LOCKfile and UNLOCK take and release a whole-file lock; a shared FILE
// refuses to write (5) while another open holds one. The operating system is
// reached through the file layer (storage/os_file.h). Operations not listed
// by Operations() answer 80.
#pragma once

#include "storage/file_driver.h"

namespace zelvo {

class AsciiDriver final : public FileDriver {
 public:
  std::string_view Name() const override { return "ASCII"; }
  std::span<const FileOperation> Operations() const override;
  ErrorCode Perform(FileOperation op, File& file, const OperationArguments& arguments,
                    OperationAnswer& answer) override;
};


}  // namespace zelvo
