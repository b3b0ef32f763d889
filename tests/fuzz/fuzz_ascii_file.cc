// Arbitrary bytes as an ASCII table's text file, read and rewritten through
// the driver under options chosen by the first bytes: every read either
// answers a record of the declared length or a code, reading always moves
// forward, and writes keep the file readable.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "storage/built_in/built_in_drivers.h"
#include "storage/declare_fields.h"
#include "storage/error_state.h"
#include "storage/file_operations.h"

namespace {

#define FUZZ_LINE_FIELDS(FIELD) FIELD(STR, String(16))
ZELVO_DECLARE_FIELDS(FuzzLine, FUZ, FUZZ_LINE_FIELDS);

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  zelvo::RegisterBuiltInDrivers();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zelvo;
  if (size < 2) return 0;
  // One scratch file per process, removed when the run ends.
  static const struct Scratch {
    std::string path = "/tmp/zelvo_fuzz_ascii_" + std::to_string(::getpid());
    ~Scratch() { std::filesystem::remove(path); }
  } scratch;
  const std::string& path = scratch.path;
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data + 2), static_cast<std::streamsize>(size - 2));

  static const char* const kTabs[] = {"TAB=8", "TAB=0", "TAB=-4", "TAB=-100", "TAB=3", "TAB=1"};
  static const char* const kEnds[] = {"ENDOFRECORD=2,13,10", "ENDOFRECORD=1,10",
                                      "ENDOFRECORD=3,13,13,10", "ENDOFRECORD=1,26"};
  const FileDeclaration decl{.label = "FUZZ", .driver = Driver::Ascii, .name = path,
                             .fields = kFuzzLineFields};
  File file(decl);
  OperationArguments args;
  args.mode = AccessMode{static_cast<std::uint8_t>(data[0] & 0x40 ? 0x42 : 0x22)};
  if (PerformFileOperation(file, FileOperation::OPEN, args) != ErrorCode::Ok) return 0;
  for (const char* word : {kTabs[data[1] % 6], kEnds[(data[1] >> 3) % 4],
                           data[0] & 1 ? "CTRLZISEOF=OFF" : "CTRLZISEOF=ON",
                           data[0] & 2 ? "CLIP=OFF" : "CLIP=ON",
                           data[0] & 4 ? "QUICKSCAN=ON" : "QUICKSCAN=OFF", "FILEBUFFERS=1"}) {
    args.text = word;
    (void)PerformFileOperation(file, FileOperation::SEND, args);
  }
  for (int pass = 0; pass < 2; ++pass) {
    if (PerformFileOperation(file, FileOperation::SETfile) != ErrorCode::Ok) __builtin_trap();
    std::uint64_t previous = 0;
    const std::uint64_t fileSize = std::filesystem::file_size(path);
    for (std::uint64_t reads = 0; reads <= fileSize + 1; ++reads) {
      if (PerformFileOperation(file, FileOperation::NEXT) != ErrorCode::Ok) break;
      if (file.Record().Size() != 16) __builtin_trap();
      OperationAnswer at, bytes;
      (void)PerformFileOperation(file, FileOperation::POINTERfile, {}, at);
      (void)PerformFileOperation(file, FileOperation::BYTES, {}, bytes);
      if (at.number <= previous || bytes.number == 0 || at.number - 1 + bytes.number > std::filesystem::file_size(path))
        __builtin_trap();
      previous = at.number;
      if (pass == 0 && (data[0] & 8)) (void)PerformFileOperation(file, FileOperation::PUT);
      if (reads == fileSize + 1) __builtin_trap();  // every read consumes at least one byte
    }
    if (pass == 0) (void)PerformFileOperation(file, FileOperation::ADD);
  }
  (void)PerformFileOperation(file, FileOperation::CLOSE);
  return 0;
}
