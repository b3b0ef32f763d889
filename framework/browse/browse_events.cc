// Events: what the list, its buttons, its keys and its popup make the browse
// do, and how the browse shows its state again after a reset.
#include "framework/browse/browse_list.h"

namespace zelvo {
namespace {

bool IsScroll(EventNumber event) {
  return event >= EventNumber::ScrollUp && event <= EventNumber::ScrollBottom;
}

}  // namespace

void BrowseList::TakeListEvent(const Event& event) {
  needRefresh = false;
  if (list != 0 && event.control == list) {
    if (IsScroll(event.number)) TakeScrollEvent(event.number);
    else if (event.number == EventNumber::ScrollDrag) TakeThumbDrag();
    else if (event.number == EventNumber::AlertKey) TakeListKey(event);
    else if (event.number == EventNumber::NewSelection) OnListNewSelection(event);
    else if (event.number == EventNumber::Locate) RunQuery();
  }
  if (sortSheet != 0 && event.control == sortSheet && event.number == EventNumber::NewSelection)
    window->ResetWindow(false);  // the chosen tab's order (ResetComponent)
  if (event.number == EventNumber::Accepted && event.control != 0) {
    const ControlId c = event.control;
    auto act = [&](RecordAction request) {
      window->UpdateComponents();  // the selected record read again
      if (!needRefresh) (void)RunRecordAction(request);
    };
    if (c == deleteControl) act(RecordAction::Delete);
    else if (c == changeControl) act(RecordAction::Change);
    else if (c == insertControl) act(RecordAction::Insert);
    else if (c == viewControl) act(RecordAction::View);
    else if (c == selectControl) window->SetResponse(kCompleted);
    else if (c == printControl) {
      RereadSelected();
      if (!needRefresh) {
        (void)window->RunUpdateForm(printProcedure, RecordAction::Print);
        LoadSelectedIntoBuffer();
      }
    } else if (c == queryControl) RunQuery();
    else if (c == toolControl) {
      // The actions the popup offers, chosen from the button.
      if (const ControlId button = popup_.Show(TheWindow()); button != 0) TheWindow().Post(EventNumber::Accepted, button);
    } else if (Locator* locator = CurrentLocator(); locator != nullptr && locator->control == c) {
      OnLocatorAccepted();
    }
  }
  if (needRefresh) {
    // The selected record could not be read again: the list shows what is there now.
    if (currentChoice >= 1 && static_cast<std::size_t>(currentChoice) <= rows_.Count())
      ResetViewTo(rows_.Row(static_cast<std::size_t>(currentChoice)).position);
    RefillList(RefillMode::Positioned);
    RedrawState();
    needRefresh = false;
  }
  const bool closing = event.IsWindowEvent() &&
                       (event.number == EventNumber::CloseWindow || event.number == EventNumber::CloseDown);
  if (closing && selecting && buffer != 0) {
    if (window->response == kCompleted) {
      primary->Me().UnstashBuffer(buffer, false);
      if (selectWholeRecord) RereadSelected();
      else LoadSelectedIntoBuffer();
    } else {
      primary->Me().UnstashBuffer(buffer, true);  // the caller's record as it was
    }
    buffer = 0;
  }
}

void BrowseList::TakeListKey(const Event& event) {
  const KeyCode key = event.key;
  if (key == kMouseRight) {
    if (event.mouseRow >= 1 && static_cast<std::size_t>(event.mouseRow) <= rows_.Count()) currentChoice = event.mouseRow;
    rightClicked_ = true;
    SyncSelection(true);  // the popup opens on the new selection
    return;
  }
  if (!rows_.Empty()) {
    switch (key) {
      case kInsert: PressButton(insertControl); return;
      case kDelete: PressButton(deleteControl); return;
      case kCtrlEnter:
        LoadSelectedIntoBuffer();
        PressButton(changeControl);
        return;
      case kShiftEnter:
        LoadSelectedIntoBuffer();
        PressButton(viewControl);
        return;
      case kMouseLeft2:
        mouseColumn_ = event.mouseColumn;
        PressButton(selecting ? selectControl : changeControl);
        return;
      default: break;
    }
  }
  Locator* locator = CurrentLocator();
  if (locator != nullptr && locator->TakeKey(event)) {
    (void)PositionView(FreeComponentPosition());
    RefillList(RefillMode::Positioned);
    RedrawState();
    SyncSelection();
  } else if (key == kInsert) {
    PressButton(insertControl);
  }
}

void BrowseList::OnListNewSelection(const Event& event) {
  (void)event;
  const bool popup = rightClicked_;
  rightClicked_ = false;
  if (rows_.Empty()) return;
  const int selected = TheWindow().Selection(list);
  if (selected >= 1) currentChoice = lastChoice = selected;
  LoadSelectedIntoBuffer();
  if (popup) {
    if (const ControlId button = popup_.Show(TheWindow()); button != 0) TheWindow().Post(EventNumber::Accepted, button);
  } else {
    window->ResetWindow(false);  // the window's other parts follow the record
  }
}

void BrowseList::OnLocatorAccepted() {
  Locator* locator = CurrentLocator();
  if (locator == nullptr || locator->control == 0) return;
  locator->TakeAccepted(TheWindow().Text(locator->control));
  (void)PositionView(FreeComponentPosition());
  TheWindow().Focus(list);
  RefillList(RefillMode::Positioned);
  RedrawState();
  SyncSelection();
}

void BrowseList::RunQuery() {
  if (!query) return;  // a browse without a query form
  const std::optional<std::string> filter = query();
  if (!filter) return;
  if (queryShared) SetNamedFilterInEveryOrder(*filter, kQueryFilter);
  else SetNamedFilter(*filter, kQueryFilter);
  BuildFilter();
  RefillList(RefillMode::Retain);
  ResetThumbLimits();
  RedrawState();
  SyncSelection();
}

void BrowseList::ArmListAlerts() {
  Window& w = TheWindow();
  w.Alert(list, kMouseLeft2, kMouseLeft2);
  w.Alert(list, kMouseRight, kMouseRight);
  if (insertControl != 0) w.Alert(list, kInsert, kInsert);
  if (changeControl != 0) w.Alert(list, kCtrlEnter, kCtrlEnter);
  if (deleteControl != 0) w.Alert(list, kDelete, kDelete);
  if (viewControl != 0) w.Alert(list, kShiftEnter, kShiftEnter);
  bool locators = false;
  for (const OrderExtras& extras : extras_) locators = locators || extras.locator != nullptr;
  if (locators) {
    // What a locator reads: the printable keys, a character with no key code
    // of its own (code 0: Cyrillic letters, signs), and the backspace.
    w.Alert(list, 0, 0);
    w.Alert(list, kBackspace, kBackspace);
    w.Alert(list, kSpace, kSpace);
    w.Alert(list, '0', '9');
    w.Alert(list, 'A', 'Z');
    w.Alert(list, kQuote, kQuote);
  }

  popup_.Clear();
  const std::pair<const char*, ControlId> actions[] = {
      {"&Insert", insertControl}, {"&Change", changeControl}, {"&Delete", deleteControl},
      {"&View", viewControl},     {"&Print", printControl}};
  for (const auto& [text, button] : actions)
    if (button != 0) popup_.Add(text, button);
  if (queryControl != 0) {
    if (!popup_.Empty()) popup_.Add("-");
    popup_.Add("&Query", queryControl);
  }
  if (selectControl != 0 && selecting) popup_.Add("&Select", selectControl);
  if (toolControl != 0) {
    popup_.Add("-");
    popup_.Add("&Toolbox", toolControl);
  }
}

void BrowseList::RedrawState() {
  Window& w = TheWindow();
  if (Locator* locator = CurrentLocator()) locator->Show();
  const bool any = !rows_.Empty();
  for (const ControlId button : {changeControl, deleteControl, viewControl, printControl})
    if (button != 0) w.Enable(button, any);
  if (selectControl != 0) {
    if (selecting && window->request == RecordAction::Select) {
      w.Show(selectControl, true);
      w.Enable(selectControl, true);
      w.SetDefaultButton(selectControl);
    } else if (hideSelect) {
      w.Show(selectControl, false);
    } else {
      w.Enable(selectControl, false);
    }
  }
  PlaceThumb();
}

}  // namespace zelvo
