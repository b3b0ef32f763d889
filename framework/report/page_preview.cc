#include "framework/report/page_preview.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <functional>
#include <optional>

#include "framework/report/page_selection.h"
#include "platform/page_output.h"
#include "platform/window_runtime.h"
#include "runtime/cp1251.h"
#include "storage/declare_fields.h"

namespace zelvo {

#define ZELVO_PREVIEW_VALUES(FIELD) \
  FIELD(PAGE, Long())               \
  FIELD(ACROSS, Long())             \
  FIELD(DOWN, Long())               \
  FIELD(ZOOM, String(16))           \
  FIELD(PAGES, String(255))         \
  FIELD(FILE, String(255))
ZELVO_DECLARE_FIELDS(PreviewValues, PRV, ZELVO_PREVIEW_VALUES);

namespace {

constexpr const char* kPreviewSection = "_PreviewWindow_";
constexpr const char* kAskPagesSection = "_PreviewAskPagesWindow_";

std::string Trimmed(std::string text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The placement of the previous preview of this program run.
struct RememberedPlacement {
  bool set = false;
  int x = 0, y = 0, width = 0, height = 0;
};
RememberedPlacement& Remembered() {
  static RememberedPlacement placement;
  return placement;
}

// A small modal dialog on the caller's thread: true when OK closed it (the
// entries' typing taken), false for Cancel or its close box. `reset`, when
// given, is the dialog's third button.
bool AskDialog(const WindowDefinition& definition, ControlId ok, ControlId cancel, ControlId reset,
               const std::function<void()>& onReset, IniStore* settings, const char* section) {
  std::unique_ptr<Window> window = TheWindowRuntime().Open(definition);
  if (settings != nullptr && section != nullptr) settings->RestoreWindow(section, *window);
  bool answer = false;
  for (Event event = window->NextEvent(); event.number != EventNumber::None; event = window->NextEvent()) {
    if (event.number == EventNumber::CloseWindow || event.number == EventNumber::CloseDown) break;
    if (event.number != EventNumber::Accepted) continue;
    if (event.control == ok) {
      window->Update();
      answer = true;
      break;
    }
    if (event.control == cancel) break;
    if (event.control == reset && onReset) {
      onReset();
      window->Display();
    }
  }
  if (settings != nullptr && section != nullptr && window->IsOpen()) settings->SaveWindow(section, *window);
  window->Close();
  return answer;
}

int PositiveOr(std::int64_t value, int otherwise) {
  return value >= 1 && value <= 999 ? static_cast<int>(value) : otherwise;
}

}  // namespace

const std::vector<ZoomChoice>& ZoomChoices() {
  static const std::vector<ZoomChoice> choices{
      {"Tile pages", "Zoom: Tile Pages", PageDisplay::kZoomTile},
      {"Page Width", "Zoom: Page Width", PageDisplay::kZoomPageWidth},
      {"50% Zoom", "Zoom: 50%", 50},
      {"75% Zoom", "Zoom: 75%", 75},
      {"100% Zoom", "Zoom: 100%", 100},
      {"200% Zoom", "Zoom: 200%", 200},
      {"300% Zoom", "Zoom: 300%", 300},
  };
  return choices;
}

PagePreview::PagePreview() : values_(std::make_unique<RecordBuffer>(kPreviewValuesFields)) {}
PagePreview::~PagePreview() = default;

void PagePreview::SetImageQueue(SharedPages pages) { pages_ = std::move(pages); }

void PagePreview::ResetPagesToPrint() { pagesToPrint = "1-" + std::to_string(PageCount()); }

void PagePreview::DropPage(int page) {
  if (page < 1 || page > PageCount()) return;
  auto kept = std::make_shared<ReportPages>(*pages_);
  kept->pages.erase(kept->pages.begin() + (page - 1));
  pages_ = std::move(kept);
}

void PagePreview::DropUnselectedPages() {
  const std::vector<bool> chosen = SelectedPages(pagesToPrint, PageCount());
  for (int page = PageCount(); page >= 1; --page)
    if (!chosen[static_cast<std::size_t>(page - 1)]) DropPage(page);
}

WindowDefinition PagePreview::DefinePreviewWindow() {
  RecordBuffer& v = *values_;
  WindowDefinition w("PagePreview", "Report Preview");
  print_ = w.Button("&Print");
  choosePages_ = w.Button("Pages to p&rint...");
  savePdf_ = w.Button("Save as P&DF...");
  exit_ = w.Button("E&xit", ButtonRole::Cancel);
  previous_ = w.Button("&Previous");
  next_ = w.Button("&Next");
  jump_ = w.Button("&Jump...");
  layout_ = w.Button("&Layout...");
  zoomButton_ = w.Button("Zoom &choices...");
  currentEntry_ = w.Entry("Page:", FieldBinding("PAGE", v, PRV.PAGE), "@n_5");
  w[currentEntry_].tip = "Enter a page number from 1 to " + std::to_string(PageCount());
  acrossEntry_ = w.Entry("Across:", FieldBinding("ACROSS", v, PRV.ACROSS), "@n2");
  downEntry_ = w.Entry("Down:", FieldBinding("DOWN", v, PRV.DOWN), "@n2");
  zoomEntry_ = w.Entry("Zoom:", FieldBinding("ZOOM", v, PRV.ZOOM), "@s16");
  display_ = w.Pages("Pages");
  return w;
}

bool PagePreview::ShowPreview(int initial) {
  if (PageCount() == 0) return false;
  (void)WindowController::InitWindow();
  printOk = false;
  firstPage = currentPage = 1;
  pagesAcross = std::max(pagesAcross, 1);
  pagesDown = std::max(pagesDown, 1);
  ResetPagesToPrint();
  const WindowDefinition definition = DefinePreviewWindow();
  AddCloseButton(exit_, kCancelled);
  (void)OpenWindow(definition);
  opened = true;
  RestorePlacement();
  if (maximize) window().SetMaximized(true);
  ApplyZoom(initial != 0 ? initial : initZoom);
  if (!allowUserZoom) {
    window().Enable(zoomButton_, false);
    window().Enable(zoomEntry_, false);
  }
  const bool several = PageCount() > 1;
  for (ControlId c : {previous_, next_, jump_, currentEntry_}) window().Enable(c, several);
  Redisplay();
  (void)EventLoop();
  (void)KillWindow();
  if (printOk) DropUnselectedPages();
  return printOk;
}

Level PagePreview::KillWindow() {
  if (HasWindow() && window().IsOpen()) {
    SavePlacement();
    window().Close();
  }
  return WindowController::KillWindow();
}

void PagePreview::RestorePlacement() {
  Window& w = window();
  const RememberedPlacement& before = Remembered();
  if (windowPositionSet || windowSizeSet) {
    if (windowPositionSet) w.SetPosition(std::to_string(windowX), std::to_string(windowY));
    if (windowSizeSet) w.SetSize(std::to_string(windowWidth), std::to_string(windowHeight));
  } else if (before.set) {
    w.SetPosition(std::to_string(before.x), std::to_string(before.y));
    w.SetSize(std::to_string(before.width), std::to_string(before.height));
  } else if (iniManager != nullptr) {
    iniManager->RestoreWindow(kPreviewSection, w);
  }
}

void PagePreview::SavePlacement() {
  Window& w = window();
  if (!w.IsMaximized() && !w.IsMinimized()) Remembered() = {true, w.X(), w.Y(), w.Width(), w.Height()};
  if (iniManager != nullptr) iniManager->SaveWindow(kPreviewSection, w);
}

void PagePreview::Redisplay() {
  RecordBuffer& v = *values_;
  (void)PRV.PAGE.Set(v, currentPage);
  (void)PRV.ACROSS.Set(v, pagesAcross);
  (void)PRV.DOWN.Set(v, pagesDown);
  (void)PRV.ZOOM.Set(v, zoomList);
  window().Display();
  window().ShowPages(display_, PageDisplay{.pages = pages_, .first = firstPage, .across = pagesAcross,
                                           .down = pagesDown, .current = currentPage, .zoom = zoom});
}

void PagePreview::GoToPage(int page) {
  page = std::clamp(page, 1, std::max(PageCount(), 1));
  const int onScreen = pagesAcross * pagesDown;
  if (page < firstPage || page > firstPage + onScreen - 1) {
    firstPage = page;
    while (firstPage > 1 && firstPage + onScreen - 1 > PageCount()) --firstPage;
  }
  currentPage = page;
  Redisplay();
}

void PagePreview::ApplyZoom(int percent) {
  zoom = percent;
  zoomList.clear();
  for (const ZoomChoice& choice : ZoomChoices())
    if (choice.zoom == percent) {
      zoomList = choice.menuText;
      TheWindowRuntime().SetStatusText(choice.statusText);
    }
  if (zoomList.empty()) {
    zoomList = std::to_string(percent) + "% Zoom";
    TheWindowRuntime().SetStatusText("Zoom: " + std::to_string(percent) + "%");
  }
}

bool PagePreview::TakeZoomText(const std::string& typed) {
  const std::string text = Trimmed(typed);
  auto lower = [](std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  };
  for (const ZoomChoice& choice : ZoomChoices())
    if (lower(text) == lower(choice.menuText)) {
      ApplyZoom(choice.zoom);
      return true;
    }
  // A percentage: "75", "75%", "75% Zoom".
  int percent = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), percent);
  const std::string rest = Trimmed(text.substr(static_cast<std::size_t>(end - text.data())));
  if (error != std::errc() || percent < 10 || percent > 999 ||
      !(rest.empty() || rest == "%" || lower(rest) == "% zoom"))
    return false;
  ApplyZoom(percent);
  return true;
}

void PagePreview::ChooseZoomFromMenu() {
  std::vector<PopupItem> items;
  for (const ZoomChoice& choice : ZoomChoices()) items.push_back({choice.menuText, true});
  const int chosen = window().Popup(items);
  if (chosen >= 1) ApplyZoom(ZoomChoices()[static_cast<std::size_t>(chosen - 1)].zoom);
}

Level PagePreview::OnAccepted(const Event& event) {
  if (const Level level = WindowController::OnAccepted(event); level != LevelOk) return level;
  RecordBuffer& v = *values_;
  const ControlId c = event.control;
  const int onScreen = pagesAcross * pagesDown;
  if (c == print_ || c == savePdf_ || c == choosePages_) {
    if (c == savePdf_) {
      SaveAsPdf();
    } else if (c == choosePages_) {
      (void)AskPagesToPrint();
    } else {
      printOk = confirmPages ? AskPagesToPrint() : true;
      if (printOk) window().Post(EventNumber::CloseWindow);
    }
  } else if (c == next_) {
    GoToPage(std::min(currentPage + onScreen, PageCount()));
  } else if (c == previous_) {
    GoToPage(std::max(currentPage - onScreen, 1));
  } else if (c == jump_) {
    (void)AskPageNumber();
  } else if (c == layout_) {
    (void)AskDisplayLayout();
  } else if (c == zoomButton_) {
    ChooseZoomFromMenu();
  } else if (c == currentEntry_) {
    const std::int64_t page = PRV.PAGE.Get(v);
    if (page < 1 || page > PageCount()) window().Beep();
    GoToPage(page < 1 ? currentPage : static_cast<int>(std::min<std::int64_t>(page, PageCount())));
    return LevelOk;
  } else if (c == acrossEntry_ || c == downEntry_) {
    pagesAcross = PositiveOr(PRV.ACROSS.Get(v), pagesAcross);
    pagesDown = PositiveOr(PRV.DOWN.Get(v), pagesDown);
    GoToPage(currentPage);
    return LevelOk;
  } else if (c == zoomEntry_) {
    if (!TakeZoomText(Trimmed(PRV.ZOOM.Get(v)))) window().Beep();
  } else {
    return LevelOk;
  }
  Redisplay();
  return LevelOk;
}

Level PagePreview::OnWindowEvent(const Event& event) {
  if (event.number == EventNumber::OpenWindow) {
    window().Focus(PageCount() > 1 ? next_ : print_);
    return LevelOk;
  }
  return WindowController::OnWindowEvent(event);
}

bool PagePreview::AskPageNumber() {
  RecordBuffer& v = *values_;
  (void)PRV.PAGE.Set(v, currentPage);
  WindowDefinition w("PreviewJump", "Go to Page");
  const ControlId entry = w.Entry("Page:", FieldBinding("PAGE", v, PRV.PAGE), "@n_5");
  w[entry].tip = "Enter a page number from 1 to " + std::to_string(PageCount());
  const ControlId ok = w.Button("OK", ButtonRole::Ok);
  const ControlId cancel = w.Button("Cancel", ButtonRole::Cancel);
  if (!AskDialog(w, ok, cancel, 0, {}, nullptr, nullptr)) return false;
  const std::int64_t page = PRV.PAGE.Get(v);
  if (page < 1 || page > PageCount()) return false;
  GoToPage(static_cast<int>(page));
  return true;
}

bool PagePreview::AskPagesToPrint() {
  RecordBuffer& v = *values_;
  (void)PRV.PAGES.Set(v, pagesToPrint);
  WindowDefinition w("PreviewAskPages", "Pages to Print");
  (void)w.Entry("Pages to print:", FieldBinding("PAGES", v, PRV.PAGES), "@s255");
  const ControlId ok = w.Button("OK", ButtonRole::Ok);
  const ControlId reset = w.Button("&Reset");
  const ControlId cancel = w.Button("Cancel", ButtonRole::Cancel);
  const bool answer = AskDialog(
      w, ok, cancel, reset, [&] { (void)PRV.PAGES.Set(v, "1-" + std::to_string(PageCount())); }, iniManager,
      kAskPagesSection);
  if (answer) pagesToPrint = Trimmed(PRV.PAGES.Get(v));
  return answer;
}

bool PagePreview::AskDisplayLayout() {
  RecordBuffer& v = *values_;
  (void)PRV.ACROSS.Set(v, pagesAcross);
  (void)PRV.DOWN.Set(v, pagesDown);
  WindowDefinition w("PreviewLayout", "Pages on Screen");
  (void)w.Entry("Across:", FieldBinding("ACROSS", v, PRV.ACROSS), "@n2");
  (void)w.Entry("Down:", FieldBinding("DOWN", v, PRV.DOWN), "@n2");
  const ControlId ok = w.Button("OK", ButtonRole::Ok);
  const ControlId cancel = w.Button("Cancel", ButtonRole::Cancel);
  if (!AskDialog(w, ok, cancel, 0, {}, nullptr, nullptr)) return false;
  pagesAcross = PositiveOr(PRV.ACROSS.Get(v), pagesAcross);
  pagesDown = PositiveOr(PRV.DOWN.Get(v), pagesDown);
  GoToPage(currentPage);
  return true;
}

void PagePreview::SaveAsPdf() {
  RecordBuffer& v = *values_;
  WindowDefinition w("PreviewSave", "Save as PDF");
  (void)w.Entry("File:", FieldBinding("FILE", v, PRV.FILE), "@s255");
  const ControlId ok = w.Button("OK", ButtonRole::Ok);
  const ControlId cancel = w.Button("Cancel", ButtonRole::Cancel);
  if (!AskDialog(w, ok, cancel, 0, {}, nullptr, nullptr)) return;
  std::string file = Cp1251ToUtf8(Trimmed(PRV.FILE.Get(v)));
  if (file.empty()) return;
  if (file.size() < 4 || (file.substr(file.size() - 4) != ".pdf" && file.substr(file.size() - 4) != ".PDF"))
    file += ".pdf";
  if (const std::string why = SavePages(*pages_, file); !why.empty()) {
    MessageBoxRequest box;
    box.text = Utf8ToCp1251(why).value_or("The pages could not be written.");
    box.caption = Cp1251Literal("Ошибка");
    box.icon = MessageIcon::Exclamation;
    (void)TheWindowRuntime().Show(box);
  }
}

}  // namespace zelvo
