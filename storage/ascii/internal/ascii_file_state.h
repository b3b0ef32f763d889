// What the ASCII driver keeps per open FILE (storage/ascii/ascii_driver.h): the OS
// file with its read buffer, the options, the flags taken from the open mode,
// the reading position, the current record and the saved states. Internal to
// the driver; owned by the FILE while it is open.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "storage/file.h"
#include "storage/os_file.h"

namespace zelvo {

struct AsciiOptions {
  std::vector<std::uint8_t> endOfRecord{13, 10};
  bool clip = true;
  bool ctrlZIsEof = true;
  bool quickScan = false;
  int tab = 8;
  std::size_t bufferSize = 512;
  std::size_t minimumBuffer = 2;  // twice the record length
};

struct AsciiPosition {
  std::uint64_t next = 0;          // where the next NEXT reads
  std::uint64_t current = 0;       // offset of the current record
  std::uint64_t currentBytes = 0;  // bytes it occupies, end-of-record sequence included
};

class AsciiFileState final : public DriverFileState {
 public:
  static constexpr int kEnd = -1;  // ByteAt past the end of the file

  std::unique_ptr<OsFile> os;
  AsciiOptions options;
  bool readOnly = false;
  bool shared = false;
  bool locked = false;
  bool appendedSinceOpen = false;
  AsciiPosition at;

  struct Saved {
    AsciiPosition at;
    StateFlags flags = 0;
  };
  std::map<std::uint64_t, Saved> saved;
  std::uint64_t lastSaved = 0;

  // The byte at `offset` (0..255) or kEnd; a read failure sets `failure`.
  int ByteAt(std::uint64_t offset);
  ErrorCode failure = ErrorCode::Ok;
  // Forget the read buffer: the file changed, or another station may change it.
  void Invalidate() { bufferBytes_ = 0; }

 private:
  std::vector<std::uint8_t> buffer_;
  std::uint64_t bufferStart_ = 0;
  std::size_t bufferBytes_ = 0;
};

}  // namespace zelvo
