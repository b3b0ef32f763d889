#include "storage/file_copy.h"

#include <cstdint>
#include <vector>

#include "storage/os_file.h"

namespace zelvo {

CopyResult CopyWholeFile(const std::string& from, const std::string& to) {
  if (to.empty()) return {ErrorCode::InvalidFilename};
  FileSystem& fs = CurrentFileSystem();
  OpenResult source = fs.Open(from, {.read = true});
  if (Failed(source.code)) return {source.code, true};
  OpenResult target = fs.Open(to, {.read = false, .write = true, .create = true, .truncate = true});
  if (Failed(target.code)) return {target.code};
  std::vector<std::uint8_t> chunk(64 * 1024);
  std::uint64_t offset = 0;
  ErrorCode code = ErrorCode::Ok;
  for (;;) {
    const ReadResult read = source.file->ReadAt(offset, chunk);
    if (Failed(read.code)) {
      code = read.code;
      break;
    }
    if (read.bytes == 0) break;
    code = target.file->WriteAt(offset, std::span(chunk).first(read.bytes));
    if (Failed(code)) break;
    offset += read.bytes;
  }
  if (!Failed(code)) code = target.file->Sync();  // the copy is on the disk when it is answered
  if (!Failed(code)) code = target.file->Close();
  if (Failed(code)) {
    (void)target.file->Close();
    (void)fs.Remove(to);  // no half copy is left behind
  }
  return {code};
}

}  // namespace zelvo
