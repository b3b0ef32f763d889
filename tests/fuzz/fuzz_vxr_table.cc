// Arbitrary bytes as the file of a table (KONST, whose key allows
// duplicates), opened and read whole through the driver as the program reads
// it: in record order and in key order, forwards and backwards. Every walk
// ends — at the end of the table, or with an error the runtime has words for
// (90 with the driver's own) — having delivered no more records than the
// file's tree holds, so a walk that goes round is caught at once, not only by
// the fuzzer's time limit; a read-only open changes no byte. Then a writable
// open adds a record and deletes it again: any answer, no crash, and the
// walks after it end as well.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "core/tables/reference.h"
#include "storage/built_in/built_in_drivers.h"
#include "storage/file_operations.h"
#include "storage/testing/memory_file.h"
#include "storage/vxr/vxr_check.h"
#include "tests/storage/vxr/vxr_read_whole.h"

namespace {

using namespace zelvo;

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

const std::string kPath = "KONST.VXR";

// The table's file is the fuzzer's bytes; no other file exists.
class InputFileSystem final : public FileSystem {
 public:
  std::shared_ptr<MemoryFile::Bytes> bytes;
  OpenResult Open(const std::string& path, OpenRequest) override {
    if (path != kPath) return {ErrorCode::FileNotFound, nullptr};
    return {ErrorCode::Ok, std::make_unique<MemoryFile>(bytes)};
  }
  ErrorCode Remove(const std::string&) override { return ErrorCode::AccessDenied; }
  ErrorCode Rename(const std::string&, const std::string&) override { return ErrorCode::AccessDenied; }
  ErrorCode Link(const std::string&, const std::string&) override { return ErrorCode::AccessDenied; }
};

// Every walk of the open `file` ends, each within `budget` records.
void Walk(File& file, std::size_t budget) {
  const testing_vxr::WholeRead read = testing_vxr::ReadWhole(file, std::size(kKonstKeys), budget);
  Check(read == testing_vxr::WholeRead::Whole || read == testing_vxr::WholeRead::Refused);
}

// Opens the table as `mode` says; false (after checking the answer) when it
// does not open.
bool Open(File& file, std::uint8_t mode) {
  OperationArguments open;
  open.mode = AccessMode{mode};
  const ErrorCode code = PerformFileOperation(file, FileOperation::OPEN, open);
  if (code == ErrorCode::Ok) return true;
  Check(testing_vxr::ClearError(code));
  return false;
}

// No walk meets more records than the whole-file check reads: the tree holds
// no more, and each walk delivers a record at most once.
std::size_t Budget(const MemoryFile::Bytes& bytes) {
  return CheckVxrFile(std::make_unique<MemoryFile>(std::make_shared<MemoryFile::Bytes>(bytes))).records + 1;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  RegisterBuiltInDrivers();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static InputFileSystem input;
  SetFileSystem(&input);
  const MemoryFile::Bytes original(data, data + size);
  input.bytes = std::make_shared<MemoryFile::Bytes>(original);
  const FileDeclaration declaration{.label = kKonstTable.label, .driver = Driver::Vxr, .name = kPath,
                                    .attributes = 0, .fields = kKonstTable.fields, .keys = kKonstTable.keys};
  {
    File file(declaration);
    if (Open(file, 0x40)) {  // read only, others may write: a reading station
      Walk(file, Budget(original));
      (void)PerformFileOperation(file, FileOperation::CLOSE);
    }
    Check(*input.bytes == original);
  }
  File file(declaration);
  if (!Open(file, 0x42)) return 0;
  file.Record().Clear();
  (void)KON.NM.Set(file.Record(), "FUZZ");
  if (PerformFileOperation(file, FileOperation::ADD) == ErrorCode::Ok) {
    (void)PerformFileOperation(file, FileOperation::DELETE);
  }
  (void)PerformFileOperation(file, FileOperation::CLOSE);
  File again(declaration);
  if (Open(again, 0x40)) {
    Walk(again, Budget(*input.bytes));
    (void)PerformFileOperation(again, FileOperation::CLOSE);
  }
  return 0;
}
