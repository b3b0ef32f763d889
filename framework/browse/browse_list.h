// BrowseList: the list of a list window — the records of a view shown a page
// at a time in a list control, in one of the sort orders the browse offers,
// with their locators and scrollbar scales; the record actions (insert,
// change, delete, view) run through the window's update form, or in place
// (framework/browse/in_place_editor.h) when the browse has none.
//
// A browse never holds more rows than the control shows (LASTITEMS): it reads
// them from the view around the selected record and reads again, a row or a
// page at a time, as the user scrolls.
//
// Set-up, by the window procedure after its window opened, in this order:
//     InitBrowse(list, view, window, primary relation set)
//     AddSortOrder(scale or null, key) once per order, then for that order
//         AddLocator(...), AddRangeLimit(parent, own), SetStandardFilter(...)
//     AddField(column, record, field, name) once per column
//     the buttons (insertControl, changeControl, ...), askProcedure
//     AddToolbarTarget(toolbar) when the window has one; AddEditColumn(...)
// The window's first reset of its components fills the list.
//
// The browse is one of the window's components (framework/window/
// window_component.h) and a target of its toolbar. Its operations come in
// the slot order of the browse's contract; the paging, scrolling, record
// actions and events each live in a source file of their own.
//
//     RefillList(Retain)      keeps the top row and the selected record
//     RefillList(Positioned)  the view was positioned at the record to show: it
//                             lands on the selected row (RETAINROW), or as near
//                             to it as the data allows, and the page is filled
//                             upwards when the data ends below
//
// Used only by the run token's holder, on its window's procedure thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/browse/column_fields.h"
#include "framework/browse/list_popup.h"
#include "framework/browse/list_rows.h"
#include "framework/browse/locator.h"
#include "framework/browse/thumb_scale.h"
#include "framework/browse/view_reader.h"
#include "framework/window/toolbar.h"
#include "framework/window/window_component.h"
#include "framework/window/window_controller.h"

namespace zelvo {

class InPlaceColumn;
class InPlaceEditor;

enum class FetchDirection : std::uint8_t { Up = 1, Down = 2 };
enum class RefillMode : std::uint8_t { Retain = 1, Positioned = 2 };

// One column of the list as the in-place editor sees it: its number and its
// cell editor (none: shown, never edited).
struct EditListEntry {
  int column = 0;
  InPlaceColumn* control = nullptr;
  std::unique_ptr<InPlaceColumn> owned;  // a default editor made for one edit (FREEUP)
};

class BrowseList : public ViewReader, public WindowComponent, public ToolbarTarget {
 public:
  BrowseList();
  ~BrowseList() override;

  // Set-up ----------------------------------------------------------------------
  void InitBrowse(ControlId listControl, View& browseView, WindowController& owner, RelationSet& primarySet);
  std::size_t AddSortOrder(std::unique_ptr<ThumbScale> thumb, std::size_t key);
  // The locator of the current order.
  void AddLocator(std::unique_ptr<Locator> locator);
  void AddField(int column, RecordBuffer& record, FieldHandle field, std::string name);
  // A field whose change of value refills the list.
  void AddResetField(RecordBuffer& record, FieldHandle field);
  void AddToolbarTarget(Toolbar& toolbar);
  // The editor of list column `column` when editing in place (nullptr: the
  // column is shown but never edited); the browse does not own it.
  void AddEditColumn(InPlaceColumn* editor, int column);
  // The tabs that choose the sort order: tab n shows order n.
  void SetSortSheet(ControlId sheet) { sortSheet = sheet; }

  // The window component ---------------------------------------------------------
  void Kill() final { KillReader(); }
  void Reset(bool force) final { ResetComponent(force); }
  bool NeedsRefresh() final { return RangeChanged(); }
  void ArmHotKeys() final { ArmListAlerts(); }
  Level TakeEvent(const Event& event) final {
    TakeListEvent(event);
    return LevelOk;
  }
  void UpdateBuffers() final { RereadSelected(); }
  void Redraw() final { RedrawState(); }
  // The toolbar target.
  void TakeToolbarButton(ToolbarButton button) final { TakeToolbarMove(static_cast<int>(button)); }

  // ViewReader operations the browse replaces.
  bool RangeChanged() override;
  void KillReader() override;
  Level ReadForward() override;
  Level ReadBackward() override;

  // Virtual operations, in slot order ------------------------------------------------
  virtual std::uint8_t RunRecordAction(RecordAction request);
  virtual std::uint8_t EditInPlace(RecordAction request);
  virtual void FetchRows(FetchDirection direction);
  virtual bool SelectSortWithLocator(std::size_t n);
  virtual int ReportFetchFailure();
  virtual void AfterRecordAction(RecordAction request, std::uint8_t answer);
  virtual void ReloadFromBuffer();
  virtual void ReloadFromTable();
  // Re-reads the scale's limits; the hook after every refill a sort, range,
  // filter or form caused (browses computing totals override it).
  virtual void ResetThumbLimits();
  virtual void RefillList(RefillMode mode);
  virtual void ResetComponent(bool force);
  virtual void ScrollToEnd(EventNumber event);
  virtual void ScrollOneRow(EventNumber event);
  virtual void ScrollOnePage(EventNumber event);
  virtual void ArmListAlerts();
  // Takes the records just read into `row`, with the view position of the row.
  virtual void StoreRow(BrowseRow& row);
  virtual bool ResetSort(std::size_t n, bool force);
  virtual void OnLocatorAccepted();
  virtual void TakeListEvent(const Event& event);
  virtual void TakeListKey(const Event& event);
  virtual void RunQuery();
  virtual void OnListNewSelection(const Event& event);
  virtual void TakeScrollEvent(EventNumber event);
  virtual void TakeToolbarMove(int move);
  virtual void LoadSelectedIntoBuffer();
  virtual void RereadSelected();
  virtual void RedrawState();

  // What the list holds, and the list's display state pushed to the control.
  ListRows& Rows() { return rows_; }
  ColumnFields& Fields() { return *fields_; }
  std::vector<EditListEntry>& EditList() { return editList_; }
  Window& TheWindow() { return window->window(); }
  // Shows the rows in the control. The control's selection is the user's
  // until the browse moves it (a refill, a scroll, selection sync).
  void ShowRows();
  // Selection sync: the control selects CURRENTCHOICE and EVENT:NewSelection
  // is posted for the list (the window's other components follow the record).
  void SyncSelection(bool rightMouse = false);
  // Starts the view at a row's stored position.
  void ResetViewTo(const std::string& position);

  // Fields, with their defaults.
  bool activeInvisible = false;
  bool allowUnfilled = false;
  std::uint8_t arrowAction = 0;
  std::uint8_t enterAction = 0;
  std::uint8_t focusLossAction = 0;
  std::uint8_t tabAction = 0;
  int askProcedure = 0;  // the window's update form (AddUpdateForm); 0 edits in place
  std::uint32_t buffer = 0;  // stash of the primary record while selecting
  ControlId changeControl = 0, deleteControl = 0, insertControl = 0, viewControl = 0, selectControl = 0,
            printControl = 0, queryControl = 0, toolControl = 0;
  int currentChoice = 0;  // the selected row; 0 when the list is empty
  EventNumber currentEvent = EventNumber::None;  // the last scroll event
  bool fileLoaded = false;  // the whole result is in the list (the rows never page)
  bool hasThumb = false;
  bool hideSelect = false;
  ControlId list = 0;
  int itemsToFill = 0;
  int lastChoice = 0;
  int prevChoice = 0;
  int lastItems = 0;
  bool loadPending = false;
  bool loaded = false;
  bool needRefresh = false;
  int printProcedure = 0;
  // The query-by-example form: answers a new query's filter, or nothing.
  std::function<std::optional<std::string>()> query;
  bool queryShared = false;
  bool quickScan = true;
  bool retainRow = true;
  bool selectWholeRecord = false;
  bool selecting = false;
  bool startAtCurrent = false;
  ControlId sortSheet = 0;
  WindowController* window = nullptr;

 protected:
  Locator* CurrentLocator();
  ThumbScale* CurrentThumb();
  // The thumb position of the list as it stands (0..100).
  int ThumbPosition();
  void PlaceThumb();
  void TakeThumbDrag();
  // RefillList of a browse holding its whole result (fileLoaded).
  void LoadWholeResult(RefillMode mode);
  // Posts EVENT:Accepted for a button that exists and is enabled.
  void PressButton(ControlId button);
  void ClearPrimaryRecord();
  // The free element's value as its scale compares it, in the primary
  // record's buffer or in a row's image of that record.
  std::string FreeValueForScale();
  std::string FreeValueForScale(const RecordBuffer& primaryRecord);
  bool PositionView(std::size_t n) override;

 private:
  friend class InPlaceEditor;
  struct OrderExtras {
    std::unique_ptr<Locator> locator;
    std::unique_ptr<ThumbScale> thumb;
  };
  struct ResetField {
    RecordBuffer* record;
    FieldHandle field;
    std::string remembered;
  };
  // Posting NewSelection after a right click opens the popup there.
  bool rightClicked_ = false;
  int mouseColumn_ = 0;        // the column under the mouse at the last double click
  bool lastFetchShort_ = false;  // the last fetch met the end of the data
  // What the browse knows of its rows' place in the view: the first row is
  // the view's first record, the last row its last. Known from the reads that
  // met an end; forgotten when a row at that end goes. The scale's limits are
  // then taken from the rows instead of read again.
  bool viewAtStart_ = false;  // positioned at the start, nothing read since
  bool rowsFromStart_ = false;
  bool rowsToEnd_ = false;
  RecordAction nextRequest_ = RecordAction::None;

  std::vector<OrderExtras> extras_;  // by order number - 1
  std::vector<ResetField> resets_;
  ListRows rows_;
  std::unique_ptr<ColumnFields> fields_;
  std::vector<EditListEntry> editList_;
  std::unique_ptr<InPlaceEditor> editor_;
  ListPopup popup_;
};

}  // namespace zelvo
