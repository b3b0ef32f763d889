// Arbitrary bytes as a dBase table file, opened and read whole through the
// driver: the open answers a code or succeeds, and every record a read
// returns is one of the file's, in order, without a read past the bytes.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "storage/built_in/built_in_drivers.h"
#include "storage/declare_fields.h"
#include "storage/error_state.h"
#include "storage/file_operations.h"
#include "storage/testing/memory_file.h"

namespace {

#define FUZZ_DBASE_FIELDS(FIELD)                \
  FIELD(NOM, Real().External("NOM=N(10.0)"))    \
  FIELD(TIP, String(4))                         \
  FIELD(ST, Date())                             \
  FIELD(OK, Byte())
ZELVO_DECLARE_FIELDS(FuzzDbase, FDB, FUZZ_DBASE_FIELDS);

// Every open gets the fuzzer's bytes, as a file of their own.
class InputFileSystem final : public zelvo::FileSystem {
 public:
  std::shared_ptr<zelvo::MemoryFile::Bytes> bytes;
  zelvo::OpenResult Open(const std::string&, zelvo::OpenRequest) override {
    return {zelvo::ErrorCode::Ok, std::make_unique<zelvo::MemoryFile>(bytes)};
  }
  zelvo::ErrorCode Remove(const std::string&) override { return zelvo::ErrorCode::Ok; }
  zelvo::ErrorCode Rename(const std::string&, const std::string&) override { return zelvo::ErrorCode::Ok; }
  zelvo::ErrorCode Link(const std::string&, const std::string&) override { return zelvo::ErrorCode::Ok; }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  zelvo::RegisterBuiltInDrivers();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zelvo;
  if (size < 1) return 0;
  static InputFileSystem input;
  input.bytes = std::make_shared<MemoryFile::Bytes>(data + 1, data + size);
  SetFileSystem(&input);
  const FileDeclaration decl{.label = "FUZZ", .driver = Driver::Dbase, .name = "FUZZ.DBF",
                             .fields = kFuzzDbaseFields};
  File file(decl);
  OperationArguments args;
  args.mode = AccessMode{static_cast<std::uint8_t>(data[0] & 1 ? 0x42 : 0x20)};
  if (PerformFileOperation(file, FileOperation::OPEN, args) == ErrorCode::Ok) {
    if (data[0] & 2) {
      args.text = "IGNORESTATUS=ON";
      (void)PerformFileOperation(file, FileOperation::SEND, args);
    }
    (void)PerformFileOperation(file, FileOperation::SETfile);
    std::uint64_t previous = 0;
    for (std::size_t reads = 0; reads <= input.bytes->size(); ++reads) {
      if (PerformFileOperation(file, FileOperation::NEXT) != ErrorCode::Ok) break;
      OperationAnswer at;
      if (PerformFileOperation(file, FileOperation::POINTERfile, {}, at) != ErrorCode::Ok) __builtin_trap();
      if (at.number <= previous) __builtin_trap();  // reading always moves on
      previous = at.number;
      (void)FDB.NOM.Get(file.Record());
      (void)FDB.ST.Get(file.Record());
    }
    OperationAnswer records;
    (void)PerformFileOperation(file, FileOperation::RECORDSfile, {}, records);
    (void)PerformFileOperation(file, FileOperation::CLOSE);
  }
  SetFileSystem(nullptr);
  RuntimeErrorState().Clear();
  return 0;
}
