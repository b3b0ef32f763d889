// The text listing of report pages, which tests compare: UTF-8 with LF line
// ends, one line per item that shows text, in the order the items were laid:
//
//     PAGE<TAB>X<TAB>Y<TAB>TEXT
//     1	33.0	10.0	Лицевой счет за
//
// pages from 1; X and Y the top-left corner of the item's box in millimetres
// from the page's top-left corner, with one decimal; TEXT as shown, trailing
// blanks removed. Lines and boxes are not listed.
#pragma once

#include <string>

#include "platform/report_page.h"

namespace zelvo {

std::string PageListing(const ReportPages& pages);

}  // namespace zelvo
