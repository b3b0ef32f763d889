// The pages to print, as the preview's user writes them: items separated by
// ",", each a page number ("5") or two joined by "-" ("2-3"). An open range
// runs to the end or from the start ("5-", "-3"); blanks are ignored; an
// item that is not one of these, or pages beyond the report, select nothing.
//
//     SelectedPages("2-3,5", 7)  == {false, true, true, false, true, false, false}
#pragma once

#include <string_view>
#include <vector>

namespace zelvo {

// One flag per page of a report of `count` pages, page 1 first.
std::vector<bool> SelectedPages(std::string_view text, int count);

}  // namespace zelvo
