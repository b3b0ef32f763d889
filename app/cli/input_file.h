// ReadInput: the whole input a command reads — a file, or standard input for
// "-" — as its bytes. A file that cannot be read is said on standard error
// as "COMMAND: cannot read PATH: reason" and answers nullopt, which the
// commands turn into exit status 2.
//
//     std::optional<std::string> text = ReadInput(path, "zelvo calc");
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zelvo {

std::optional<std::string> ReadInput(const std::string& path, std::string_view command);

}  // namespace zelvo
