#include "framework/browse/locator.h"

#include "framework/browse/view_filter_text.h"
#include "runtime/locale.h"
#include "storage/field_codec.h"

namespace zelvo {
namespace {

bool IsPrintable(const Event& key) { return key.character >= ' ' && key.character != 0x7F; }

}  // namespace

std::string Locator::Cased(std::string_view text) const {
  return viewManager_->FreeElementIgnoresCase() ? Locale().ToUpper(text) : std::string(text);
}

bool JumpLocator::TakeKey(const Event& key) {
  if (!IsPrintable(key)) return false;
  return viewManager_->SetFreeElementValue(std::string(1, static_cast<char>(key.character)));
}

bool EntryFieldLocator::TakeKey(const Event& key) {
  if (key.key == kBackspace) {
    if (shadow_.empty()) return false;
    shadow_.pop_back();
  } else if (IsPrintable(key) && shadow_.size() < kMostTyped) {
    shadow_ += static_cast<char>(key.character);
  } else {
    return false;
  }
  ShadowChanged();
  return true;
}

void EntryFieldLocator::TakeAccepted(std::string_view text) {
  shadow_ = std::string(Clip(text.substr(0, kMostTyped)));
  ShadowChanged();
}

void EntryFieldLocator::ShadowChanged() {
  (void)viewManager_->SetFreeElementValue(shadow_);
  Show();
}

void EntryFieldLocator::Show() {
  if (control == 0 || window_ == nullptr) return;
  // An entry bound to a value shows that value: the text goes there.
  const ControlDefinition& entry = window_->Definition()[control];
  if (entry.value.IsBound()) {
    (void)entry.value.Assign(Cased(shadow_));
    window_->Display(control);
  } else {
    window_->SetText(control, Cased(shadow_));
  }
}

void EntryFieldLocator::Clear() {
  shadow_.clear();
  Show();
}

void NarrowingLocator::ShadowChanged() {
  EntryFieldLocator::ShadowChanged();
  Narrow();
}

void NarrowingLocator::Clear() {
  const bool narrowed = !shadow_.empty();
  EntryFieldLocator::Clear();
  if (narrowed) Narrow();
}

void NarrowingLocator::Narrow() {
  std::string filter;
  if (!shadow_.empty()) {
    const std::string name = viewManager_->FreeComponentName();
    const std::string text = name.find("UPPER(") != std::string::npos ? Locale().ToUpper(shadow_) : shadow_;
    filter = floatRight ? "INSTRING(" + QuotedText(text) + "," + name + ",1,1) <> 0"
                        : "SUB(" + name + ",1," + std::to_string(text.size()) + ") = " + QuotedText(text);
  }
  viewManager_->SetNamedFilter(filter, kLocatorFilter);
  viewManager_->BuildFilter();
}

}  // namespace zelvo
