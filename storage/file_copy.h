// Copying a file byte for byte through the file layer (storage/os_file.h),
// for the drivers' COPY. The copy is whole or absent: a failed copy removes
// what it had written of the target; a copy answered is synced to the disk. Stateless; the current file system.
#pragma once

#include <string>

#include "storage/error_code.h"

namespace zelvo {

struct [[nodiscard]] CopyResult {
  ErrorCode code = ErrorCode::Ok;  // the system failure, 0 when copied
  bool atSource = false;           // the source could not be opened
};

// An empty target name answers 45 (Invalid Filename).
CopyResult CopyWholeFile(const std::string& from, const std::string& to);

}  // namespace zelvo
