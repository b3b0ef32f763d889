// The scripted sessions of the sample program (tests/testing/sample_scripts,
// one NAME.script each): the same scripts run on the headless and on the Qt
// back end, so each checks both.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelvo {

// The text of NAME.script; empty when there is no such script.
std::string SampleScript(std::string_view name);
// Every script's NAME, in alphabetical order.
std::vector<std::string> SampleScriptNames();

}  // namespace zelvo
