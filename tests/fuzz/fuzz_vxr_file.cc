// Arbitrary bytes as an indexed record file: opening answers a clear result,
// a full scan forwards and backwards ends and the tree check never crashes, a
// read-only open never writes, and a writable open that succeeds can take a
// record, write it and find it again. The whole-file check never crashes
// and never writes either.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "storage/testing/memory_file.h"
#include "storage/vxr/vxr_check.h"
#include "storage/vxr/internal/vxr_page_store.h"
#include "storage/vxr/internal/vxr_tree.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

using namespace zelvo;

// A walk meets each record at most once, however damaged the tree: never
// more records than the check reads.
void Scan(VxrTree& tree) {
  std::size_t count = 0;
  const bool checked = tree.Check(count).Ok();
  std::size_t forward = 0;
  for (VxrLookup r = tree.First(); r.Found(); r = tree.Next(r.record.key)) Check(++forward <= count);
  std::size_t backward = 0;
  for (VxrLookup r = tree.Last(); r.Found(); r = tree.Previous(r.record.key)) Check(++backward <= count);
  if (checked) Check(forward == count && backward == count);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto original = std::make_shared<MemoryFile::Bytes>(data, data + size);
  {
    auto bytes = std::make_shared<MemoryFile::Bytes>(*original);
    VxrPageStore::Opened opened = VxrPageStore::Open(std::make_unique<MemoryFile>(bytes), false);
    if (opened.status.Ok()) {
      VxrTree tree(*opened.store);
      Scan(tree);
    }
    Check(*bytes == *original);
  }
  {
    // The whole-file check: any bytes give a report (an unreadable file says
    // why), and the file stays as it was.
    auto bytes = std::make_shared<MemoryFile::Bytes>(*original);
    const VxrCheckReport report = CheckVxrFile(std::make_unique<MemoryFile>(bytes));
    Check(report.readable || !report.findings.empty());
    Check(*bytes == *original);
  }
  auto bytes = std::make_shared<MemoryFile::Bytes>(*original);
  VxrPageStore::Opened opened = VxrPageStore::Open(std::make_unique<MemoryFile>(bytes), true);
  if (!opened.status.Ok()) return 0;
  VxrTree tree(*opened.store);
  std::size_t count = 0;
  if (!tree.Check(count).Ok()) return 0;
  const std::string key = "\xFE" "FUZZ";
  if (tree.Insert(key, "\x00\x00\x00\x01").Ok() && tree.Write().Ok()) {
    Check(tree.Find(key).Found());
    Scan(tree);
  }
  return 0;
}
