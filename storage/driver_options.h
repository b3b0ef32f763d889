// Driver option strings: the text after the driver's name in a FILE's DRIVER
// attribute, and the words SEND passes to a driver.
//
// SplitDriverOptions cuts the string into options: one begins at '/' or after
// ','; a '"' toggles a quoted part in which '/' and ',' are ordinary
// characters (the quotes themselves are kept for the driver to read). Blanks
// around an option are dropped and empty options are left out. ParseOption
// parts one option into its word and, after the first '=', its value.
//
// Examples:
//     SplitDriverOptions("/CLIP=OFF /TAB=4")      -> {"CLIP=OFF", "TAB=4"}
//     SplitDriverOptions("/ENDOFRECORD=1,10")     -> {"ENDOFRECORD=1", "10"}
//     SplitDriverOptions("/TCF=\"a/b,c\"")        -> {"TCF=\"a/b,c\""}
//     ParseOption("TAB=-4") -> {word "TAB", hasValue, value "-4"}
//     ParseOption("QUICKSCAN") -> {word "QUICKSCAN", no value}
//
// Note that ENDOFRECORD's own commas cut it in a DRIVER string unless quoted:
// "/ENDOFRECORD=\"1,10\"". Stateless; safe from any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelvo {

std::vector<std::string> SplitDriverOptions(std::string_view text);

struct DriverOption {
  std::string word;   // as written; drivers compare it without regard to case
  bool hasValue = false;
  std::string value;  // after the '=', blanks around it dropped, outer quotes removed
};

DriverOption ParseOption(std::string_view option);

// Latin letters compared without regard to case.
bool SameWord(std::string_view a, std::string_view b);

}  // namespace zelvo
