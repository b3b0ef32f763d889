// Driver: which file driver stores a declared table, and the driver's name as
// its trace section and log are named after it ("ZRQUILLSET" and
// "QUILLSET.LOG", "ZRdBase4" and "dBase4.LOG", "ZRASCII" and "ASCII.LOG").
#pragma once

#include <cstdint>
#include <string_view>

namespace zelvo {

enum class Driver : std::uint8_t { Quillset, DBase4, Ascii };
std::string_view DriverName(Driver driver);  // "Quillset", "dBase4", "ASCII"

}  // namespace zelvo
