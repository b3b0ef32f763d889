// Locator: how typing on a browse list finds a record. Each sort order may
// have one; it works on the order's free element (the first key component
// the range leaves free), upper-casing what it puts there when the key
// ignores case. The browse offers it the keys the list did not take and the
// accepted text of its entry control; when the locator answers that it moved
// the free element, the browse positions the view there and refills.
//
//     JumpLocator        a printable key: the free element := that character
//     EntryFieldLocator  typed characters collect in SHADOW (at most 39; the
//                        backspace takes the last one back), shown in the
//                        locator's entry; the free element := SHADOW
//     NarrowingLocator   as the entry kind, and SHADOW becomes the filter
//                        "3 Locator": SUB(name,1,n) = 'TEXT' (the field starts
//                        with it), or with floatRight
//                        INSTRING('TEXT',name,1,1) <> 0 (anywhere in it)
//
// A locator is cleared (SHADOW emptied, its entry blanked, a narrowing filter
// taken off the view) after every scroll and when the sort order changes.
// Used only by the run token's holder.
#pragma once

#include <string>
#include <string_view>

#include "framework/browse/view_reader.h"
#include "platform/event.h"
#include "platform/window.h"

namespace zelvo {

class Locator {
 public:
  static constexpr std::size_t kMostTyped = 39;

  // `entry`: the entry control that shows what was typed (0: none).
  explicit Locator(ControlId entry = 0) : control(entry) {}
  virtual ~Locator() = default;
  Locator(const Locator&) = delete;
  Locator& operator=(const Locator&) = delete;

  // The browse whose order it serves, and the window its entry is in (none
  // for a locator without an entry).
  void Attach(ViewReader& viewManager, Window* window) {
    viewManager_ = &viewManager;
    window_ = window;
  }

  // A key the list did not take: true when the free element was moved.
  virtual bool TakeKey(const Event& key) = 0;
  // The entry control's text was accepted: it becomes the text sought.
  virtual void TakeAccepted(std::string_view text) { (void)text; }
  virtual void Clear() {}
  // Shows the text sought in the entry control again.
  virtual void Show() {}
  virtual std::string_view Shadow() const { return {}; }

  ControlId control;

 protected:
  std::string Cased(std::string_view text) const;

  ViewReader* viewManager_ = nullptr;
  Window* window_ = nullptr;
};

class JumpLocator final : public Locator {
 public:
  JumpLocator() = default;
  bool TakeKey(const Event& key) override;
};

class EntryFieldLocator : public Locator {
 public:
  explicit EntryFieldLocator(ControlId entry) : Locator(entry) {}

  bool TakeKey(const Event& key) override;
  void TakeAccepted(std::string_view text) override;
  void Clear() override;
  void Show() override;
  std::string_view Shadow() const override { return shadow_; }

 protected:
  // SHADOW changed: the free element follows it and the entry shows it.
  virtual void ShadowChanged();

  std::string shadow_;
};

class NarrowingLocator final : public EntryFieldLocator {
 public:
  NarrowingLocator(ControlId entry, bool floatRightText) : EntryFieldLocator(entry), floatRight(floatRightText) {}

  void Clear() override;

  bool floatRight;

 protected:
  void ShadowChanged() override;

 private:
  // Puts "3 Locator" for SHADOW (none when it is empty) and gives the view
  // its new filter.
  void Narrow();
};

}  // namespace zelvo
