// What the file layer does the same over any file system: which one is in
// use, whether a file is there, and making a file once.
#include <unistd.h>

#include <cerrno>

#include "storage/os_file.h"

namespace zelvo {
namespace {

FileSystem* g_fileSystem = nullptr;

constexpr ErrorCode kFileAlreadyExists{380};

}  // namespace

FileSystem& CurrentFileSystem() { return g_fileSystem ? *g_fileSystem : PosixFileSystem(); }
void SetFileSystem(FileSystem* fileSystem) { g_fileSystem = fileSystem; }

bool FileExists(const std::string& path) {
  OpenResult opened = CurrentFileSystem().Open(path, {.read = true});
  if (Failed(opened.code)) return opened.code != FromSystemError(ENOENT);
  (void)opened.file->Close();
  return true;
}

ErrorCode MakeFileOnce(const std::string& path, const std::function<ErrorCode(const std::string& draft)>& make) {
  if (FileExists(path)) return ErrorCode::Ok;
  FileSystem& fs = CurrentFileSystem();
  const std::string draft = path + ".new" + std::to_string(::getpid());
  ErrorCode code = make(draft);
  if (!Failed(code)) code = fs.Link(draft, path);
  (void)fs.Remove(draft);
  return code == kFileAlreadyExists ? ErrorCode::Ok : code;
}

}  // namespace zelvo
