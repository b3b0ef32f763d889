// Driver: which file driver stores a declared table — the indexed record file
// (Vxr), the dBase table (Dbase) or the ASCII text file — and the name the
// driver has always been known by in the profile's trace sections and logs
// ("ZRQUILLSET" and "QUILLSET.LOG", "ZRdBase4" and "dBase4.LOG", "ZRASCII" and
// "ASCII.LOG").
#pragma once

#include <cstdint>
#include <string_view>

namespace zelvo {

enum class Driver : std::uint8_t { Vxr, Dbase, Ascii };
std::string_view DriverName(Driver driver);  // "Quillset", "dBase4", "ASCII"

}  // namespace zelvo
