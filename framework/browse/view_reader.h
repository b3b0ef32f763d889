// ViewReader: walks a view (storage/view.h) in a chosen sort order, keeping
// to the order's range limit and named filters. A browse list pages its rows
// through it; a report runner reads its records through it.
//
// Set-up, by the procedure that owns the reader, in this order:
//     InitReader(view, primary relation set)
//     AddSortOrder(key) once per order (the new order becomes current), then
//     for it AddRangeLimit(parent, own) or SetRangeLimit(...), and
//     SetStandardFilter(text) after binding the names the text uses.
//
// Every read goes through EnsureViewOpen, which opens the view once (every
// table of the view made usable first) and then gives it the current order
// and filter; PositionView(n) starts it at the record buffer's values of the
// first n order components.
//
//     reader.PositionAtStart();
//     while (reader.ReadForward() == LevelOk) ... the record buffers hold a row ...
//
// Reads answer LevelOk (a row, accepted by JudgeRecord), LevelNotify (no more
// rows: the end of the view, or JudgeRecord said the range is over) or
// LevelFatal (a read failed; message 1 was shown through the primary table).
// A view that cannot be opened, ordered or positioned shows message 40.
//
// Used only by the run token's holder, on the thread of its procedure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "framework/browse/sort_entry.h"
#include "framework/data/relation_set.h"
#include "framework/data/result_level.h"
#include "storage/view/view.h"

namespace zelvo {

// What JudgeRecord says of a record just read.
enum class Judgement : std::uint8_t { Take = 0, Stop = 1, Skip = 2 };

class ViewReader {
 public:
  ViewReader() = default;
  ViewReader(const ViewReader&) = delete;
  ViewReader& operator=(const ViewReader&) = delete;
  virtual ~ViewReader();

  // Set-up ------------------------------------------------------------------
  void InitReader(View& readerView, RelationSet& primarySet);
  // A new sort order following key `key` of the primary FILE (1-based; 0 for
  // none: the view's own order), made current; answers its number (1-based).
  std::size_t AddSortOrder(std::size_t key);
  // Limits the current order to the children of the parent's current record:
  // the linking fields of the parent's relation to `own` become the range.
  void AddRangeLimit(RelationSet& parent, RelationSet& own);
  // Limits the current order by values (LimitType CurrentValue, SingleValue
  // or Pair): `limits[i]` is the limit of key component i; for a Pair the
  // last two are the low and the high bound of the same component.
  void SetRangeLimit(LimitType type, std::span<const LinkedFieldPairs::Side> limits);

  // Virtual operations, in slot order ----------------------------------------
  // "*text" replaces the current order's text; other text is appended after ",".
  virtual void ExtendOrder(std::string_view text);
  virtual void BuildFilter();
  virtual void BuildOrder();
  // Whether a limit value changed since the last reset (remembering the new ones).
  virtual bool RangeChanged();
  virtual void ShutView();
  virtual std::string FreeComponentName();
  // The order components up to and including the free element; 0 when the
  // order does not name it.
  virtual std::size_t FreeComponentPosition();
  virtual void KillReader();
  virtual Level ReadForward();
  virtual void EnsureViewOpen();
  virtual Level ReadBackward();
  // Prepares the primary record of a new row: unless `keep`, every buffer of
  // the view cleared; the range's equality values put into their components;
  // then the table's own priming (defaults, an auto-number reserved).
  // LevelOk, or the level of the priming's failure.
  virtual Level PrimeForInsert(bool keep);
  // Starts the view at the record buffer's values of the first n order
  // components (0: at the start). False when the view refused (message 40).
  virtual bool PositionView(std::size_t n);
  virtual bool PositionAtStart() { return PositionView(0); }
  virtual void SetStandardFilter(std::string_view text) { SetNamedFilter(text, kStandardFilter); }
  // Empty text removes the filter of that id.
  virtual void SetNamedFilter(std::string_view text, std::string_view id);
  virtual void ReplaceOrder(std::string_view text);
  // 0 is taken as 1; false when that order is current already.
  virtual bool SelectSort(std::size_t n);
  virtual Judgement JudgeRecord() { return Judgement::Take; }

  // The current order and its number (1-based). REQUIRES: an order was added.
  SortEntry& CurrentOrder() { return *orders_[current_]; }
  std::size_t CurrentOrderNumber() const { return current_ + 1; }
  std::size_t OrderCount() const { return orders_.size(); }
  // Sets a named filter in every order (a query that applies whatever the order).
  void SetNamedFilterInEveryOrder(std::string_view text, std::string_view id);
  // The free element := a value text (a text cut to the field), upper-cased
  // when the key ignores case. False when the order has no free element, or
  // the element is a number and the text none.
  bool SetFreeElementValue(std::string_view text);
  // The current order's main key; nullptr without one.
  const KeyDeclaration* MainKey();
  // Whether the free element is compared without case.
  bool FreeElementIgnoresCase();
  std::string_view Prefix() const;

  // Fields, with their defaults.
  bool opened = false;
  std::uint16_t pagesAhead = 0;
  std::uint16_t pagesBehind = 2;
  std::uint16_t pageSize = 20;
  RelationSet* primary = nullptr;
  std::uint16_t timeout = 60;
  View* view = nullptr;

 protected:
  // Every FILE of the view: the primary, then the joined ones.
  std::vector<File*> ViewFiles() const;
  Level Read(FileOperation direction);
  // Message `id` through the primary table, with the error state as it is now.
  void Report(MessageId id);

 private:
  void SetFreeElement(SortEntry& entry, std::size_t component);

  std::vector<std::unique_ptr<SortEntry>> orders_;
  std::size_t current_ = 0;
  // What the view was last given, so an unchanged order or filter does not
  // make it plan again.
  std::optional<std::string> appliedOrder_;
  std::optional<std::string> appliedFilter_;
};

}  // namespace zelvo
