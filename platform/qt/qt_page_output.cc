#include "platform/qt/qt_page_output.h"

#include <algorithm>

#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

#include "platform/qt/page_painter.h"

namespace zelvo {
namespace {

constexpr int kPdfResolution = 1200;

QPageLayout LayoutOf(const Paper& paper) {
  const QSizeF portrait(std::min(paper.width, paper.height), std::max(paper.width, paper.height));
  return QPageLayout(QPageSize(portrait, QPageSize::Millimeter),
                     paper.Landscape() ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                     QPageLayout::Millimeter);
}

// Draws every page on `device`, which `next` moves to a new page.
template <typename Device>
std::string PaintAll(Device& device, const ReportPages& pages) {
  QPainter painter;
  if (!painter.begin(&device)) return "the output cannot be drawn on";
  const double pixelsPerMillimetre = device.resolution() / 25.4;
  for (std::size_t i = 0; i < pages.pages.size(); ++i) {
    if (i > 0 && !device.newPage()) return "a new page cannot be started";
    PaintPage(painter, pages.pages[i], pixelsPerMillimetre);
  }
  if (!painter.end()) return "the output cannot be finished";
  return {};
}

}  // namespace

namespace {

bool HasGuiApplication() { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr; }

}  // namespace

std::string QtPageOutput::WritePdf(const ReportPages& pages, const std::string& path) {
  if (pages.pages.empty()) return "there are no pages to write";
  if (!HasGuiApplication()) return "PDF needs the Qt application, which this run has not made";
  std::string why;
  {
    QPdfWriter writer(QString::fromStdString(path));
    writer.setResolution(kPdfResolution);
    writer.setPageLayout(LayoutOf(pages.paper));
    writer.setCreator("zelvo");
    why = PaintAll(writer, pages);
  }
  return why.empty() ? why : "cannot write " + path + ": " + why;
}

std::string QtPageOutput::Print(const ReportPages& pages) {
  if (pages.pages.empty()) return "there are no pages to print";
  if (!HasGuiApplication()) return "printing needs the Qt application, which this run has not made";
  if (QPrinterInfo::defaultPrinter().isNull() && QPrinterInfo::availablePrinters().isEmpty())
    return "no printer is set up";
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageLayout(LayoutOf(pages.paper));
  printer.setFullPage(true);
  printer.setDocName("zelvo");
  return PaintAll(printer, pages);
}

}  // namespace zelvo
