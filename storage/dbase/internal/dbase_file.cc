#include "storage/dbase/internal/dbase_file.h"

#include <algorithm>

#include "storage/dbase/internal/dbase_table.h"
#include "storage/os_file.h"

namespace zelvo {
namespace {

std::size_t LastPartStart(const std::string& name) {
  const std::size_t slash = name.find_last_of("/\\");
  return slash == std::string::npos ? 0 : slash + 1;
}

}  // namespace

std::string DbaseTableName(std::string name) {
  if (name.find('.', LastPartStart(name)) == std::string::npos) name += ".DBF";
  return name;
}

std::string DbaseCompanionName(const std::string& table, std::string_view extension) {
  const std::size_t dot = table.find_last_of('.');
  const std::string stem = dot == std::string::npos || dot < LastPartStart(table) ? table : table.substr(0, dot);
  return stem + std::string(extension);
}

std::string DbaseTemporaryName(const std::string& table) {
  const std::string folder = table.substr(0, LastPartStart(table));
  for (int n = 0; n < 1000; ++n) {
    const std::string name = folder + std::to_string(n) + ".DBF";
    if (!FileExists(name)) return name;
  }
  return {};
}

int CreateDbaseFile(const std::string& path, std::vector<DbaseColumn> columns, std::uint8_t productionIndex) {
  if (const int code = CheckDbaseColumns(columns); code != 0) return code;
  const bool memo = std::any_of(columns.begin(), columns.end(), [](const DbaseColumn& c) { return c.type == 'M'; });
  DbaseHeader header;
  header.version = memo ? kDbaseVersionMemo : kDbaseVersion;
  header.headerLength = static_cast<std::uint16_t>(kDbaseHeaderBytes * (columns.size() + 1) + 1);
  header.recordLength = static_cast<std::uint16_t>(DbaseRecordLength(columns));
  header.productionIndex = productionIndex;
  StampDbaseHeader(header);
  const auto head = EncodeDbaseHeader(header);
  std::vector<std::uint8_t> bytes(head.begin(), head.end());
  const std::vector<std::uint8_t> descriptors = EncodeDbaseDescriptors(columns);
  bytes.insert(bytes.end(), descriptors.begin(), descriptors.end());
  bytes.push_back(kDbaseEndOfFile);

  OpenResult made = CurrentFileSystem().Open(path, {.read = true, .write = true, .create = true, .truncate = true});
  if (Failed(made.code)) {
    const int failure = DbaseOpenFailure(made.code);
    return failure == -239 ? failure : -246;
  }
  const ErrorCode written = made.file->WriteAt(0, bytes);
  const ErrorCode closed = made.file->Close();
  return Failed(written) || Failed(closed) ? -201 : 0;
}

}  // namespace zelvo
