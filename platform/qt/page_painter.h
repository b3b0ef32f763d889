// PaintPage: draws one report page (platform/report_page.h) with a QPainter
// — the one drawing that the preview, the printer and the PDF writer share,
// so all three show the same page. The report font is Liberation Sans, which
// has the metrics of the layouts' "Arial Cyr".
//
// `pixelsPerMillimetre` is the scale of the device at the painter's origin,
// which is the page's top-left corner; sizes of the report font's points
// follow the same scale, whatever the device's own resolution.
#pragma once

#include "platform/report_page.h"

class QPainter;

namespace zelvo {

inline constexpr const char* kReportFontFamily = "Liberation Sans";

void PaintPage(QPainter& painter, const ReportPage& page, double pixelsPerMillimetre);

}  // namespace zelvo
