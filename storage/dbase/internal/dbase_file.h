// The dBase table file as a whole: making a fresh one, and the names of the
// files that belong to a table.
//
// A table named X is X.DBF (a name without an extension gets ".DBF"), with
// X.DBT beside it when it has memo columns and X.BAK left behind by PACK.
// PACK builds the packed copy under a temporary name in the table's folder:
// the folder, a counter from 0 and ".DBF", the first such name not present.
// Stateless; the file system is the current one (storage/os_file.h).
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "storage/dbase/internal/dbase_header.h"

namespace zelvo {

// The name with ".DBF" when its last part has no extension.
std::string DbaseTableName(std::string name);
// The name with its extension replaced ("X.DBF" -> "X.BAK").
std::string DbaseCompanionName(const std::string& table, std::string_view extension);
// The first temporary name "<folder>/<n>.DBF" not present; empty when none is
// found among the first thousand.
std::string DbaseTemporaryName(const std::string& table);

// Writes a table of `columns` (checked with CheckDbaseColumns) holding no
// records, over any file of that name: the header (version 0x03, or 0x8B
// with a memo column), the descriptors, 0x0D and 0x1A. -246 when the file
// cannot be made, -201 when writing fails; xBase codes of the column checks.
[[nodiscard]] int CreateDbaseFile(const std::string& path, std::vector<DbaseColumn> columns,
                                  std::uint8_t productionIndex);

}  // namespace zelvo
