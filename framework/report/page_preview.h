// PagePreview: the window that shows a finished report's pages before they
// are printed — zoom, page navigation, pages across and down, the pages to
// print, and saving the pages as PDF. ShowPreview runs it modally on the
// report's thread and answers whether to print; the pages the user did not
// select are then dropped, so the caller prints what is left.
//
// The window ("Report Preview", procedure "PagePreview"):
//   buttons  &Print, Pages to p&rint..., Save as P&DF..., E&xit (Esc),
//            &Previous, &Next, &Jump..., &Layout..., Zoom &choices... (a popup of them)
//   entries  Page: (1 to the page count), Across:, Down: (at least 1 each),
//            Zoom: (a choice's text or a percentage, "75" or "75%")
//   the page display, which draws the pages.
// The page controls are enabled only with more than one page. Next and
// Previous move by the pages on screen (across × down). A page already on
// screen becomes current where it is; another starts the screen, moved back
// while the screen's last place would lie beyond the last page (never before
// page 1).
//
// Zoom choices (menu text, status text, zoom): "Tile pages"/"Zoom: Tile Pages"
// (every page on screen fits), "Page Width"/"Zoom: Page Width", then 50, 75,
// 100, 200 and 300 per cent ("50% Zoom"/"Zoom: 50%").
//
// Placement: the program's position and size when it set them, else the
// previous preview's of this run, else the INI store's section
// "_PreviewWindow_" (saved there when the preview closes); the pages-to-print
// dialog keeps its own under "_PreviewAskPagesWindow_".
//
// Used only by the run token's holder, on the report's thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/data/ini_store.h"
#include "framework/window/window_controller.h"
#include "platform/report_page.h"
#include "platform/window_definition.h"

namespace zelvo {

class RecordBuffer;

struct ZoomChoice {
  const char* menuText;
  const char* statusText;
  int zoom;  // per cent, or PageDisplay::kZoomTile, kZoomPageWidth
};

// The zoom choices, in the order of the zoom menu.
const std::vector<ZoomChoice>& ZoomChoices();

class PagePreview : public WindowController {
 public:
  PagePreview();
  ~PagePreview() override;

  // Virtual operations, in slot order -------------------------------------------
  // Asks for a page to go to; true when one was chosen (it is current then).
  virtual bool AskPageNumber();
  // Asks for the pages to print (OK takes the text, Reset puts back "1-" and
  // the count, Cancel keeps the old text); true for OK.
  virtual bool AskPagesToPrint();
  virtual bool AskDisplayLayout();
  virtual void DropPage(int page);
  // Shows the pages (modal) at `zoom` (0: the initial zoom); answers whether to print.
  virtual bool ShowPreview(int zoom);
  virtual void SetImageQueue(SharedPages pages);
  virtual void ResetPagesToPrint();
  virtual void DropUnselectedPages();

  // The pages as they stand (after DropUnselectedPages, the ones to print).
  const SharedPages& Pages() const { return pages_; }
  int PageCount() const { return pages_ ? static_cast<int>(pages_->pages.size()) : 0; }

  // Fields, in the order of their declaration.
  bool allowUserZoom = false;
  bool confirmPages = false;
  int currentPage = 1;
  int firstPage = 1;
  IniStore* iniManager = nullptr;
  int initZoom = PageDisplay::kZoomPageWidth;
  bool maximize = false;
  int pagesAcross = 1;
  int pagesDown = 1;
  std::string pagesToPrint;
  bool printOk = false;
  bool windowPositionSet = false;
  bool windowSizeSet = false;
  int windowX = 0, windowY = 0, windowWidth = 0, windowHeight = 0;
  int zoom = PageDisplay::kZoomPageWidth;
  std::string zoomList;  // the zoom as the Zoom entry shows it

 protected:
  Level OnAccepted(const Event& event) override;
  Level OnWindowEvent(const Event& event) override;
  Level KillWindow() override;

 private:
  WindowDefinition DefinePreviewWindow();
  void RestorePlacement();
  void SavePlacement();
  // Shows the pages and the entries again after a change.
  void Redisplay();
  // The page becomes current: highlighted on screen, or the screen starts at it.
  void GoToPage(int page);
  void ApplyZoom(int percent);
  bool TakeZoomText(const std::string& text);
  void ChooseZoomFromMenu();
  void SaveAsPdf();

  SharedPages pages_;
  std::unique_ptr<RecordBuffer> values_;  // what the entries show
  // The controls of the preview window.
  ControlId print_ = 0, choosePages_ = 0, savePdf_ = 0, exit_ = 0, previous_ = 0, next_ = 0, jump_ = 0,
            layout_ = 0, zoomButton_ = 0, currentEntry_ = 0, acrossEntry_ = 0, downEntry_ = 0, zoomEntry_ = 0,
            display_ = 0;
};

}  // namespace zelvo
