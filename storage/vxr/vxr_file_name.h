// The NAME of an indexed record FILE: the file's path before the first "\!",
// the table's name after it ("UNNAMED" without one); a file name without an
// extension gets ".VXR".
//
// Examples:
//     SplitVxrName("NBASA")             == {"NBASA.VXR", "UNNAMED"}
//     SplitVxrName("data/ARC.DAT\\!Y2") == {"data/ARC.DAT", "Y2"}
//     SplitVxrName("../dir.x/NBASA")    == {"../dir.x/NBASA.VXR", "UNNAMED"}
//
// Pure functions.
#pragma once

#include <string>
#include <string_view>

namespace zelvo {

struct VxrName {
  std::string path;
  std::string table;
};

VxrName SplitVxrName(std::string_view name);

}  // namespace zelvo
